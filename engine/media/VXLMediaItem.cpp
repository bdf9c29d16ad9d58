#include "engine/media/VXLMediaItem.h"

#include "engine/media/VXLMediaRef.h"

#include <cstring>

bool CVXLMediaItem::isModified() const
{
    return location_.isModified() || name_.isModified() || trackedText_.isModified();
}

void CVXLMediaItem::commit()
{
    location_.commit();
    name_.commit();
    trackedText_.commit();
    CVXLElement::commit();
}

void CVXLMediaItem::setIsImage(const char* mimeType)
{
    isImage_ = mimeType && std::strncmp(mimeType, "image/", 6) == 0;
}

void CVXLMediaItem::decCounter()
{
    if (pending_ > 0)
        --pending_;
}

CVXLMediaDescriptor CVXLMediaItem::descriptor() const
{
    CVXLMediaDescriptor result;
    result.set(mediaRef_.get() ? mediaRef_.get()->value() : 0, uid_, id_);
    return result;
}

bool CVXLMediaItem::updateFrom(const CVXLMediaItem& other)
{
    if (&other == this)
        return true;
    if (!(other.id_ == id_))
        return false;
    *this = other;
    return true;
}
