#include "engine/core/jobs/VXLEngineClock.h"

CVXLEngineClock::~CVXLEngineClock() = default;

CVXLEngineClock& CVXLEngineClock::idle()
{
    static CVXLEngineClock clock;
    return clock;
}
