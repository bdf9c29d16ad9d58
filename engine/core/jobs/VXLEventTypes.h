#pragma once

#include "engine/core/jobs/VXLResultCodes.h"

#include <cstdint>

// Codes, kinds, states and results of the event and job framework.

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

// Engine requests are numbered from kEventEngineBase upward; small numbers are
// private signals of a state machine or local codes of one job.
enum CVXLEventCode : std::int32_t {
    kEventNone = -1,
    kEventEngineBase = 0x8000000,
    kEventStart = 0x8000000,
    kEventStop = 0x8000001,
    kEventCancelNotice = 0x8000002,
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
