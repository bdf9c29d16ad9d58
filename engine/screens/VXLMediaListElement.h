#pragma once

#include "engine/core/base/VXLElement.h"
#include "engine/core/base/VXLPtrArray.h"

#include <cstdint>

class CVXLMediaItem;

// The media items of a field, with the numbers of videos and images the
// field accepts. Items come from the Media Access Manager's selection and
// are not owned; an item the user interface made from a file is handed over
// with adopt and is the list's from then on (deleted when removed or with
// the list), so nobody keeps an item the list still points to.
class CVXLMediaListElement : public CVXLElement {
public:
    static constexpr std::uint32_t kElementType = 7;

    CVXLMediaListElement() = default;
    ~CVXLMediaListElement() override;
    CVXLMediaListElement(const CVXLMediaListElement&) = delete;
    CVXLMediaListElement& operator=(const CVXLMediaListElement&) = delete;

    std::uint32_t elementType() const override { return kElementType; }
    CVXLMediaListElement* asMediaList() override { return elementType() == kElementType ? this : nullptr; }

    bool append(CVXLMediaItem* item);
    // Appends and owns the item; false (and the item deleted) when it could
    // not be appended.
    bool adopt(CVXLMediaItem* item);
    // False when the item is not in the list. An adopted item is deleted.
    bool remove(const CVXLMediaItem* item);
    std::uint32_t count() const { return items_.count(); }
    // Null past the end.
    CVXLMediaItem* at(std::uint32_t index) const;
    std::int32_t maxVideos() const { return maxVideos_; }
    std::int32_t maxImages() const { return maxImages_; }
    void setLimits(std::int32_t videos, std::int32_t images)
    {
        maxVideos_ = videos;
        maxImages_ = images;
    }

private:
    bool owns(const CVXLMediaItem* item) const;

    CVXLPtrArray items_;
    CVXLPtrArray adopted_;
    std::int32_t maxVideos_ = 0;
    std::int32_t maxImages_ = 0;
};
