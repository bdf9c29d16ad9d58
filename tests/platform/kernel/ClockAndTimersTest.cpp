#include "platform/kernel/Clock.h"
#include "platform/kernel/KernelThread.h"
#include "platform/kernel/ThreadTimers.h"

#include <gtest/gtest.h>

#include <atomic>
#include <ctime>
#include <vector>

namespace tessel::kernel {
namespace {

struct DrivenClock {
    DrivenClock(std::uint32_t tick, std::uint32_t seconds) { driveClock(tick, seconds); }
    ~DrivenClock() { releaseClock(); }
};

TEST(Clock, SystemClocksAreUtcSecondsAndAMonotonicTick)
{
    std::uint32_t before = static_cast<std::uint32_t>(std::time(nullptr));
    std::uint32_t seconds = clockSeconds();
    EXPECT_GE(seconds, before);
    EXPECT_LE(seconds, before + 2) << "UTC seconds since 1970, with no day added";
    std::uint32_t tick = tickCount();
    sleepMs(20);
    std::uint32_t elapsed = tickCount() - tick;
    EXPECT_GE(elapsed, 19u);
    EXPECT_LT(elapsed, 5000u);
}

TEST(Clock, ADrivenClockMovesOnlyWhenAdvancedAndWrapsItsTick)
{
    DrivenClock clock(0xFFFFFF00u, 1'000'000'000u);
    EXPECT_TRUE(clockIsDriven());
    EXPECT_EQ(tickCount(), 0xFFFFFF00u);
    EXPECT_EQ(clockSeconds(), 1'000'000'000u);
    for (int i = 0; i < 3; ++i)
        advanceClock(400); // three small steps add up to one whole second
    EXPECT_EQ(tickCount(), 0xFFFFFF00u + 1200u) << "wraps through zero";
    EXPECT_EQ(clockSeconds(), 1'000'000'001u);
    sleepMs(10'000);
    EXPECT_EQ(clockSeconds(), 1'000'000'011u);
    releaseClock();
    EXPECT_FALSE(clockIsDriven());
}

struct Fired {
    std::vector<std::uint32_t> ids;
    bool killSelf = false;
};

void record(void* context, std::uint32_t id)
{
    auto* fired = static_cast<Fired*>(context);
    fired->ids.push_back(id);
    if (fired->killSelf)
        killThreadTimer(id);
}

TEST(ThreadTimers, FallDueEveryIntervalForTheThreadThatSetThem)
{
    DrivenClock clock(0xFFFFFFF0u, 0); // the first interval crosses the wrap
    EXPECT_EQ(nextThreadTimerDelay(), kWaitForever);
    Fired fired;
    std::uint32_t id = setThreadTimer(100, record, &fired);
    ASSERT_NE(id, 0u);
    EXPECT_EQ(nextThreadTimerDelay(), 100u);
    advanceClock(99);
    EXPECT_EQ(runDueThreadTimers(), 0);
    EXPECT_EQ(nextThreadTimerDelay(), 1u);
    advanceClock(1);
    EXPECT_EQ(nextThreadTimerDelay(), 0u);
    EXPECT_EQ(runDueThreadTimers(), 1);
    EXPECT_EQ(fired.ids, std::vector<std::uint32_t> {id});
    EXPECT_EQ(nextThreadTimerDelay(), 100u) << "re-armed from when it ran";

    // Another thread neither runs nor waits for this thread's timers.
    struct Seen {
        std::atomic<int> ran {-1};
        std::atomic<std::uint32_t> delay {0};
    } seen;
    advanceClock(100);
    KernelThread other;
    other.start(
        [](void* arg) {
            auto* there = static_cast<Seen*>(arg);
            there->ran = runDueThreadTimers();
            there->delay = nextThreadTimerDelay();
        },
        &seen, false);
    other.join();
    EXPECT_EQ(seen.ran.load(), 0);
    EXPECT_EQ(seen.delay.load(), kWaitForever);

    // A callback that kills its own timer (the host thread's TimerProc does).
    fired.killSelf = true;
    EXPECT_EQ(runDueThreadTimers(), 1);
    EXPECT_EQ(nextThreadTimerDelay(), kWaitForever);
    EXPECT_FALSE(killThreadTimer(id));
}

TEST(ThreadTimers, AnyThreadMayKillATimer)
{
    DrivenClock clock(0, 0);
    Fired fired;
    std::uint32_t first = setThreadTimer(10, record, &fired);
    std::uint32_t second = setThreadTimer(10, record, &fired);
    EXPECT_NE(first, second);
    KernelThread killer;
    killer.start([](void* id) { killThreadTimer(*static_cast<std::uint32_t*>(id)); }, &first, false);
    killer.join();
    advanceClock(10);
    EXPECT_EQ(runDueThreadTimers(), 1);
    EXPECT_EQ(fired.ids, std::vector<std::uint32_t> {second});
    killThreadTimer(second);
}

TEST(ThreadTimers, DueTimersRunInTheOrderOfTheirDeadlines)
{
    DrivenClock clock(0, 0);
    Fired fired;
    std::uint32_t late = setThreadTimer(300, record, &fired);
    std::uint32_t early = setThreadTimer(100, record, &fired);
    std::uint32_t middle = setThreadTimer(200, record, &fired);
    advanceClock(300);
    EXPECT_EQ(runDueThreadTimers(), 3);
    EXPECT_EQ(fired.ids, (std::vector<std::uint32_t> {early, middle, late}))
        << "not in the order they were set";
    for (std::uint32_t id : {late, early, middle})
        killThreadTimer(id);
}

TEST(Clock, AnAdvanceTellsTheListener)
{
    static int told = 0;
    told = 0;
    DrivenClock clock(0, 0);
    ClockAdvanceListener previous = setClockAdvanceListener([] { ++told; });
    advanceClock(5);
    sleepMs(5);
    EXPECT_NE(setClockAdvanceListener(nullptr), nullptr);
    advanceClock(5);
    EXPECT_EQ(told, 2);
    setClockAdvanceListener(previous);
}

TEST(KernelThread, ASuspendedThreadRunsOnlyOnceResumed)
{
    std::atomic<int> runs {0};
    KernelThread thread;
    ASSERT_TRUE(thread.start([](void* count) { ++*static_cast<std::atomic<int>*>(count); }, &runs, true));
    EXPECT_FALSE(thread.start([](void*) {}, nullptr, false)) << "one start per thread";
    sleepMs(20);
    EXPECT_EQ(runs.load(), 0);
    thread.resume();
    EXPECT_TRUE(thread.join());
    EXPECT_EQ(runs.load(), 1);
    EXPECT_FALSE(thread.join());

    KernelThread neverResumed;
    ASSERT_TRUE(
        neverResumed.start([](void* count) { ++*static_cast<std::atomic<int>*>(count); }, &runs, true));
    EXPECT_TRUE(neverResumed.join());
    EXPECT_EQ(runs.load(), 1) << "ended without running";
}

} // namespace
} // namespace tessel::kernel
