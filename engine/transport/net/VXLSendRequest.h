#pragma once

#include "engine/core/base/VXLByteBuffer.h"
#include "engine/core/jobs/VXLEvent.h"

#include <cstdint>

// Send request to a connection (code 5, reply 6): the whole buffer is
// offered; the reply names how much was sent.
class CVXLSendRequest : public CVXLEvent {
public:
    static constexpr std::int32_t kCode = 5;
    static constexpr std::int32_t kReply = kReplyNetSend;
    CVXLSendRequest()
        : CVXLEvent(kCode, kReply)
    {
    }
    std::uint32_t sent = 0;
    CVXLByteBuffer* buffer = nullptr;
};
