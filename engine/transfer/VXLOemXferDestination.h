#pragma once

#include "engine/core/base/VXLCallback.h"
#include "engine/core/platform/VXLSinkInterface.h"

#include <cstdint>

// What the user interface implements to receive media for display or saving.
// Every call comes on the engine host thread; answers go through the
// callbacks, which arrive as events.
class CVXLOemXferDestination {
public:
    virtual ~CVXLOemXferDestination() = default;
    // Prepare for `total` bytes (-1 unknown); report 0 when ready, anything
    // else makes the transfer fail. Always answered.
    virtual void beginTransfer(std::int32_t total, CVXLCallback* callback) = 0;
    // The transfer is over, complete or not.
    virtual void endTransfer() = 0;
    // Take bytes from `sink` (getLength, getData) and report them with
    // consume(count, 0); taking fewer than offered is allowed.
    virtual void writeData(CVXLSinkInterface* sink) = 0;
    virtual void closeTransfer(CVXLCallback* callback) = 0;
    // The chunk size the destination wants.
    virtual std::int32_t getMaxSize() = 0;
};
