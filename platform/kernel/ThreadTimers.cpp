#include "platform/kernel/ThreadTimers.h"

#include "platform/kernel/Clock.h"
#include "platform/kernel/KernelThread.h"

#include <algorithm>
#include <map>
#include <mutex>
#include <vector>

namespace tessel::kernel {

namespace {

struct Timer {
    std::uint32_t owner;
    std::uint32_t interval;
    std::uint32_t armedAt;
    TimerCallback callback;
    void* context;
};

// Never destroyed: windows that outlive main kill their timers at exit.
std::mutex& timersMutex()
{
    static auto* mutex = new std::mutex;
    return *mutex;
}

std::map<std::uint32_t, Timer>& timers()
{
    static auto* all = new std::map<std::uint32_t, Timer>;
    return *all;
}
std::uint32_t gLastTimerId = 0;

// Unsigned differences keep working across the tick count's wrap.
std::uint32_t remaining(const Timer& timer, std::uint32_t now)
{
    std::uint32_t elapsed = now - timer.armedAt;
    return elapsed >= timer.interval ? 0 : timer.interval - elapsed;
}

} // namespace

std::uint32_t setThreadTimer(std::uint32_t intervalMs, TimerCallback callback, void* context)
{
    if (!callback)
        return 0;
    std::lock_guard<std::mutex> lock(timersMutex());
    do {
        ++gLastTimerId;
    } while (gLastTimerId == 0 || timers().count(gLastTimerId));
    timers()[gLastTimerId] = Timer {currentThreadId(), intervalMs, tickCount(), callback, context};
    return gLastTimerId;
}

bool killThreadTimer(std::uint32_t timerId)
{
    std::lock_guard<std::mutex> lock(timersMutex());
    return timers().erase(timerId) > 0;
}

int runDueThreadTimers()
{
    const std::uint32_t self = currentThreadId();
    // Most overdue first: due timers run in the order of their deadlines.
    std::vector<std::pair<std::uint32_t, std::uint32_t>> due; // (overdue ms, id)
    {
        std::lock_guard<std::mutex> lock(timersMutex());
        const std::uint32_t now = tickCount();
        for (const auto& [id, timer] : timers()) {
            if (timer.owner == self && remaining(timer, now) == 0)
                due.emplace_back(now - timer.armedAt - timer.interval, id);
        }
    }
    std::stable_sort(due.begin(), due.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    int ran = 0;
    for (auto [overdue, id] : due) {
        TimerCallback callback;
        void* context;
        {
            // An earlier callback may have killed this timer.
            std::lock_guard<std::mutex> lock(timersMutex());
            auto it = timers().find(id);
            if (it == timers().end())
                continue;
            it->second.armedAt = tickCount();
            callback = it->second.callback;
            context = it->second.context;
        }
        callback(context, id);
        ++ran;
    }
    return ran;
}

std::uint32_t nextThreadTimerDelay()
{
    const std::uint32_t self = currentThreadId();
    std::lock_guard<std::mutex> lock(timersMutex());
    const std::uint32_t now = tickCount();
    std::uint32_t next = kWaitForever;
    for (const auto& [id, timer] : timers()) {
        if (timer.owner == self && remaining(timer, now) < next)
            next = remaining(timer, now);
    }
    return next;
}

} // namespace tessel::kernel
