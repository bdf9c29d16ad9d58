// Queueing a batch of 1,000, 2,000 and 4,000 phone items for the background
// upload: each item resolved, its record appended to "state.uq" (a file
// replaced whole on every write), its record saved and the keys updated.
// The bytes written to "state.uq" are counted at the rename that puts each
// new copy in place (the bench's own rename, ahead of libc's). Measured
// against linearity: the closing table gives, per size, the bytes written,
// the file's final size, their ratio and the slope of bytes written against
// items (1 is linear, 2 a rewrite of the whole queue per item).
#include "engine/access/BackgroundUploadManager.h"
#include "engine/core/jobs/VXLEngineClock.h"
#include "engine/core/jobs/VXLEventHandler.h"
#include "engine/core/platform/VXLPlatform.h"
#include "engine/media/VXLMediaLocation.h"
#include "platform/kernel/DeviceRoot.h"
#include "tests/support/UploadQueueEngine.h"

#include <benchmark/benchmark.h>
#include <dlfcn.h>
#include <sys/stat.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>

namespace {

std::uint64_t gQueueBytes = 0;

bool namesQueueFile(const char* path)
{
    const char* slash = std::strrchr(path, '/');
    return std::strcmp(slash ? slash + 1 : path, CBackgroundUploadManager::kQueueFileName) == 0;
}

} // namespace

// The file stream puts every replaced file in place through this rename.
extern "C" int rename(const char* from, const char* to) __THROW
{
    static auto next = reinterpret_cast<int (*)(const char*, const char*)>(::dlsym(RTLD_NEXT, "rename"));
    struct stat info { };
    if (namesQueueFile(to) && ::stat(from, &info) == 0)
        gQueueBytes += static_cast<std::uint64_t>(info.st_size);
    return next(from, to);
}

namespace {

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

struct Measured {
    std::uint64_t written = 0;
    std::uintmax_t fileSize = 0;
};
std::map<int, Measured> gMeasured;

void BM_QueueItems(benchmark::State& state)
{
    if (gFolder.empty()) {
        char folder[] = "/tmp/tessel-bench-XXXXXX";
        if (!::mkdtemp(folder))
            std::abort();
        gFolder = folder;
        std::atexit(removeFolder);
        tessel::kernel::setDeviceRoot(folder);
    }
    const int items = static_cast<int>(state.range(0));
    const std::uint32_t phone = (1u << 16) + kLocationKindStoreKind1;
    Measured measured;
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
        for (int n = 0; n < items; ++n)
            batch.addItem({phone, "",
                ("\\My Documents\\My Pictures\\IMG_" + std::to_string(10000 + n) + ".jpg").c_str()});
        for (int i = 0; i < 100; ++i)
            step(root);
        gQueueBytes = 0;
        state.ResumeTiming();
        requester.post(&manager, &batch);
        while (batch.isBusy())
            step(root);
        state.PauseTiming();
        measured.written = gQueueBytes;
        CVXLString host;
        platformHostPath(engine.store.folder(), &host);
        const std::filesystem::path file = std::filesystem::path(host.c_str()) / "state.uq";
        std::error_code error;
        measured.fileSize = std::filesystem::file_size(file, error);
        std::filesystem::remove(file, error);
        manager.stop();
        for (int i = 0; i < 100; ++i)
            step(root);
        state.ResumeTiming();
    }
    gMeasured[items] = measured;
    state.counters["state_uq_bytes"] = static_cast<double>(measured.fileSize);
    state.counters["bytes_written"] = static_cast<double>(measured.written);
    state.counters["written_per_file"]
        = static_cast<double>(measured.written) / static_cast<double>(measured.fileSize);
}
BENCHMARK(BM_QueueItems)->Arg(1000)->Arg(2000)->Arg(4000)->Unit(benchmark::kMillisecond)->Iterations(1);

void printTable()
{
    std::printf(
        "\n%7s %14s %12s %14s %7s\n", "items", "bytes written", "file bytes", "written/file", "slope");
    const std::pair<const int, Measured>* previous = nullptr;
    for (const auto& entry : gMeasured) {
        const Measured& m = entry.second;
        const double slope = previous ? std::log(double(m.written) / double(previous->second.written))
                / std::log(double(entry.first) / double(previous->first))
                                      : NAN;
        std::printf("%7d %14llu %12llu %14.2f %7.2f\n", entry.first,
            static_cast<unsigned long long>(m.written), static_cast<unsigned long long>(m.fileSize),
            double(m.written) / double(m.fileSize), slope);
        previous = &entry;
    }
    if (gMeasured.size() < 2)
        return;
    const auto& first = *gMeasured.begin();
    const auto& last = *gMeasured.rbegin();
    std::printf("slope from %d to %d items: %.2f\n", first.first, last.first,
        std::log(double(last.second.written) / double(first.second.written))
            / std::log(double(last.first) / double(first.first)));
}

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    printTable();
    benchmark::Shutdown();
    return 0;
}
