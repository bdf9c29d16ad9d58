#pragma once

#include "engine/screens/VXLMessageViewJob.h"

// A premium message; its requests go to the premium inbox.
class CVXLMessageViewJob32 : public CVXLMessageViewJob {
public:
    static constexpr int kTypeId = 32;
    static constexpr std::uint32_t kLocation = 4;

    CVXLMessageViewJob32()
        : CVXLMessageViewJob(kTypeId, kLocation, kStates, kLastCommands)
    {
    }
    CVXLUiJob* newInstance() const override { return new CVXLMessageViewJob32; }

private:
    // The layout state by entry mode 0, 1 and 2.
    static constexpr std::uint32_t kStates[3] = {8, 8, 8};
    static constexpr Command kLastCommands[2]
        = {{kLayoutActionBack, kSignalKeyBack}, {kLayoutActionExit, kSignalKeyExit}};
};
