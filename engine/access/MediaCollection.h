#pragma once

#include "engine/access/MediaCollectionKey.h"
#include "engine/media/VXLMediaItem.h"

#include <cstdint>
#include <vector>

// One cached entry of a list: the item (owned), whether the user selected
// it, how many holders use it now and when it was last used.
struct CMediaCollectionEntry {
    bool selected = false;
    std::uint16_t useCount = 0;
    CVXLMediaItem* item = nullptr;
    std::uint32_t stamp = 0;
};

// The cache of one list the user opened, indexed by position. At most 48
// unselected entries are kept: inserting past that evicts the least recently
// used unselected entry that nobody uses, or nothing when all are in use.
// Selected entries are never evicted, and keep one use while the list is
// open so that closing the list leaves them cached.
class CMediaCollection {
public:
    static constexpr std::uint32_t kMaxUnselectedEntries = 48;

    explicit CMediaCollection(const CMediaCollectionKey& key)
        : key_(key)
    {
    }
    ~CMediaCollection() { clear(); }
    CMediaCollection(const CMediaCollection&) = delete;
    CMediaCollection& operator=(const CMediaCollection&) = delete;

    const CMediaCollectionKey& key() const { return key_; }

    CMediaCollectionEntry* at(std::int32_t position) const;
    // One past the highest position held.
    std::int32_t size() const { return static_cast<std::int32_t>(entries_.size()); }
    std::uint32_t cachedCount() const { return cached_; }
    std::uint32_t countSelected() const;
    // The position of the entry whose item has an equal descriptor; -1 for none.
    std::int32_t find(const CVXLMediaDescriptor& descriptor) const;
    std::int32_t find(const CVXLMediaItem* item) const;

    // Takes the item at a free position, evicting first when the cache is
    // full; the new entry is unselected and unused. On a taken position the
    // entry there stays and the new item is deleted.
    CMediaCollectionEntry* insert(std::int32_t position, CVXLMediaItem* item);
    void use(CMediaCollectionEntry* entry);
    // One use less; see the class comment for what happens at zero.
    void release(std::int32_t position);
    void releaseAll();

    void open() { ++openCount_; }
    // One open less; at the last, every entry not in use goes.
    void close();
    std::uint32_t openCount() const { return openCount_; }
    // Deletes every entry and its item; the collection counts as not open.
    void clear();

    bool wholeSelection() const { return wholeSelection_; }
    void setWholeSelection(bool whole) { wholeSelection_ = whole; }
    bool isSelected(std::int32_t position) const;
    // The selected items (every cached one with the whole-selection flag) in
    // position order.
    std::vector<CVXLMediaItem*> selectedItems() const;
    std::vector<std::int32_t> selectedPositions() const;
    void clearSelections();

private:
    void evictOne();
    void drop(std::int32_t position);

    CMediaCollectionKey key_;
    std::vector<CMediaCollectionEntry*> entries_;
    bool wholeSelection_ = false;
    std::uint32_t openCount_ = 0;
    std::uint32_t stampCounter_ = 0;
    std::uint32_t cached_ = 0;
};
