#pragma once

#include "engine/core/base/VXLByteBuffer.h"
#include "engine/core/jobs/VXLEvent.h"
#include "engine/transfer/VXLXferEventId.h"

// XFER_DATA: one chunk, shared with the source's buffer (no copy).
class CVXLDataEvent : public CVXLEvent {
public:
    CVXLDataEvent()
        : CVXLEvent(XFER_DATA, XFER_DATA_DONE)
    {
    }

    CVXLByteBuffer buffer;
};
