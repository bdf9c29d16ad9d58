#pragma once

#include "engine/core/base/VXLByteBuffer.h"
#include "engine/core/jobs/VXLEvent.h"

#include <cstdint>

// Asks the push-to-file adapter to append a buffer's bytes to its open file;
// the adapter empties the buffer. The expected total is -1 when unknown.
class CVXLPushWriteRequest : public CVXLEvent {
public:
    static constexpr std::int32_t kCode = kEventPushWrite;
    static constexpr std::int32_t kReply = kReplyPushWrite;

    CVXLPushWriteRequest()
        : CVXLEvent(kCode, kReply)
    {
    }

    CVXLByteBuffer* buffer = nullptr;
    std::int32_t expectedTotal = -1;
};
