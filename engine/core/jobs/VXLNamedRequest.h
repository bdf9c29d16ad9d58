#pragma once

#include "engine/core/base/VXLString.h"
#include "engine/core/jobs/VXLEvent.h"

class CVXLXferJobBase;

// Opens a file of the working folder for reading (kEventFileOpenForReading,
// kEventFileStoreOpenForReading) or writing (kEventFileOpenForWriting). The answer
// carries a started file stream job (a child of the manager) or none with a
// result. The requester runs the transfer, then ends the job with stop(); the
// manager closes its stream and deletes it.
class CVXLNamedRequest : public CVXLEvent {
public:
    CVXLNamedRequest(std::int32_t requestCode, std::int32_t replyCode)
        : CVXLEvent(requestCode, replyCode)
    {
    }

    CVXLXferJobBase* job = nullptr;
    CVXLString fileName;
};
