#pragma once

#include "engine/core/base/VXLByteBuffer.h"
#include "engine/core/jobs/VXLEvent.h"

#include <cstdint>

// Body data handed to the HTTP requester (0x8000063, answered with 8).
class CVXLHttpBodyData : public CVXLEvent {
public:
    static constexpr std::int32_t kCode = kEventHttpBodyData;
    static constexpr std::int32_t kReply = kReplyHttpBodyData;
    CVXLHttpBodyData()
        : CVXLEvent(kCode, kReply)
    {
    }
    void reset()
    {
        remaining = 0;
        delivered = 0;
        sink = nullptr;
        finalPart = false;
        lengthKnown = false;
    }
    std::uint32_t remaining = 0;
    std::uint32_t delivered = 0;
    CVXLByteBuffer* sink = nullptr;
    bool finalPart = false;
    bool lengthKnown = false;
};
