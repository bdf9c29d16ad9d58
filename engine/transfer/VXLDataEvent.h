#pragma once

#include "engine/core/base/VXLByteBuffer.h"
#include "engine/core/jobs/VXLEvent.h"

// kEventXferData: one chunk, shared with the source's buffer (no copy).
class CVXLDataEvent : public CVXLEvent {
public:
    CVXLDataEvent()
        : CVXLEvent(kEventXferData, kEventXferDataDone)
    {
    }

    CVXLByteBuffer buffer;
};
