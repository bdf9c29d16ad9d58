#include "engine/core/base/VXLStringMap.h"

CVXLStringMap::CVXLStringMap(std::uint32_t reserveCount)
    : pairs_(sizeof(Pair), reserveCount)
{
}

CVXLStringMap::~CVXLStringMap()
{
    removeAll(false);
}

const CVXLStringMap::Pair* CVXLStringMap::pairAt(int index) const
{
    return static_cast<const Pair*>(pairs_.at(index));
}

namespace {

char foldUpper(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// FNV-1a of the case-folded key up to its first NUL, where comparisons end.
std::uint32_t foldedHash(const CVXLString& key)
{
    std::uint32_t h = 2166136261u;
    for (const char* p = key.c_str(); *p; ++p)
        h = (h ^ static_cast<std::uint8_t>(foldUpper(*p))) * 16777619u;
    return h;
}

} // namespace

bool CVXLStringMap::matches(const CVXLString& stored, const CVXLString& key) const
{
    return caseInsensitive_ ? stored.compare(key, false) == 0 : stored == key;
}

int CVXLStringMap::indexOf(const CVXLString& key) const
{
    if (!slots_) {
        for (std::uint32_t i = 0, n = count(); i < n; ++i) {
            if (matches(*pairAt(static_cast<int>(i))->key, key))
                return static_cast<int>(i);
        }
        return -1;
    }
    // Every key that folds alike lies on one probe run; the first in
    // insertion order wins, as in a linear search.
    int first = -1;
    const std::uint32_t mask = slotCount_ - 1;
    for (std::uint32_t slot = homeSlot(key); slots_[slot] != 0; slot = (slot + 1) & mask) {
        const int index = static_cast<int>(slots_[slot] - 1);
        if ((first < 0 || index < first) && matches(*pairAt(index)->key, key)) {
            first = index;
            if (!caseInsensitive_)
                break; // exact keys are unique
        }
    }
    return first;
}

std::uint32_t CVXLStringMap::homeSlot(const CVXLString& key) const
{
    return foldedHash(key) & (slotCount_ - 1);
}

void CVXLStringMap::indexPair(std::uint32_t index)
{
    if (!slots_ || 2 * count() > slotCount_) {
        if (count() >= kIndexedFrom) {
            std::uint32_t slotCount = 4 * kIndexedFrom;
            while (slotCount < 4 * count())
                slotCount *= 2;
            buildIndex(slotCount);
        }
        return;
    }
    const std::uint32_t mask = slotCount_ - 1;
    std::uint32_t slot = homeSlot(*pairAt(static_cast<int>(index))->key);
    while (slots_[slot] != 0)
        slot = (slot + 1) & mask;
    slots_[slot] = index + 1;
}

// Before the pair leaves the array: frees its slot, moving later members of
// the probe run back so none is cut off, and renumbers the pairs behind it.
void CVXLStringMap::unindexPair(std::uint32_t index)
{
    if (!slots_)
        return;
    const std::uint32_t mask = slotCount_ - 1;
    std::uint32_t hole = homeSlot(*pairAt(static_cast<int>(index))->key);
    while (slots_[hole] != index + 1)
        hole = (hole + 1) & mask;
    for (std::uint32_t next = (hole + 1) & mask; slots_[next] != 0; next = (next + 1) & mask) {
        const std::uint32_t home = homeSlot(*pairAt(static_cast<int>(slots_[next] - 1))->key);
        // Movable when its home does not lie cyclically in (hole, next].
        const bool homeBetween = hole <= next ? (hole < home && home <= next) : (hole < home || home <= next);
        if (!homeBetween) {
            slots_[hole] = slots_[next];
            hole = next;
        }
    }
    slots_[hole] = 0;
    for (std::uint32_t slot = 0; slot < slotCount_; ++slot) {
        if (slots_[slot] > index + 1)
            --slots_[slot];
    }
}

void CVXLStringMap::buildIndex(std::uint32_t slotCount)
{
    dropIndex();
    slots_ = static_cast<std::uint32_t*>(vxlAlloc(slotCount * sizeof(std::uint32_t)));
    if (!slots_)
        return; // searched linearly until the next try
    slotCount_ = slotCount;
    const std::uint32_t mask = slotCount_ - 1;
    for (std::uint32_t i = 0, n = count(); i < n; ++i) {
        std::uint32_t slot = homeSlot(*pairAt(static_cast<int>(i))->key);
        while (slots_[slot] != 0)
            slot = (slot + 1) & mask;
        slots_[slot] = i + 1;
    }
}

void CVXLStringMap::dropIndex()
{
    vxlFree(slots_);
    slots_ = nullptr;
    slotCount_ = 0;
}

CVXLObject* CVXLStringMap::find(const CVXLString& key) const
{
    const Pair* pair = pairAt(indexOf(key));
    return pair ? pair->value : nullptr;
}

bool CVXLStringMap::contains(const CVXLString& key) const
{
    return indexOf(key) >= 0;
}

bool CVXLStringMap::set(const CVXLString& key, CVXLObject* value)
{
    const int index = indexOf(key);
    if (index >= 0) {
        Pair pair = *pairAt(index);
        pair.value = value;
        return pairs_.set(index, &pair);
    }
    return append(key, value);
}

bool CVXLStringMap::append(const CVXLString& key, CVXLObject* value)
{
    Pair pair {new CVXLString(key), value};
    if (!pair.key)
        return false;
    if (!pairs_.append(&pair)) {
        delete pair.key;
        return false;
    }
    indexPair(count() - 1);
    return true;
}

bool CVXLStringMap::remove(const CVXLString& key)
{
    const int index = indexOf(key);
    if (index < 0)
        return false;
    CVXLString* stored = pairAt(index)->key;
    unindexPair(static_cast<std::uint32_t>(index));
    if (!pairs_.removeAt(index)) {
        if (slots_)
            buildIndex(slotCount_);
        return false;
    }
    delete stored;
    return true;
}

void CVXLStringMap::removeAll(bool deleteValues)
{
    for (std::uint32_t i = 0, n = count(); i < n; ++i) {
        const Pair* pair = pairAt(static_cast<int>(i));
        delete pair->key;
        if (deleteValues)
            delete pair->value;
    }
    pairs_.clear();
    dropIndex();
}

const CVXLString* CVXLStringMap::keyAt(int index) const
{
    const Pair* pair = pairAt(index);
    return pair ? pair->key : nullptr;
}

CVXLObject* CVXLStringMap::valueAt(int index) const
{
    const Pair* pair = pairAt(index);
    return pair ? pair->value : nullptr;
}

CVXLIndexIterator CVXLStringMap::begin() const
{
    return CVXLIndexIterator(this, 0);
}

CVXLIndexIterator CVXLStringMap::end() const
{
    return CVXLIndexIterator(this, count());
}
