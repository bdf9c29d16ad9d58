#pragma once

#include "engine/core/base/VXLElement.h"
#include "engine/core/base/VXLString.h"

#include <cstdint>

// A read-only text on a screen.
class CVXLDisplayTextElement : public CVXLElement {
public:
    static constexpr std::uint32_t kElementType = 15;

    CVXLDisplayTextElement() = default;

    std::uint32_t elementType() const override { return kElementType; }
    CVXLDisplayTextElement* asDisplayText() override
    {
        return elementType() == kElementType ? this : nullptr;
    }
    const CVXLString& text() const { return text_; }
    void setRecordText(const CVXLString& text) { text_ = text; }

private:
    CVXLString text_;
};
