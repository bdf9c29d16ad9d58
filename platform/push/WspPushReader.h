#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Reads a connectionless WSP push datagram, as a push arrives over an IP
// bearer: transaction id, PDU type 0x06 (Push), the headers' length as a
// uintvar, the content type and headers, then the pushed data.
namespace tessel::push {

struct WspPush {
    std::uint8_t transactionId = 0;
    // The content type as text; a well-known one is named by its number
    // ("0x3e" for the MMS message type).
    std::string contentType;
    std::size_t bodyOffset = 0;
    std::size_t bodyLength = 0;
};

enum class WspPushStatus {
    Ok,
    TooShort,
    NotAPush,
    BadHeaderLength,
    BadContentType,
};

const char* wspPushStatusText(WspPushStatus status);

// Checks every length against the bytes given; on Ok the body lies at
// bodyOffset within `data`.
WspPushStatus readWspPush(const std::uint8_t* data, std::size_t length, WspPush* out);

// True for the MMS message type, by number (0x3e) or by name.
bool isMmsContentType(const std::string& contentType);

} // namespace tessel::push
