#pragma once

#include "engine/core/jobs/VXLSimpleEvent.h"

#include <cstdint>

// A simple event with two byte flags.
class CVXLFlagEvent : public CVXLSimpleEvent {
public:
    CVXLFlagEvent() = default;
    explicit CVXLFlagEvent(std::int32_t code)
        : CVXLSimpleEvent(code)
    {
    }

    std::uint8_t firstFlag() const { return firstFlag_; }
    void setFirstFlag(std::uint8_t flag) { firstFlag_ = flag; }
    std::uint8_t secondFlag() const { return secondFlag_; }
    void setSecondFlag(std::uint8_t flag) { secondFlag_ = flag; }

private:
    std::uint8_t firstFlag_ = 0;
    std::uint8_t secondFlag_ = 0;
};
