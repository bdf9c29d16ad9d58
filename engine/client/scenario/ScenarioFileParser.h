#pragma once

#include "engine/core/base/VXLObject.h"
#include "engine/core/base/VXLPtrArray.h"
#include "engine/core/base/VXLString.h"
#include "engine/core/base/VXLStringArray.h"

#include <cstdint>

class CScenarioClientFace;
class CScenarioLayout;
class CVXLMenuItemElement;
class CVXLTextPair;

// Picks one part out of the scenario configuration file as an XML reader
// walks it, for the Scenario Manager: the configuration (into the Client's
// settings and menu links), one level of the destination tree (into menu
// entries it owns) or one scenario's definition (into a CScenarioLayout).
// After each callback the owner asks whether the pass failed or wants the
// reading stopped; once either holds, the parser takes nothing more.
//
// A start tag's attributes are applied once the tag is complete, in a fixed
// order ("id" first, then "lev", then the media links), so the model does
// not depend on the order in which the file writes them.
class CScenarioFileParser : public CVXLObject {
public:
    enum Pass : std::int32_t {
        kPassNone = 0,
        kPassConfiguration = 1,
        kPassDestinations = 2,
        kPassScenario = 3,
    };

    // Elements nested deeper fail the pass.
    static constexpr std::uint32_t kMaxDepth = 32;
    // Menu links beyond this many are dropped (and logged).
    static constexpr std::uint32_t kMaxMenuLinks = 256;
    // Configuration items the configuration pass may set.
    static constexpr std::uint32_t kConfigItems = 3;

    CScenarioFileParser();
    ~CScenarioFileParser() override;
    CScenarioFileParser(const CScenarioFileParser&) = delete;
    CScenarioFileParser& operator=(const CScenarioFileParser&) = delete;

    void setClient(CScenarioClientFace* client) { client_ = client; }

    // Each pass starts afresh. The destinations pass deletes the entries of
    // the one before; the scenario pass fills the definition, which stays
    // the caller's.
    void beginConfiguration();
    void beginDestinations(const CVXLString& categoryId);
    void beginScenario(const CVXLString& scenarioId, CScenarioLayout* definition);
    // Ends the pass; an entry or link still being read is dropped, and so
    // is a configuration not applied.
    void end();
    // Hands the configuration read to the Client (the menu links replace
    // the ones it has) when its element ended; false, changing nothing,
    // for a configuration cut short.
    bool applyConfiguration();

    void element(const CVXLString& name, bool start);
    void text(const CVXLString& text);
    void attribute(const CVXLString& name, const CVXLString& value);

    std::int32_t pass() const { return pass_; }
    bool failed() const { return failed_; }
    bool stopWanted() const { return stopWanted_; }
    // The scenario pass found the scenario asked for.
    bool matched() const { return matched_; }
    // CVXLMenuItemElement entries of the last destinations pass.
    const CVXLPtrArray& entries() const { return entries_; }

private:
    // Which element the reader is inside.
    enum ParseState : std::int32_t {
        kStateNone = 0,
        kStateConfig = 1,
        kStateCategory = 2,
        kStateDestination = 3,
        kStateEntryName = 4,
        kStateEntryDescription = 5,
        kStateScenario = 6,
        kStateError = 7,
        kStateField = 8,
        kStateLayout = 9,
        kStateFieldError = 10,
        kStateCaption = 11,
        kStateData = 12,
        kStateValue = 13,
        kStateLeftKey = 14,
        kStateRightKey = 15,
        kStateRightLabel = 16,
        kStateLeftLabel = 17,
        kStateRightAction = 18,
        kStateLeftAction = 19,
        kStateRightActionTrue = 20,
        kStateRightActionFalse = 21,
        kStateLeftActionTrue = 22,
        kStateLeftActionFalse = 23,
        kStateRightRule = 24,
        kStateLeftRule = 25,
        kStateRightCaptionTrue = 26,
        kStateLeftCaptionTrue = 27,
        kStateRightCaptionFalse = 28,
        kStateLeftCaptionFalse = 29,
        kStateMenuUrls = 30,
        kStateUrl = 31,
        kStateFieldName = 32,
        kStateScenarioConfig = 33,
        kStateWait = 34,
        kStateHelpUrl = 36,
        kStateAttributes = 37,
        kStateAttribute = 38,
    };

    // Where the destinations pass is in the flat tree.
    enum CollectState : std::int32_t {
        kCollectSearching = 0,
        kCollectInside = 1,
        kCollectCategory = 2,
        kCollectDestination = 3,
        kCollectPast = 4,
    };

    void begin(std::int32_t pass);
    bool takesInput() const { return pass_ != kPassNone && !failed_ && !stopWanted_; }
    void fail() { failed_ = true; }
    void dropWork();
    void deleteEntries();

    void flushTag();
    void applyAttribute(const CVXLString& name, const CVXLString& value);
    void setState(std::int32_t state);
    std::int32_t parentState() const;

    void configurationStart(const CVXLString& name);
    void configurationAttribute(const CVXLString& name, const CVXLString& value);
    void configurationText(const CVXLString& text);
    void configurationEnd(const CVXLString& name);

    void destinationStart(const CVXLString& name);
    void destinationAttribute(const CVXLString& name, const CVXLString& value);
    void destinationLevel(std::int32_t level);
    void createEntry();
    void destinationText(const CVXLString& text);
    void destinationEnd(const CVXLString& name);

    void scenarioStart(const CVXLString& name);
    // The next state of a soft-key element ("t", "f", "action", "rule") inside
    // the element whose state is `from`; kStateNone where it is not allowed.
    static std::int32_t softKeyState(const CVXLString& name, std::int32_t from);
    bool softKeyTransition(const CVXLString& name);
    void scenarioAttribute(const CVXLString& name, const CVXLString& value);
    void scenarioText(const CVXLString& text);
    void scenarioEnd(const CVXLString& name);

    CScenarioClientFace* client_ = nullptr;
    std::int32_t pass_ = kPassNone;
    bool failed_ = false;
    bool stopWanted_ = false;

    // The parse state of each open element. An element the pass does not
    // know keeps its parent's state, and each end tag gives the parent's
    // state back, so a soft key's parts and a layout's caption and name may
    // come in any order. Text and attributes count only for the element
    // that set the state itself (ownState_), not for unknown ones inside it.
    std::int32_t parseState_ = 0;
    std::int32_t stateStack_[kMaxDepth + 1] = {};
    bool ownState_[kMaxDepth + 1] = {};
    std::uint32_t depth_ = 0;
    bool tagIgnored_ = false;

    // The start tag whose attributes are still arriving.
    bool tagPending_ = false;
    CVXLString tagName_;
    CVXLStringArray tagAttributeNames_;
    CVXLStringArray tagAttributeValues_;

    // Destinations.
    CVXLPtrArray entries_;
    // The entry being collected; owned until it is appended.
    CVXLMenuItemElement* currentEntry_ = nullptr;
    // Depth of the element that created the current entry.
    std::uint32_t entryDepth_ = 0;
    bool entryFromThisTag_ = false;
    CVXLString categoryId_;
    CVXLString currentId_;
    bool currentIsCategory_ = false;
    std::int32_t collectState_ = 0;
    // Wider than a level: the children of a category at the largest level lie one below it.
    std::int64_t level_ = 0;

    // Scenario.
    CVXLString scenarioId_;
    CScenarioLayout* definition_ = nullptr;
    bool matched_ = false;
    // Depth of the matched scenario element.
    std::uint32_t scenarioDepth_ = 0;

    // Configuration, held until the whole element was read.
    // The menu link being read; owned until it joins links_.
    CVXLTextPair* currentLink_ = nullptr;
    CVXLPtrArray links_; // CVXLTextPair, owned
    std::uint32_t droppedLinks_ = 0;
    bool configEnded_ = false;
    bool hasLanguage_ = false;
    CVXLString language_;
    bool hasLimit_[kConfigItems] = {};
    CVXLString limits_[kConfigItems];
    CVXLString releaseText_;
    CVXLString attributeName_;
};
