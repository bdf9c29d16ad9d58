#pragma once

#include <cstdint>

// Result codes of the network layer and the HTTP transport, also stored as
// the Client's error code. Succeeded (0) and cancelled (24) are the event
// framework's own (CVXLEventResult).
enum CVXLNetResult : std::int32_t {
    kNetConnectFailed = 12,
    kNetHttpStatus = 50,       // an HTTP status outside 200..299
    kNetMalformed = 60,        // unusable URL or malformed response
    kNetMissingLength = 61,    // no body length, or an empty request-body part
    kNetTimedOut = 65,
    kNetDataTrafficOff = 90,
};
