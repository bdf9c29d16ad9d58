#pragma once

#include <cstdint>

class CVXLCounterTable;

// What the Producer needs of the Client: the engine counters its machines
// sample, the screen requests that end an outermost operation, the notice to
// every job that a push payload arrived, the result-handler registry it
// clears when an operation ends and the UI-job pool it releases when it
// finishes.
class CProducerClientFace {
public:
    virtual ~CProducerClientFace() = default;

    virtual CVXLCounterTable& counters() = 0;
    virtual void queueReturnToMenu(std::int32_t value) = 0;
    virtual void queueReturnToIdle() = 0;
    // Queues the user-interface code that the next tick broadcasts.
    virtual void queuePushPayloadNotice() = 0;
    virtual void clearResultHandlers() = 0;
    virtual void releaseUiJobPool() = 0;
    // An outermost operation has ended: a waiting push may be handed on.
    virtual void pushStep() { }
};
