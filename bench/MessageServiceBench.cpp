// The thread list of the message service job: a window of 20 threads over
// 100 threads and 5,000 stored messages (per thread the latest message read
// twice, once as latest and once as latest stored, and both records filled).
#include "bench/EngineBenchRig.h"
#include "engine/core/jobs/VXLEngineClock.h"
#include "engine/core/jobs/VXLEventHandler.h"
#include "engine/core/platform/VXLPlatformMessageStore.h"
#include "engine/messaging/MessageServiceJob.h"
#include "engine/messaging/MessageStoreManager.h"
#include "engine/messaging/VXLThreadDB.h"
#include "engine/transport/mime/VXLMimeEntity.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

constexpr int kMessages = 5000;
constexpr int kThreads = 100;
constexpr std::uint32_t kWindow = 20;

class Services : public CMessageStoreServices {
public:
    std::uint32_t messageLimit() override { return kMessages + 10; }
    void setCounter(const char*, std::uint32_t) override {}
    void setHasNewMessages() override {}
    std::uint32_t nowSeconds() override { return 1700000000u + ++ticks / 10; }
    std::uint32_t ticks = 0;
};

// The store, the thread database and the service job on one device root,
// filled once with 5,000 messages from 100 correspondents.
struct Rig {
    Rig()
    {
        useBenchDeviceRoot();
        manager.setStore(&store);
        manager.setServices(&services);
        manager.setThreadDB(&threads);
        job.setStore(&manager);
        job.setThreadDB(&threads);
        job.setServices(&services);
        root.startChild(&threads);
        root.startChild(&requester);
        root.startChild(&manager);
        root.startChild(&job);
        runUntilIdle(root);
        for (int n = 0; n < kMessages; ++n) {
            CVXLMessage message;
            message.addHeader("X-QV-From-Address", ("+1555" + std::to_string(1000 + n % kThreads)).c_str());
            message.addHeader("X-QV-Message-Sent-Time", std::to_string(1699000000 + n).c_str());
            message.addHeader("X-QV-Image-Count", "1");
            message.addHeader("X-QV-MessageText-Summary", "A short text of the message");
            auto* picture = new CVXLMimeEntity;
            picture->addHeader("Content-Type", "image/jpeg");
            CVXLByteBuffer body;
            const std::string bytes(2000, 'x');
            body.append(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
            picture->setBodyBuffer(body);
            message.setBody(CVXLEntityRef(picture));
            CStoreMessageRequest store(90);
            store.message = &message;
            send(&manager, store);
        }
    }
    void send(CVXLEventHandler* target, CVXLEvent& request)
    {
        requester.post(target, &request);
        runUntilIdle(root);
    }

    BenchRoot root;
    CVXLPlatformMessageStore store;
    Services services;
    CVXLThreadDB threads;
    CMessageStoreManager manager;
    CMessageServiceJob job;
    CVXLEventHandler requester;
};

Rig& rig()
{
    static Rig* made = new Rig;
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
