#pragma once

#include "engine/core/base/VXLByteBuffer.h"
#include "engine/core/base/VXLString.h"
#include "engine/core/jobs/VXLEvent.h"
#include "engine/files/VXLFileStoreCodes.h"

#include <cstdint>

// Writes `buffer` to a file of the working folder: kFileModeWrite replaces
// the file whole (atomically), kFileModeAppend appends to it.
class CVXLFileWriteRequest : public CVXLEvent {
public:
    explicit CVXLFileWriteRequest(std::int32_t replyCode)
        : CVXLEvent(kFileRequestWrite, replyCode)
    {
    }

    CVXLString fileName;
    std::int32_t openMode = kFileModeWrite;
    CVXLByteBuffer buffer;
};
