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

int CVXLStringMap::indexOf(const CVXLString& key) const
{
    for (std::uint32_t i = 0, n = count(); i < n; ++i) {
        const Pair* pair = pairAt(static_cast<int>(i));
        const bool match = caseInsensitive_ ? pair->key->compare(key, false) == 0 : *pair->key == key;
        if (match)
            return static_cast<int>(i);
    }
    return -1;
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
    Pair pair { new CVXLString(key), value };
    if (!pair.key)
        return false;
    if (!pairs_.append(&pair)) {
        delete pair.key;
        return false;
    }
    return true;
}

bool CVXLStringMap::remove(const CVXLString& key)
{
    const int index = indexOf(key);
    if (index < 0)
        return false;
    CVXLString* stored = pairAt(index)->key;
    if (!pairs_.removeAt(index))
        return false;
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
