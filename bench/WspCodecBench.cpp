// Speed and memory of the WSP/MMS PDU decoder and encoder:
// - decode of the sample PDUs of every kind the encoder writes, per PDU,
//   beside a walk that only steps over the same PDUs' header values and part
//   table (the least any decoder must do);
// - decode of messages of about 300 KB and 5 MB beside a memcpy of the same
//   size, with the most heap the decode held at once above what was live
//   before it (counted by a malloc hook, which the engine allocator goes
//   through), against the message's own bytes;
// - decode of the 5 MB message from a file, window by window as the decode
//   job reads it, beside reading the whole file and decoding it in memory,
//   with the heap each holds at its peak.
#include "engine/transport/mms/VXLPduRef.h"
#include "engine/transport/mms/VXLWspPduDecoder.h"
#include "engine/transport/mms/VXLWspPduEncoder.h"
#include "engine/transport/mms/VXLWspReader.h"
#include "tests/transport/MmsSamplePdus.h"

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* block, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);
void __libc_free(void* block);
}

namespace {

std::atomic<long long> gLive {0};
std::atomic<long long> gPeak {0};
// Counting costs two atomic operations and a size lookup per block, which
// would weigh on the timings; only the memory figures turn it on.
std::atomic<bool> gMetering {false};

void counted(void* block)
{
    if (!block || !gMetering.load(std::memory_order_relaxed))
        return;
    const long long now = gLive += static_cast<long long>(malloc_usable_size(block));
    long long peak = gPeak.load();
    while (now > peak && !gPeak.compare_exchange_weak(peak, now)) { }
}

void uncounted(void* block)
{
    if (block && gMetering.load(std::memory_order_relaxed))
        gLive -= static_cast<long long>(malloc_usable_size(block));
}

// Heap held at the peak of a region, above what was live when it began
// (blocks made before the region and freed in it are not counted).
class PeakMeter {
public:
    PeakMeter()
        : start_(gLive.load())
    {
        gPeak = start_;
        gMetering = true;
    }
    ~PeakMeter() { gMetering = false; }
    long long held() const { return gPeak.load() - start_; }

private:
    long long start_;
};

} // namespace

extern "C" {
void* malloc(std::size_t size)
{
    void* block = __libc_malloc(size);
    counted(block);
    return block;
}
void* calloc(std::size_t count, std::size_t size)
{
    void* block = __libc_calloc(count, size);
    counted(block);
    return block;
}
void* realloc(void* old, std::size_t size)
{
    uncounted(old);
    void* block = __libc_realloc(old, size);
    counted(block ? block : (size ? old : nullptr));
    return block;
}
void* memalign(std::size_t alignment, std::size_t size)
{
    void* block = __libc_memalign(alignment, size);
    counted(block);
    return block;
}
void* aligned_alloc(std::size_t alignment, std::size_t size)
{
    return memalign(alignment, size);
}
int posix_memalign(void** out, std::size_t alignment, std::size_t size)
{
    *out = memalign(alignment, size);
    return *out ? 0 : 12;
}
void free(void* block)
{
    uncounted(block);
    __libc_free(block);
}
}

namespace {

CVXLByteBuffer encoded(CVXLMmsPdu* built)
{
    CVXLPduRef pdu(built);
    CVXLByteBuffer bytes;
    CVXLWspPduEncoder::encode(*pdu.get(), bytes);
    return bytes;
}

const std::vector<CVXLByteBuffer>& samplePdus()
{
    static std::vector<CVXLByteBuffer> pdus;
    if (pdus.empty()) {
        for (const mmstest::SamplePdu& sample : mmstest::kEncodedSamples)
            pdus.push_back(encoded(sample.build()));
    }
    return pdus;
}

// A message of count images of size bytes each, with its SMIL and text.
const CVXLByteBuffer& message(std::size_t images, std::size_t size)
{
    static CVXLByteBuffer small, large;
    CVXLByteBuffer& bytes = images * size < 1024 * 1024 ? small : large;
    if (!bytes.length())
        bytes = encoded(mmstest::sendRequest(images, size));
    return bytes;
}

bool decodeInput(CVXLWspPduDecoder& decoder, const CVXLByteBuffer& input, CVXLMmsPdu& pdu)
{
    // The file name a caller holds; making it is no part of the decode.
    static const CVXLString kFileName("bench.mms");
    return decoder.decode(input, 0, input.length(), pdu, kFileName, 0);
}

// Steps over every header value and every entry of the part table; the
// part count and the data bytes stepped over come back.
std::uint64_t walk(const CVXLByteBuffer& pdu)
{
    CVXLWspReader in(pdu.data(), pdu.length());
    std::uint8_t byte;
    std::uint64_t seen = 0;
    while (in.peek(byte)) {
        if (byte < 0x80) {
            CVXLString name;
            if (!in.readText(name) || !in.skipValue())
                return 0;
            continue;
        }
        in.readByte(byte);
        if (!in.skipValue())
            return 0;
        if (byte == 0x84)
            break;
    }
    std::uint32_t entries;
    if (in.atEnd() || !in.readUintvar(entries))
        return seen;
    for (std::uint32_t i = 0; i < entries; ++i) {
        std::uint32_t headers, data;
        if (!in.readUintvar(headers) || !in.readUintvar(data) || !in.skip(headers) || !in.skip(data))
            return 0;
        seen += 1 + data;
    }
    return seen;
}

void BM_DecodeSamplePdus(benchmark::State& state)
{
    const std::vector<CVXLByteBuffer>& pdus = samplePdus();
    for (auto _ : state) {
        for (const CVXLByteBuffer& bytes : pdus) {
            CVXLMmsPdu pdu;
            CVXLWspPduDecoder decoder;
            if (!decodeInput(decoder, bytes, pdu))
                state.SkipWithError("decode failed");
            benchmark::DoNotOptimize(pdu);
        }
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * pdus.size()));
    state.counters["pdus"] = static_cast<double>(pdus.size());
}
BENCHMARK(BM_DecodeSamplePdus);

void BM_WalkSamplePdus(benchmark::State& state)
{
    const std::vector<CVXLByteBuffer>& pdus = samplePdus();
    for (auto _ : state) {
        for (const CVXLByteBuffer& bytes : pdus)
            benchmark::DoNotOptimize(walk(bytes));
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * pdus.size()));
}
BENCHMARK(BM_WalkSamplePdus);

// Times decodeOnce, then counts the heap one more run of it holds at its
// peak. The message's own bytes are live before the decode; a peak per
// input byte of 1.0 would be a decode that holds as much again.
template <typename Decode>
void timeAndMeter(benchmark::State& state, std::uint32_t inputBytes, const Decode& decodeOnce)
{
    for (auto _ : state)
        decodeOnce();
    long long held = 0;
    {
        PeakMeter meter;
        decodeOnce();
        held = meter.held();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * inputBytes);
    state.counters["input_bytes"] = inputBytes;
    state.counters["peak_held"] = static_cast<double>(held);
    state.counters["peak_per_input_byte"] = static_cast<double>(held) / inputBytes;
}

// Arguments: image count, image size.
void BM_DecodeMessage(benchmark::State& state)
{
    const CVXLByteBuffer& input
        = message(static_cast<std::size_t>(state.range(0)), static_cast<std::size_t>(state.range(1)));
    const auto decodeOnce = [&] {
        CVXLMmsPdu pdu;
        CVXLWspPduDecoder decoder;
        if (!decodeInput(decoder, input, pdu))
            state.SkipWithError("decode failed");
        benchmark::DoNotOptimize(pdu);
        benchmark::ClobberMemory();
    };
    timeAndMeter(state, input.length(), decodeOnce);
}
BENCHMARK(BM_DecodeMessage)->Args({6, 50 * 1024})->Args({20, 256 * 1024});

void BM_Memcpy(benchmark::State& state)
{
    const CVXLByteBuffer& input
        = message(static_cast<std::size_t>(state.range(0)), static_cast<std::size_t>(state.range(1)));
    std::vector<std::uint8_t> copy(input.length());
    for (auto _ : state) {
        std::memcpy(copy.data(), input.data(), input.length());
        benchmark::DoNotOptimize(copy.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * input.length());
    state.counters["input_bytes"] = input.length();
}
BENCHMARK(BM_Memcpy)->Args({6, 50 * 1024})->Args({20, 256 * 1024});

// The 5 MB message in a file of its own, removed at exit.
const std::string& messageFile()
{
    static std::string path;
    if (path.empty()) {
        char name[] = "/tmp/tessel-bench-XXXXXX";
        const int fd = mkstemp(name);
        const CVXLByteBuffer& bytes = message(20, 256 * 1024);
        if (fd < 0 || write(fd, bytes.data(), bytes.length()) != static_cast<ssize_t>(bytes.length()))
            return path;
        close(fd);
        path = name;
        std::atexit([] { std::remove(messageFile().c_str()); });
    }
    return path;
}

// Windows as the decode job reads them: the next one from where the decoder
// resumes, twice as large when it did not move.
bool decodeFileWindows(int fd, std::uint32_t size, CVXLMmsPdu& pdu)
{
    constexpr std::uint32_t kWindow = 51200;
    using Result = CVXLWspPduDecoder::WindowResult;
    CVXLWspPduDecoder decoder;
    decoder.beginWindows(pdu, size, "bench.mms", 0);
    CVXLByteBuffer window;
    std::uint32_t room = kWindow, start = 0;
    for (;;) {
        const std::uint32_t length = size - start < room ? size - start : room;
        window.truncate(0);
        std::uint8_t* bytes = window.extend(length);
        if (!bytes || pread(fd, bytes, length, start) != static_cast<ssize_t>(length))
            return false;
        const Result result = decoder.decodeWindow(bytes, length);
        if (result != Result::kNeedWindow)
            return result == Result::kDone;
        room = decoder.resumePosition() == start ? 2 * room : kWindow;
        start = decoder.resumePosition();
    }
}

bool decodeFileWhole(int fd, std::uint32_t size, CVXLMmsPdu& pdu)
{
    CVXLByteBuffer input;
    std::uint8_t* bytes = input.extend(size);
    if (!bytes || pread(fd, bytes, size, 0) != static_cast<ssize_t>(size))
        return false;
    CVXLWspPduDecoder decoder;
    return decodeInput(decoder, input, pdu);
}

// Argument: 1 window by window, 0 the whole file.
void BM_DecodeFile(benchmark::State& state)
{
    const int fd = open(messageFile().c_str(), O_RDONLY);
    if (fd < 0) {
        state.SkipWithError("no message file");
        return;
    }
    const std::uint32_t size = message(20, 256 * 1024).length();
    const auto decodeOnce = [&] {
        CVXLMmsPdu pdu;
        if (!(state.range(0) ? decodeFileWindows(fd, size, pdu) : decodeFileWhole(fd, size, pdu)))
            state.SkipWithError("decode failed");
        benchmark::DoNotOptimize(pdu);
    };
    timeAndMeter(state, size, decodeOnce);
    close(fd);
}
BENCHMARK(BM_DecodeFile)->Arg(1)->Arg(0);

void BM_Encode(benchmark::State& state)
{
    CVXLPduRef pdu(mmstest::sendRequest(6, 50 * 1024));
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
