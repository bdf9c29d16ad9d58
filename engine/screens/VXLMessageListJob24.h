#pragma once

#include "engine/screens/VXLMessageListJob.h"

// The saved messages (the relay's personal folder).
class CVXLMessageListJob24 : public CVXLMessageListJob {
public:
    static constexpr int kTypeId = 24;

    CVXLMessageListJob24()
        : CVXLMessageListJob(kTypeId, 2, 1)
    {
    }
    CVXLUiJob* newInstance() const override { return new CVXLMessageListJob24; }
};
