#include "engine/transport/mms/VXLMmsFieldTable.h"

#include <new>

namespace {
constexpr std::uint32_t kFirstCapacity = 16;
const CVXLString kEmpty;
} // namespace

CVXLMmsFieldTable::Entry::Entry(const Entry& other) : text(other.text), next(other.next)
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
}

void CVXLMmsFieldTable::clear()
{
    release();
    vxlMemSet(first_, 0xFF, sizeof first_);
    vxlMemSet(last_, 0xFF, sizeof last_);
    vxlMemSet(values_, 0, sizeof values_);
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

bool CVXLMmsFieldTable::add(std::int32_t code, const CVXLString& value)
{
    if (code < 0 || code > kMaxCode || !reserve(count_ + 1))
        return false;
    const auto index = static_cast<std::int32_t>(count_);
    Entry* added = new (&entries_[count_++]) Entry();
    added->text = value;
    if (last_[code] < 0) {
        first_[code] = index;
        order_[codeCount_++] = static_cast<std::uint8_t>(code);
    } else {
        entries_[last_[code]].next = index;
    }
    last_[code] = index;
    ++values_[code];
    return true;
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
    return code < 0 || code > kMaxCode ? 0 : values_[code];
}

const CVXLString& CVXLMmsFieldTable::value(std::int32_t code, int n) const
{
    const Entry* found = entry(code, n);
    return found ? found->text : kEmpty;
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
