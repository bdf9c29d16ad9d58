#pragma once

#include "engine/core/base/VXLByteBuffer.h"
#include "engine/core/base/VXLObject.h"

#include <cstddef>
#include <cstdint>

// The engine's 8-bit string with value semantics. The text and its
// terminating NUL live in a byte buffer; copies share the buffer's block and
// every change makes a private copy first. All empty strings share one
// process-wide block holding a single NUL, which lives while any string does.
//
// Bytes are opaque; case folding touches ASCII letters only, and orderings
// compare bytes as signed values. Positions are ints (find answers -1 for
// none); out-of-range positions give -1 or "", counts are cut at the end.
class CVXLString : public CVXLObject {
public:
    CVXLString()
    {
        ++liveStrings;
        if (sharedEmptyText)
            buffer_.borrow(*sharedEmptyText);
        else
            shareEmpty();
    }
    CVXLString(const char* text);
    CVXLString(const CVXLString& other);
    // Digits 0-9 then A-Z; a '-' is written only in radix 10, other radices
    // format the magnitude. Radices outside 2..36 give "".
    explicit CVXLString(int value, int radix = 10);
    // Shares the block of a buffer holding a text and its terminating NUL,
    // without a copy; "" for a buffer that does not end in a NUL.
    explicit CVXLString(const CVXLByteBuffer& terminated);
    CVXLString& operator=(const CVXLString& other);
    CVXLString& operator=(const char* text);
    // Exactly n bytes, written over this string's own block when it has room
    // (an empty text too), so a string assigned again and again allocates
    // once. False, with the text kept, when the heap refuses.
    bool assign(const void* bytes, std::uint32_t n);
    // The buffer lets go of the text after this; letting go of a borrowed
    // block never reads the shared text, which may be gone by then.
    ~CVXLString() override
    {
        if (--liveStrings == 0)
            dropSharedEmptyText();
    }

    VXL_NEW_WITHOUT_ZERO_FILL(CVXLString)

    // Told after every change of the text; derived strings re-derive from it.
    virtual void onChanged();

    void setInt(int value);
    void setUnsigned(std::uint32_t value);

    // Never null; "" for a string the heap could not give a block.
    const char* c_str() const { return hasBlock() ? reinterpret_cast<const char*>(buffer_.data()) : ""; }
    // Null outside the text and its NUL.
    const char* charAt(int index) const;
    std::uint32_t length() const
    {
        const std::uint32_t n = buffer_.length();
        return n ? n - 1 : 0;
    }
    void clear();
    const CVXLByteBuffer& buffer() const { return buffer_; }

    void append(const CVXLString& other);
    CVXLString& operator+=(const CVXLString& other);
    void appendCString(const char* text);
    CVXLString& operator+=(const char* text);
    void appendChar(char c);
    CVXLString& operator+=(char c);
    // Exactly n bytes; the text stays terminated.
    void appendBytes(const void* bytes, std::uint32_t n);
    // Refused when position is outside 0..length().
    void insert(int position, const CVXLString& other);
    void remove(int position, std::uint32_t count);
    void changeCase(bool upper);
    void toLower();
    void appendNumber(std::uint32_t magnitude, int radix, bool negative);
    void toBase64();

    // NUL bytes inside the range are dropped.
    CVXLString substr(int start, std::uint32_t count) const;
    // From start up to the first delimiter at or after it, or to the end.
    CVXLString substrUntil(char delimiter, int start) const;
    static CVXLString replaced(
        const CVXLString& source, int position, std::uint32_t count, const CVXLString& replacement);

    int find(const CVXLString& pattern, int start = 0) const;
    int findChar(char c, int start = 0) const;
    // -1, 0 or 1; a NUL ends the comparison, as it ends ==.
    int compare(const CVXLString& other, bool caseSensitive) const;
    // Radix 10 as atoi (saturating); radix 16 digit by digit, other bytes as
    // 0, wrapping at 32 bits; other radices 0.
    int toInt(int radix = 10) const;
    bool isNumeric() const;

    // Strings alive in the process, and whether the shared empty text exists.
    static std::size_t liveCount();
    static bool hasSharedEmptyText();

    friend bool operator==(const CVXLString& a, const CVXLString& b);
    friend bool operator==(const CVXLString& a, const char* b);
    friend bool operator==(const char* a, const CVXLString& b);

private:
    bool hasBlock() const { return buffer_.data() != nullptr; }
    void shareEmpty();
    static void dropSharedEmptyText();
    bool isSharedEmpty() const { return sharedEmptyText && buffer_.borrows(*sharedEmptyText); }
    bool ensureTerminated();
    bool insertBytes(std::uint32_t position, const void* bytes, std::uint32_t n);
    bool assignBytes(const void* bytes, std::uint32_t n);
    void formatNumber(std::uint32_t magnitude, int radix, bool negative);

    CVXLByteBuffer buffer_;

    // Process-wide, unguarded: strings live on the engine host thread (and on
    // the user-interface thread only while no engine step runs).
    static CVXLByteBuffer* sharedEmptyText;
    static std::size_t liveStrings;
};

bool operator!=(const CVXLString& a, const CVXLString& b);
bool operator!=(const CVXLString& a, const char* b);
bool operator!=(const char* a, const CVXLString& b);
bool operator<(const CVXLString& a, const CVXLString& b);
bool operator>(const CVXLString& a, const CVXLString& b);
bool operator<=(const CVXLString& a, const CVXLString& b);
bool operator>=(const CVXLString& a, const CVXLString& b);
CVXLString operator+(const CVXLString& a, const CVXLString& b);
CVXLString operator+(const CVXLString& a, const char* b);
CVXLString operator+(const char* a, const CVXLString& b);

// Appends the base64 encoding of length bytes (RFC 4648 alphabet, '=' padded,
// no line breaks, no NUL) to out. False, with out unchanged, when the result
// would not fit or the heap refuses.
bool vxlBase64Encode(const void* bytes, std::uint32_t length, CVXLByteBuffer& out);
