#pragma once

#include "engine/core/base/VXLByteBuffer.h"
#include "engine/core/base/VXLString.h"
#include "engine/core/jobs/VXLEvent.h"
#include "engine/core/jobs/VXLEventCodes.h"

#include <cstdint>

class CVXLPlatformFileStream;

// Copies `count` bytes from `start` of the source into the destination, or,
// without a destination, rewrites the source as those bytes; the trailer
// follows the copied bytes. The reply code is the requester's choice.
class CVXLCopyRequest : public CVXLEvent {
public:
    explicit CVXLCopyRequest(std::int32_t replyCode)
        : CVXLEvent(kEventFileCopy, replyCode)
    {
    }

    CVXLPlatformFileStream* source = nullptr;
    CVXLPlatformFileStream* destination = nullptr; // null: rewrite the source
    std::uint32_t start = 0;
    std::uint8_t append = 0; // open the destination for appending
    std::uint32_t count = 0;
    CVXLString sourcePath;
    CVXLString destinationPath;
    CVXLByteBuffer trailer; // emptied when used
};
