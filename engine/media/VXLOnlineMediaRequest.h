#pragma once

#include "engine/core/base/VXLString.h"
#include "engine/core/base/VXLStringArray.h"
#include "engine/core/jobs/VXLEvent.h"
#include "engine/media/VXLAlbum.h"

#include <cstdint>

class CVXLMediaItem;

// A request to the Online Media Manager; its request code says what is asked
// (kEventMediaCount, kEventMediaAlbumAt, kEventMediaItemAt,
// kEventMediaItemSave and kEventOnlineDeleteAlbum to kEventOnlineItemOperation).
class CVXLOnlineMediaRequest : public CVXLEvent {
public:
    CVXLOnlineMediaRequest(std::int32_t requestCode, std::int32_t replyCode)
        : CVXLEvent(requestCode, replyCode)
    {
    }

    // Album list: the number of albums. Album and item at: the index.
    std::int32_t index = 0;
    std::int32_t total = 0;
    // Album at: the album filled in.
    CVXLAlbum album;
    // Rename: the caller's album, its edited name sent, undone on failure.
    CVXLAlbum* renamed = nullptr;
    // Item at: the album, the media-type bits and the page size; the answer
    // carries a new item (the caller's to delete). Save: the item sent.
    CVXLString containerId;
    std::int32_t mediaBits = 3;
    std::int32_t pageSize = 0;
    CVXLMediaItem* item = nullptr;
    // Create: the title, answered with the new album's id. Delete: the id.
    CVXLString text;
    // Item operation: 1 delete, 2 move, 3 copy, of the listed uids or of the
    // whole album, from containerId to destinationId.
    std::int32_t kind = 0;
    bool wholeAlbum = false;
    CVXLStringArray uids;
    CVXLString destinationId;
    // Upload (kEventOnlineUploadItem): the item, the album in `text`, the
    // transfer mode bytes and a status byte that a finished upload clears.
    bool firstMode = false;
    bool secondMode = false;
    std::int32_t status = 0;
};
