#include "engine/transport/mms/VXLMmsFieldTable.h"

#include <new>

namespace {
// The first block of a pool that outgrows the table, and of the parameters.
constexpr std::uint32_t kFirstPool = 512;
constexpr std::uint32_t kFirstParameters = 4;
const CVXLString kEmpty;

// A bigger block of raw slots for objects linked to their sharers by
// address: the built ones are copied over (never moved as bytes) and the
// old ones destroyed. Null, with the old block as it was, when the heap
// refuses.
template <typename T, typename Built>
T* regrown(T* old, std::uint32_t count, std::uint32_t capacity, Built built)
{
    auto* grown = static_cast<T*>(vxlAllocUnfilled(static_cast<std::uint32_t>(capacity * sizeof(T))));
    if (!grown)
        return nullptr;
    for (std::uint32_t i = 0; i < count; ++i) {
        if (built(i)) {
            new (&grown[i]) T(old[i]);
            old[i].~T();
        }
    }
    if (old)
        vxlFree(old);
    return grown;
}

std::uint32_t doubledPast(std::uint32_t capacity, std::uint32_t first, std::uint32_t count)
{
    std::uint32_t grown = capacity ? capacity * 2 : first;
    while (grown < count)
        grown *= 2;
    return grown;
}

} // namespace

CVXLMmsFieldTable::CVXLMmsFieldTable()
{
    clear();
}

CVXLMmsFieldTable::CVXLMmsFieldTable(const CVXLMmsFieldTable& other)
    : CVXLObject()
{
    clear();
    *this = other;
}

CVXLMmsFieldTable& CVXLMmsFieldTable::operator=(const CVXLMmsFieldTable& other)
{
    if (this == &other)
        return *this;
    clear();
    if (!reserve(other.count_) || (other.texts_ && other.count_ && !haveTexts()))
        return *this;
    if (other.parameterCount_) {
        parameters_ = static_cast<Parameters*>(
            vxlAllocUnfilled(static_cast<std::uint32_t>(other.parameterCount_ * sizeof(Parameters))));
        if (!parameters_)
            return *this;
        parameterCapacity_ = other.parameterCount_;
        for (; parameterCount_ < other.parameterCount_; ++parameterCount_)
            new (&parameters_[parameterCount_]) Parameters(other.parameters_[parameterCount_]);
    }
    vxlMemCopy(entries_, other.entries_, other.count_ * sizeof(Entry));
    for (std::uint32_t i = 0; i < other.count_; ++i) {
        if (entries_[i].held == Held::kString)
            new (&texts_[i]) CVXLString(other.texts_[i]);
    }
    count_ = other.count_;
    pool_ = other.pool_;
    vxlMemCopy(inlinePool_, other.inlinePool_, other.inlinePoolUsed_);
    inlinePoolUsed_ = other.inlinePoolUsed_;
    vxlMemCopy(first_, other.first_, sizeof first_);
    vxlMemCopy(last_, other.last_, sizeof last_);
    vxlMemCopy(values_, other.values_, sizeof values_);
    vxlMemCopy(order_, other.order_, sizeof order_);
    codeCount_ = other.codeCount_;
    return *this;
}

CVXLMmsFieldTable::~CVXLMmsFieldTable()
{
    release();
}

void CVXLMmsFieldTable::release()
{
    if (texts_) {
        for (std::uint32_t i = 0; i < count_; ++i) {
            if (entries_[i].held == Held::kString)
                texts_[i].~CVXLString();
        }
        vxlFree(texts_);
        texts_ = nullptr;
    }
    for (std::uint32_t i = 0; i < parameterCount_; ++i)
        parameters_[i].~Parameters();
    if (parameters_)
        vxlFree(parameters_);
    parameters_ = nullptr;
    parameterCount_ = parameterCapacity_ = 0;
    if (entries_ && entries_ != inlineEntries_)
        vxlFree(entries_);
    entries_ = inlineEntries_;
    count_ = 0;
    capacity_ = kInlineEntries;
    pool_.clear();
    inlinePoolUsed_ = 0;
}

void CVXLMmsFieldTable::clear()
{
    release();
    // last_ and values_ count only for codes that have a first value.
    vxlMemSet(first_, 0xFF, sizeof first_);
    codeCount_ = 0;
}

bool CVXLMmsFieldTable::reserve(std::uint32_t count)
{
    if (count <= capacity_)
        return true;
    const std::uint32_t capacity = doubledPast(capacity_, kInlineEntries, count);
    if (texts_) {
        CVXLString* texts = regrown(
            texts_, count_, capacity, [this](std::uint32_t i) { return entries_[i].held == Held::kString; });
        if (!texts)
            return false;
        texts_ = texts;
    }
    // Entries are plain data.
    auto* grown = static_cast<Entry*>(vxlAllocUnfilled(static_cast<std::uint32_t>(capacity * sizeof(Entry))));
    if (!grown) {
        // The texts grew already; they keep the room.
        return false;
    }
    if (count_)
        vxlMemCopy(grown, entries_, count_ * sizeof(Entry));
    if (entries_ != inlineEntries_)
        vxlFree(entries_);
    entries_ = grown;
    capacity_ = capacity;
    return true;
}

bool CVXLMmsFieldTable::haveTexts() const
{
    if (!texts_ && capacity_)
        texts_ = static_cast<CVXLString*>(
            vxlAllocUnfilled(static_cast<std::uint32_t>(capacity_ * sizeof(CVXLString))));
    return texts_ != nullptr;
}

CVXLMmsFieldTable::Entry* CVXLMmsFieldTable::added(std::int32_t code)
{
    if (code < 0 || code > kMaxCode || !reserve(count_ + 1))
        return nullptr;
    const auto index = static_cast<std::int32_t>(count_);
    Entry* entry = &entries_[count_++];
    entry->magnitude = 0;
    entry->next = -1;
    entry->parameters = -1;
    entry->set[0] = entry->set[1] = 0;
    entry->held = Held::kEmpty;
    if (first_[code] < 0) {
        first_[code] = index;
        values_[code] = 0;
        order_[codeCount_++] = static_cast<std::uint8_t>(code);
    } else {
        entries_[last_[code]].next = index;
    }
    last_[code] = index;
    ++values_[code];
    return entry;
}

bool CVXLMmsFieldTable::add(std::int32_t code, const CVXLString& value)
{
    if (!value.length())
        return added(code) != nullptr;
    // The room for its string first, so a refusal adds nothing.
    if (code < 0 || code > kMaxCode || !reserve(count_ + 1) || !haveTexts())
        return false;
    Entry* entry = added(code);
    new (&texts_[entry - entries_]) CVXLString(value);
    entry->held = Held::kString;
    return true;
}

bool CVXLMmsFieldTable::addShared(std::int32_t code, const CVXLString& lasting)
{
    Entry* entry = added(code);
    if (!entry)
        return false;
    entry->shared = &lasting;
    entry->held = Held::kShared;
    return true;
}

bool CVXLMmsFieldTable::addText(std::int32_t code, const char* bytes, std::uint32_t length)
{
    if (code < 0 || code > kMaxCode)
        return false;
    const bool inPlace = !pool_.length();
    const std::uint32_t at = inPlace ? inlinePoolUsed_ : pool_.length();
    // The pool is grown first, so a refusal leaves the table as it was.
    if (length && inPlace && length <= kInlinePool - inlinePoolUsed_) {
        vxlMemCopy(inlinePool_ + at, bytes, length);
        inlinePoolUsed_ += length;
    } else if (length) {
        if (inPlace) {
            // The texts outgrow the table: they move to a block, where they
            // keep their places.
            const std::uint32_t wanted = at + length;
            if (wanted < at || !pool_.reserve(wanted > kFirstPool ? wanted : kFirstPool)
                || (at && !pool_.append(inlinePool_, at)))
                return false;
        }
        std::uint8_t* into = pool_.extend(length);
        if (!into)
            return false;
        vxlMemCopy(into, bytes, length);
    }
    Entry* entry = added(code);
    if (!entry) {
        if (pool_.length())
            pool_.truncate(at);
        else
            inlinePoolUsed_ = at;
        return false;
    }
    if (length) {
        entry->pooled.at = at;
        entry->pooled.length = length;
        entry->held = Held::kPooled;
    }
    return true;
}

bool CVXLMmsFieldTable::addNumber(std::int32_t code, std::uint64_t magnitude, bool negative)
{
    Entry* entry = added(code);
    if (!entry)
        return false;
    entry->magnitude = magnitude;
    entry->held = negative && magnitude ? Held::kNegative : Held::kNumber;
    return true;
}

const CVXLString* CVXLMmsFieldTable::sharedDecimal(std::uint64_t magnitude, bool negative)
{
    constexpr std::uint64_t kShared = 256;
    static const struct Numbers {
        Numbers()
        {
            for (std::uint32_t i = 0; i < kShared; ++i)
                texts[i].setUnsigned(i);
        }
        CVXLString texts[kShared];
    } numbers;
    return magnitude < kShared && (!negative || magnitude == 0) ? &numbers.texts[magnitude] : nullptr;
}

namespace {

// Assigns the decimal text of a number (not a shared one) to text.
void assignDigits(CVXLString& text, std::uint64_t magnitude, bool negative)
{
    // Room for the digits of any 64-bit number and a sign.
    char digits[24];
    char* const end = digits + sizeof digits;
    char* at = end;
    do {
        *--at = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude);
    if (negative)
        *--at = '-';
    text.assign(at, static_cast<std::uint32_t>(end - at));
}

} // namespace

CVXLString CVXLMmsFieldTable::decimal(std::uint64_t magnitude, bool negative)
{
    if (const CVXLString* shared = sharedDecimal(magnitude, negative))
        return *shared;
    CVXLString result;
    assignDigits(result, magnitude, negative);
    return result;
}

std::int32_t CVXLMmsFieldTable::indexOf(std::int32_t code, int n) const
{
    if (code < 0 || code > kMaxCode || n < 0)
        return -1;
    std::int32_t at = first_[code];
    while (at >= 0 && n--)
        at = entries_[at].next;
    return at;
}

bool CVXLMmsFieldTable::setParameter(std::int32_t code, int n, Parameter which, const CVXLString& value)
{
    const std::int32_t at = indexOf(code, n);
    if (at < 0)
        return false;
    Entry& found = entries_[at];
    if (found.parameters < 0) {
        if (parameterCount_ == parameterCapacity_) {
            const std::uint32_t capacity
                = doubledPast(parameterCapacity_, kFirstParameters, parameterCount_ + 1);
            Parameters* grown
                = regrown(parameters_, parameterCount_, capacity, [](std::uint32_t) { return true; });
            if (!grown)
                return false;
            parameters_ = grown;
            parameterCapacity_ = capacity;
        }
        new (&parameters_[parameterCount_]) Parameters();
        found.parameters = static_cast<std::int32_t>(parameterCount_++);
    }
    parameters_[found.parameters].values[which] = value;
    const auto mark = static_cast<std::uint8_t>(1 + which);
    if (found.set[0] != mark && found.set[1] != mark)
        found.set[found.set[0] ? 1 : 0] = mark;
    return true;
}

std::uint32_t CVXLMmsFieldTable::valueCount(std::int32_t code) const
{
    return code < 0 || code > kMaxCode || first_[code] < 0 ? 0 : values_[code];
}

const CVXLString& CVXLMmsFieldTable::value(std::int32_t code, int n) const
{
    const std::int32_t at = indexOf(code, n);
    if (at < 0)
        return kEmpty;
    const Entry& found = entries_[at];
    switch (found.held) {
    case Held::kEmpty:
        return kEmpty;
    case Held::kString:
        return texts_[at];
    case Held::kShared:
        return *found.shared;
    case Held::kPooled:
        break;
    case Held::kNumber:
    case Held::kNegative:
        if (const CVXLString* shared = sharedDecimal(found.magnitude, found.held == Held::kNegative))
            return *shared;
        break;
    }
    // Made on first read; a refused block leaves it to the next read.
    if (!haveTexts())
        return kEmpty;
    // Built in its slot, so the text takes one block and no copy.
    CVXLString* made = new (&texts_[at]) CVXLString();
    if (found.held == Held::kPooled) {
        made->assign((pool_.length() ? pool_.data() : inlinePool_) + found.pooled.at, found.pooled.length);
    } else {
        // The digits go straight into the slot's one block.
        assignDigits(*made, found.magnitude, found.held == Held::kNegative);
    }
    if (!made->length()) {
        made->~CVXLString();
        return kEmpty;
    }
    found.held = Held::kString;
    return *made;
}

const CVXLString* CVXLMmsFieldTable::parameter(std::int32_t code, int n, Parameter which) const
{
    const std::int32_t at = indexOf(code, n);
    const auto mark = static_cast<std::uint8_t>(1 + which);
    if (at < 0 || (entries_[at].set[0] != mark && entries_[at].set[1] != mark))
        return nullptr;
    return &parameters_[entries_[at].parameters].values[which];
}

std::uint32_t CVXLMmsFieldTable::parameterCount(std::int32_t code, int n) const
{
    const std::int32_t at = indexOf(code, n);
    return at < 0 ? 0 : (entries_[at].set[0] ? 1u : 0u) + (entries_[at].set[1] ? 1u : 0u);
}

bool CVXLMmsFieldTable::parameterAt(std::int32_t code, int n, std::uint32_t k, Parameter& which) const
{
    const std::int32_t at = indexOf(code, n);
    if (at < 0 || k > 1 || !entries_[at].set[k])
        return false;
    which = static_cast<Parameter>(entries_[at].set[k] - 1);
    return true;
}
