#pragma once

#include "engine/core/base/VXLByteBuffer.h"
#include "engine/core/base/VXLObject.h"
#include "engine/core/base/VXLString.h"

#include <cstdint>

// Writes XML text into a byte buffer as elements are opened, given
// attributes and text, and closed. Child elements are indented by one space
// per level and every element ends with a line feed.
//
// Names are written as given. Values and text are escaped: the five markup
// characters become entities, and control bytes XML cannot hold (below 0x20
// other than tab, line feed and carriage return) are dropped.
class CVXLXmlWriter : public CVXLObject {
public:
    CVXLXmlWriter();
    ~CVXLXmlWriter() override;

    // Empties the output and forgets every open element.
    virtual void reset();

    void startElement(const CVXLString& name);
    // Only while the innermost element's start tag is still open; ignored
    // otherwise, so that it never lands inside content.
    void attribute(const CVXLString& name, const CVXLString& value);
    // Ignored when no element is open.
    void text(const CVXLString& text);
    // Ignored when no element is open.
    void endElement();

    // The text written so far, without a terminating NUL.
    const CVXLByteBuffer& output() const { return output_; }
    std::uint32_t depth() const { return depth_; }

private:
    enum ElementState : std::uint32_t {
        kStartTagOpen = 0,
        kHasChildren = 1,
        kHasText = 2,
    };
    struct Record {
        std::uint32_t nameOffset;
        std::uint32_t state;
    };

    void escape(const CVXLString& text);
    void write(const char* text);
    void indent(std::uint32_t levels);
    Record innermost() const;
    void setInnermostState(ElementState state);
    void popElement();

    CVXLByteBuffer output_;
    std::uint32_t depth_ = 0;
    // The names of the open elements, one after another; records point into
    // it. Closing an element truncates both in place, so that writing stays
    // linear however many elements a document has.
    CVXLByteBuffer names_;
    CVXLByteBuffer records_;
};
