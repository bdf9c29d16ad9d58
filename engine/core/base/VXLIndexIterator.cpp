#include "engine/core/base/VXLIndexIterator.h"

#include "engine/core/base/VXLStringMap.h"

CVXLIndexIterator::CVXLIndexIterator(const CVXLStringMap* map, std::uint32_t index)
    : map_(map)
    , index_(index)
{
}

std::uint32_t CVXLIndexIterator::count() const
{
    return map_ ? map_->count() : 0;
}

void CVXLIndexIterator::first()
{
    index_ = 0;
}

void CVXLIndexIterator::next()
{
    if (index_ < count())
        ++index_;
}

bool CVXLIndexIterator::atEnd() const
{
    // The map may have shrunk under the iterator.
    return index_ >= count();
}

CVXLObject* CVXLIndexIterator::value() const
{
    return atEnd() ? nullptr : map_->valueAt(static_cast<int>(index_));
}

CVXLIndexIterator& CVXLIndexIterator::advance()
{
    next();
    return *this;
}

CVXLString CVXLIndexIterator::key() const
{
    const CVXLString* key = atEnd() ? nullptr : map_->keyAt(static_cast<int>(index_));
    return key ? *key : CVXLString();
}
