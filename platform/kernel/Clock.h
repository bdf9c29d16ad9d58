#pragma once

#include <cstdint>

// Time as the phone's kernel gives it: a millisecond tick count and the
// calendar clock. Tests drive both: once driven, the clocks stand still
// until advanced, and sleepMs advances them instead of sleeping.
namespace tessel::kernel {

// A wait or delay without end.
inline constexpr std::uint32_t kWaitForever = 0xFFFFFFFF;

// Milliseconds of a monotonic clock as an unsigned 32-bit count (it wraps
// after about 49.7 days, as the phone's does).
std::uint32_t tickCount();

// UTC seconds since 1970-01-01 00:00.
std::uint32_t clockSeconds();

// Sleeps ms milliseconds; with a driven clock, advances it by ms and returns.
void sleepMs(std::uint32_t ms);

// Drives both clocks from now on, starting at the given readings.
void driveClock(std::uint32_t tick, std::uint32_t seconds);
// Moves a driven clock forward (nothing happens to the system clocks).
void advanceClock(std::uint32_t ms);
// Back to the system clocks.
void releaseClock();
bool clockIsDriven();

// Called after every advance of a driven clock (message pumps wake to run
// the timers that fell due). One listener per process; null removes it.
// Answers the one it replaces.
using ClockAdvanceListener = void (*)();
ClockAdvanceListener setClockAdvanceListener(ClockAdvanceListener listener);

} // namespace tessel::kernel
