#pragma once

#include "engine/core/base/VXLString.h"
#include "engine/core/jobs/VXLEvent.h"

#include <cstdint>

class CVXLEventHandler;

// Connect request to the network dialer (code 4, reply 4): the reply carries
// the connection that serves the requester until its close request.
class CVXLConnectRequest : public CVXLEvent {
public:
    static constexpr std::int32_t kCode = 4;
    CVXLConnectRequest()
        : CVXLEvent(kCode, kReplyNetConnect)
    {
    }
    std::uint32_t address = 0; // network byte order
    std::uint16_t port = 0;
    CVXLString hostName;
    CVXLEventHandler* connection = nullptr; // the connection's job face
};
