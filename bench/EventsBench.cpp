// Cost of the job framework: events passed between two jobs per second, and
// the cost of one step (and one deadline query) of an idle tree of jobs.
#include "engine/core/jobs/VXLEngineClock.h"
#include "engine/core/jobs/VXLEventHandler.h"
#include "engine/core/jobs/VXLSimpleEvent.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace {

class Root : public CVXLEventHandler {
public:
    Root() { setRoot(this); }
};

constexpr std::int32_t kPing = 1;
constexpr std::int32_t kPong = 2;

// Answers every request at once.
class Echo : public CVXLEventHandler {
public:
    std::uint64_t handled = 0;
    void onEvent(CVXLEvent* event) override
    {
        ++handled;
        finishEvent(event);
    }
};

// Keeps `inFlight` requests going to the echo job; each reply is sent again.
class Pinger : public CVXLEventHandler {
public:
    static constexpr int kMaxInFlight = 8;

    Pinger(Echo* peer, int inFlight)
        : peer_(peer)
        , inFlight_(inFlight < kMaxInFlight ? inFlight : kMaxInFlight)
    {
        // Members, not heap events: a heap event would be deleted by the job
        // that finishes it.
        for (CVXLEvent& request : requests_) {
            request.setRequestCode(kPing);
            request.setReplyCode(kPong);
        }
    }
    std::uint64_t handled = 0;

    void onEvent(CVXLEvent* event) override
    {
        ++handled;
        const bool again = event->effectiveCode() == kPong || event->effectiveCode() == kEventStart;
        finishEvent(event);
        if (event->effectiveCode() == kEventStart) {
            for (int i = 0; i < inFlight_; ++i)
                post(peer_, &requests_[i]);
        } else if (again) {
            post(peer_, event);
        }
    }

private:
    Echo* peer_;
    int inFlight_;
    CVXLEvent requests_[kMaxInFlight];
};

void stepTree(CVXLEngineClock& clock, Root& root)
{
    clock.setInTick(true);
    root.step();
    clock.setInTick(false);
}

void BM_PingPong(benchmark::State& state)
{
    CVXLEngineClock clock;
    {
        Root root;
        root.setClock(&clock);
        Echo echo;
        Pinger pinger(&echo, static_cast<int>(state.range(0)));
        root.startChild(&echo);
        root.startChild(&pinger);
        for (auto _ : state)
            stepTree(clock, root);
        // Every request and every reply is one event handled.
        state.SetItemsProcessed(static_cast<std::int64_t>(echo.handled + pinger.handled));
        state.counters["events/s"] = benchmark::Counter(
            static_cast<double>(echo.handled + pinger.handled), benchmark::Counter::kIsRate);
    }
}
// The echo job takes one incoming event per step, so one request in flight
// is the latency-bound case and more show the per-event cost.
BENCHMARK(BM_PingPong)->Arg(1)->Arg(8);

// 1,000 jobs: 10 managers with 99 children each, all idle, one manager
// waiting on a timer far ahead.
void BM_IdleTreeTick(benchmark::State& state)
{
    CVXLEngineClock clock;
    {
        Root root;
        root.setClock(&clock);
        std::vector<std::unique_ptr<CVXLEventHandler>> jobs;
        for (int m = 0; m < 10; ++m) {
            jobs.push_back(std::make_unique<CVXLEventHandler>());
            CVXLEventHandler* manager = jobs.back().get();
            root.startChild(manager);
            for (int c = 0; c < 99; ++c) {
                jobs.push_back(std::make_unique<CVXLEventHandler>());
                manager->startChild(jobs.back().get());
            }
        }
        CVXLSimpleEvent far(7);
        jobs.front()->postDelayed(&far, 3600000);
        for (int i = 0; i < 4; ++i)
            stepTree(clock, root);
        if (root.nextTimeout() == 0)
            state.SkipWithError("tree did not go idle");
        std::uint32_t deadline = 0;
        for (auto _ : state) {
            stepTree(clock, root);
            deadline = root.nextTimeout();
            benchmark::DoNotOptimize(deadline);
        }
        state.counters["jobs"] = static_cast<double>(jobs.size());
        jobs.front()->cancelEvent(&far);
        while (!jobs.empty())
            jobs.pop_back();
    }
}
BENCHMARK(BM_IdleTreeTick);

} // namespace
