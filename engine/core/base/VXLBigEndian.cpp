#include "engine/core/base/VXLBigEndian.h"

namespace {

// Compares with what remains, so offset + count cannot wrap.
std::uint32_t getBigEndian(const CVXLByteBuffer& buffer, std::uint32_t offset, std::uint32_t count, bool* bad)
{
    const std::uint32_t n = buffer.length();
    if (offset > n || count > n - offset) {
        if (bad)
            *bad = true;
        return 0;
    }
    const std::uint8_t* p = buffer.at(offset);
    std::uint32_t value = 0;
    for (std::uint32_t i = 0; i < count; ++i)
        value = (value << 8) | p[i];
    return value;
}

std::uint32_t getFromStream(CVXLByteStream& stream, std::uint32_t offset, std::uint32_t count)
{
    bool bad = false;
    const std::uint32_t value = getBigEndian(stream, offset, count, &bad);
    if (bad)
        stream.markBad();
    return value;
}

void toBigEndian(std::uint32_t value, std::uint8_t* out, std::uint32_t count)
{
    for (std::uint32_t i = count; i > 0; --i) {
        out[i - 1] = static_cast<std::uint8_t>(value);
        value >>= 8;
    }
}

} // namespace

std::uint8_t vxlGetUInt8(const CVXLByteBuffer& buffer, std::uint32_t offset, bool* bad)
{
    return static_cast<std::uint8_t>(getBigEndian(buffer, offset, 1, bad));
}

std::uint16_t vxlGetUInt16BE(const CVXLByteBuffer& buffer, std::uint32_t offset, bool* bad)
{
    return static_cast<std::uint16_t>(getBigEndian(buffer, offset, 2, bad));
}

std::uint32_t vxlGetUInt24BE(const CVXLByteBuffer& buffer, std::uint32_t offset, bool* bad)
{
    return getBigEndian(buffer, offset, 3, bad);
}

std::uint32_t vxlGetUInt32BE(const CVXLByteBuffer& buffer, std::uint32_t offset, bool* bad)
{
    return getBigEndian(buffer, offset, 4, bad);
}

std::uint8_t vxlGetUInt8(CVXLByteStream& stream, std::uint32_t offset)
{
    return static_cast<std::uint8_t>(getFromStream(stream, offset, 1));
}

std::uint16_t vxlGetUInt16BE(CVXLByteStream& stream, std::uint32_t offset)
{
    return static_cast<std::uint16_t>(getFromStream(stream, offset, 2));
}

std::uint32_t vxlGetUInt24BE(CVXLByteStream& stream, std::uint32_t offset)
{
    return getFromStream(stream, offset, 3);
}

std::uint32_t vxlGetUInt32BE(CVXLByteStream& stream, std::uint32_t offset)
{
    return getFromStream(stream, offset, 4);
}

bool vxlAppendUInt16BE(CVXLByteBuffer& buffer, std::uint16_t value)
{
    std::uint8_t bytes[2];
    toBigEndian(value, bytes, 2);
    return buffer.append(bytes, 2);
}

bool vxlAppendUInt24BE(CVXLByteBuffer& buffer, std::uint32_t value)
{
    std::uint8_t bytes[3];
    toBigEndian(value, bytes, 3);
    return buffer.append(bytes, 3);
}

bool vxlAppendUInt32BE(CVXLByteBuffer& buffer, std::uint32_t value)
{
    std::uint8_t bytes[4];
    toBigEndian(value, bytes, 4);
    return buffer.append(bytes, 4);
}

bool vxlPutUInt32BE(CVXLByteBuffer& buffer, std::uint32_t offset, std::uint32_t value)
{
    std::uint8_t bytes[4];
    toBigEndian(value, bytes, 4);
    return buffer.write(offset, bytes, 4);
}
