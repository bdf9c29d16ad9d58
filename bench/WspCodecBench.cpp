// Throughput of the WSP/MMS PDU decoder and encoder on a message of about
// 300 KB with several image parts, and the memory a decode holds at its end
// (the decoded PDU with one copy of every part's data) against the input.
#include "engine/transport/mms/VXLPduRef.h"
#include "engine/transport/mms/VXLWspPduDecoder.h"
#include "engine/transport/mms/VXLWspPduEncoder.h"
#include "tests/transport/MmsSamplePdus.h"

#include <benchmark/benchmark.h>

#include <malloc.h>

namespace {

constexpr std::size_t kImages = 6;
constexpr std::size_t kImageSize = 50 * 1024;

const CVXLByteBuffer& encodedMessage()
{
    static CVXLByteBuffer bytes;
    if (!bytes.length()) {
        CVXLPduRef pdu(mmstest::sendRequest(kImages, kImageSize));
        CVXLWspPduEncoder::encode(*pdu.get(), bytes);
    }
    return bytes;
}

void BM_Decode(benchmark::State& state)
{
    const CVXLByteBuffer& input = encodedMessage();
    std::size_t held = 0;
    for (auto _ : state) {
        const std::size_t before = mallinfo2().uordblks;
        CVXLMmsPdu pdu;
        CVXLWspPduDecoder decoder;
        const bool ok = decoder.decode(input.data(), input.length(), pdu, "bench.mms", 0);
        held = mallinfo2().uordblks - before;
        if (!ok)
            state.SkipWithError("decode failed");
        benchmark::DoNotOptimize(pdu);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * input.length());
    state.counters["input_bytes"] = input.length();
    state.counters["held_after_decode"] = static_cast<double>(held);
    state.counters["held_per_input_byte"] = static_cast<double>(held) / input.length();
}
BENCHMARK(BM_Decode);

void BM_Encode(benchmark::State& state)
{
    CVXLPduRef pdu(mmstest::sendRequest(kImages, kImageSize));
    std::uint32_t length = 0;
    for (auto _ : state) {
        CVXLByteBuffer out;
        if (!CVXLWspPduEncoder::encode(*pdu.get(), out))
            state.SkipWithError("encode failed");
        length = out.length();
        benchmark::DoNotOptimize(out);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * length);
    state.counters["output_bytes"] = length;
}
BENCHMARK(BM_Encode);

} // namespace
