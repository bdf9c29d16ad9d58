#pragma once

#include <cstdint>

// Event codes, completion kinds and error words of the scenario stack machine.

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
// The helper's pending resume event when none is pending.
inline constexpr std::int32_t kNoResumeEvent = 5;

// How a run ended, stored in the run request.
enum VXLCompletionKind : std::int32_t {
    kCompletionNone = 0,
    kCompletionHalted = 1,
    kCompletionReturned = 2,
    kCompletionFailed = 3,
};

// The machine's error word, also the result of a failed run request.
inline constexpr std::int32_t kMachineOk = 0;
// A run request the machine cannot take (one is running, or no program).
inline constexpr std::int32_t kMachineRefused = -1;
// A failed assertion of the program (built-in "_assert").
inline constexpr std::int32_t kMachineAssertionFailed = -2;
// The program asked for something outside its stacks, code or tables.
inline constexpr std::int32_t kMachineBadProgram = -3;
// The start-up function waited for an event while the machine was attached.
inline constexpr std::int32_t kMachineStartupWaited = -4;

// The engine counter that counts the NEW_LAYOUT requests the Client queued;
// a run samples it at its start and end.
inline constexpr int kCounterNewLayoutRequests = 14;
