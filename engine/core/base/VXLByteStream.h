#pragma once

#include "engine/core/base/VXLByteBuffer.h"
#include "engine/core/base/VXLString.h"

#include <cstdint>

// Sequential writer and reader of the engine's state-file encodings: little-
// endian integers, one-byte booleans, counted buffers (32-bit length, then the
// bytes) and strings (a counted buffer of the text and its NUL). Writing
// appends at the end; reading starts at the cursor and advances it.
//
// A read that finds fewer bytes than it needs sets a sticky "bad" flag that a
// loader tests once after reading a whole file: a scalar read past the end
// yields 0 and leaves the cursor at the end; a counted buffer whose length
// exceeds the bytes left yields an empty buffer and leaves the cursor just
// after its length. A write the heap refuses sets the flag as well.
class CVXLByteStream : public CVXLByteBuffer {
public:
    CVXLByteStream() = default;
    explicit CVXLByteStream(std::uint32_t capacity);
    // Reads the given buffer: shares its block, no copy.
    explicit CVXLByteStream(const CVXLByteBuffer& source);

    bool writeByte(std::uint8_t value);
    bool writeUInt16(std::uint16_t value);
    bool writeUInt32(std::uint32_t value);
    bool writeBool(bool value);
    bool writeBuffer(const CVXLByteBuffer& bytes);
    bool writeString(const CVXLString& text);

    std::uint8_t readByte();
    std::int8_t readChar();
    std::uint16_t readUInt16();
    std::int16_t readInt16();
    std::uint32_t readUInt32();
    bool readBool();
    CVXLByteBuffer readBuffer();
    CVXLString readString();

    std::uint32_t position() const { return cursor_; }
    std::uint32_t remaining() const;
    bool isBad() const { return bad_; }
    // For readers of other encodings over the same bytes (the big-endian getters).
    void markBad() { bad_ = true; }

private:
    bool appendChecked(const void* bytes, std::uint32_t count);
    // Little-endian value of count bytes at the cursor, or 0 with the flag set.
    std::uint32_t readLittleEndian(std::uint32_t count);

    std::uint32_t cursor_ = 0;
    bool bad_ = false;
};
