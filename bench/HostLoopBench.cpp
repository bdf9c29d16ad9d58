// What the engine host thread costs per engine step: one step of the real
// engine (started, idle) ticked directly, against the same step run by the
// host thread from its timer (the timer's post to the thread, the engine
// lock, the step, re-arming), the clock driven so no wait is timed. The
// host run reports the ratio to the direct tick measured in the same run.
#include "engine/client/VXLClient.h"
#include "platform/kernel/Clock.h"
#include "platform/ui/MessageQueue.h"
#include "tests/support/TempDeviceRoot.h"
#include "ui/WinTSClient.h"
#include "ui/WinTSEngineClient.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

using namespace tessel;

// The real engine, started; each tick counted, and every wait named as 1 ms
// so that one timer event runs exactly one step.
class CountedEngine : public CWinTSEngineClient {
public:
    bool startUp()
    {
        if (!create())
            return false;
        for (int i = 0; i < 5000 && !client()->membersStarted(); ++i)
            CWinTSEngineClient::tick();
        return client()->membersStarted();
    }
    std::int32_t tick() override
    {
        const std::int32_t status = CWinTSEngineClient::tick();
        ticks.fetch_add(1, std::memory_order_release);
        return status;
    }
    std::uint32_t getWaitTime() override { return 1; }
    bool hasUIRequest() override { return false; }
    std::atomic<std::uint64_t> ticks {0};
};

double gDirectNs = 0;

void DirectTick(benchmark::State& state)
{
    TempDeviceRoot root;
    kernel::driveClock(1000, 1'200'000'000);
    {
        CountedEngine engine;
        if (!engine.startUp()) {
            state.SkipWithError("the engine did not start");
            return;
        }
        const auto began = std::chrono::steady_clock::now();
        for (auto _ : state)
            benchmark::DoNotOptimize(engine.tick());
        const auto spent
            = std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - began).count();
        gDirectNs = spent / static_cast<double>(state.iterations());
        state.counters["ns_per_step"] = gDirectNs;
    }
    kernel::releaseClock();
}

void HostLoopStep(benchmark::State& state)
{
    TempDeviceRoot root;
    root.writeDeviceConf("card.present = 0\n");
    kernel::driveClock(1000, 1'200'000'000);
    {
        CountedEngine engine;
        if (!engine.startUp()) {
            state.SkipWithError("the engine did not start");
            return;
        }
        CWinTSClient client(engine);
        client.createThread(false);
        // One step per millisecond of the clock; the clock moves only once
        // the host thread waits again, its timer re-armed.
        auto host = ui::MessageQueue::byId(client.threadId());
        host->awaitIdle(5000);
        const auto began = std::chrono::steady_clock::now();
        for (auto _ : state) {
            const std::uint64_t before = engine.ticks.load(std::memory_order_acquire);
            kernel::advanceClock(1);
            while (engine.ticks.load(std::memory_order_acquire) == before)
                std::this_thread::yield();
            if (!host->awaitIdle(5000)) {
                state.SkipWithError("the host thread did not come back");
                break;
            }
        }
        const auto spent
            = std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - began).count();
        const double perStep = spent / static_cast<double>(state.iterations());
        state.counters["ns_per_step"] = perStep;
        if (gDirectNs > 0)
            state.counters["ratio_to_direct"] = perStep / gDirectNs;
    }
    kernel::releaseClock();
}

} // namespace

BENCHMARK(DirectTick)->MinTime(0.5);
BENCHMARK(HostLoopStep)->MinTime(0.5)->UseRealTime();
