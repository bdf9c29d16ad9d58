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
// Texts added as bytes (addText) are kept together in one pool, and numbers
// (addNumber) as numbers; each becomes a string only when first read, so a
// decoded PDU costs no block per value. A read may therefore build a string: like every engine
// string, a table is used by one thread at a time.
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
    // The same for length bytes of text (no NUL among them), and for a
    // number, which reads as its decimal text.
    bool addText(std::int32_t code, const char* bytes, std::uint32_t length);
    bool addNumber(std::int32_t code, std::uint64_t magnitude, bool negative = false);
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
    static bool codeOfName(const CVXLString& name, std::int32_t& code);
    // The decimal text of a number; those below 256 share one text each.
    static CVXLString decimal(std::uint64_t magnitude, bool negative = false);

private:
    // Few values carry parameters; those that do hold them apart.
    struct Parameters : CVXLObject {
        CVXLString values[2];
    };

    // How an entry holds its value until it is first read.
    enum class Held : std::uint8_t { kText, kPooled, kNumber, kNegative };

    struct Entry {
        Entry() = default;
        // Deep: the copy holds parameters of its own.
        Entry(const Entry& other);
        Entry& operator=(const Entry&) = delete;
        ~Entry() { delete parameters; }

        // The value once made; until then empty, with the value held as the
        // pool's bytes or as a number.
        mutable CVXLString text;
        Parameters* parameters = nullptr;
        union {
            struct {
                std::uint32_t at;
                std::uint32_t length;
            } pooled;
            std::uint64_t magnitude = 0;
        };
        std::int32_t next = -1;
        // Parameters set, in order: 0 none, else 1 + first, 1 + second.
        std::uint8_t set[2] = {0, 0};
        mutable Held held = Held::kText;
    };

    const Entry* entry(std::int32_t code, int n) const;
    Entry* added(std::int32_t code);
    bool reserve(std::uint32_t count);
    void release();

    // The bytes of pooled texts, one after another.
    CVXLByteBuffer pool_;
    Entry* entries_ = nullptr;
    std::uint32_t count_ = 0;
    std::uint32_t capacity_ = 0;
    // By code: the first and last value's entry (-1 for none) and the count.
    std::int32_t first_[kMaxCode + 1];
    std::int32_t last_[kMaxCode + 1];
    std::uint32_t values_[kMaxCode + 1];
    std::uint8_t order_[kMaxCode + 1];
    std::uint32_t codeCount_ = 0;
};
