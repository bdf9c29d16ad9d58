#pragma once

#include "engine/core/base/VXLString.h"
#include "engine/core/jobs/VXLEvent.h"

#include <cstdint>

class CVRAXContainerOperation;
class CVRAXFetchBatch;
class CVRAXMessageRecord;
class CVRAXPageRequest;
class CVXLMediaItem;

// A request to the service protocol job (kEventVraxAlbumList to
// kEventVraxMediaRecord). The job fills the server's error code and text when
// the server answers "error", and reads the repeat byte after a list choice.
// Only the subject of the request's kind is set: the page of a list request,
// the operation of an album or item operation, the message of a send, the
// item of a media record, the batch of a media fetch.
class CVRAXJobRequest : public CVXLEvent {
public:
    CVRAXJobRequest(std::int32_t requestCode, std::int32_t replyCode)
        : CVXLEvent(requestCode, replyCode)
    {
    }

    std::int32_t serverErrorCode = 0;
    CVXLString serverErrorText;
    std::uint8_t repeatPermitted = 0;

    CVRAXPageRequest* page = nullptr;
    CVRAXContainerOperation* operation = nullptr;
    const CVRAXMessageRecord* message = nullptr;
    CVXLMediaItem* item = nullptr;
    CVRAXFetchBatch* batch = nullptr;
};
