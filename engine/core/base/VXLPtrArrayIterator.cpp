#include "engine/core/base/VXLPtrArrayIterator.h"

#include "engine/core/base/VXLPtrArray.h"

CVXLPtrArrayIterator::CVXLPtrArrayIterator(const CVXLPtrArray* array, std::uint32_t index)
    : array_(array)
    , index_(index)
{
}

void CVXLPtrArrayIterator::first()
{
    index_ = 0;
}

void CVXLPtrArrayIterator::next()
{
    ++index_;
}

bool CVXLPtrArrayIterator::atEnd() const
{
    const std::uint32_t count = array_ ? array_->count() : 0;
    return count == 0 || index_ > count - 1;
}

CVXLObject* CVXLPtrArrayIterator::current() const
{
    if (!array_ || index_ > static_cast<std::uint32_t>(0x7FFFFFFF))
        return nullptr;
    return array_->at(static_cast<int>(index_));
}

CVXLPtrArrayIterator& CVXLPtrArrayIterator::advance()
{
    next();
    return *this;
}

void CVXLPtrArrayIterator::last()
{
    index_ = (array_ ? array_->count() : 0) - 1;
}

void CVXLPtrArrayIterator::previous()
{
    --index_;
}

CVXLObject* CVXLPtrArrayIterator::deref() const
{
    return current();
}

CVXLPtrArrayIterator& CVXLPtrArrayIterator::retreat()
{
    previous();
    return *this;
}

bool CVXLPtrArrayIterator::equals(const CVXLPtrArrayIterator& other) const
{
    return array_ == other.array_ && index_ == other.index_;
}

bool CVXLPtrArrayIterator::operator!=(const CVXLPtrArrayIterator& other) const
{
    return !equals(other);
}
