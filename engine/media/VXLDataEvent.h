#pragma once

#include "engine/core/VXLByteBuffer.h"
#include "engine/core/VXLEvent.h"
#include "engine/media/VXLXferEventId.h"

// XFER_DATA: one chunk, shared with the source's buffer (no copy).
class CVXLDataEvent : public CVXLEvent {
public:
    CVXLDataEvent()
        : CVXLEvent(XFER_DATA, XFER_DATA_DONE)
    {
    }

    CVXLByteBuffer buffer;
};
