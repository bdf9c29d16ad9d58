#pragma once

#include "engine/core/base/VXLString.h"
#include "engine/core/jobs/VXLEvent.h"
#include "engine/files/VXLFileStoreCodes.h"

// Deletes a file of the working folder. Result 0 when it is gone (also when
// it was not there), 1 when it could not be removed.
class CVXLFileDeleteRequest : public CVXLEvent {
public:
    explicit CVXLFileDeleteRequest(std::int32_t replyCode)
        : CVXLEvent(kFileRequestDelete, replyCode)
    {
    }

    CVXLString fileName;
};
