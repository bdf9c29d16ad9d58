#include "engine/access/MediaSelection.h"

#include "engine/media/VXLMediaItem.h"

#include <cstdlib>

std::uint32_t CMediaSelection::packedLocationOf(const CVXLMediaItem& item)
{
    if (item.online())
        return 0;
    const CVXLString& text = item.location();
    if (text.length() == 0 || text.length() > 8)
        return 0;
    char* end = nullptr;
    const unsigned long value = std::strtoul(text.c_str(), &end, 16);
    return end && *end == '\0' ? static_cast<std::uint32_t>(value) : 0;
}

CMediaUploadItem CMediaSelection::current() const
{
    CMediaUploadItem out;
    if (const CVXLMediaItem* item = currentItem()) {
        out.location = packedLocationOf(*item);
        out.uid = item->uid();
        out.identity = item->id();
    }
    return out;
}

void CMediaSelection::release()
{
    if (owner_) {
        owner_->releaseItemList(this);
        return;
    }
    if (heap_)
        delete this;
    else
        items_.clear();
}
