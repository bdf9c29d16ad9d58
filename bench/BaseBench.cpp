// The engine's base containers under growth: 400 KB of 32-bit writes to a
// byte stream, a string built one character at a time, and a header map of
// 5,000 distinct names each looked up once without case.
#include "engine/core/base/VXLByteStream.h"
#include "engine/core/base/VXLHeaderMap.h"
#include "engine/core/base/VXLString.h"

#include <benchmark/benchmark.h>

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

} // namespace
