#include "engine/core/base/VXLVariant.h"

namespace {

CVXLString unsignedDecimal(std::uintptr_t value)
{
    char digits[24];
    int at = sizeof digits - 1;
    digits[at] = '\0';
    do {
        digits[--at] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    return CVXLString(digits + at);
}

// 32-bit two's complement arithmetic without signed overflow.
int wrap(std::uint32_t value)
{
    return static_cast<int>(value);
}

} // namespace

CVXLVariant::CVXLVariant() = default;

CVXLVariant::CVXLVariant(const CVXLString& text)
    : kind_(kText)
{
    text_ = new CVXLString(text);
}

CVXLVariant::CVXLVariant(const char* text)
    : kind_(kText)
{
    text_ = new CVXLString(text);
}

CVXLVariant::CVXLVariant(const void* reference)
    : kind_(kReference)
{
    reference_ = reinterpret_cast<std::uintptr_t>(reference);
}

CVXLVariant::CVXLVariant(int value)
    : kind_(kInteger)
{
    integer_ = value;
}

CVXLVariant::CVXLVariant(const CVXLVariant& other)
    : CVXLObject()
{
    copyFrom(other);
}

CVXLVariant& CVXLVariant::operator=(const CVXLVariant& other)
{
    if (this == &other)
        return *this;
    CVXLVariant copy(other);
    dropText();
    kind_ = copy.kind_;
    reference_ = copy.reference_;
    // The copy's text now belongs to this value.
    copy.kind_ = kEmpty;
    return *this;
}

CVXLVariant& CVXLVariant::operator=(const CVXLString& text)
{
    setText(text);
    return *this;
}

CVXLVariant& CVXLVariant::operator=(const char* text)
{
    setText(CVXLString(text));
    return *this;
}

CVXLVariant& CVXLVariant::operator=(int value)
{
    dropText();
    kind_ = kInteger;
    reference_ = 0;
    integer_ = value;
    return *this;
}

CVXLVariant::~CVXLVariant()
{
    dropText();
}

void CVXLVariant::copyFrom(const CVXLVariant& other)
{
    kind_ = other.kind_;
    if (kind_ == kText)
        text_ = other.text_ ? new CVXLString(*other.text_) : nullptr;
    else
        reference_ = other.reference_;
}

void CVXLVariant::dropText()
{
    if (kind_ == kText)
        delete text_;
    kind_ = kEmpty;
    reference_ = 0;
}

void CVXLVariant::setText(const CVXLString& text)
{
    // Copy before letting go: the text may be this value's own.
    CVXLString* copy = new CVXLString(text);
    dropText();
    kind_ = kText;
    text_ = copy;
}

void* CVXLVariant::reference() const
{
    return kind_ == kReference ? reinterpret_cast<void*>(reference_) : nullptr;
}

CVXLString CVXLVariant::toString() const
{
    switch (kind_) {
    case kText:
        return text_ ? *text_ : CVXLString();
    case kInteger:
        return CVXLString(integer_);
    case kReference:
        return unsignedDecimal(reference_);
    case kEmpty:
        break;
    }
    return CVXLString();
}

int CVXLVariant::toInt() const
{
    switch (kind_) {
    case kText:
        return text_ ? text_->toInt(10) : 0;
    case kInteger:
        return integer_;
    case kReference:
        return wrap(static_cast<std::uint32_t>(reference_));
    case kEmpty:
        break;
    }
    return 0;
}

bool CVXLVariant::isNumericText() const
{
    return kind_ == kText && (!text_ || text_->isNumeric());
}

int CVXLVariant::numericValue() const
{
    if (kind_ == kText)
        return isNumericText() ? toInt() : 0;
    return toInt();
}

bool CVXLVariant::isTrue() const
{
    switch (kind_) {
    case kText:
        return text_ && text_->length() > 0;
    case kInteger:
        return integer_ != 0;
    case kReference:
        return reference_ != 0;
    case kEmpty:
        break;
    }
    return false;
}

CVXLVariant CVXLVariant::operator+(const CVXLVariant& right) const
{
    switch (kind_) {
    case kReference:
        if (right.kind_ != kInteger)
            return CVXLVariant();
        {
            CVXLVariant result;
            result.kind_ = kReference;
            const auto step = static_cast<std::uintptr_t>(static_cast<std::intptr_t>(right.integer_));
            result.reference_ = reference_ + step * kReferenceStepBytes;
            return result;
        }
    case kInteger:
        return CVXLVariant(
            wrap(static_cast<std::uint32_t>(integer_) + static_cast<std::uint32_t>(right.toInt())));
    case kText:
    case kEmpty:
        break;
    }
    return CVXLVariant(toString() + right.toString());
}

CVXLVariant CVXLVariant::operator-(const CVXLVariant& right) const
{
    return CVXLVariant(wrap(static_cast<std::uint32_t>(toInt()) - static_cast<std::uint32_t>(right.toInt())));
}

CVXLVariant CVXLVariant::operator*(const CVXLVariant& right) const
{
    return CVXLVariant(wrap(static_cast<std::uint32_t>(toInt()) * static_cast<std::uint32_t>(right.toInt())));
}

CVXLVariant CVXLVariant::operator/(const CVXLVariant& right) const
{
    const std::int64_t divisor = right.toInt();
    if (divisor == 0)
        return CVXLVariant(0);
    // In 64 bits INT_MIN / -1 does not trap; it wraps back to INT_MIN.
    return CVXLVariant(wrap(static_cast<std::uint32_t>(toInt() / divisor)));
}

CVXLVariant CVXLVariant::operator%(const CVXLVariant& right) const
{
    const std::int64_t divisor = right.toInt();
    if (divisor == 0)
        return CVXLVariant(0);
    return CVXLVariant(static_cast<int>(toInt() % divisor));
}

namespace {

template <typename T> int order(T l, T r)
{
    return (l > r) - (l < r);
}

} // namespace

bool CVXLVariant::compare(const CVXLVariant& right, Relation relation) const
{
    const bool leftNumber = kind_ == kInteger || kind_ == kReference;
    const bool rightNumber = right.kind_ == kInteger || right.kind_ == kReference || right.isNumericText();
    int sign;
    bool equal;
    if (kind_ == kInteger && right.kind_ == kReference) {
        // Signed at full width: a reference must not be cut to its low 32
        // bits, while small addresses still order as they did in 32 bits.
        sign = order(static_cast<std::intptr_t>(integer_), static_cast<std::intptr_t>(right.reference_));
        equal = sign == 0;
    } else if (leftNumber && rightNumber && kind_ == kInteger) {
        sign = order(integer_, right.toInt());
        equal = sign == 0;
    } else if (leftNumber && rightNumber) {
        // A reference compares unsigned at its full width. A right-hand
        // number is widened with its sign, so that -1 stays above every
        // address as it did in 32 bits.
        const std::uintptr_t r = right.kind_ == kReference
            ? right.reference_
            : static_cast<std::uintptr_t>(static_cast<std::intptr_t>(right.toInt()));
        sign = order(reference_, r);
        equal = sign == 0;
    } else {
        const CVXLString l = toString();
        const CVXLString r = right.toString();
        sign = l.compare(r, true);
        equal = l == r;
    }
    switch (relation) {
    case Relation::Equal:
        return equal;
    case Relation::NotEqual:
        return !equal;
    case Relation::Less:
        return sign < 0;
    case Relation::Greater:
        return sign > 0;
    case Relation::LessOrEqual:
        return sign <= 0;
    case Relation::GreaterOrEqual:
        return sign >= 0;
    }
    return false;
}

bool CVXLVariant::operator==(const CVXLVariant& right) const
{
    return compare(right, Relation::Equal);
}
bool CVXLVariant::operator!=(const CVXLVariant& right) const
{
    return compare(right, Relation::NotEqual);
}
bool CVXLVariant::operator<(const CVXLVariant& right) const
{
    return compare(right, Relation::Less);
}
bool CVXLVariant::operator>(const CVXLVariant& right) const
{
    return compare(right, Relation::Greater);
}
bool CVXLVariant::operator<=(const CVXLVariant& right) const
{
    return compare(right, Relation::LessOrEqual);
}
bool CVXLVariant::operator>=(const CVXLVariant& right) const
{
    return compare(right, Relation::GreaterOrEqual);
}
