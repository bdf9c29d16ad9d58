#include "engine/core/VXLPlatformClock.h"

#include "engine/core/VXLPlatform.h"

std::uint32_t CVXLPlatformClock::seconds()
{
    return platformClockSeconds();
}

std::uint32_t CVXLPlatformClock::tickCount()
{
    return platformTickCount();
}
