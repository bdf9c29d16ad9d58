#pragma once

#include "engine/core/base/VXLString.h"
#include "engine/media/VXLMediaRefHandle.h"
#include "engine/screens/VXLFieldElement.h"
#include "engine/screens/VXLLayout.h"

#include <cstdint>

class CScenarioField;
class CScenarioLabel;
class CScenarioLayout;
class CVXLAlbum;
class CVXLContactListElement;
class CVXLMediaListElement;

// What the current field's label lets the user do.
enum CVXLFieldActionState : std::uint32_t {
    kFieldStateContinue = 0,
    kFieldStateCancel = 1,
    kFieldStateModify = 2,
    kFieldStateClear = 4,
    kFieldStateChange = 5,
    kFieldStateAdd = 6,
    kFieldStateView = 7,
    kFieldStateNone = 8,
};

// The compose screen (type 12). It turns one scenario definition into at most
// 16 field slots, each holding the element the window edits: text inputs,
// read-only texts, the Client's global recipient list, media lists filled
// from the Media Access Manager's selection, the audio annotation, an album.
// The soft keys of the focused field, and whether Continue and Modify are
// allowed, follow from its labels' rules; validate checks the values against
// the fields' limits; Update and Continue write the input back into the
// definition.
class CVXLLayoutMessageComposer : public CVXLLayout {
public:
    static constexpr std::uint32_t kMaxSlots = 16;
    // Media list kinds.
    static constexpr std::int32_t kListImages = 0;
    static constexpr std::int32_t kListVideos = 1;
    static constexpr std::int32_t kListMixed = 2;
    // currentFieldKind.
    static constexpr std::int32_t kKindOther = 0;
    static constexpr std::int32_t kKindVideoList = 1;
    static constexpr std::int32_t kKindImageList = 2;
    static constexpr std::int32_t kKindContacts = 3;
    static constexpr std::int32_t kKindAlbum = 4;
    static constexpr std::int32_t kKindMixedList = 5;
    // Input modes of a text field.
    static constexpr std::uint32_t kInputModeEmail = 0;
    static constexpr std::uint32_t kInputModeUrl = 1;
    static constexpr std::uint32_t kInputModePhone = 2;
    static constexpr std::uint32_t kInputModeNumber = 3;
    static constexpr std::uint32_t kInputModeDecimal = 5;
    // The value stack of a rule.
    static constexpr std::uint32_t kRuleStackDepth = 32;

    CVXLLayoutMessageComposer();
    ~CVXLLayoutMessageComposer() override;

    // Builds the slots from the definition, which must outlive the layout's
    // use of it (the fields' values are written back into it).
    void build(CScenarioLayout* scenario);
    // Builds the current slot's value element again from its field.
    void rebuildCurrentField();

    CVXLFieldElement* getField(std::uint32_t index);
    std::uint32_t fieldCount() const { return slotCount_; }
    // The slot of a scenario field, -1 when it has none.
    std::int32_t slotOfField(std::int32_t fieldIndex) const;
    CScenarioLayout* scenario() const { return scenario_; }

    CVXLElement* currentFieldSlot() const;
    std::int32_t currentFieldKind() const;
    CVXLString labelText() const;
    CVXLString errorLabelText() const;
    std::uint32_t labelState() const;
    std::uint32_t errorLabelState() const;

    // True when the rule holds on the current values (see the source).
    bool evaluateRule(const char* rule) const;
    // The value a rule and validate compare: a count of entries or items, a
    // length of text, 1 or 0 for the album and the audio annotation.
    std::int32_t fieldValue(std::uint32_t slot) const;
    bool validate(bool mediaOnly) const;

    // A non-empty link makes (or keeps) the media reference, typed by
    // `mimeType`; an empty one drops it.
    void setMediaLink(const CVXLString& link, const CVXLString& mimeType);
    const CVXLString& mediaLink() const { return mediaLink_; }
    const CVXLMediaRefHandle& mediaRef() const { return mediaRef_; }

    bool isPrepared() const { return prepared_ != 0; }
    std::uint32_t preparedFlag() const { return prepared_; }
    bool hasHelp() const { return helpFlag_ != 0; }
    // The recorded audio annotation taken from the audio element.
    CVXLObject* audio() const { return audio_; }
    // Hands the audio object over: the caller owns it.
    CVXLObject* takeAudio();
    // Takes an audio object back (one held before is deleted).
    void restoreAudio(CVXLObject* audio);
    // Not owned.
    CVXLAlbum* album() const { return album_; }
    void setAlbum(CVXLAlbum* album) { album_ = album; }
    CVXLMediaListElement* videoList() const { return videoList_; }
    CVXLMediaListElement* imageList() const { return imageList_; }
    CVXLMediaListElement* mixedList() const { return mixedList_; }

    CVXLString getTitle() const override { return title_; }
    int submitAction(std::uint32_t eventId) override;
    bool canSubmitAction(std::uint32_t eventId) const override;
    bool prepare() override;
    void detachView() override;
    const CVXLLayoutCommandRow* getCommandTable() const override;
    std::uint32_t getCommandCount() const override;

private:
    // Empties every slot and lets go of the audio object.
    void clearSlots();
    // The value element of a visible field, made into the slot; false when
    // the field takes no slot.
    bool makeValue(std::uint32_t slot, const CScenarioField& field);
    CVXLMediaListElement* buildMediaList(std::uint32_t slot, const CScenarioField& field, std::int32_t kind);
    bool acceptsMedia(const CVXLString& mimeType, std::int32_t kind, const CScenarioField& field) const;
    // The slot's value element lost: forget the lists it may have been.
    void forgetValue(const CVXLElement* value);
    const CVXLFieldElement* currentSlot() const;
    // The field's label (right soft key) or error label (left soft key)
    // chosen by its rule: its caption and its mapped state.
    void chooseLabel(bool error, CVXLString* caption, std::uint32_t* state) const;
    void commitCurrentField();

    CVXLFieldElement* mixedSlot_ = nullptr;
    CVXLFieldElement slots_[kMaxSlots];
    std::int32_t fieldMap_[kMaxSlots];
    std::uint32_t slotCount_ = 0;
    CScenarioLayout* scenario_ = nullptr;
    CVXLString title_;
    CVXLMediaRefHandle mediaRef_;
    CVXLString mediaLink_;
    std::uint32_t prepared_ = 1;
    CVXLObject* audio_ = nullptr;
    CVXLAlbum* album_ = nullptr;
    CVXLMediaListElement* videoList_ = nullptr;
    CVXLMediaListElement* imageList_ = nullptr;
    CVXLMediaListElement* mixedList_ = nullptr;
    std::uint8_t helpFlag_ = 0;
    std::uint8_t scenarioFlag_ = 0;
};
