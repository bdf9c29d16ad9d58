#pragma once

#include "engine/core/jobs/VXLResultCodes.h"

#include <cstdint>

// Event codes and completion kinds of the scenario stack machine. Its error
// word, also the result of a failed run request, is kResultSucceeded or one
// of the kResultMachine... results (VXLResultCodes.h).

// Events below this code go to the built-in helper (signals of UI jobs and
// the program's own); from it up to kEventLastActivity to the Producer.
inline constexpr std::int32_t kEventFirstProducerCode = 68;
inline constexpr std::int32_t kEventLastActivity = 116;
// A run request (Producer -> machine) and the machine's continue event.
inline constexpr std::int32_t kEventRunRequest = 117;
inline constexpr std::int32_t kEventContinue = 118;

// Signals between the program and its UI jobs.
inline constexpr std::int32_t kSignalNestedRunEnded = 11;
inline constexpr std::int32_t kResumeAfterSubflow = 12;
// A UI job the program waits on ended without giving it a result.
inline constexpr std::int32_t kSignalJobEnded = 8;
// The helper's pending resume event when none is pending.
inline constexpr std::int32_t kNoResumeEvent = 5;

// How a run ended, stored in the run request.
enum VXLCompletionKind : std::int32_t {
    kCompletionNone = 0,
    kCompletionHalted = 1,
    kCompletionReturned = 2,
    kCompletionFailed = 3,
};
