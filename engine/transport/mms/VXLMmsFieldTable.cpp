#include "engine/transport/mms/VXLMmsFieldTable.h"

#include <new>

namespace {
// The first entries and pool fit the allocator's small blocks, and most
// PDUs need no more.
constexpr std::uint32_t kFirstCapacity = 15;
constexpr std::uint32_t kFirstPool = 256;
const CVXLString kEmpty;
} // namespace

CVXLMmsFieldTable::Entry::Entry(const Entry& other)
    : text(other.text)
    , magnitude(other.magnitude)
    , next(other.next)
    , held(other.held)
{
    set[0] = other.set[0];
    set[1] = other.set[1];
    if (other.parameters) {
        parameters = new Parameters;
        if (parameters) {
            parameters->values[0] = other.parameters->values[0];
            parameters->values[1] = other.parameters->values[1];
        } else {
            set[0] = set[1] = 0;
        }
    }
}

CVXLMmsFieldTable::CVXLMmsFieldTable() { clear(); }

CVXLMmsFieldTable::CVXLMmsFieldTable(const CVXLMmsFieldTable& other) : CVXLObject()
{
    clear();
    *this = other;
}

CVXLMmsFieldTable& CVXLMmsFieldTable::operator=(const CVXLMmsFieldTable& other)
{
    if (this == &other)
        return *this;
    clear();
    if (!reserve(other.count_))
        return *this;
    for (std::uint32_t i = 0; i < other.count_; ++i)
        new (&entries_[i]) Entry(other.entries_[i]);
    count_ = other.count_;
    pool_ = other.pool_;
    vxlMemCopy(first_, other.first_, sizeof first_);
    vxlMemCopy(last_, other.last_, sizeof last_);
    vxlMemCopy(values_, other.values_, sizeof values_);
    vxlMemCopy(order_, other.order_, sizeof order_);
    codeCount_ = other.codeCount_;
    return *this;
}

CVXLMmsFieldTable::~CVXLMmsFieldTable() { release(); }

void CVXLMmsFieldTable::release()
{
    for (std::uint32_t i = 0; i < count_; ++i)
        entries_[i].~Entry();
    if (entries_)
        vxlFree(entries_);
    entries_ = nullptr;
    count_ = 0;
    capacity_ = 0;
    pool_.clear();
}

void CVXLMmsFieldTable::clear()
{
    release();
    // last_ and values_ count only for codes that have a first value.
    vxlMemSet(first_, 0xFF, sizeof first_);
    codeCount_ = 0;
}

// Entries hold strings, which are linked to their sharers by address: a
// bigger array is filled by copies, never by moving bytes.
bool CVXLMmsFieldTable::reserve(std::uint32_t count)
{
    if (count <= capacity_)
        return true;
    std::uint32_t capacity = capacity_ ? capacity_ * 2 : kFirstCapacity;
    while (capacity < count)
        capacity *= 2;
    // Every slot is built before it is read.
    auto* grown = static_cast<Entry*>(vxlAllocUnfilled(static_cast<std::uint32_t>(capacity * sizeof(Entry))));
    if (!grown)
        return false;
    for (std::uint32_t i = 0; i < count_; ++i) {
        // The parameters move over rather than being copied.
        Entry* moved = new (&grown[i]) Entry();
        moved->text = entries_[i].text;
        moved->magnitude = entries_[i].magnitude;
        moved->held = entries_[i].held;
        moved->next = entries_[i].next;
        moved->set[0] = entries_[i].set[0];
        moved->set[1] = entries_[i].set[1];
        moved->parameters = entries_[i].parameters;
        entries_[i].parameters = nullptr;
        entries_[i].~Entry();
    }
    if (entries_)
        vxlFree(entries_);
    entries_ = grown;
    capacity_ = capacity;
    return true;
}

CVXLMmsFieldTable::Entry* CVXLMmsFieldTable::added(std::int32_t code)
{
    if (code < 0 || code > kMaxCode || !reserve(count_ + 1))
        return nullptr;
    const auto index = static_cast<std::int32_t>(count_);
    Entry* entry = new (&entries_[count_++]) Entry();
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
    Entry* entry = added(code);
    if (!entry)
        return false;
    entry->text = value;
    return true;
}

bool CVXLMmsFieldTable::addText(std::int32_t code, const char* bytes, std::uint32_t length)
{
    if (code < 0 || code > kMaxCode)
        return false;
    const std::uint32_t at = pool_.length();
    if (length) {
        if (!pool_.capacity() && !pool_.reserve(length > kFirstPool ? length : kFirstPool))
            return false;
        // The pool is grown first, so a refusal leaves the table as it was.
        std::uint8_t* into = pool_.extend(length);
        if (!into)
            return false;
        vxlMemCopy(into, bytes, length);
    }
    Entry* entry = added(code);
    if (!entry) {
        pool_.truncate(at);
        return false;
    }
    entry->pooled.at = at;
    entry->pooled.length = length;
    entry->held = length ? Held::kPooled : Held::kText;
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

CVXLString CVXLMmsFieldTable::decimal(std::uint64_t magnitude, bool negative)
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
    if (magnitude < kShared && (!negative || magnitude == 0))
        return numbers.texts[magnitude];
    char text[24];
    int at = sizeof text;
    do {
        text[--at] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude);
    if (negative)
        text[--at] = '-';
    CVXLString result;
    result.appendBytes(text + at, static_cast<std::uint32_t>(sizeof text - at));
    return result;
}

const CVXLMmsFieldTable::Entry* CVXLMmsFieldTable::entry(std::int32_t code, int n) const
{
    if (code < 0 || code > kMaxCode || n < 0)
        return nullptr;
    std::int32_t at = first_[code];
    while (at >= 0 && n--)
        at = entries_[at].next;
    return at >= 0 ? &entries_[at] : nullptr;
}

bool CVXLMmsFieldTable::setParameter(std::int32_t code, int n, Parameter which, const CVXLString& value)
{
    auto* found = const_cast<Entry*>(entry(code, n));
    if (!found)
        return false;
    if (!found->parameters && !(found->parameters = new Parameters))
        return false;
    found->parameters->values[which] = value;
    const auto mark = static_cast<std::uint8_t>(1 + which);
    if (found->set[0] != mark && found->set[1] != mark)
        found->set[found->set[0] ? 1 : 0] = mark;
    return true;
}

std::uint32_t CVXLMmsFieldTable::valueCount(std::int32_t code) const
{
    return code < 0 || code > kMaxCode || first_[code] < 0 ? 0 : values_[code];
}

const CVXLString& CVXLMmsFieldTable::value(std::int32_t code, int n) const
{
    const Entry* found = entry(code, n);
    if (!found)
        return kEmpty;
    // Made on first read; a refused block leaves it to the next read.
    switch (found->held) {
    case Held::kText:
        break;
    case Held::kPooled:
        found->text.appendBytes(pool_.data() + found->pooled.at, found->pooled.length);
        if (found->text.length() == found->pooled.length)
            found->held = Held::kText;
        break;
    case Held::kNumber:
    case Held::kNegative:
        found->text = decimal(found->magnitude, found->held == Held::kNegative);
        if (found->text.length())
            found->held = Held::kText;
        break;
    }
    return found->text;
}

const CVXLString* CVXLMmsFieldTable::parameter(std::int32_t code, int n, Parameter which) const
{
    const Entry* found = entry(code, n);
    const auto mark = static_cast<std::uint8_t>(1 + which);
    if (!found || (found->set[0] != mark && found->set[1] != mark))
        return nullptr;
    return &found->parameters->values[which];
}

std::uint32_t CVXLMmsFieldTable::parameterCount(std::int32_t code, int n) const
{
    const Entry* found = entry(code, n);
    return found ? (found->set[0] ? 1u : 0u) + (found->set[1] ? 1u : 0u) : 0;
}

bool CVXLMmsFieldTable::parameterAt(std::int32_t code, int n, std::uint32_t k, Parameter& which) const
{
    const Entry* found = entry(code, n);
    if (!found || k > 1 || !found->set[k])
        return false;
    which = static_cast<Parameter>(found->set[k] - 1);
    return true;
}

bool CVXLMmsFieldTable::codeOfName(const CVXLString& name, std::int32_t& code)
{
    const std::uint32_t length = name.length();
    const char* text = name.c_str();
    // "07" is a name of its own, not field 7.
    if (length == 0 || length > 3 || (length > 1 && text[0] == '0'))
        return false;
    std::int32_t n = 0;
    for (std::uint32_t i = 0; i < length; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        n = n * 10 + (text[i] - '0');
    }
    if (n > kMaxCode)
        return false;
    code = n;
    return true;
}
