#pragma once

#include "engine/screens/VXLMessageListJob.h"

// The premium inbox's current group.
class CVXLMessageListJob23 : public CVXLMessageListJob {
public:
    static constexpr int kTypeId = 23;

    CVXLMessageListJob23()
        : CVXLMessageListJob(kTypeId, 4, 4)
    {
    }
    CVXLUiJob* newInstance() const override { return new CVXLMessageListJob23; }
};
