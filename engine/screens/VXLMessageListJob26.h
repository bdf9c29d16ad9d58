#pragma once

#include "engine/screens/VXLMessageListJob.h"

// The messages of the thread in "thread_id", the newest first in view.
class CVXLMessageListJob26 : public CVXLMessageListJob {
public:
    static constexpr int kTypeId = 26;

    CVXLMessageListJob26()
        : CVXLMessageListJob(kTypeId, 0, 5)
    {
    }
    CVXLUiJob* newInstance() const override { return new CVXLMessageListJob26; }
};
