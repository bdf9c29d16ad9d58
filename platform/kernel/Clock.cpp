#include "platform/kernel/Clock.h"

#include <atomic>
#include <cerrno>
#include <ctime>

namespace tessel::kernel {

namespace {

std::atomic<bool> gDriven {false};
std::atomic<std::uint32_t> gTickStart {0};
std::atomic<std::uint32_t> gSecondsStart {0};
// Milliseconds the driven clock has been advanced; seconds follow from it so
// that many small steps add up to whole seconds.
std::atomic<std::uint64_t> gElapsedMs {0};
std::atomic<ClockAdvanceListener> gAdvanceListener {nullptr};

} // namespace

std::uint32_t tickCount()
{
    if (gDriven.load())
        return static_cast<std::uint32_t>(gTickStart.load() + gElapsedMs.load());
    timespec now;
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    const std::uint64_t ms
        = static_cast<std::uint64_t>(now.tv_sec) * 1000u + static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
    return static_cast<std::uint32_t>(ms);
}

std::uint32_t clockSeconds()
{
    if (gDriven.load())
        return static_cast<std::uint32_t>(gSecondsStart.load() + gElapsedMs.load() / 1000u);
    timespec now;
    ::clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<std::uint32_t>(now.tv_sec);
}

void sleepMs(std::uint32_t ms)
{
    if (gDriven.load()) {
        advanceClock(ms);
        return;
    }
    timespec wait {static_cast<time_t>(ms / 1000u), static_cast<long>(ms % 1000u) * 1000000L};
    while (::nanosleep(&wait, &wait) != 0 && errno == EINTR) { }
}

void driveClock(std::uint32_t tick, std::uint32_t seconds)
{
    gTickStart.store(tick);
    gSecondsStart.store(seconds);
    gElapsedMs.store(0);
    gDriven.store(true);
}

void advanceClock(std::uint32_t ms)
{
    gElapsedMs.fetch_add(ms);
    if (ClockAdvanceListener listener = gAdvanceListener.load())
        listener();
}

ClockAdvanceListener setClockAdvanceListener(ClockAdvanceListener listener)
{
    return gAdvanceListener.exchange(listener);
}

void releaseClock()
{
    gDriven.store(false);
}

bool clockIsDriven()
{
    return gDriven.load();
}

} // namespace tessel::kernel
