// A message list scrolled through 10,000 stored messages window by window,
// as the message-list jobs load it: the layout's records made for the
// window, the inbox window asked of the message service job, the records
// bound to the window's positions. Windows of 16 and of the default 200;
// the time per window and the process's peak resident size.
#include "bench/MessageServiceRig.h"
#include "engine/screens/VXLLayoutMessageList.h"

#include <benchmark/benchmark.h>

#include <string>
#include <sys/resource.h>

namespace {

constexpr int kMessages = 10000;
constexpr int kCorrespondents = 100;

using Rig = MessageServiceRig;

Rig& rig()
{
    static Rig* made = new Rig(kMessages, kCorrespondents);
    return *made;
}

long peakResidentKb()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// One window per iteration, from the top of the inbox to its end and round
// again, each loaded as the list job reloads.
void BM_ScrollInboxWindowByWindow(benchmark::State& state)
{
    Rig& r = rig();
    if (r.manager.boxCount(0) != kMessages) {
        state.SkipWithError("the store is not whole");
        return;
    }
    const auto window = static_cast<std::int32_t>(state.range(0));
    CVXLLayoutMessageList layout;
    layout.list().setWindow(0, window);
    CMessageListRequest request(91);
    std::int32_t first = 0;
    std::int64_t bound = 0;
    for (auto _ : state) {
        layout.releaseRecords();
        layout.list().setWindow(first, window);
        layout.list().clear();
        CVXLMessageSummary* records = layout.records();
        request.reset();
        request.start = static_cast<std::uint32_t>(first);
        request.size = request.count = layout.recordCount();
        request.boxType = 0;
        request.records = records;
        r.send(&r.job, request);
        const std::int32_t loaded = layout.loadWindow(request.filled);
        const std::int32_t expected = kMessages - first < window ? kMessages - first : window;
        if (!request.succeeded() || loaded != expected || request.total != kMessages) {
            state.SkipWithError("a window was not loaded whole");
            return;
        }
        bound += loaded;
        first += window;
        if (first >= kMessages)
            first = 0;
    }
    state.SetItemsProcessed(bound);
    state.counters["peak_rss_kb"] = static_cast<double>(peakResidentKb());
}
BENCHMARK(BM_ScrollInboxWindowByWindow)->Arg(16)->Arg(200)->Unit(benchmark::kMillisecond);

} // namespace
