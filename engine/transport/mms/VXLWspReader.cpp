#include "engine/transport/mms/VXLWspReader.h"

#include <cstring>

bool CVXLWspReader::skip(std::uint32_t count)
{
    if (count > remaining()) {
        ok_ = false;
        return false;
    }
    position_ += count;
    return true;
}

bool CVXLWspReader::readUintvar(std::uint32_t& value)
{
    const std::uint32_t start = position_;
    std::uint64_t result = 0;
    for (int i = 0; i < 5; ++i) {
        std::uint8_t byte;
        if (!readByte(byte))
            break;
        result = (result << 7) | (byte & 0x7F);
        if (!(byte & 0x80)) {
            if (result > 0xFFFFFFFFu)
                break;
            value = static_cast<std::uint32_t>(result);
            return true;
        }
    }
    position_ = start;
    ok_ = false;
    return false;
}

bool CVXLWspReader::readValueLength(std::uint32_t& length)
{
    const std::uint32_t start = position_;
    std::uint8_t first;
    if (!readByte(first))
        return false;
    std::uint32_t n = first;
    if (first == kLengthQuote) {
        if (!readUintvar(n)) {
            position_ = start;
            return false;
        }
    } else if (first > kMaxShortLength) {
        position_ = start;
        ok_ = false;
        return false;
    }
    if (n > remaining()) {
        position_ = start;
        ok_ = false;
        return false;
    }
    length = n;
    return true;
}

bool CVXLWspReader::readLongInteger(std::uint64_t& value)
{
    const std::uint32_t start = position_;
    std::uint8_t count;
    if (!readByte(count))
        return false;
    if (count == 0 || count > kMaxLongIntegerBytes || count > remaining()) {
        position_ = start;
        ok_ = false;
        return false;
    }
    std::uint64_t result = 0;
    for (std::uint8_t i = 0; i < count; ++i)
        result = (result << 8) | data_[position_++];
    value = result;
    return true;
}

bool CVXLWspReader::readInteger(std::uint64_t& value)
{
    std::uint8_t first;
    if (!peek(first)) {
        ok_ = false;
        return false;
    }
    if (first & 0x80) {
        ++position_;
        value = first & 0x7F;
        return true;
    }
    return readLongInteger(value);
}

bool CVXLWspReader::findText(bool quoted, std::uint32_t& begin, std::uint32_t& end)
{
    begin = position_;
    if (begin < length_ && data_[begin] == kTextQuote)
        ++begin;
    else if (begin < length_ && data_[begin] == kStringQuote
        && (quoted || (begin + 1 < length_ && data_[begin + 1] >= 0x80)))
        ++begin;
    const void* nul = begin < length_ ? std::memchr(data_ + begin, 0, length_ - begin) : nullptr;
    if (!nul) {
        ok_ = false;
        return false;
    }
    end = static_cast<std::uint32_t>(static_cast<const std::uint8_t*>(nul) - data_);
    return true;
}

bool CVXLWspReader::readText(CVXLString& text, bool quoted)
{
    std::uint32_t begin, end;
    if (!findText(quoted, begin, end))
        return false;
    text.clear();
    text.appendBytes(data_ + begin, end - begin);
    position_ = end + 1;
    return true;
}

bool CVXLWspReader::readTextBytes(const char*& bytes, std::uint32_t& length, bool quoted)
{
    std::uint32_t begin, end;
    if (!findText(quoted, begin, end))
        return false;
    bytes = reinterpret_cast<const char*>(data_ + begin);
    length = end - begin;
    position_ = end + 1;
    return true;
}

bool CVXLWspReader::skipText()
{
    std::uint32_t begin, end;
    if (!findText(false, begin, end))
        return false;
    position_ = end + 1;
    return true;
}

bool CVXLWspReader::skipValue()
{
    std::uint8_t first;
    if (!peek(first)) {
        ok_ = false;
        return false;
    }
    if (first & 0x80)
        return skip(1);
    if (first <= kLengthQuote) {
        std::uint32_t n;
        return readValueLength(n) && skip(n);
    }
    return skipText();
}
