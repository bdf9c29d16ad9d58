// 5 MB through a media reference to a user-interface destination that asks
// for 512,000-byte chunks, against a plain memcpy of the same bytes: bytes
// per second of each (the ratio of the two is the cost of the engine path).
#include "engine/core/jobs/JobRunner.h"
#include "engine/core/jobs/VXLEngineClock.h"
#include "engine/files/VXLFileStoreRequest.h"
#include "engine/media/VXLMediaRef.h"
#include "engine/media/VXLMediaRefHandle.h"
#include "engine/transfer/VXLByteBufferSource.h"
#include "engine/transfer/VXLOemXferDestination.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

namespace {

constexpr std::uint32_t kBytes = 5 * 1024 * 1024;
constexpr std::int32_t kChunk = 512000;

class Root : public CVXLEventHandler {
public:
    Root() { setRoot(this); }
};

// Answers each read request with a started byte-buffer source over the
// same 5 MB.
class MemorySourceJob : public CVXLEventHandler {
public:
    explicit MemorySourceJob(const CVXLByteBuffer& bytes)
        : bytes_(bytes)
    {
    }
    void onEvent(CVXLEvent* event) override
    {
        if (event->effectiveCode() == kEventFileStoreOpenForReading) {
            auto* source = new CVXLByteBufferSource();
            source->setBuffer(bytes_);
            startChild(source);
            static_cast<CVXLFileStoreRequest*>(event)->job = source;
        }
        finishEvent(event);
    }
    void childFinished(CVXLEventHandler* child) override { delete child; }

private:
    CVXLByteBuffer bytes_;
};

// Copies what it is offered into its own storage, as a viewer would.
class CopyingDestination : public CVXLOemXferDestination {
public:
    CopyingDestination()
        : storage(kBytes)
    {
    }
    void beginTransfer(std::int32_t, CVXLCallback* callback) override
    {
        received = 0;
        callback->call(0);
    }
    void endTransfer() override { ended = true; }
    void writeData(CVXLSinkInterface* sink) override
    {
        const std::uint32_t n = sink->getLength();
        std::memcpy(storage.data() + received, sink->getData(), n);
        received += n;
        sink->consume(n, 0);
    }
    void closeTransfer(CVXLCallback* callback) override { callback->call(0); }
    std::int32_t getMaxSize() override { return kChunk; }

    std::vector<std::uint8_t> storage;
    std::uint32_t received = 0;
    bool ended = false;
};

void step(CVXLEngineClock& clock, Root& root)
{
    clock.setInTick(true);
    root.step();
    clock.setInTick(false);
}

void BM_MediaRefTransfer(benchmark::State& state)
{
    CVXLEngineClock clock;
    CVXLByteBuffer bytes;
    std::vector<std::uint8_t> pattern(kBytes);
    for (std::uint32_t i = 0; i < kBytes; ++i)
        pattern[i] = static_cast<std::uint8_t>(i * 2654435761u >> 24);
    bytes.append(pattern.data(), kBytes);
    {
        Root root;
        root.setClock(&clock);
        CJobRunner runner;
        MemorySourceJob source(bytes);
        root.startChild(&runner);
        root.startChild(&source);
        for (int i = 0; i < 4; ++i)
            step(clock, root);
        root.setJobRunner(&runner);
        CopyingDestination destination;
        for (auto _ : state) {
            destination.ended = false;
            CVXLMediaRefHandle handle;
            handle.setMimeType("image/jpeg");
            handle.addEntry("memory", "image/jpeg", &source, 2048, 1536, -1, true);
            handle.get()->setSizeClass(CVXLMediaRef::kSizeOriginal);
            handle.get()->setListener(&destination);
            handle.get()->submitRequest();
            while (!destination.ended)
                step(clock, root);
        }
        for (int i = 0; i < 8; ++i)
            step(clock, root);
        if (destination.received != kBytes
            || std::memcmp(destination.storage.data(), pattern.data(), kBytes) != 0)
            state.SkipWithError("the destination did not receive the bytes");
        root.setJobRunner(nullptr);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kBytes);
}
BENCHMARK(BM_MediaRefTransfer)->Unit(benchmark::kMillisecond);

void BM_PlainMemcpy(benchmark::State& state)
{
    std::vector<std::uint8_t> from(kBytes, 7);
    std::vector<std::uint8_t> to(kBytes);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), kBytes);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kBytes);
}
BENCHMARK(BM_PlainMemcpy)->Unit(benchmark::kMillisecond);

} // namespace
