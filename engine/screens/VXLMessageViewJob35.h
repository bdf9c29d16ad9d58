#pragma once

#include "engine/screens/VXLMessageViewJob.h"

// A message opened from its thread.
class CVXLMessageViewJob35 : public CVXLMessageViewJob {
public:
    static constexpr int kTypeId = 35;
    static constexpr std::uint32_t kLocation = 0;

    CVXLMessageViewJob35()
        : CVXLMessageViewJob(kTypeId, kLocation, kStates, kLastCommands)
    {
    }
    CVXLUiJob* newInstance() const override { return new CVXLMessageViewJob35; }

private:
    // The layout state by entry mode 0, 1 and 2.
    static constexpr std::uint32_t kStates[3] = {0, 14, 11};
    static constexpr Command kLastCommands[2]
        = {{0x89, kSignalViewMedia}, {kLayoutActionBack, kSignalKeyBack}};
};
