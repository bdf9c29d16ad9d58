// Queueing a batch of 1,000 phone items for the background upload: each item
// resolved, its record appended to "state.uq" by replacing the file whole,
// its record saved and the keys updated. Reports the bytes written to
// "state.uq" per batch and the file's final size.
#include "engine/access/BackgroundUploadManager.h"
#include "engine/core/jobs/VXLEngineClock.h"
#include "engine/core/jobs/VXLEventHandler.h"
#include "engine/core/platform/VXLPlatform.h"
#include "engine/media/VXLMediaLocation.h"
#include "platform/kernel/DeviceRoot.h"
#include "tests/support/UploadQueueEngine.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

constexpr int kItems = 1000;

CVXLEngineClock gClock;

class Root : public CVXLEventHandler {
public:
    Root()
    {
        setRoot(this);
        setClock(&gClock);
    }
};
std::string gFolder;

void removeFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(gFolder, ignored);
}

void step(Root& root)
{
    gClock.setInTick(true);
    root.step();
    gClock.setInTick(false);
}

void BM_QueueThousandItems(benchmark::State& state)
{
    if (gFolder.empty()) {
        char folder[] = "/tmp/tessel-bench-XXXXXX";
        if (!::mkdtemp(folder))
            std::abort();
        gFolder = folder;
        std::atexit(removeFolder);
        tessel::kernel::setDeviceRoot(folder);
    }
    const std::uint32_t phone = (1u << 16) + kLocationKindStoreKind1;
    std::uint64_t written = 0;
    std::uintmax_t fileSize = 0;
    for (auto _ : state) {
        state.PauseTiming();
        Root root;
        // Data off: the batch is only queued, nothing uploaded.
        UploadQueueEngine engine;
        CBackgroundUploadManager manager;
        manager.setOwner(&engine);
        CVXLEventHandler requester;
        root.startChild(&engine.files);
        root.startChild(&engine.local);
        root.startChild(&manager);
        root.startChild(&requester);
        CMediaUploadRequest batch(1);
        batch.name = "Holiday 2027";
        for (int n = 0; n < kItems; ++n)
            batch.addItem({phone, "",
                ("\\My Documents\\My Pictures\\IMG_" + std::to_string(10000 + n) + ".jpg").c_str()});
        for (int i = 0; i < 100; ++i)
            step(root);
        state.ResumeTiming();
        requester.post(&manager, &batch);
        while (batch.isBusy())
            step(root);
        state.PauseTiming();
        CVXLString host;
        platformHostPath(engine.store.folder(), &host);
        const std::filesystem::path file = std::filesystem::path(host.c_str()) / "state.uq";
        std::error_code error;
        fileSize = std::filesystem::file_size(file, error);
        // Every append rewrites the file whole: 1 + 2 + ... + n records.
        written += fileSize * (kItems + 1) / 2;
        std::filesystem::remove(file, error);
        manager.stop();
        for (int i = 0; i < 100; ++i)
            step(root);
        state.ResumeTiming();
    }
    state.counters["state_uq_bytes"] = static_cast<double>(fileSize);
    state.counters["bytes_written_per_batch"]
        = benchmark::Counter(static_cast<double>(written), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_QueueThousandItems)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
