// The engine's base containers under growth: 400 KB of 32-bit writes to a
// byte stream, a string built one character at a time, a header map of
// 5,000 distinct names each looked up once without case, and a header block
// of 3,000 to 24,000 values under 24 names read back value by value by index.
// The header block is measured against linearity: the closing table gives
// the time per size and the slope of time against values (1 is linear).
#include "engine/core/base/VXLByteStream.h"
#include "engine/core/base/VXLHeaderMap.h"
#include "engine/core/base/VXLString.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

void BM_ByteStreamUInt32Writes(benchmark::State& state)
{
    const auto bytes = static_cast<std::uint32_t>(state.range(0));
    for (auto _ : state) {
        CVXLByteStream stream;
        for (std::uint32_t i = 0; i < bytes / 4; ++i)
            stream.writeUInt32(i);
        benchmark::DoNotOptimize(stream.length());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * bytes);
}
BENCHMARK(BM_ByteStreamUInt32Writes)->Arg(400 * 1024)->Unit(benchmark::kMillisecond);

void BM_StringAppendChar(benchmark::State& state)
{
    const auto length = static_cast<std::uint32_t>(state.range(0));
    for (auto _ : state) {
        CVXLString s;
        for (std::uint32_t i = 0; i < length; ++i)
            s += static_cast<char>('a' + i % 26);
        benchmark::DoNotOptimize(s.length());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * length);
}
BENCHMARK(BM_StringAppendChar)->Arg(100 * 1024)->Unit(benchmark::kMillisecond);

void BM_HeaderMapDistinctNames(benchmark::State& state)
{
    const auto count = static_cast<int>(state.range(0));
    std::vector<CVXLString> names;
    std::vector<CVXLString> asked;
    for (int i = 0; i < count; ++i) {
        names.push_back(CVXLString(("X-Header-" + std::to_string(i)).c_str()));
        asked.push_back(CVXLString(("x-header-" + std::to_string(i)).c_str()));
    }
    const CVXLString value("1");
    for (auto _ : state) {
        CVXLHeaderMap headers;
        for (const CVXLString& name : names)
            headers.add(name, value);
        std::uint32_t found = 0;
        for (const CVXLString& name : asked)
            found += headers.value(name, 0, true).length();
        benchmark::DoNotOptimize(found);
    }
    state.SetComplexityN(count);
}
BENCHMARK(BM_HeaderMapDistinctNames)->Arg(1000)->Arg(5000)->Unit(benchmark::kMillisecond)->Complexity();

constexpr int kBlockNames = 24;

// Nanoseconds per read of the whole block, by its number of values.
std::map<int, double> gBlockReadNs;

void BM_HeaderBlockReadByIndex(benchmark::State& state)
{
    const auto count = static_cast<int>(state.range(0));
    std::vector<CVXLString> names;
    for (int i = 0; i < kBlockNames; ++i)
        names.push_back(CVXLString(("Received-" + std::to_string(i)).c_str()));
    CVXLHeaderMap headers;
    for (int i = 0; i < count; ++i)
        headers.add(names[static_cast<std::size_t>(i % kBlockNames)],
            CVXLString(
                ("from relay-" + std::to_string(i) + ".example by mx; id " + std::to_string(i * 7)).c_str()));
    std::uint64_t reads = 0;
    for (auto _ : state) {
        std::uint64_t bytes = 0;
        for (std::uint32_t n = 0; n < headers.nameCount(); ++n) {
            const CVXLString name = headers.nameAt(static_cast<int>(n));
            const std::uint32_t values = headers.valueCount(name);
            for (std::uint32_t i = 0; i < values; ++i)
                bytes += headers.value(name, static_cast<int>(i)).length();
        }
        benchmark::DoNotOptimize(bytes);
        ++reads;
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(reads) * count);
    state.SetComplexityN(count);
}
BENCHMARK(BM_HeaderBlockReadByIndex)
    ->Arg(3000)
    ->Arg(6000)
    ->Arg(12000)
    ->Arg(24000)
    ->Unit(benchmark::kMicrosecond)
    ->Complexity();

// Keeps each header block run's time per read for the closing table.
class BlockReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.run_name.function_name != "BM_HeaderBlockReadByIndex"
                || run.iterations == 0)
                continue;
            gBlockReadNs[std::stoi(run.run_name.args)]
                = run.real_accumulated_time * 1e9 / static_cast<double>(run.iterations);
        }
    }
};

void printBlockTable()
{
    if (gBlockReadNs.size() < 2)
        return;
    std::printf("\n%7s %12s %12s %7s\n", "values", "read us", "ns/value", "slope");
    const std::pair<const int, double>* previous = nullptr;
    for (const auto& entry : gBlockReadNs) {
        const double slope = previous
            ? std::log(entry.second / previous->second) / std::log(double(entry.first) / previous->first)
            : NAN;
        std::printf("%7d %12.1f %12.2f %7.2f\n", entry.first, entry.second / 1000.0,
            entry.second / entry.first, slope);
        previous = &entry;
    }
    const auto& first = *gBlockReadNs.begin();
    const auto& last = *gBlockReadNs.rbegin();
    std::printf("slope from %d to %d values: %.2f\n", first.first, last.first,
        std::log(last.second / first.second) / std::log(double(last.first) / first.first));
}

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    BlockReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    printBlockTable();
    benchmark::Shutdown();
    return 0;
}
