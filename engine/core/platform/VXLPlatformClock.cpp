#include "engine/core/platform/VXLPlatformClock.h"

#include "engine/core/platform/VXLPlatform.h"

std::uint32_t CVXLPlatformClock::seconds()
{
    return platformClockSeconds();
}

std::uint32_t CVXLPlatformClock::tickCount()
{
    return platformTickCount();
}
