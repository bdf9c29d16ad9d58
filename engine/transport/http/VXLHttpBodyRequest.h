#pragma once

#include "engine/core/base/VXLByteBuffer.h"
#include "engine/core/jobs/VXLEvent.h"

#include <cstdint>

// Asks the requester for the next part of a POST body (0x8000062, answered
// with 9 and the part).
class CVXLHttpBodyRequest : public CVXLEvent {
public:
    static constexpr std::int32_t kCode = kEventHttpBodyRequest;
    static constexpr std::int32_t kReply = kReplyHttpBodyRequest;
    CVXLHttpBodyRequest()
        : CVXLEvent(kCode, kReply)
    {
    }
    void reset()
    {
        remaining = 0;
        part = nullptr;
    }
    std::uint32_t remaining = 0;
    CVXLByteBuffer* part = nullptr;
};
