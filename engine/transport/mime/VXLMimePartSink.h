#pragma once

#include "engine/core/base/VXLHeaderMap.h"

#include <cstdint>

// What a multipart parser tells as it splits a container. Offsets are
// counted from the container's first byte. A false answer stops the parse.
class CVXLMimePartSink {
public:
    virtual ~CVXLMimePartSink() = default;

    // A part's header block has been read; its data begin at dataStart.
    virtual bool partBegun(const CVXLHeaderMap& headers, std::uint32_t dataStart) = 0;
    // The next bytes of the open part's data, in order.
    virtual bool partData(const std::uint8_t* bytes, std::uint32_t length) = 0;
    virtual bool partEnded(std::uint32_t dataSize) = 0;
};
