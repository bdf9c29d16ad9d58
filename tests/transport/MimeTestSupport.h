#pragma once

#include "engine/transport/mime/VXLMimeMultipartParser.h"

#include <algorithm>
#include <cstdint>
#include <string>

// Feeds a container held in memory to a parser in the windows it asks for,
// none larger than `cap` bytes, until the parse ends.
inline CVXLScanResult feedContainer(
    CVXLMimeMultipartParser& parser, const std::string& bytes, std::uint32_t cap = 0xFFFFFFFFu)
{
    while (parser.status() == CVXLScanResult::NeedMore) {
        const std::uint32_t at = parser.readOffset();
        std::uint32_t n = std::min(parser.readSize(), cap);
        n = at < bytes.size() ? std::min<std::uint32_t>(n, static_cast<std::uint32_t>(bytes.size() - at)) : 0;
        parser.feed(reinterpret_cast<const std::uint8_t*>(bytes.data()) + (at < bytes.size() ? at : 0), n);
    }
    return parser.status();
}
