#include "engine/core/base/VXLByteStream.h"

CVXLByteStream::CVXLByteStream(std::uint32_t capacity)
    : CVXLByteBuffer(capacity)
{
}

CVXLByteStream::CVXLByteStream(const CVXLByteBuffer& source)
    : CVXLByteBuffer(source)
{
}

std::uint32_t CVXLByteStream::remaining() const
{
    const std::uint32_t n = length();
    return cursor_ < n ? n - cursor_ : 0;
}

bool CVXLByteStream::appendChecked(const void* bytes, std::uint32_t count)
{
    if (append(bytes, count))
        return true;
    bad_ = true;
    return false;
}

bool CVXLByteStream::writeByte(std::uint8_t value)
{
    return appendChecked(&value, 1);
}

bool CVXLByteStream::writeUInt16(std::uint16_t value)
{
    const std::uint8_t bytes[2] = {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8)};
    return appendChecked(bytes, 2);
}

bool CVXLByteStream::writeUInt32(std::uint32_t value)
{
    const std::uint8_t bytes[4] = {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
        static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
    return appendChecked(bytes, 4);
}

bool CVXLByteStream::writeBool(bool value)
{
    return writeByte(value ? 1 : 0);
}

bool CVXLByteStream::writeBuffer(const CVXLByteBuffer& bytes)
{
    // The length and the bytes go in together or not at all, so a refused
    // write never leaves a length without its bytes.
    const std::uint32_t n = bytes.length();
    const std::uint32_t before = length();
    if (!writeUInt32(n))
        return false;
    if (n == 0 || appendChecked(bytes.data(), n))
        return true;
    remove(before, 4);
    return false;
}

bool CVXLByteStream::writeString(const CVXLString& text)
{
    CVXLByteBuffer bytes;
    // The string's buffer holds the text and its NUL; an empty string may
    // have none, so build the counted bytes explicitly.
    if (!bytes.append(text.c_str(), text.length()) || !bytes.append("", 1)) {
        bad_ = true;
        return false;
    }
    return writeBuffer(bytes);
}

std::uint32_t CVXLByteStream::readLittleEndian(std::uint32_t count)
{
    if (remaining() < count) {
        bad_ = true;
        cursor_ = length();
        return 0;
    }
    const std::uint8_t* p = at(cursor_);
    std::uint32_t value = 0;
    for (std::uint32_t i = count; i > 0; --i)
        value = (value << 8) | p[i - 1];
    cursor_ += count;
    return value;
}

std::uint8_t CVXLByteStream::readByte()
{
    return static_cast<std::uint8_t>(readLittleEndian(1));
}

std::int8_t CVXLByteStream::readChar()
{
    return static_cast<std::int8_t>(readByte());
}

std::uint16_t CVXLByteStream::readUInt16()
{
    return static_cast<std::uint16_t>(readLittleEndian(2));
}

std::int16_t CVXLByteStream::readInt16()
{
    return static_cast<std::int16_t>(readUInt16());
}

std::uint32_t CVXLByteStream::readUInt32()
{
    return readLittleEndian(4);
}

bool CVXLByteStream::readBool()
{
    return readByte() == 1;
}

CVXLByteBuffer CVXLByteStream::readBuffer()
{
    const std::uint32_t n = readUInt32();
    if (n == 0)
        return CVXLByteBuffer();
    if (n > remaining()) {
        bad_ = true;
        return CVXLByteBuffer();
    }
    CVXLByteBuffer bytes(*this, cursor_, n);
    if (bytes.length() != n)
        bad_ = true;
    cursor_ += n;
    return bytes;
}

CVXLString CVXLByteStream::readString()
{
    const CVXLByteBuffer bytes = readBuffer();
    CVXLString text;
    if (bytes.length() == 0)
        return text;
    std::uint32_t n = 0;
    const std::uint8_t* p = bytes.data();
    while (n < bytes.length() && p[n] != 0)
        ++n;
    text.appendBytes(p, n);
    return text;
}
