#pragma once

#include "engine/core/base/VXLObject.h"
#include "engine/core/base/VXLString.h"

#include <cstdint>

// The scenario program's value: text, an object reference, empty or a signed
// 32-bit integer. Arithmetic and comparisons follow the left operand's kind,
// so they are not symmetric: integer 7 == text "007", text "007" != integer 7.
class CVXLVariant : public CVXLObject {
public:
    enum Kind : std::int32_t {
        kText = 0,
        kReference = 1,
        kEmpty = 2,
        kInteger = 3,
    };
    // "+" on a reference advances it by this many bytes per unit.
    static constexpr std::uint32_t kReferenceStepBytes = 4;

    CVXLVariant();
    CVXLVariant(const CVXLString& text);
    CVXLVariant(const char* text);
    explicit CVXLVariant(const void* reference);
    CVXLVariant(int value);
    CVXLVariant(const CVXLVariant& other);
    CVXLVariant& operator=(const CVXLVariant& other);
    CVXLVariant& operator=(const CVXLString& text);
    CVXLVariant& operator=(const char* text);
    CVXLVariant& operator=(int value);
    ~CVXLVariant() override;

    Kind kind() const { return kind_; }
    // The reference of a kind-1 value, null for the other kinds.
    void* reference() const;

    // Text: the text; integer: signed decimal; reference: unsigned decimal of
    // the address; empty: "".
    CVXLString toString() const;
    // Integer: its value; reference: the low 32 bits of the address; empty: 0;
    // text: its decimal conversion.
    int toInt() const;
    // As toInt, but text that is not all digits and '-' gives 0.
    int numericValue() const;
    bool isTrue() const;
    bool isFalse() const { return !isTrue(); }

    // Integer arithmetic wraps at 32 bits; division and remainder by 0 give 0.
    CVXLVariant operator+(const CVXLVariant& right) const;
    CVXLVariant operator-(const CVXLVariant& right) const;
    CVXLVariant operator*(const CVXLVariant& right) const;
    CVXLVariant operator/(const CVXLVariant& right) const;
    CVXLVariant operator%(const CVXLVariant& right) const;

    bool operator==(const CVXLVariant& right) const;
    bool operator!=(const CVXLVariant& right) const;
    bool operator<(const CVXLVariant& right) const;
    bool operator>(const CVXLVariant& right) const;
    bool operator<=(const CVXLVariant& right) const;
    bool operator>=(const CVXLVariant& right) const;

private:
    enum class Relation { Equal, NotEqual, Less, Greater, LessOrEqual, GreaterOrEqual };

    bool compare(const CVXLVariant& right, Relation relation) const;
    bool isNumericText() const;
    void dropText();
    void setText(const CVXLString& text);
    void copyFrom(const CVXLVariant& other);

    Kind kind_ = kEmpty;
    // Kind 0: owned heap string (may be null); kind 1: the address; kind 3:
    // the integer. A reference keeps its full width.
    union {
        std::uintptr_t reference_ = 0;
        CVXLString* text_;
        std::int32_t integer_;
    };
};
