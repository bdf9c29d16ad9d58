#pragma once

#include "engine/core/base/VXLByteBuffer.h"
#include "engine/core/base/VXLObject.h"
#include "engine/core/base/VXLString.h"

#include <cstdint>

// The MMS header fields of a PDU keyed by their field code: every value in
// the order it was added, each with its optional token and charset. Codes
// keep the order of their first value; the values of one code are chained,
// so a lookup by code never compares text. Copies are deep.
//
// A value is kept as it was given until it is first read: texts added as
// bytes (addText) lie together in one pool, numbers (addNumber) stay
// numbers, and a long-lived text (addShared) is pointed at. A decoded PDU
// thus costs no block per value; a read may build a string, so like every
// engine string a table is used by one thread at a time.
class CVXLMmsFieldTable : public CVXLObject {
public:
    // Field codes are the wire byte less 0x80.
    static constexpr std::int32_t kMaxCode = 0x7F;
    // Parameters a value can carry, in the names they travel under.
    enum Parameter : std::int32_t { kToken = 0, kCharset = 1 };

    CVXLMmsFieldTable();
    CVXLMmsFieldTable(const CVXLMmsFieldTable& other);
    CVXLMmsFieldTable& operator=(const CVXLMmsFieldTable& other);
    ~CVXLMmsFieldTable() override;

    // False for a code outside 0..kMaxCode or when the heap refuses.
    bool add(std::int32_t code, const CVXLString& value);
    // The same for length bytes of text (no NUL among them); for a number,
    // which reads as its decimal text; and for a text that outlives the
    // table and all its copies (one of the process's shared texts).
    bool addText(std::int32_t code, const char* bytes, std::uint32_t length);
    bool addNumber(std::int32_t code, std::uint64_t magnitude, bool negative = false);
    bool addShared(std::int32_t code, const CVXLString& lasting);
    // Sets a parameter on value n of a code; false when the value is absent.
    bool setParameter(std::int32_t code, int n, Parameter which, const CVXLString& value);
    void clear();

    std::uint32_t codeCount() const { return codeCount_; }
    std::int32_t codeAt(std::uint32_t position) const { return order_[position]; }
    std::uint32_t valueCount(std::int32_t code) const;
    // "" when absent.
    const CVXLString& value(std::int32_t code, int n = 0) const;
    // Null when the value or its parameter is absent.
    const CVXLString* parameter(std::int32_t code, int n, Parameter which) const;
    // The parameters of a value in the order they were set.
    std::uint32_t parameterCount(std::int32_t code, int n) const;
    bool parameterAt(std::int32_t code, int n, std::uint32_t k, Parameter& which) const;

    // A header name that is a field code in decimal ("12"), as the message
    // interface names fields.
    // Every header call of a PDU asks this first, so it reads at most three
    // digits in place.
    static bool codeOfName(const CVXLString& name, std::int32_t& code)
    {
        const std::uint32_t length = name.length();
        if (length == 0 || length > 3)
            return false;
        const char* text = name.c_str();
        std::uint32_t n = static_cast<std::uint8_t>(text[0] - '0');
        // "07" is a name of its own, not field 7.
        if (n > 9 || (n == 0 && length > 1))
            return false;
        for (std::uint32_t i = 1; i < length; ++i) {
            const auto digit = static_cast<std::uint8_t>(text[i] - '0');
            if (digit > 9)
                return false;
            n = n * 10 + digit;
        }
        if (n > static_cast<std::uint32_t>(kMaxCode))
            return false;
        code = static_cast<std::int32_t>(n);
        return true;
    }
    // The decimal text of a number; those below 256 share one text each.
    static CVXLString decimal(std::uint64_t magnitude, bool negative = false);
    // The process's shared text of a number below 256, or null.
    static const CVXLString* sharedDecimal(std::uint64_t magnitude, bool negative = false);

private:
    // How an entry holds its value.
    enum class Held : std::uint8_t { kEmpty, kString, kShared, kPooled, kNumber, kNegative };

    struct Parameters {
        CVXLString values[2];
    };

    // Plain data: the strings an entry has lie in texts_ and parameters_.
    struct Entry {
        union {
            struct {
                std::uint32_t at;
                std::uint32_t length;
            } pooled;
            std::uint64_t magnitude;
            const CVXLString* shared;
        };
        std::int32_t next;
        // Index in parameters_, or -1.
        std::int32_t parameters;
        // Parameters set, in order: 0 none, else 1 + first, 1 + second.
        std::uint8_t set[2];
        // kString: texts_ holds the value at the entry's index.
        mutable Held held;
    };

    // Index of value n of a code, or -1.
    std::int32_t indexOf(std::int32_t code, int n) const;
    // A new entry for the code, its value still to be set.
    Entry* added(std::int32_t code);
    bool reserve(std::uint32_t count);
    // Room for a string at every entry (built only where one is held).
    bool haveTexts() const;
    void release();

    // Most PDUs' fields and texts fit in the table itself.
    static constexpr std::uint32_t kInlineEntries = 16;
    static constexpr std::uint32_t kInlinePool = 192;

    // The bytes of pooled texts, one after another: in inlinePool_ until
    // they outgrow it, then all of them in pool_.
    std::uint8_t inlinePool_[kInlinePool];
    std::uint32_t inlinePoolUsed_ = 0;
    CVXLByteBuffer pool_;
    Entry inlineEntries_[kInlineEntries];
    Entry* entries_ = nullptr;
    std::uint32_t count_ = 0;
    std::uint32_t capacity_ = 0;
    // capacity_ slots once a string is held; slot i is built while entry i
    // holds kString.
    mutable CVXLString* texts_ = nullptr;
    Parameters* parameters_ = nullptr;
    std::uint32_t parameterCount_ = 0;
    std::uint32_t parameterCapacity_ = 0;
    // By code: the first and last value's entry (-1 for none) and the count;
    // last_ and values_ count only for codes that have a first value.
    std::int32_t first_[kMaxCode + 1];
    std::int32_t last_[kMaxCode + 1];
    std::uint32_t values_[kMaxCode + 1];
    std::uint8_t order_[kMaxCode + 1];
    std::uint32_t codeCount_ = 0;
};
