#pragma once

#include "engine/core/base/VXLByteBuffer.h"
#include "engine/core/base/VXLString.h"
#include "engine/core/jobs/VXLEvent.h"

#include <cstdint>

class CVXLMediaItem;

// Asks the service protocol job to upload one media item; the job asks the
// requester's sink for the bytes with CVXLUploadDataRequest and answers when
// the upload is over. The status value is the service's; 273 with result 52
// means the service refused the item.
class CVXLOnlineUploadRequest : public CVXLEvent {
public:
    static constexpr std::int32_t kStatusItemRefused = 273;
    static constexpr std::int32_t kKindUpload = 1;
    static constexpr std::int32_t kKindShare = 2;
    static constexpr std::int32_t kKindForward = 3;

    explicit CVXLOnlineUploadRequest(std::int32_t replyCode)
        : CVXLEvent(kEventOnlineUpload, replyCode)
    {
        reset();
    }

    // Clears what describes the upload; the status value, the text and the
    // repeat-permitted byte stay.
    void reset()
    {
        size = -1;
        item = nullptr;
        transferKind = 0;
        parentId.clear();
        lookup = false;
    }

    std::int32_t statusValue = 0;
    CVXLString text;
    // Cleared before each posting, so the job does not send an upload again
    // after a list choice (it answers 58 instead).
    bool repeatPermitted = true;
    std::int32_t size = -1;
    CVXLMediaItem* item = nullptr;
    std::int32_t transferKind = 0;
    CVXLString parentId;
    // Cleared by the job when it takes the request; set, with a size of 0,
    // when a lookup found no matching item.
    bool lookup = false;
};

// The service protocol job's request for the next bytes of an upload: the
// size it wants; the sink answers with the bytes, or with an empty buffer
// and 3 (complete) or a failure when there are no more.
class CVXLUploadDataRequest : public CVXLEvent {
public:
    explicit CVXLUploadDataRequest(std::int32_t replyCode)
        : CVXLEvent(kEventOnlineUploadData, replyCode)
    {
    }

    std::int32_t size = 0;
    CVXLByteBuffer buffer;
};
