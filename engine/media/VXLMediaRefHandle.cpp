#include "engine/media/VXLMediaRefHandle.h"

#include "engine/media/VXLMediaRef.h"

CVXLMediaRefHandle::CVXLMediaRefHandle(CVXLMediaRef* item)
    : item_(item)
{
    if (item_)
        item_->retain();
}

CVXLMediaRefHandle::CVXLMediaRefHandle(const CVXLMediaRefHandle& other)
    : CVXLObject()
    , item_(other.item_)
{
    if (item_)
        item_->retain();
}

// Retains the other's item before letting go of its own, so assigning a
// handle to itself or to a sharer of the same last reference keeps the item.
CVXLMediaRefHandle& CVXLMediaRefHandle::operator=(const CVXLMediaRefHandle& other)
{
    CVXLMediaRef* item = other.item_;
    if (item)
        item->retain();
    releaseItem();
    item_ = item;
    return *this;
}

CVXLMediaRefHandle::~CVXLMediaRefHandle()
{
    releaseItem();
}

void CVXLMediaRefHandle::releaseItem()
{
    CVXLMediaRef* item = item_;
    item_ = nullptr;
    if (item && item->release())
        delete item;
}

bool CVXLMediaRefHandle::create()
{
    if (!item_)
        item_ = new CVXLMediaRef();
    return item_ != nullptr;
}

void CVXLMediaRefHandle::addEntry(const CVXLString& location, const CVXLString& mimeType,
    CVXLEventHandler* sourceJob, std::int32_t width, std::int32_t height, std::int32_t lengthHint,
    bool original)
{
    if (create())
        item_->addRendition(location, mimeType, sourceJob, width, height, lengthHint, original);
}

void CVXLMediaRefHandle::setMimeType(const char* mimeType)
{
    if (create())
        item_->setMimeType(mimeType);
}

void CVXLMediaRefHandle::setValue(std::int32_t value)
{
    if (create())
        item_->setValue(value);
}

CVXLEventHandler* CVXLMediaRefHandle::entryValue(std::int32_t sizeClass) const
{
    const CVXLRendition* slot = item_ ? item_->selectRendition(sizeClass) : nullptr;
    return slot ? slot->sourceJob : nullptr;
}

void CVXLMediaRefHandle::requestRendition(
    std::int32_t kind, std::int32_t width, std::int32_t height, const char* mimeType)
{
    if (item_)
        item_->prepareExact(kind, width, height, mimeType);
}
