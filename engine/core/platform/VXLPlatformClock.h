#pragma once

#include "engine/core/base/VXLObject.h"

#include <cstdint>

// The engine's clock: calendar seconds and the millisecond tick.
class CVXLPlatformClock : public CVXLObject {
public:
    // UTC seconds since 1970-01-01 00:00.
    virtual std::uint32_t seconds();
    // Monotonic milliseconds, wrapping at 32 bits.
    virtual std::uint32_t tickCount();
    ~CVXLPlatformClock() override = default;
};
