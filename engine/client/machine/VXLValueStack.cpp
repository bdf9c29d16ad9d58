#include "engine/client/machine/VXLValueStack.h"

#include <new>

CVXLValueStack::CVXLValueStack(std::uint32_t initialCapacity)
{
    if (initialCapacity > kMaxCapacity)
        initialCapacity = kMaxCapacity;
    if (initialCapacity > 0) {
        items_ = static_cast<CVXLVariant*>(vxlAlloc(initialCapacity * sizeof(CVXLVariant)));
        if (items_)
            capacity_ = initialCapacity;
    }
}

CVXLValueStack::~CVXLValueStack()
{
    clear();
    vxlFree(items_);
}

bool CVXLValueStack::grow()
{
    std::uint32_t capacity = capacity_ < 8 ? 16 : capacity_ * 2;
    if (capacity > kMaxCapacity)
        capacity = kMaxCapacity;
    if (capacity <= capacity_)
        return false;
    auto* items = static_cast<CVXLVariant*>(vxlAlloc(capacity * sizeof(CVXLVariant)));
    if (!items)
        return false;
    for (std::uint32_t i = 0; i < count_; ++i) {
        new (&items[i]) CVXLVariant(items_[i]);
        items_[i].~CVXLVariant();
    }
    vxlFree(items_);
    items_ = items;
    capacity_ = capacity;
    return true;
}

bool CVXLValueStack::push(const CVXLVariant& value)
{
    if (count_ == capacity_ && !grow())
        return false;
    new (&items_[count_]) CVXLVariant(value);
    ++count_;
    return true;
}

bool CVXLValueStack::pop(CVXLVariant& out)
{
    if (count_ == 0)
        return false;
    --count_;
    out = items_[count_];
    items_[count_].~CVXLVariant();
    return true;
}

bool CVXLValueStack::drop(std::uint32_t n)
{
    if (n > count_)
        return false;
    while (n-- > 0) {
        --count_;
        items_[count_].~CVXLVariant();
    }
    return true;
}

CVXLVariant* CVXLValueStack::peek()
{
    return at(-1);
}

CVXLVariant* CVXLValueStack::at(int offset)
{
    if (offset >= 0 || static_cast<std::uint32_t>(-static_cast<std::int64_t>(offset)) > count_)
        return nullptr;
    return &items_[static_cast<std::int64_t>(count_) + offset];
}

const CVXLVariant* CVXLValueStack::at(int offset) const
{
    return const_cast<CVXLValueStack*>(this)->at(offset);
}

CVXLVariant* CVXLValueStack::item(std::uint32_t index)
{
    return index < count_ ? &items_[index] : nullptr;
}

const CVXLVariant* CVXLValueStack::item(std::uint32_t index) const
{
    return index < count_ ? &items_[index] : nullptr;
}

void CVXLValueStack::clear()
{
    drop(count_);
}
