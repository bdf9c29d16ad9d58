#pragma once

#include <cstdint>

// Thread timers: a timer belongs to the thread that sets it and falls due,
// every interval by the tick count, until it is killed. The thread's message
// loop runs the due callbacks (runDueThreadTimers) and sleeps no longer than
// nextThreadTimerDelay.
namespace tessel::kernel {

using TimerCallback = void (*)(void* context, std::uint32_t timerId);

// A fresh non-zero timer id; 0 when callback is null.
std::uint32_t setThreadTimer(std::uint32_t intervalMs, TimerCallback callback, void* context);

// Any thread may kill any timer; false when there is no such timer.
bool killThreadTimer(std::uint32_t timerId);

// Runs the calling thread's due timers, each once, and re-arms them from
// now; answers how many ran. A callback may set or kill timers.
int runDueThreadTimers();

// Milliseconds until the calling thread's next timer falls due (0 when one
// is due now); kWaitForever when the thread has none.
std::uint32_t nextThreadTimerDelay();

} // namespace tessel::kernel
