#pragma once

#include "engine/core/base/VXLByteBuffer.h"
#include "engine/core/jobs/VXLEvent.h"

#include <cstdint>

// Receive request to a connection (code 4, reply 5).
class CVXLReceiveRequest : public CVXLEvent {
public:
    static constexpr std::int32_t kCode = 4;
    static constexpr std::int32_t kReply = kReplyNetReceive;
    CVXLReceiveRequest()
        : CVXLEvent(kCode, kReply)
    {
    }
    std::uint32_t wanted = 0;
    std::uint32_t received = 0;
    CVXLByteBuffer* buffer = nullptr;
};
