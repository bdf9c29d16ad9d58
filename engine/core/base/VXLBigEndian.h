#pragma once

#include "engine/core/base/VXLByteBuffer.h"
#include "engine/core/base/VXLByteStream.h"

#include <cstdint>

// Big-endian values at explicit offsets of a byte buffer, for the wire
// formats. A getter whose bytes are not all inside the buffer yields 0 and
// sets *bad (never clears it), so a decoder can test once after a run of
// reads; the stream forms set the stream's own sticky flag instead.
std::uint8_t vxlGetUInt8(const CVXLByteBuffer& buffer, std::uint32_t offset, bool* bad = nullptr);
std::uint16_t vxlGetUInt16BE(const CVXLByteBuffer& buffer, std::uint32_t offset, bool* bad = nullptr);
std::uint32_t vxlGetUInt24BE(const CVXLByteBuffer& buffer, std::uint32_t offset, bool* bad = nullptr);
std::uint32_t vxlGetUInt32BE(const CVXLByteBuffer& buffer, std::uint32_t offset, bool* bad = nullptr);

std::uint8_t vxlGetUInt8(CVXLByteStream& stream, std::uint32_t offset);
std::uint16_t vxlGetUInt16BE(CVXLByteStream& stream, std::uint32_t offset);
std::uint32_t vxlGetUInt24BE(CVXLByteStream& stream, std::uint32_t offset);
std::uint32_t vxlGetUInt32BE(CVXLByteStream& stream, std::uint32_t offset);

bool vxlAppendUInt16BE(CVXLByteBuffer& buffer, std::uint16_t value);
// The low 24 bits.
bool vxlAppendUInt24BE(CVXLByteBuffer& buffer, std::uint32_t value);
bool vxlAppendUInt32BE(CVXLByteBuffer& buffer, std::uint32_t value);
// Stores in place inside the length, grows the length past it.
bool vxlPutUInt32BE(CVXLByteBuffer& buffer, std::uint32_t offset, std::uint32_t value);
