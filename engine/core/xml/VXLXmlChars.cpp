#include "engine/core/xml/VXLXmlChars.h"

namespace {

int digitValue(char c, int radix)
{
    int v = -1;
    if (c >= '0' && c <= '9')
        v = c - '0';
    else if (c >= 'a' && c <= 'f')
        v = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
        v = c - 'A' + 10;
    return v < radix ? v : -1;
}

} // namespace

bool CVXLXmlChars::isXmlChar(std::uint32_t cp)
{
    return cp == 0x9 || cp == 0xA || cp == 0xD || (cp >= 0x20 && cp <= 0xD7FF)
        || (cp >= 0xE000 && cp <= 0xFFFD) || (cp >= 0x10000 && cp <= kMaxCodePoint);
}

long CVXLXmlChars::numericReference(const char* s, std::uint32_t n)
{
    if (n < 2 || s[0] != '#')
        return -1;
    int radix = 10;
    std::uint32_t i = 1;
    if (s[1] == 'x') {
        radix = 16;
        i = 2;
        if (n < 3)
            return -1;
    }
    long value = 0;
    for (; i < n; ++i) {
        const int d = digitValue(s[i], radix);
        if (d < 0)
            return -1;
        value = value * radix + d;
        if (value > static_cast<long>(kMaxCodePoint))
            value = kMaxCodePoint + 1; // too large; keep scanning for a bad digit
    }
    return value;
}

std::uint32_t CVXLXmlChars::encodeUtf8(std::uint32_t cp, char* out)
{
    if (cp < 0x80) {
        out[0] = static_cast<char>(cp);
        return 1;
    }
    if (cp < 0x800) {
        out[0] = static_cast<char>(0xC0 | (cp >> 6));
        out[1] = static_cast<char>(0x80 | (cp & 0x3F));
        return 2;
    }
    if (cp < 0x10000) {
        out[0] = static_cast<char>(0xE0 | (cp >> 12));
        out[1] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out[2] = static_cast<char>(0x80 | (cp & 0x3F));
        return 3;
    }
    out[0] = static_cast<char>(0xF0 | (cp >> 18));
    out[1] = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out[2] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out[3] = static_cast<char>(0x80 | (cp & 0x3F));
    return 4;
}
