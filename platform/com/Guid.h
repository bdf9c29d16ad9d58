#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The component model's 128-bit identifiers of classes and interfaces.
namespace tessel::com {

struct Guid {
    std::uint32_t data1 = 0;
    std::uint16_t data2 = 0;
    std::uint16_t data3 = 0;
    std::uint8_t data4[8] = {};

    constexpr bool operator==(const Guid&) const = default;
};

// Reads "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" (braces optional, hex digits
// of either case); false, with *guid untouched, for anything else.
constexpr bool parseGuid(std::string_view text, Guid* guid)
{
    if (text.size() == 38) {
        if (text.front() != '{' || text.back() != '}')
            return false;
        text = text.substr(1, 36);
    }
    if (text.size() != 36)
        return false;
    std::uint8_t bytes[16] = {};
    int count = 0;
    for (std::size_t i = 0; i < text.size();) {
        if (i == 8 || i == 13 || i == 18 || i == 23) {
            if (text[i++] != '-')
                return false;
            continue;
        }
        int value = 0;
        for (int half = 0; half < 2; ++half, ++i) {
            const char c = text[i];
            int d = c >= '0' && c <= '9' ? c - '0'
                : c >= 'a' && c <= 'f'   ? c - 'a' + 10
                : c >= 'A' && c <= 'F'   ? c - 'A' + 10
                                         : -1;
            if (d < 0)
                return false;
            value = value * 16 + d;
        }
        bytes[count++] = static_cast<std::uint8_t>(value);
    }
    Guid out;
    out.data1 = static_cast<std::uint32_t>(bytes[0]) << 24 | static_cast<std::uint32_t>(bytes[1]) << 16
        | static_cast<std::uint32_t>(bytes[2]) << 8 | bytes[3];
    out.data2 = static_cast<std::uint16_t>(bytes[4] << 8 | bytes[5]);
    out.data3 = static_cast<std::uint16_t>(bytes[6] << 8 | bytes[7]);
    for (int i = 0; i < 8; ++i)
        out.data4[i] = bytes[8 + i];
    *guid = out;
    return true;
}

// An identifier from text fixed in the program; a malformed one does not compile.
consteval Guid guid(std::string_view text)
{
    Guid out;
    if (!parseGuid(text, &out))
        throw "malformed identifier";
    return out;
}

// "{EB6C1AB1-C215-444C-85DB-1412091E536D}": upper-case hex with braces.
std::string formatGuid(const Guid& guid);

} // namespace tessel::com
