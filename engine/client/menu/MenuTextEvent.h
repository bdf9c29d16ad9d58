#pragma once

#include "engine/core/base/VXLString.h"
#include "engine/core/jobs/VXLFlagEvent.h"

#include <cstdint>

// An activity that names something by text (the id of a cool site).
class CMenuTextEvent : public CVXLFlagEvent {
public:
    explicit CMenuTextEvent(std::int32_t code = kEventNone)
        : CVXLFlagEvent(code)
    {
    }

    std::uint8_t mark() const { return mark_; }
    const CVXLString& text() const { return text_; }
    void setText(const CVXLString& text) { text_ = text; }

private:
    std::uint8_t mark_ = 1;
    CVXLString text_;
};
