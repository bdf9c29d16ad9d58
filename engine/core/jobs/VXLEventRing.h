#pragma once

#include "engine/core/base/VXLObject.h"
#include "engine/core/jobs/VXLSimpleEvent.h"

#include <cstdint>

class CVXLEventHandler;

// A small pool of preallocated events with which a job sends private signals
// to itself. The owner provides the slots; when every slot is busy the ring
// falls back to a heap event, which the owner deletes when it finishes it.
class CVXLEventRing : public CVXLObject {
public:
    CVXLEventRing(CVXLEventHandler* owner, CVXLSimpleEvent* slots, std::uint32_t count);

    // A free slot, or a fresh heap event; null only when the heap is exhausted.
    CVXLEvent* acquire();
    // Posts a signal from the owner to the owner (its own queue).
    void postSignal(std::int32_t signal);

private:
    std::uint32_t cursor_;
    std::uint32_t count_;
    CVXLSimpleEvent* slots_;
    CVXLEventHandler* owner_;
};
