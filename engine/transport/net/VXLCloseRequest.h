#pragma once

#include "engine/core/jobs/VXLEvent.h"

#include <cstdint>

class CVXLEventHandler;

// Close request to the dialer (code 5, reply 7).
class CVXLCloseRequest : public CVXLEvent {
public:
    static constexpr std::int32_t kCode = 5;
    static constexpr std::int32_t kReply = kReplyNetClose;
    CVXLCloseRequest()
        : CVXLEvent(kCode, kReply)
    {
    }
    CVXLEventHandler* connection = nullptr; // the connection's job face
};
