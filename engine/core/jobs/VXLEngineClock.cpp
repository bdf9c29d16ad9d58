#include "engine/core/jobs/VXLEngineClock.h"

namespace {

CVXLEngineClock* gCurrent = nullptr;

CVXLEngineClock& fallbackClock()
{
    static CVXLEngineClock clock;
    return clock;
}

} // namespace

CVXLEngineClock::~CVXLEngineClock()
{
    if (gCurrent == this)
        gCurrent = nullptr;
}

CVXLEngineClock* CVXLEngineClock::current()
{
    return gCurrent ? gCurrent : &fallbackClock();
}

void CVXLEngineClock::setCurrent(CVXLEngineClock* clock)
{
    gCurrent = clock;
}
