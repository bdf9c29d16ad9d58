#pragma once

#include "engine/core/jobs/VXLFlagEvent.h"

#include <cstdint>

// An activity on the media of one storage area (browse or delete media).
class CMediaAccessEvent : public CVXLFlagEvent {
public:
    explicit CMediaAccessEvent(std::int32_t code = kEventNone)
        : CVXLFlagEvent(code)
    {
    }

    std::uint16_t value() const { return value_; }
    void setValue(std::uint16_t value) { value_ = value; }

private:
    std::uint16_t value_ = 0;
};
