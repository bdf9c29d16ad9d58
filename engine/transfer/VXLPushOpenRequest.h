#pragma once

#include "engine/core/base/VXLString.h"
#include "engine/core/jobs/VXLEvent.h"

#include <cstdint>

// Asks the push-to-file adapter to open a file for writing (6, answered
// with 24): the file name and the number of bytes expected, -1 when unknown.
class CVXLPushOpenRequest : public CVXLEvent {
public:
    static constexpr std::int32_t kCode = 6;
    static constexpr std::int32_t kReply = kReplyPushOpen;

    CVXLPushOpenRequest()
        : CVXLEvent(kCode, kReply)
    {
    }

    CVXLString fileName;
    std::int32_t expectedTotal = -1;
};
