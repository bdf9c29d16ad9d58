#include "engine/transport/mime/VXLBase64Decoder.h"

namespace {

int sextet(std::uint8_t c)
{
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+')
        return 62;
    if (c == '/')
        return 63;
    return -1;
}

} // namespace

void CVXLBase64Decoder::reset()
{
    bits_ = 0;
    count_ = 0;
}

bool CVXLBase64Decoder::feed(const std::uint8_t* text, std::uint32_t length, CVXLByteBuffer& out)
{
    std::uint8_t chunk[192];
    std::uint32_t held = 0;
    for (std::uint32_t i = 0; i < length; ++i) {
        if (text[i] == '=') {
            if ((held != 0 && !out.append(chunk, held)) || !finish(out))
                return false;
            held = 0;
            continue;
        }
        const int value = sextet(text[i]);
        if (value < 0)
            continue;
        bits_ = (bits_ << 6) | static_cast<std::uint32_t>(value);
        if (++count_ < 4)
            continue;
        chunk[held++] = static_cast<std::uint8_t>(bits_ >> 16);
        chunk[held++] = static_cast<std::uint8_t>(bits_ >> 8);
        chunk[held++] = static_cast<std::uint8_t>(bits_);
        reset();
        if (held == sizeof chunk) {
            if (!out.append(chunk, held))
                return false;
            held = 0;
        }
    }
    return held == 0 || out.append(chunk, held);
}

bool CVXLBase64Decoder::finish(CVXLByteBuffer& out)
{
    std::uint8_t tail[2];
    std::uint32_t n = 0;
    if (count_ == 2) {
        tail[n++] = static_cast<std::uint8_t>(bits_ >> 4);
    } else if (count_ == 3) {
        tail[n++] = static_cast<std::uint8_t>(bits_ >> 10);
        tail[n++] = static_cast<std::uint8_t>(bits_ >> 2);
    }
    reset();
    return n == 0 || out.append(tail, n);
}
