// Splits the input (up to its first NUL) as an address and asks for every
// part: each part is a piece of the text (scheme and host compared without
// case), the port is digits (leading zeros kept as written) whose value fits
// 16 bits, and the IPv4 octets agree with the dotted host.
#include "engine/core/text/VXLUri.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace {

constexpr std::size_t kMaxText = 2048;

std::string lower(std::string s)
{
    for (char& c : s)
        c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
    return s;
}

void expectPiece(const std::string& text, const CVXLString& part, bool anyCase)
{
    const std::string piece = part.c_str();
    const bool found = anyCase ? lower(text).find(lower(piece)) != std::string::npos
                               : text.find(piece) != std::string::npos;
    if (!found)
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string text(reinterpret_cast<const char*>(data), size);
    text = text.substr(0, text.find('\0'));
    if (text.size() > kMaxText)
        return 0;
    const CVXLUri uri {CVXLString(text.c_str())};
    expectPiece(text, uri.scheme(), true);
    expectPiece(text, uri.authority(), false);
    expectPiece(text, uri.path(), false);
    expectPiece(text, uri.query(), false);
    expectPiece(text, uri.fragment(), false);
    expectPiece(text, uri.userInfo(), false);
    expectPiece(text, uri.hostPort(), true);
    expectPiece(text, uri.hostName(), true);
    expectPiece(text, uri.ipv4Address(), false);
    const std::string port = uri.port().c_str();
    if (port.find_first_not_of("0123456789") != std::string::npos)
        __builtin_trap();
    const std::size_t firstDigit = port.find_first_not_of('0');
    const std::string significant = firstDigit == std::string::npos ? "" : port.substr(firstDigit);
    if (significant.size() > 5)
        __builtin_trap();
    const unsigned long value = significant.empty() ? 0ul : std::stoul(significant);
    if (value > 65535 || uri.portNumber() != value)
        __builtin_trap();
    if (uri.hasIpv4Address()) {
        const std::uint32_t octets = uri.ipv4Octets();
        const auto* b = reinterpret_cast<const std::uint8_t*>(&octets);
        unsigned parsed[4] = {};
        if (std::sscanf(
                uri.ipv4Address().c_str(), "%u.%u.%u.%u", &parsed[0], &parsed[1], &parsed[2], &parsed[3])
                == 4
            && (parsed[0] != b[0] || parsed[1] != b[1] || parsed[2] != b[2] || parsed[3] != b[3]))
            __builtin_trap();
    }
    CVXLUri copy(uri);
    copy = CVXLString("http://127.0.0.1:8080/x");
    if (copy.portNumber() != 8080 || uri.port() != CVXLString(port.c_str()))
        __builtin_trap();
    return 0;
}
