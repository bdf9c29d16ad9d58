#include "engine/access/MediaCollection.h"

namespace {

bool sameDescriptor(const CVXLMediaDescriptor& a, const CVXLMediaDescriptor& b)
{
    return a.value == b.value && a.uid == b.uid && a.id == b.id;
}

} // namespace

CMediaCollectionEntry* CMediaCollection::at(std::int32_t position) const
{
    if (position < 0 || position >= size())
        return nullptr;
    return entries_[static_cast<std::size_t>(position)];
}

std::uint32_t CMediaCollection::countSelected() const
{
    std::uint32_t count = 0;
    for (const CMediaCollectionEntry* entry : entries_)
        if (entry && entry->selected)
            ++count;
    return count;
}

std::int32_t CMediaCollection::find(const CVXLMediaDescriptor& descriptor) const
{
    for (std::int32_t position = 0; position < size(); ++position) {
        const CMediaCollectionEntry* entry = at(position);
        if (entry && sameDescriptor(entry->item->descriptor(), descriptor))
            return position;
    }
    return -1;
}

std::int32_t CMediaCollection::find(const CVXLMediaItem* item) const
{
    for (std::int32_t position = 0; position < size(); ++position) {
        const CMediaCollectionEntry* entry = at(position);
        if (entry && entry->item == item)
            return position;
    }
    return -1;
}

void CMediaCollection::evictOne()
{
    std::int32_t victim = -1;
    for (std::int32_t position = 0; position < size(); ++position) {
        const CMediaCollectionEntry* entry = at(position);
        if (!entry || entry->selected || entry->useCount != 0)
            continue;
        if (victim < 0 || entry->stamp < at(victim)->stamp)
            victim = position;
    }
    if (victim >= 0)
        drop(victim);
}

CMediaCollectionEntry* CMediaCollection::insert(std::int32_t position, CVXLMediaItem* item)
{
    if (position < 0 || !item) {
        delete item;
        return nullptr;
    }
    if (CMediaCollectionEntry* taken = at(position)) {
        if (taken->item != item)
            delete item;
        return taken;
    }
    if (cached_ - countSelected() + 1 > kMaxUnselectedEntries)
        evictOne();
    auto* entry = new CMediaCollectionEntry();
    entry->item = item;
    entry->stamp = ++stampCounter_;
    if (position >= size())
        entries_.resize(static_cast<std::size_t>(position) + 1, nullptr);
    entries_[static_cast<std::size_t>(position)] = entry;
    ++cached_;
    return entry;
}

void CMediaCollection::use(CMediaCollectionEntry* entry)
{
    if (!entry)
        return;
    if (entry->useCount != 0xFFFF)
        ++entry->useCount;
    entry->stamp = ++stampCounter_;
}

void CMediaCollection::release(std::int32_t position)
{
    CMediaCollectionEntry* entry = at(position);
    if (!entry)
        return;
    if (entry->useCount > 0)
        --entry->useCount;
    if (entry->useCount != 0)
        return;
    if (openCount_ > 0) {
        if (entry->selected)
            entry->useCount = 1;
        return;
    }
    drop(position);
}

void CMediaCollection::releaseAll()
{
    for (std::int32_t position = 0; position < size(); ++position)
        release(position);
}

void CMediaCollection::close()
{
    if (openCount_ > 0)
        --openCount_;
    if (openCount_ != 0)
        return;
    for (std::int32_t position = 0; position < size(); ++position) {
        const CMediaCollectionEntry* entry = at(position);
        if (entry && entry->useCount == 0)
            drop(position);
    }
}

void CMediaCollection::clear()
{
    for (CMediaCollectionEntry*& entry : entries_) {
        if (!entry)
            continue;
        delete entry->item;
        delete entry;
        entry = nullptr;
    }
    entries_.clear();
    cached_ = 0;
    openCount_ = 0;
}

bool CMediaCollection::isSelected(std::int32_t position) const
{
    const CMediaCollectionEntry* entry = at(position);
    return entry && (wholeSelection_ || entry->selected);
}

std::vector<std::int32_t> CMediaCollection::selectedPositions() const
{
    std::vector<std::int32_t> positions;
    for (std::int32_t position = 0; position < size(); ++position)
        if (isSelected(position))
            positions.push_back(position);
    return positions;
}

std::vector<CVXLMediaItem*> CMediaCollection::selectedItems() const
{
    std::vector<CVXLMediaItem*> items;
    for (std::int32_t position : selectedPositions())
        items.push_back(at(position)->item);
    return items;
}

void CMediaCollection::clearSelections()
{
    wholeSelection_ = false;
    for (CMediaCollectionEntry* entry : entries_)
        if (entry)
            entry->selected = false;
}

void CMediaCollection::drop(std::int32_t position)
{
    CMediaCollectionEntry*& entry = entries_[static_cast<std::size_t>(position)];
    delete entry->item;
    delete entry;
    entry = nullptr;
    --cached_;
    while (!entries_.empty() && entries_.back() == nullptr)
        entries_.pop_back();
}
