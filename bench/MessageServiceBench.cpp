// The thread list of the message service job: a window of 20 threads over
// 100 threads and 5,000 stored messages (per thread the latest message read
// twice, once as latest and once as latest stored, and both records filled).
#include "bench/MessageServiceRig.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

constexpr int kMessages = 5000;
constexpr int kThreads = 100;
constexpr std::uint32_t kWindow = 20;

using Rig = MessageServiceRig;

Rig& rig()
{
    static Rig* made = new Rig(kMessages, kThreads);
    return *made;
}

void BM_ThreadListWindow(benchmark::State& state)
{
    Rig& r = rig();
    if (r.threads.shownCount() != kThreads || r.manager.boxCount(0) != kMessages) {
        state.SkipWithError("the store or the threads are not whole");
        return;
    }
    for (auto _ : state) {
        CThreadListRequest list(91);
        list.start = 40;
        list.size = kWindow;
        r.send(&r.job, list);
        if (list.items.count() != kWindow || !list.itemAt(kWindow - 1)->secondReference()) {
            state.SkipWithError("the window is not whole");
            return;
        }
    }
    state.SetItemsProcessed(state.iterations() * kWindow);
}
BENCHMARK(BM_ThreadListWindow)->Unit(benchmark::kMillisecond);

} // namespace
