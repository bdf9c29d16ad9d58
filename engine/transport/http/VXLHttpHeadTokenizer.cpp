#include "engine/transport/http/VXLHttpHeadTokenizer.h"

namespace {

constexpr char kStatusPrefix[] = "HTTP/";
constexpr std::uint32_t kStatusPrefixLength = sizeof kStatusPrefix - 1;

bool isControl(std::uint8_t c)
{
    return c < 0x20 || c == 0x7F;
}

bool isTokenChar(std::uint8_t c)
{
    if (isControl(c))
        return false;
    switch (c) {
    case '(': case ')': case '<': case '>': case '@': case ',': case ';': case ':':
    case '\\': case '"': case '/': case '[': case ']': case '?': case '=':
    case '{': case '}': case ' ': case '\t':
        return false;
    default:
        return true;
    }
}

} // namespace

void CVXLHttpHeadTokenizer::reset()
{
    CVXLByteTokenizer::reset();
    type_ = kTokenNone;
}

CVXLHttpHeadTokenizer::TokenType CVXLHttpHeadTokenizer::next()
{
    consume();
    scan();
    return type_;
}

void CVXLHttpHeadTokenizer::scan()
{
    const std::uint32_t n = available();
    const std::uint8_t* b = bytes();
    std::uint32_t length = 0;
    TokenType type = kTokenNone;
    if (n == 0) {
        type = kTokenNone;
    } else if (b[0] == '\n') {
        type = kTokenBlank;
        length = 1;
    } else if (b[0] == '\r') {
        if (n < 2)
            type = kTokenNone;
        else if (b[1] == '\n') {
            type = kTokenBlank;
            length = 2;
        } else
            type = kTokenMalformed;
    } else {
        std::uint32_t i = 0;
        while (i < n && i < kStatusPrefixLength && b[i] == static_cast<std::uint8_t>(kStatusPrefix[i]))
            ++i;
        if (i == kStatusPrefixLength)
            type = scanStatus(&length);
        else if (i == n)
            type = kTokenNone; // a prefix of "HTTP/" so far
        else
            type = scanHeader(&length);
    }
    type_ = type;
    setToken(0, type == kTokenNone || type == kTokenMalformed ? 0 : length);
}

// "HTTP/" then bytes that are not control characters up to CR LF or LF.
CVXLHttpHeadTokenizer::TokenType CVXLHttpHeadTokenizer::scanStatus(std::uint32_t* length) const
{
    const std::uint32_t n = available();
    const std::uint8_t* b = bytes();
    for (std::uint32_t i = kStatusPrefixLength; i < n; ++i) {
        if (i >= kMaxLineLength)
            return kTokenMalformed;
        const std::uint8_t c = b[i];
        if (c == '\n') {
            *length = i + 1;
            return kTokenStatus;
        }
        if (c == '\r') {
            if (i + 1 == n)
                return kTokenNone;
            if (b[i + 1] != '\n')
                return kTokenMalformed;
            *length = i + 2;
            return kTokenStatus;
        }
        if (isControl(c))
            return kTokenMalformed;
    }
    return n >= kMaxLineLength ? kTokenMalformed : kTokenNone;
}

// A token, a colon, a value (possibly empty) and its line end; a line end
// followed by a space or tab continues the value. The line is whole only when
// the byte after its end has been seen and does not continue it.
CVXLHttpHeadTokenizer::TokenType CVXLHttpHeadTokenizer::scanHeader(std::uint32_t* length) const
{
    const std::uint32_t n = available();
    const std::uint8_t* b = bytes();
    std::uint32_t i = 0;
    while (i < n && isTokenChar(b[i]))
        ++i;
    if (i == n)
        return n >= kMaxLineLength ? kTokenMalformed : kTokenNone;
    if (i == 0 || b[i] != ':')
        return kTokenMalformed;
    for (++i; i < n; ++i) {
        if (i >= kMaxLineLength)
            return kTokenMalformed;
        const std::uint8_t c = b[i];
        std::uint32_t end = 0; // index just past the line end
        if (c == '\n') {
            end = i + 1;
        } else if (c == '\r') {
            if (i + 1 == n)
                return kTokenNone;
            if (b[i + 1] != '\n')
                return kTokenMalformed;
            end = i + 2;
        } else if (c == 0) {
            return kTokenMalformed;
        } else {
            continue;
        }
        if (end == n)
            return kTokenNone;
        if (b[end] != ' ' && b[end] != '\t') {
            *length = end;
            return kTokenHeader;
        }
        i = end; // folded: the continuation belongs to the value
    }
    return n >= kMaxLineLength ? kTokenMalformed : kTokenNone;
}
