#include "engine/transport/mms/VXLWspWriter.h"

#include "engine/transport/mms/VXLWspReader.h"

void CVXLWspWriter::byte(std::uint8_t value)
{
    if (!out_.append(&value, 1))
        ok_ = false;
}

void CVXLWspWriter::bytes(const void* data, std::uint32_t count)
{
    if (count && !out_.append(data, count))
        ok_ = false;
}

void CVXLWspWriter::uintvar(std::uint32_t value)
{
    std::uint8_t groups[5];
    int n = 0;
    do {
        groups[n++] = static_cast<std::uint8_t>(value & 0x7F);
        value >>= 7;
    } while (value);
    while (n > 1)
        byte(static_cast<std::uint8_t>(groups[--n] | 0x80));
    byte(groups[0]);
}

void CVXLWspWriter::valueLength(std::uint32_t length)
{
    if (length <= CVXLWspReader::kMaxShortLength) {
        byte(static_cast<std::uint8_t>(length));
        return;
    }
    byte(CVXLWspReader::kLengthQuote);
    uintvar(length);
}

void CVXLWspWriter::longInteger(std::uint64_t value)
{
    std::uint8_t digits[8];
    std::uint8_t n = 0;
    do {
        digits[n++] = static_cast<std::uint8_t>(value & 0xFF);
        value >>= 8;
    } while (value);
    byte(n);
    while (n)
        byte(digits[--n]);
}

void CVXLWspWriter::integer(std::uint64_t value)
{
    if (value < 0x80)
        byte(static_cast<std::uint8_t>(0x80 | value));
    else
        longInteger(value);
}

void CVXLWspWriter::textBytes(const CVXLString& value)
{
    const char* text = value.c_str();
    if (vxlStrLen(text) != value.length()) {
        ok_ = false;
        return;
    }
    bytes(text, value.length() + 1);
}

void CVXLWspWriter::text(const CVXLString& value)
{
    if (value.length() && static_cast<std::uint8_t>(value.c_str()[0]) >= 0x80)
        byte(CVXLWspReader::kTextQuote);
    textBytes(value);
}

void CVXLWspWriter::quotedString(const CVXLString& value)
{
    byte(CVXLWspReader::kStringQuote);
    textBytes(value);
}

void CVXLWspWriter::lengthPrefixed(const CVXLByteBuffer& value)
{
    valueLength(value.length());
    bytes(value.data(), value.length());
}

bool CVXLWspWriter::parseNumber(const CVXLString& text, std::uint64_t& value)
{
    if (!text.length() || text.length() > 19)
        return false;
    std::uint64_t result = 0;
    for (std::uint32_t i = 0; i < text.length(); ++i) {
        const char c = text.c_str()[i];
        if (c < '0' || c > '9')
            return false;
        result = result * 10 + static_cast<std::uint64_t>(c - '0');
    }
    value = result;
    return true;
}
