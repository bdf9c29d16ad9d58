#pragma once

#include <array>
#include <cstdint>

// What the XML reader asks of single bytes and code points: the classes of a
// byte (from one table, looked up once per byte on the hot paths), whether a
// code point may appear in a document, the value of a numeric character
// reference, and a code point's UTF-8 bytes.
class CVXLXmlChars {
public:
    static constexpr std::uint32_t kMaxCodePoint = 0x10FFFF;

    static bool isSpace(std::uint8_t c) { return hasClass(c, kClassSpace); }
    // XML cannot hold it anywhere (tab, line feed and carriage return aside).
    static bool isControl(std::uint8_t c) { return hasClass(c, kClassControl); }
    static bool isNameStart(std::uint8_t c) { return hasClass(c, kClassNameStart); }
    static bool isNameChar(std::uint8_t c) { return hasClass(c, kClassName); }
    static bool isEntityChar(std::uint8_t c) { return hasClass(c, kClassEntity); }
    // Ends a run of plain character data.
    static bool isContentStop(std::uint8_t c) { return hasClass(c, kClassContentStop); }

    static bool isXmlChar(std::uint32_t cp);
    // The code point of "#123" or "#x7B"; -1 when the text is not a number.
    static long numericReference(const char* s, std::uint32_t n);
    // Writes 1 to 4 bytes; returns how many.
    static std::uint32_t encodeUtf8(std::uint32_t cp, char* out);

private:
    enum CharClass : std::uint8_t {
        kClassSpace = 1,
        kClassControl = 2,
        kClassNameStart = 4,
        kClassName = 8,
        kClassEntity = 16,
        kClassContentStop = 32,
    };

    static constexpr std::array<std::uint8_t, 256> charClasses()
    {
        std::array<std::uint8_t, 256> table {};
        for (unsigned c = 0; c < 256; ++c) {
            std::uint8_t k = 0;
            const bool space = c == ' ' || c == '\n' || c == '\r' || c == '\t';
            const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
            const bool digit = c >= '0' && c <= '9';
            const bool nameStart = letter || c == '_' || c == ':' || c >= 0x80;
            if (space)
                k |= kClassSpace;
            if (c < 0x20 && !space)
                k |= kClassControl | kClassContentStop;
            if (nameStart)
                k |= kClassNameStart;
            if (nameStart || digit || c == '-' || c == '.')
                k |= kClassName;
            if (letter || digit || c == '#' || c == '_' || c == '-' || c == '.' || c == ':')
                k |= kClassEntity;
            if (c == '<' || c == '&' || c == ']' || c == '>')
                k |= kClassContentStop;
            table[c] = k;
        }
        return table;
    }

    static bool hasClass(std::uint8_t c, std::uint8_t k) { return (kCharClasses[c] & k) != 0; }

    static const std::array<std::uint8_t, 256> kCharClasses;
};

// Filled at compile time; the class must be complete to call its builder.
inline const std::array<std::uint8_t, 256> CVXLXmlChars::kCharClasses = CVXLXmlChars::charClasses();
