#pragma once

#include "engine/core/base/VXLPtrArray.h"
#include "engine/core/base/VXLString.h"
#include "engine/core/text/VXLRegex.h"
#include "engine/core/xml/VXLXmlReader.h"

#include <cstdint>

class CVXLSmilMedia;
class CVXLSmilNode;
class CVXLSmilPresentation;
class CVXLSmilRegion;

// Reads a message's SMIL part into a presentation, keeping only what the
// message view shows: regions, the "par" and "seq" nodes with their
// durations, the media elements with their params. Element names compare
// exactly; every other element and attribute is passed over.
//
// The text comes from the network. What does not fit the model is dropped
// rather than trusted: a medium outside any "par" or "seq" belongs to no
// slide and is deleted, an end tag or attribute with nothing open for it
// changes nothing, and what is still open when the text ends (malformed, or
// cut short) is deleted with the parser. A document that is not well formed
// keeps what was read before the reader stopped.
class CVXLSmilParser : public CVXLXmlReader {
public:
    enum State : std::uint8_t {
        kNone = 0,
        kRegion = 1,
        kPar = 2,
        kSeq = 3,
        kAudio = 4,
        kImg = 5,
        kVideo = 6,
        kText = 7,
        kAnimation = 8,
        kTextStream = 9,
        kRef = 10,
        kParam = 11,
    };

    CVXLSmilParser();
    ~CVXLSmilParser() override;

    // Reads the whole text into the presentation, which the caller cleared;
    // answers 1. The presentation has slides when the text held any.
    int parse(const CVXLString& text, CVXLSmilPresentation& presentation);
    int parse(const char* text, std::uint32_t length, CVXLSmilPresentation& presentation);

    void reset() override;
    void onElement(const CVXLString& name, bool start) override;
    void onAttribute(const CVXLString& name, const CVXLString& value) override;
    void onText(const CVXLString&) override { }

    // The value rules: a time in milliseconds ("5000ms", "5s"; 0 without
    // digits), a percentage ("50%", or the leading digits), and a region's
    // edge, which a value in pixels sets to `pixelValue`.
    static std::int32_t timeOf(const CVXLString& text);
    static std::int32_t percentOf(const CVXLString& text);
    static std::int32_t edgeOf(const CVXLString& text, std::int32_t pixelValue);

    State state() const { return state_; }

private:
    struct Patterns {
        Patterns();
        CVXLRegex milliseconds;
        CVXLRegex seconds;
        CVXLRegex percent;
        CVXLRegex pixels;
    };
    static std::int32_t timeOf(const CVXLString& text, Patterns& patterns);
    static std::int32_t percentOf(const CVXLString& text, Patterns& patterns);
    static std::int32_t edgeOf(const CVXLString& text, std::int32_t pixelValue, Patterns& patterns);

    void startRegion();
    void startNode(bool sequence);
    void startMedia(State state, std::int32_t kind);
    void endMedia();
    void endNode();
    void endRegion();
    void regionAttribute(const CVXLString& name, const CVXLString& value);
    void mediaAttribute(const CVXLString& name, const CVXLString& value);
    // Deletes whatever was opened and not finished.
    void dropOpen();

    CVXLSmilPresentation* target_ = nullptr;
    CVXLSmilRegion* region_ = nullptr;
    CVXLSmilMedia* media_ = nullptr;
    CVXLSmilNode* node_ = nullptr;
    // The open containers around the current one, innermost last.
    CVXLPtrArray open_;
    CVXLString paramName_;
    Patterns patterns_;
    std::int32_t visualCount_ = 0;
    State state_ = kNone;
};
