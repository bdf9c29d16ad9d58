#include "engine/core/base/VXLPtrArray.h"

CVXLPtrArray::CVXLPtrArray()
{
    reallocate(kInitialSlots);
}

CVXLPtrArray::~CVXLPtrArray()
{
    freeStorage();
}

void CVXLPtrArray::freeStorage()
{
    vxlFree(items_);
    items_ = nullptr;
    capacity_ = 0;
    count_ = 0;
}

bool CVXLPtrArray::reallocate(std::uint32_t slots, std::uint32_t skip)
{
    if (slots > kMaxSlots)
        return false;
    const std::uint32_t kept = skip < count_ ? count_ - 1 : count_;
    if (slots < kept)
        return false;
    CVXLObject** items = nullptr;
    if (slots > 0) {
        items = static_cast<CVXLObject**>(vxlAlloc(slots * static_cast<std::uint32_t>(sizeof(CVXLObject*))));
        if (!items)
            return false;
    }
    // vxlAlloc zero-fills, so every slot above the copied ones is null.
    std::uint32_t to = 0;
    for (std::uint32_t from = 0; from < count_; ++from) {
        if (from != skip)
            items[to++] = items_[from];
    }
    vxlFree(items_);
    items_ = items;
    capacity_ = slots;
    count_ = kept;
    return true;
}

CVXLObject* CVXLPtrArray::at(int index) const
{
    if (index < 0 || static_cast<std::uint32_t>(index) >= count_)
        return nullptr;
    return items_[index];
}

int CVXLPtrArray::indexOf(const CVXLObject* item) const
{
    for (std::uint32_t i = 0; i < count_; ++i) {
        if (items_[i] == item)
            return static_cast<int>(i);
    }
    return -1;
}

int CVXLPtrArray::lastNonNull() const
{
    for (std::uint32_t i = count_; i > 0; --i) {
        if (items_[i - 1])
            return static_cast<int>(i - 1);
    }
    return -1;
}

int CVXLPtrArray::insertAt(CVXLObject* item, int index)
{
    if (count_ >= kMaxSlots)
        return 0;
    if (capacity_ < count_ + 1) {
        const std::uint32_t grown = capacity_ > kMaxSlots - kGrowSlots ? kMaxSlots : capacity_ + kGrowSlots;
        if (!reallocate(grown))
            return 0;
    }
    std::uint32_t at = count_;
    if (index >= 0 && static_cast<std::uint32_t>(index) <= count_)
        at = static_cast<std::uint32_t>(index);
    if (at < count_)
        vxlMemMove(items_ + at + 1, items_ + at, (count_ - at) * sizeof(CVXLObject*));
    items_[at] = item;
    ++count_;
    return 1;
}

bool CVXLPtrArray::setAt(CVXLObject* item, int index)
{
    if (index < 0)
        return false;
    const auto at = static_cast<std::uint32_t>(index);
    if (at >= count_) {
        if (at >= kMaxSlots || !reallocate(at + 1))
            return false;
        count_ = at + 1;
    }
    items_[at] = item;
    return true;
}

int CVXLPtrArray::removeAt(int index)
{
    if (index < 0 || static_cast<std::uint32_t>(index) >= count_)
        return 0;
    const auto at = static_cast<std::uint32_t>(index);
    // Shrinking is an economy: when the heap refuses, remove in place.
    if (capacity_ > count_ + kSpareSlotsBeforeShrink && reallocate(count_ + kSpareSlotsAfterShrink, at))
        return 1;
    vxlMemMove(items_ + at, items_ + at + 1, (count_ - at - 1) * sizeof(CVXLObject*));
    --count_;
    items_[count_] = nullptr;
    return 1;
}

int CVXLPtrArray::remove(const CVXLObject* item)
{
    const int index = indexOf(item);
    return index < 0 ? 0 : removeAt(index);
}

void CVXLPtrArray::clear()
{
    freeStorage();
}

void CVXLPtrArray::deleteAll()
{
    for (std::uint32_t i = 0; i < count_; ++i) {
        CVXLObject* item = items_[i];
        items_[i] = nullptr;
        delete item;
    }
    freeStorage();
}

bool CVXLPtrArray::reserve(std::uint32_t n)
{
    if (count_ >= n)
        return true;
    return reallocate(n);
}

bool CVXLPtrArray::dropFirst(std::uint32_t n)
{
    if (n > count_)
        return false;
    if (n == count_) {
        freeStorage();
        return true;
    }
    const std::uint32_t remaining = count_ - n;
    auto* items
        = static_cast<CVXLObject**>(vxlAlloc(remaining * static_cast<std::uint32_t>(sizeof(CVXLObject*))));
    if (items) {
        vxlMemCopy(items, items_ + n, remaining * sizeof(CVXLObject*));
        vxlFree(items_);
        items_ = items;
        capacity_ = remaining;
    } else {
        // Keep the old storage; the items still move to the front.
        vxlMemMove(items_, items_ + n, remaining * sizeof(CVXLObject*));
        vxlMemSet(items_ + remaining, 0, n * sizeof(CVXLObject*));
    }
    count_ = remaining;
    return true;
}

CVXLPtrArrayIterator CVXLPtrArray::begin() const
{
    return CVXLPtrArrayIterator(this, 0);
}

CVXLPtrArrayIterator CVXLPtrArray::end() const
{
    return CVXLPtrArrayIterator(this, count_);
}
