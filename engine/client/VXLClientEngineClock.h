#pragma once

#include "engine/core/jobs/VXLEngineClock.h"

#include <cstdint>

class CVXLClient;

// The engine clock that the job framework reads; it also tells the
// Client of posts made between ticks.
class CVXLClientEngineClock : public CVXLEngineClock {
public:
    explicit CVXLClientEngineClock(CVXLClient* client)
        : client_(client)
    {
    }
    void postedOutsideTick() override;

private:
    CVXLClient* client_;
};
