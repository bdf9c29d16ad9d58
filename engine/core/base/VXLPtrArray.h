#pragma once

#include "engine/core/base/VXLObject.h"
#include "engine/core/base/VXLPtrArrayIterator.h"

#include <cstdint>

// A growable array of object pointers. It does not own the objects; only
// deleteAll deletes them. Storage grows by kGrowSlots on insertion and shrinks
// on removal once more than kSpareSlotsBeforeShrink slots would be spare.
// Slots above the count that growth created hold null.
class CVXLPtrArray : public CVXLObject {
public:
    static constexpr std::uint32_t kInitialSlots = 10;
    static constexpr std::uint32_t kGrowSlots = 10;
    static constexpr std::uint32_t kSpareSlotsBeforeShrink = 10;
    static constexpr std::uint32_t kSpareSlotsAfterShrink = 5;
    // The slot storage's byte size must fit the allocator's 32-bit size.
    static constexpr std::uint32_t kMaxSlots = (0xFFFFFFFFu - 16) / sizeof(CVXLObject*);

    CVXLPtrArray();
    // Copies would share the slot storage; the array has no copy semantics.
    CVXLPtrArray(const CVXLPtrArray&) = delete;
    CVXLPtrArray& operator=(const CVXLPtrArray&) = delete;
    ~CVXLPtrArray() override;

    // 1 on success, 0 when the index is out of range.
    virtual int removeAt(int index);
    virtual void clear();
    // Refused (false) when n is above the count.
    virtual bool dropFirst(std::uint32_t n);

    std::uint32_t count() const { return count_; }
    std::uint32_t capacity() const { return capacity_; }
    // Null when the index is out of range.
    CVXLObject* at(int index) const;
    int indexOf(const CVXLObject* item) const;
    int lastNonNull() const;
    // A negative index or one above the count appends. 1, or 0 when the heap
    // refuses the larger storage.
    int insertAt(CVXLObject* item, int index);
    // Past the end the storage becomes exactly index + 1 slots. False for a
    // negative index or when the heap refuses.
    bool setAt(CVXLObject* item, int index);
    int remove(const CVXLObject* item);
    void deleteAll();
    // Reallocates to exactly n slots when the count is below n (this may
    // shrink the storage). False when the heap refuses.
    bool reserve(std::uint32_t n);

    CVXLPtrArrayIterator begin() const;
    CVXLPtrArrayIterator end() const;

private:
    // Moves the used slots into storage of exactly slots entries; the slot at
    // skip (if any) is left out. False, with nothing changed, when the heap
    // refuses.
    bool reallocate(std::uint32_t slots, std::uint32_t skip = kNoSkip);
    void freeStorage();

    static constexpr std::uint32_t kNoSkip = 0xFFFFFFFFu;

    std::uint32_t capacity_ = 0;
    std::uint32_t count_ = 0;
    CVXLObject** items_ = nullptr;
};
