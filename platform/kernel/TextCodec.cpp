#include "platform/kernel/TextCodec.h"

#include <cstdint>

namespace tessel::kernel {

namespace {

void putUnit(std::string* out, std::uint32_t unit)
{
    out->push_back(static_cast<char>(unit & 0xFF));
    out->push_back(static_cast<char>(unit >> 8));
}

void putUtf8(std::string* out, std::uint32_t cp)
{
    if (cp < 0x80) {
        out->push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out->push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out->push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out->push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out->push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

// Decodes one UTF-8 sequence at text[*pos]; invalid input yields U+FFFD and
// moves on by one byte only, so the bytes after it are decoded afresh.
std::uint32_t nextCodePoint(std::string_view text, std::size_t* pos)
{
    const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(text[i]); };
    std::uint8_t lead = byte(*pos);
    std::size_t extra = lead < 0x80 ? 0
        : (lead >> 5) == 0x6        ? 1
        : (lead >> 4) == 0xE        ? 2
        : (lead >> 3) == 0x1E       ? 3
                                    : 4;
    ++*pos;
    if (extra == 0)
        return lead;
    if (extra == 4 || *pos + extra > text.size())
        return 0xFFFD;
    std::uint32_t cp = lead & (0x3F >> extra);
    for (std::size_t i = 0; i < extra; ++i) {
        if ((byte(*pos + i) & 0xC0) != 0x80)
            return 0xFFFD;
        cp = (cp << 6) | (byte(*pos + i) & 0x3F);
    }
    static const std::uint32_t kMinimum[] = {0, 0x80, 0x800, 0x10000};
    if (cp < kMinimum[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0xFFFD;
    *pos += extra;
    return cp;
}

} // namespace

char asciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (asciiLower(a[i]) != asciiLower(b[i]))
            return false;
    }
    return true;
}

std::string utf8ToUtf16Bytes(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size() * 2);
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        std::uint32_t cp = nextCodePoint(utf8, &pos);
        if (cp >= 0x10000) {
            cp -= 0x10000;
            putUnit(&out, 0xD800 | (cp >> 10));
            putUnit(&out, 0xDC00 | (cp & 0x3FF));
        } else {
            putUnit(&out, cp);
        }
    }
    return out;
}

namespace {

// Decodes UTF-16LE; strict decoding stops with false at the first fault,
// lossy decoding puts U+FFFD in its place.
bool decodeUtf16(std::string_view bytes, bool strict, std::string* utf8)
{
    utf8->clear();
    const auto unitAt = [&](std::size_t i) {
        return static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes[i]))
            | static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes[i + 1])) << 8;
    };
    const std::size_t whole = bytes.size() & ~std::size_t(1);
    for (std::size_t i = 0; i < whole; i += 2) {
        std::uint32_t unit = unitAt(i);
        bool lone = unit >= 0xDC00 && unit <= 0xDFFF;
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            std::uint32_t low = i + 2 < whole ? unitAt(i + 2) : 0;
            if (low >= 0xDC00 && low <= 0xDFFF) {
                unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            } else {
                lone = true;
            }
        }
        if (lone) {
            if (strict)
                return false;
            unit = 0xFFFD;
        }
        putUtf8(utf8, unit);
    }
    if (whole != bytes.size()) {
        if (strict)
            return false;
        putUtf8(utf8, 0xFFFD);
    }
    return true;
}

} // namespace

bool utf16BytesToUtf8(std::string_view bytes, std::string* utf8)
{
    return decodeUtf16(bytes, true, utf8);
}

std::string utf16BytesToUtf8Lossy(std::string_view bytes)
{
    std::string utf8;
    decodeUtf16(bytes, false, &utf8);
    return utf8;
}

std::string wideToUtf8(std::u16string_view text)
{
    std::string bytes;
    bytes.reserve(text.size() * 2);
    for (char16_t c : text) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>(c >> 8));
    }
    return utf16BytesToUtf8Lossy(bytes);
}

std::u16string utf8ToWide(std::string_view utf8)
{
    const std::string bytes = utf8ToUtf16Bytes(utf8);
    std::u16string out(bytes.size() / 2, u'\0');
    for (std::size_t i = 0; i < out.size(); ++i)
        out[i] = static_cast<char16_t>(
            static_cast<unsigned char>(bytes[2 * i]) | (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
    return out;
}

std::string trimBlanks(std::string_view text)
{
    const char* blanks = " \t\r\n";
    const std::size_t first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos)
        return {};
    return std::string(text.substr(first, text.find_last_not_of(blanks) - first + 1));
}

int hexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::string hexEncode(std::string_view bytes)
{
    constexpr const char* kHex = "0123456789abcdef";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (char b : bytes) {
        const auto c = static_cast<unsigned char>(b);
        out += kHex[c >> 4];
        out += kHex[c & 0xF];
    }
    return out;
}

bool hexDecode(std::string_view text, std::string* bytes)
{
    bytes->clear();
    if (text.size() % 2 != 0)
        return false;
    bytes->reserve(text.size() / 2);
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const int hi = hexDigitValue(text[i]);
        const int lo = hexDigitValue(text[i + 1]);
        if (hi < 0 || lo < 0)
            return false;
        bytes->push_back(static_cast<char>(hi * 16 + lo));
    }
    return true;
}

} // namespace tessel::kernel
