// Thread database save and load (5,000 messages in 500 threads, each message
// also filed under a second thread) and header block reading in MB/s.
#include "engine/core/base/VXLByteStream.h"
#include "engine/core/base/VXLHeaderMap.h"
#include "engine/messaging/store/VXLHeaderBlock.h"
#include "engine/messaging/threads/VXLThreadDB.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

constexpr int kThreads = 500;
constexpr int kMessages = 5000;

std::string address(int thread)
{
    return "+1555" + std::to_string(1000000 + thread);
}

// A database image in the stored format, built by hand so that loading it is
// what is measured.
const CVXLByteBuffer& databaseImage()
{
    static const CVXLByteBuffer image = [] {
        CVXLByteStream s;
        s.writeUInt32(CVXLThreadDB::kVersion);
        s.writeUInt32(0);
        s.writeUInt32(kThreads);
        for (int t = 0; t < kThreads; ++t) {
            s.writeString(address(t).c_str());
            s.writeString(("Contact " + std::to_string(t)).c_str());
            s.writeBool(false);
            s.writeUInt32(0);
        }
        s.writeUInt32(kMessages);
        for (int m = 0; m < kMessages; ++m) {
            const int thread = m % kThreads;
            s.writeString(("i17000" + std::to_string(10000 + m) + "_0").c_str());
            s.writeBool(false);
            s.writeBool(false);
            s.writeUInt32(1700000000u + static_cast<std::uint32_t>(m));
            s.writeString(address(thread).c_str());
            s.writeUInt32(2);
            s.writeString(address(thread).c_str());
            s.writeString(address((thread + 1) % kThreads).c_str());
            s.writeBool(true);
            s.writeBool(true);
        }
        return CVXLByteBuffer(s);
    }();
    return image;
}

void BM_ThreadDatabaseLoad(benchmark::State& state)
{
    for (auto _ : state) {
        CVXLThreadDB db;
        if (!db.parse(databaseImage()) || db.messageCount() != kMessages || db.shownCount() != kThreads) {
            state.SkipWithError("the image did not load");
            return;
        }
        benchmark::DoNotOptimize(db.messageCount());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * databaseImage().length());
    state.counters["file_bytes"] = databaseImage().length();
}
BENCHMARK(BM_ThreadDatabaseLoad)->Unit(benchmark::kMillisecond);

void BM_ThreadDatabaseSave(benchmark::State& state)
{
    CVXLThreadDB db;
    if (!db.parse(databaseImage())) {
        state.SkipWithError("the image did not load");
        return;
    }
    for (auto _ : state) {
        CVXLByteBuffer out;
        db.serialise(out);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * databaseImage().length());
}
BENCHMARK(BM_ThreadDatabaseSave)->Unit(benchmark::kMillisecond);

// About 1 MB of summary headers with repeated names and parameter maps.
const CVXLByteBuffer& headerBlock()
{
    static const CVXLByteBuffer block = [] {
        CVXLHeaderMap map;
        for (int i = 0; i < 12000; ++i) {
            const std::string n = std::to_string(i);
            map.add("X-QV-To-Address-List", ("+1555" + n + ",ann" + n + "@example.com").c_str());
            map.add("Content-Type", "image/jpeg");
            CVXLHeaderMap* parameters = new CVXLHeaderMap();
            parameters->add("name", ("IMG_" + n + ".jpg").c_str());
            map.setValueObject("Content-Type", i, parameters);
        }
        CVXLByteBuffer out;
        CVXLHeaderBlock::write(map, out);
        return out;
    }();
    return block;
}

void BM_HeaderBlockRead(benchmark::State& state)
{
    const CVXLByteBuffer& block = headerBlock();
    for (auto _ : state) {
        CVXLHeaderMap map;
        CVXLHeaderBlock::read(block, 0, block.length(), map);
        benchmark::DoNotOptimize(map.nameCount());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * block.length());
    state.counters["block_bytes"] = block.length();
}
BENCHMARK(BM_HeaderBlockRead)->Unit(benchmark::kMillisecond);

} // namespace
