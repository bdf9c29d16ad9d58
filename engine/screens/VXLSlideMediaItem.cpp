#include "engine/screens/VXLSlideMediaItem.h"

#include "engine/media/VXLMediaRef.h"

namespace {

constexpr const char* kPreviewType = "image/jpeg";

} // namespace

void CVXLSlideMediaItem::commit()
{
    CVXLElement::commit();
    for (CVXLChangeCounter& value : values_)
        value.commit();
    changes_.commit();
}

void CVXLSlideMediaItem::setValues(std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t d)
{
    const std::int32_t given[kValueCount] = {a, b, c, d};
    for (std::uint32_t i = 0; i < kValueCount; ++i)
        values_[i].set(given[i]);
}

bool CVXLSlideMediaItem::changed() const
{
    for (const CVXLChangeCounter& value : values_) {
        if (value.changed())
            return true;
    }
    return changes_.changed();
}

void CVXLSlideMediaItem::setMedium(const CVXLMediaRefHandle& medium)
{
    medium_ = medium;
    preview_ = CVXLMediaRefHandle();
    changes_.increase();
    const CVXLMediaRef* ref = medium.get();
    if (!ref || ref->getMimeType().find(CVXLString("video/")) < 0)
        return;
    // The preview is a JPEG of the view size: the medium's preview rendition
    // when it has one, otherwise its original asked for at that size.
    const std::int32_t width = ref->getRenditionWidth(CVXLMediaRef::kSizeView);
    const std::int32_t height = ref->getRenditionHeight(CVXLMediaRef::kSizeView);
    const CVXLRendition* from = ref->selectRendition(CVXLMediaRef::kSizePreview);
    if (!from)
        from = ref->selectRendition(CVXLMediaRef::kSizeOriginal);
    if (!from)
        return;
    preview_.setMimeType(ref->getMimeType().c_str());
    preview_.setValue(1);
    preview_.addEntry(from->location, CVXLString(kPreviewType), from->sourceJob, width, height, -1, false);
}

void CVXLSlideMediaItem::setSaveLocked(bool locked)
{
    saveLocked_ = locked ? 1 : 0;
    if (locked)
        assignLocked_ = 1;
}

void CVXLSlideMediaItem::setAssignLocked(bool locked)
{
    assignLocked_ = locked ? 1 : 0;
}
