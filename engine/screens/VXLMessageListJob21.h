#pragma once

#include "engine/screens/VXLMessageListJob.h"

// The inbox list.
class CVXLMessageListJob21 : public CVXLMessageListJob {
public:
    static constexpr int kTypeId = 21;

    CVXLMessageListJob21()
        : CVXLMessageListJob(kTypeId, 0, 0)
    {
    }
    CVXLUiJob* newInstance() const override { return new CVXLMessageListJob21; }
};
