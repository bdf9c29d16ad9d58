#pragma once

#include "engine/core/base/VXLString.h"
#include "engine/core/jobs/VXLEvent.h"
#include "engine/media/VXLAlbum.h"
#include "engine/media/VXLMediaLocation.h"

#include <cstdint>

class CVXLMediaItem;

// The request other managers send to the Local Media Manager; its request
// code says what is asked (kEventMediaCount and the codes after it).
class CVXLLocalMediaRequest : public CVXLEvent {
public:
    CVXLLocalMediaRequest()
        : CVXLEvent(kEventLocalMediaRequest, kEventLocalMediaReply)
    {
    }
    CVXLLocalMediaRequest(std::int32_t requestCode, std::int32_t replyCode)
        : CVXLEvent(requestCode, replyCode)
    {
    }

    // Asks to import the item of this name at this packed location
    // (kEventLocalImportByName); the answer's item starts null.
    void setItemToImport(std::uint32_t packed, const CVXLString& itemName)
    {
        packedLocation = packed;
        location_ = CVXLMediaLocation(packed);
        name_ = itemName;
        item = nullptr;
    }

    // The answer's item, now the caller's; the request forgets it.
    CVXLMediaItem* takeItem()
    {
        CVXLMediaItem* taken = item;
        item = nullptr;
        return taken;
    }

    CVXLMediaLocation& location() { return location_; }
    const CVXLMediaLocation& location() const { return location_; }
    const CVXLString& name() const { return name_; }
    void setName(const CVXLString& name) { name_ = name; }
    CVXLObject* object() const { return object_; }
    void setObject(CVXLObject* object) { object_ = object; }
    std::uint32_t flags() const { return flags_; }
    void setFlags(std::uint32_t flags) { flags_ = flags; }
    const CVXLString& text() const { return text_; }
    void setText(const CVXLString& text) { text_ = text; }

    // A store or item index (album by index, import at an index).
    std::int32_t index = 0;
    // The answer's word: the store count; the value an import carries.
    std::uint32_t value = 0;
    // Album by index: the album's record. Album counts: images and videos.
    CVXLAlbum album;
    std::uint32_t imageCount = 0;
    std::uint32_t videoCount = 0;
    // Item information: the item's size and MIME type.
    std::uint32_t size = 0;
    CVXLString mimeType;
    // Import: the item built (the requester's to delete), or null. Save: the
    // item whose record is written. Delete: the packed location of the item.
    CVXLMediaItem* item = nullptr;
    std::uint32_t packedLocation = 0;

private:
    CVXLMediaLocation location_;
    CVXLString name_;
    CVXLObject* object_ = nullptr;
    std::uint32_t flags_ = 3;
    CVXLString text_;
};
