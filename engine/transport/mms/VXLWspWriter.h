#pragma once

#include "engine/core/base/VXLByteBuffer.h"
#include "engine/core/base/VXLObject.h"
#include "engine/core/base/VXLString.h"

#include <cstdint>

// Appends WSP value encodings to a byte buffer it does not own. A failed
// append (the heap, or a value that has no encoding) marks the writer failed;
// callers test ok() after a sequence of writes.
class CVXLWspWriter : public CVXLObject {
public:
    explicit CVXLWspWriter(CVXLByteBuffer& out)
        : out_(out)
    {
    }

    bool ok() const { return ok_; }
    void fail() { ok_ = false; }
    std::uint32_t length() const { return out_.length(); }

    void byte(std::uint8_t value);
    void bytes(const void* data, std::uint32_t count);
    void uintvar(std::uint32_t value);
    // Short-length or 31 and a uintvar.
    void valueLength(std::uint32_t length);
    // Short-length and the value big-endian in the fewest bytes (at least one).
    void longInteger(std::uint64_t value);
    // Integer-value: a Short-integer below 128, else a Long-integer.
    void integer(std::uint64_t value);
    // Text-string with its NUL; the quote 0x7F goes in front of a text whose
    // first byte is 0x80 or above, so a reader cannot take it for a code. A
    // text with a NUL inside has no encoding.
    void text(const CVXLString& value);
    // Quoted-string: 0x22, the text and its NUL.
    void quotedString(const CVXLString& value);
    // Value-length and the bytes of a value built apart.
    void lengthPrefixed(const CVXLByteBuffer& value);

    // Decimal text (digits only) to a number; false for anything else.
    static bool parseNumber(const CVXLString& text, std::uint64_t& value);

private:
    void textBytes(const CVXLString& value);

    CVXLByteBuffer& out_;
    bool ok_ = true;
};
