#pragma once

#include "engine/core/base/VXLFixedArray.h"
#include "engine/core/base/VXLIndexIterator.h"
#include "engine/core/base/VXLObject.h"
#include "engine/core/base/VXLString.h"

#include <cstdint>

// Key to object pointer in insertion order. Keys compare exactly, or ignoring
// ASCII case when the flag is set. The map owns copies of its keys; values
// stay the caller's unless removeAll is asked to delete them.
//
// A map of more than a few keys finds them through a hash index of the
// case-folded keys (linear probing), which serves both comparisons; without
// the heap for the index it searches linearly.
class CVXLStringMap : public CVXLObject {
public:
    explicit CVXLStringMap(std::uint32_t reserveCount = 0);
    // Copies would share the key strings; the map has no copy semantics.
    CVXLStringMap(const CVXLStringMap&) = delete;
    CVXLStringMap& operator=(const CVXLStringMap&) = delete;
    ~CVXLStringMap() override;

    void setCaseInsensitive(bool flag) { caseInsensitive_ = flag ? 1 : 0; }
    bool isCaseInsensitive() const { return caseInsensitive_ != 0; }

    // The first matching pair's value, or null.
    CVXLObject* find(const CVXLString& key) const;
    bool contains(const CVXLString& key) const;
    // A matching pair takes the value and keeps its key as first stored; the
    // old value is neither deleted nor returned. False when the heap refuses.
    bool set(const CVXLString& key, CVXLObject* value);
    // Adds a pair for a key the caller knows is absent, without a search.
    bool append(const CVXLString& key, CVXLObject* value);
    // The value is left to the caller.
    bool remove(const CVXLString& key);
    void removeAll(bool deleteValues);
    void clear() { removeAll(true); }

    std::uint32_t count() const { return pairs_.count(); }
    // The pair at a position in insertion order: null when out of range.
    const CVXLString* keyAt(int index) const;
    CVXLObject* valueAt(int index) const;

    CVXLIndexIterator begin() const;
    CVXLIndexIterator end() const;

private:
    struct Pair {
        CVXLString* key;
        CVXLObject* value;
    };

    // Below this many keys a linear search is as quick as the index.
    static constexpr std::uint32_t kIndexedFrom = 16;

    int indexOf(const CVXLString& key) const;
    bool matches(const CVXLString& stored, const CVXLString& key) const;
    const Pair* pairAt(int index) const;
    std::uint32_t homeSlot(const CVXLString& key) const;
    void indexPair(std::uint32_t index);
    void unindexPair(std::uint32_t index);
    void buildIndex(std::uint32_t slotCount);
    void dropIndex();

    std::uint32_t caseInsensitive_ = 0;
    CVXLFixedArray pairs_;
    // Each slot holds a pair's position + 1, or 0 when free; at most half full.
    std::uint32_t* slots_ = nullptr;
    std::uint32_t slotCount_ = 0;
};
