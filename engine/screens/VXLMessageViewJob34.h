#pragma once

#include "engine/screens/VXLMessageViewJob.h"

// A message in the relay's sent folder.
class CVXLMessageViewJob34 : public CVXLMessageViewJob {
public:
    static constexpr int kTypeId = 34;
    static constexpr std::uint32_t kLocation = 1;

    CVXLMessageViewJob34()
        : CVXLMessageViewJob(kTypeId, kLocation, kStates, kLastCommands)
    {
    }
    CVXLUiJob* newInstance() const override { return new CVXLMessageViewJob34; }

private:
    // The layout state by entry mode 0, 1 and 2.
    static constexpr std::uint32_t kStates[3] = {1, 15, 12};
    static constexpr Command kLastCommands[2]
        = {{kLayoutActionBack, kSignalKeyBack}, {kLayoutActionExit, kSignalKeyExit}};
};
