#pragma once

#include "engine/core/base/VXLObject.h"
#include "engine/core/base/VXLString.h"

#include <cstdint>

// The MMS header fields of a PDU keyed by their field code: every value in
// the order it was added, each with its optional token and charset. Codes
// keep the order of their first value; the values of one code are chained,
// so a lookup by code never compares text. Copies are deep.
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

private:
    // Few values carry parameters; those that do hold them apart.
    struct Parameters : CVXLObject {
        CVXLString values[2];
    };

    struct Entry {
        Entry() = default;
        // Deep: the copy holds parameters of its own.
        Entry(const Entry& other);
        Entry& operator=(const Entry&) = delete;
        ~Entry() { delete parameters; }

        CVXLString text;
        Parameters* parameters = nullptr;
        std::int32_t next = -1;
        // Parameters set, in order: 0 none, else 1 + first, 1 + second.
        std::uint8_t set[2] = {0, 0};
    };

    const Entry* entry(std::int32_t code, int n) const;
    bool reserve(std::uint32_t count);
    void release();

    Entry* entries_ = nullptr;
    std::uint32_t count_ = 0;
    std::uint32_t capacity_ = 0;
    std::int32_t first_[kMaxCode + 1];
    std::int32_t last_[kMaxCode + 1];
    std::uint32_t values_[kMaxCode + 1];
    std::uint8_t order_[kMaxCode + 1];
    std::uint32_t codeCount_ = 0;
};
