#include "platform/push/WspPushReader.h"

#include <cstdio>

namespace tessel::push {

namespace {

constexpr std::uint8_t kPduPush = 0x06;
constexpr std::uint8_t kMmsContentType = 0x3e;

// A uintvar of at most five bytes that fits 32 bits; false when cut or too long.
bool readUintvar(const std::uint8_t* data, std::size_t length, std::size_t* at, std::uint32_t* value)
{
    std::uint64_t result = 0;
    for (int n = 0; n < 5; ++n) {
        if (*at >= length)
            return false;
        const std::uint8_t byte = data[(*at)++];
        result = (result << 7) | (byte & 0x7f);
        if (!(byte & 0x80)) {
            if (result > 0xffffffffu)
                return false;
            *value = static_cast<std::uint32_t>(result);
            return true;
        }
    }
    return false;
}

// The media type of a Content-type value within [at, end): a short integer,
// a text string, or a value length followed by either (its parameters are
// skipped).
bool readContentType(const std::uint8_t* data, std::size_t end, std::size_t at, std::string* out)
{
    if (at >= end)
        return false;
    std::uint8_t first = data[at];
    if (first <= 31) {
        std::uint32_t valueLength = first;
        ++at;
        if (first == 31 && !readUintvar(data, end, &at, &valueLength))
            return false;
        if (valueLength == 0 || valueLength > end - at)
            return false;
        end = at + valueLength;
        first = data[at];
    }
    if (first & 0x80) {
        char number[8];
        std::snprintf(number, sizeof number, "0x%02x", first & 0x7f);
        *out = number;
        return true;
    }
    if (first < 32 || first == 127)
        return false;
    std::string text;
    for (; at < end && data[at] != 0; ++at)
        text += static_cast<char>(data[at]);
    if (at >= end)
        return false;
    *out = text;
    return true;
}

} // namespace

const char* wspPushStatusText(WspPushStatus status)
{
    switch (status) {
    case WspPushStatus::Ok:
        return "ok";
    case WspPushStatus::TooShort:
        return "too short";
    case WspPushStatus::NotAPush:
        return "not a push PDU";
    case WspPushStatus::BadHeaderLength:
        return "headers length beyond the datagram";
    case WspPushStatus::BadContentType:
        return "unreadable content type";
    }
    return "?";
}

WspPushStatus readWspPush(const std::uint8_t* data, std::size_t length, WspPush* out)
{
    if (!data || length < 3)
        return WspPushStatus::TooShort;
    if (data[1] != kPduPush)
        return WspPushStatus::NotAPush;
    std::size_t at = 2;
    std::uint32_t headersLength = 0;
    if (!readUintvar(data, length, &at, &headersLength) || headersLength > length - at)
        return WspPushStatus::BadHeaderLength;
    WspPush push;
    push.transactionId = data[0];
    if (!readContentType(data, at + headersLength, at, &push.contentType))
        return WspPushStatus::BadContentType;
    push.bodyOffset = at + headersLength;
    push.bodyLength = length - push.bodyOffset;
    *out = push;
    return WspPushStatus::Ok;
}

bool isMmsContentType(const std::string& contentType)
{
    char number[8];
    std::snprintf(number, sizeof number, "0x%02x", kMmsContentType);
    return contentType == number || contentType == "application/vnd.wap.mms-message";
}

} // namespace tessel::push
