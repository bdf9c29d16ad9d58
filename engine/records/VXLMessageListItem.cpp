#include "engine/records/VXLMessageListItem.h"

void CVXLMessageListItem::setFirstReference(const CVXLMediaRefHandle& handle)
{
    first_ = handle;
    hasFirst_ = 1;
}

void CVXLMessageListItem::setSecondReference(const CVXLMediaRefHandle& handle)
{
    second_ = handle;
    hasSecond_ = 1;
}

void CVXLMessageListItem::copyFrom(const CVXLMessageListItem& other)
{
    name_ = other.name_;
    count_ = other.count_;
    valueA_ = other.valueA_;
    valueB_ = other.valueB_;
    id_ = other.id_;
    setFirstReference(other.first_);
    if (other.hasSecond_)
        setSecondReference(other.second_);
}
