#pragma once

#include "engine/core/jobs/VXLEventCodes.h"
#include "engine/core/jobs/VXLResultCodes.h"

#include <cstdint>

// Kinds and states of the event and job framework; its codes and results
// are the lists of VXLEventCodes.h and VXLResultCodes.h.

// Where an event is in its life. Busy means queued or in progress.
enum CVXLEventStatus : std::int32_t {
    kEventIdle = 0,
    kEventQueued = 1,
    kEventInProgress = 2,
    kEventDone = 3,
    kEventCancelledByPeer = 4,
};

enum CVXLEventKind : std::int32_t {
    kEventRequest = 0,
    kEventReply = 1,
    kEventUrgent = 2,
    kEventTimer = 3,
};

enum CVXLHandlerState : std::int32_t {
    kHandlerNotStarted = 0,
    kHandlerIdle = 1,
    kHandlerRunnable = 2,
    kHandlerBusy = 3,
    kHandlerWaitingForTimer = 4,
    kHandlerFinished = 5,
    kHandlerStopping = 6,
};

// nextTimeout's answer when nothing in a subtree has a deadline.
inline constexpr std::uint32_t kNoDeadline = 0xFFFFFFFFu;
