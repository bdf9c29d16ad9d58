#pragma once

#include "engine/core/base/VXLByteBuffer.h"
#include "engine/core/base/VXLString.h"
#include "engine/core/jobs/VXLEvent.h"
#include "engine/core/jobs/VXLEventCodes.h"

#include <cstdint>

// Asks the segment reader for segments first..last of a stored message file,
// delivered one at a time with `deliveryCode`.
class CVXLSegmentReadRequest : public CVXLEvent {
public:
    CVXLSegmentReadRequest()
        : CVXLEvent(kEventSegmentRead, kEventSegmentReadDone)
    {
    }

    CVXLString fileName;
    std::uint32_t lastSegment = 0;
    std::uint32_t firstSegment = 0; // the requester may advance it
    std::int32_t deliveryCode = kEventSegment;
    std::uint8_t bothParts = 0;
};

// One segment handed to the requester; it answers with its result and may
// set nextIndex (non-zero) to choose the next segment.
class CVXLSegmentEvent : public CVXLEvent {
public:
    CVXLSegmentEvent()
        : CVXLEvent(kEventSegment, kEventSegmentDone)
    {
    }

    std::uint32_t index = 0;
    CVXLString fileName;
    std::uint32_t secondPartOffset = 0;
    std::uint32_t firstLength = 0;
    std::uint32_t secondLength = 0;
    CVXLByteBuffer firstPart;
    CVXLByteBuffer secondPart; // only when both parts were asked for
    std::uint32_t nextIndex = 0;
};
