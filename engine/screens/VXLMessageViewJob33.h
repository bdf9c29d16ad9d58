#pragma once

#include "engine/screens/VXLMessageViewJob.h"

// A message in the relay's saved folder.
class CVXLMessageViewJob33 : public CVXLMessageViewJob {
public:
    static constexpr int kTypeId = 33;
    static constexpr std::uint32_t kLocation = 2;

    CVXLMessageViewJob33()
        : CVXLMessageViewJob(kTypeId, kLocation, kStates, kLastCommands)
    {
    }
    CVXLUiJob* newInstance() const override { return new CVXLMessageViewJob33; }

private:
    // The layout state by entry mode 0, 1 and 2.
    static constexpr std::uint32_t kStates[3] = {2, 16, 13};
    static constexpr Command kLastCommands[2]
        = {{kLayoutActionBack, kSignalKeyBack}, {kLayoutActionExit, kSignalKeyExit}};
};
