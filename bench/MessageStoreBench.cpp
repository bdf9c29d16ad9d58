// Message store start-up over 1,000 stored messages (listing, sizes, indexes,
// the thread database's reconcile) and a window of 50 summaries (the ids, a
// read of the four summary segments each, the record filled).
#include "bench/StoreBenchRig.h"
#include "engine/core/jobs/VXLEngineClock.h"
#include "engine/core/jobs/VXLEventHandler.h"
#include "engine/core/platform/VXLPlatformMessageStore.h"
#include "engine/messaging/store/MessageStoreManager.h"
#include "engine/messaging/store/VXLMessageSummary.h"
#include "engine/messaging/threads/VXLThreadDB.h"
#include "engine/transport/mime/VXLMultipartBody.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

constexpr int kMessages = 1000;
constexpr int kWindow = 50;

// A store manager over the device root's message store, started; with the
// thread database, the start reconciles.
struct Store : StoreBenchRig {
    explicit Store(bool reconcile = false)
        : StoreBenchRig(reconcile, false, kMessages + 10, 1700000000u)
    {
    }
};

CVXLEntityRef part(const char* type, std::size_t size)
{
    return storeBenchPart(type, size);
}

// A device root of its own holding 1,000 messages, each with a summary, a
// body entity and three media parts.
void fillStore()
{
    static bool filled = false;
    if (filled)
        return;
    filled = true;
    useBenchDeviceRoot();
    Store fill;
    for (int n = 0; n < kMessages; ++n) {
        CVXLMessage message;
        message.addHeader("X-QV-From-Address", ("+1555" + std::to_string(1000 + n % 100)).c_str());
        message.addHeader("X-QV-To-Address-List", "5551111;ann@example.com");
        message.addHeader("X-QV-Message-Sent-Time", std::to_string(1699000000 + n).c_str());
        message.addHeader("X-QV-Image-Count", "2");
        message.addHeader("X-QV-MessageText-Summary", "A short text of the message");
        message.setBody(part("text/plain", 120));
        CStoreMessageRequest first(90);
        first.message = &message;
        first.targetBox = n % 5 == 0 ? 3 : 0;
        fill.send(first);
        auto* body = new CVXLMultipartBody;
        body->appendPart(part("application/smil", 400));
        body->appendPart(part("image/jpeg", 6000));
        body->appendPart(part("image/jpeg", 9000));
        CVXLMessage whole;
        whole.setBody(CVXLEntityRef(body));
        CStoreMessageRequest append(91);
        append.messageId = first.messageId;
        append.fullMessage = 1;
        append.message = &whole;
        fill.send(append);
    }
}

void BM_StoreStartUp(benchmark::State& state)
{
    fillStore();
    for (auto _ : state) {
        Store started(true);
        const CMessageStoreManager& manager = started.manager;
        if (!manager.loaded() || manager.boxCount(0) + manager.boxCount(3) != kMessages
            || started.threads.messageCount() != kMessages) {
            state.SkipWithError("the store did not load whole");
            return;
        }
    }
    state.SetItemsProcessed(state.iterations() * kMessages);
}
BENCHMARK(BM_StoreStartUp)->Unit(benchmark::kMillisecond);

void BM_SummaryWindow(benchmark::State& state)
{
    fillStore();
    Store started;
    for (auto _ : state) {
        if (!started.readSummaryWindow(kWindow)) {
            state.SkipWithError("the window is short");
            return;
        }
    }
    state.SetItemsProcessed(state.iterations() * kWindow);
}
BENCHMARK(BM_SummaryWindow)->Unit(benchmark::kMillisecond);

} // namespace
