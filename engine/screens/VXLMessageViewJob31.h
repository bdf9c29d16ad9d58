#pragma once

#include "engine/screens/VXLMessageViewJob.h"

// An inbox message opened from the inbox list or a notice; the layout
// starts in its first state whatever the entry mode.
class CVXLMessageViewJob31 : public CVXLMessageViewJob {
public:
    static constexpr int kTypeId = 31;
    static constexpr std::uint32_t kLocation = 0;

    CVXLMessageViewJob31()
        : CVXLMessageViewJob(kTypeId, kLocation, kStates, kLastCommands)
    {
    }
    CVXLUiJob* newInstance() const override { return new CVXLMessageViewJob31; }

private:
    // The layout state by entry mode 0, 1 and 2.
    static constexpr std::uint32_t kStates[3] = {0, 0, 0};
    static constexpr Command kLastCommands[2]
        = {{0x89, kSignalViewMedia}, {kLayoutActionBack, kSignalKeyBack}};
};
