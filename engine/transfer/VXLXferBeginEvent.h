#pragma once

#include "engine/core/jobs/VXLEvent.h"

#include <cstdint>

// kEventXferBegin: the source's total size (-1 unknown); the sink's reply
// carries the chunk size it wants.
class CVXLXferBeginEvent : public CVXLEvent {
public:
    CVXLXferBeginEvent()
        : CVXLEvent(kEventXferBegin, kEventXferBeginDone)
    {
    }

    std::int32_t total = 0;
    std::int32_t chunkSize = -1;
};
