#pragma once

#include "engine/screens/VXLMessageListJob.h"

// The pending messages: the outbound queue's entries; a failed one may be resent.
class CVXLMessageListJob22 : public CVXLMessageListJob {
public:
    static constexpr int kTypeId = 22;

    CVXLMessageListJob22()
        : CVXLMessageListJob(kTypeId, 3, 3)
    {
    }
    CVXLUiJob* newInstance() const override { return new CVXLMessageListJob22; }
};
