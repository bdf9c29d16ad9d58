#pragma once

#include "engine/core/base/VXLObject.h"
#include "engine/core/base/VXLString.h"

#include <cstdint>

// Reads WSP value encodings from a view of bytes it does not own. Every read
// is checked against the end of the view; a read that would pass it fails,
// leaves the position where it was and marks the reader failed, so a caller
// can run a sequence of reads and test ok() once.
class CVXLWspReader : public CVXLObject {
public:
    // Longest Long-integer that fits the 64-bit value a caller receives.
    static constexpr std::uint32_t kMaxLongIntegerBytes = 8;
    // A Short-length; the byte 31 announces a uintvar length.
    static constexpr std::uint8_t kMaxShortLength = 30;
    static constexpr std::uint8_t kLengthQuote = 31;
    // Text-string quote (before a text whose first byte is 0x80 or above) and
    // Quoted-string quote.
    static constexpr std::uint8_t kTextQuote = 0x7F;
    static constexpr std::uint8_t kStringQuote = 0x22;

    CVXLWspReader(const std::uint8_t* data, std::uint32_t length)
        : data_(data)
        , length_(data ? length : 0)
    {
    }
    CVXLWspReader(const CVXLWspReader& other) = default;
    CVXLWspReader& operator=(const CVXLWspReader& other) = default;

    bool ok() const { return ok_; }
    bool atEnd() const { return position_ >= length_; }
    std::uint32_t position() const { return position_; }
    std::uint32_t remaining() const { return length_ - position_; }
    const std::uint8_t* current() const { return data_ + position_; }
    // Byte at the position without moving; false at the end (not a failure).
    bool peek(std::uint8_t& byte) const
    {
        if (atEnd())
            return false;
        byte = data_[position_];
        return true;
    }

    bool readByte(std::uint8_t& byte)
    {
        if (atEnd()) {
            ok_ = false;
            return false;
        }
        byte = data_[position_++];
        return true;
    }
    bool skip(std::uint32_t count);
    // At most five bytes, the value within 32 bits.
    bool readUintvar(std::uint32_t& value);
    // Value-length: a Short-length or 31 and a uintvar; the length must fit
    // in what remains.
    bool readValueLength(std::uint32_t& length);
    // Short-length then that many bytes, big-endian.
    bool readLongInteger(std::uint64_t& value);
    // Integer-value: a Short-integer (0x80 and above) or a Long-integer.
    bool readInteger(std::uint64_t& value);
    // Text-string or Token-text up to its NUL, without the quote 0x7F in
    // front. A 0x22 in front is dropped as a Quoted-string's quote when
    // quoted is set, else only before a byte of 0x80 or above (how some
    // writers quote such a text). A text without its NUL inside the view fails.
    bool readText(CVXLString& text, bool quoted = false);
    // The same text left where it lies: its first byte and its length.
    bool readTextBytes(const char*& bytes, std::uint32_t& length, bool quoted = false);
    // Steps over a text as readText reads it, keeping nothing.
    bool skipText();
    // Any WSP value: Short-integer, Value-length and its bytes, or a text.
    bool skipValue();
    // A reader over the next count bytes; this reader moves past them.
    bool split(std::uint32_t count, CVXLWspReader& part)
    {
        if (count > remaining()) {
            ok_ = false;
            return false;
        }
        part.data_ = data_ + position_;
        part.length_ = count;
        part.position_ = 0;
        part.ok_ = true;
        position_ += count;
        return true;
    }
    void fail() { ok_ = false; }

private:
    // Where the text at the position begins and where its NUL lies.
    bool findText(bool quoted, std::uint32_t& begin, std::uint32_t& end);

    const std::uint8_t* data_;
    std::uint32_t length_;
    std::uint32_t position_ = 0;
    bool ok_ = true;
};
