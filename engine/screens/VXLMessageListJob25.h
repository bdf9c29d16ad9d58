#pragma once

#include "engine/screens/VXLMessageListJob.h"

// The sent messages (the relay's sent folder).
class CVXLMessageListJob25 : public CVXLMessageListJob {
public:
    static constexpr int kTypeId = 25;

    CVXLMessageListJob25()
        : CVXLMessageListJob(kTypeId, 1, 2)
    {
    }
    CVXLUiJob* newInstance() const override { return new CVXLMessageListJob25; }
};
