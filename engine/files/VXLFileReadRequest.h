#pragma once

#include "engine/core/base/VXLByteBuffer.h"
#include "engine/core/base/VXLString.h"
#include "engine/core/jobs/VXLEvent.h"
#include "engine/files/VXLFileStoreCodes.h"

#include <cstdint>

// Reads a file of the working folder into `buffer`: the whole file when
// readLength and readStart are both 0, else readLength bytes from readStart.
// The answer carries the transfer's result and text, and fileSize.
class CVXLFileReadRequest : public CVXLEvent {
public:
    explicit CVXLFileReadRequest(std::int32_t replyCode)
        : CVXLEvent(kFileRequestRead, replyCode)
    {
    }

    CVXLString fileName;
    std::int32_t readLength = 0;
    std::int32_t readStart = 0;
    std::int32_t fileSize = 0;
    CVXLByteBuffer buffer;
};
