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
//   with the heap each holds at its peak;
// - decode of the PDUs of the fuzz seed corpus (tests/fuzz/corpus/WspDecode,
//   made by our encoder and the sample script, read by tshark in the tests)
//   with every field then read (each header value and its parameters; each
//   part's type, charset, Content-ID and data), against a plain C decoder
//   written here that walks the same PDUs and records where each of those
//   lies (the floor). BM_CorpusDecodeToFloor gives the ratio
//   ("decode_read_per_floor").
#include "bench/AlternatingRatio.h"
#include "engine/transport/mime/VXLMultipartBody.h"
#include "engine/transport/mms/VXLPduRef.h"
#include "engine/transport/mms/VXLWspPduDecoder.h"
#include "engine/transport/mms/VXLWspPduEncoder.h"
#include "engine/transport/mms/VXLWspReader.h"
#include "tests/transport/MmsSamplePdus.h"

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
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

std::uint64_t floorRead(const CVXLByteBuffer& bytes);

// The seed corpus of the decoder's fuzz target, in name order, without the
// byte the target reads first: the PDUs that both decoders take.
const std::vector<CVXLByteBuffer>& corpusPdus()
{
    static std::vector<CVXLByteBuffer> pdus;
    if (pdus.empty()) {
        std::vector<std::filesystem::path> files;
        const std::filesystem::path folder
            = std::filesystem::path(TESSEL_SOURCE_DIR) / "tests/fuzz/corpus/WspDecode";
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(folder, error))
            files.push_back(entry.path());
        std::sort(files.begin(), files.end());
        for (const auto& file : files) {
            std::ifstream in(file, std::ios::binary);
            const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            // The fuzz target takes the first byte for its window size.
            if (bytes.size() < 2)
                continue;
            CVXLByteBuffer buffer;
            buffer.append(bytes.data() + 1, static_cast<std::uint32_t>(bytes.size() - 1));
            CVXLMmsPdu pdu;
            CVXLWspPduDecoder decoder;
            if (decodeInput(decoder, buffer, pdu) && floorRead(buffer) != 0)
                pdus.push_back(buffer);
        }
    }
    return pdus;
}

// Reads every field of a decoded PDU as a reader of the message would: each
// header value with its parameters, then each part's type, charset,
// Content-ID and data. The bytes seen come back.
std::uint64_t readEveryField(const CVXLMmsPdu& pdu)
{
    static const CVXLString kCharset("charset");
    std::uint64_t seen = 0;
    for (std::uint32_t i = 0; i < pdu.headerCount(); ++i) {
        const CVXLString name = pdu.headerName(static_cast<int>(i));
        const std::uint32_t values = pdu.valueCount(name);
        for (std::uint32_t n = 0; n < values; ++n) {
            seen += pdu.headerValue(name, static_cast<int>(n)).length();
            const std::uint32_t parameters = pdu.parameterCount(name, static_cast<int>(n));
            for (std::uint32_t k = 0; k < parameters; ++k) {
                const CVXLString parameter
                    = pdu.parameterName(name, static_cast<int>(n), static_cast<int>(k));
                const CVXLString* value = pdu.parameter(name, parameter, static_cast<int>(n));
                seen += value ? value->length() : 0;
            }
        }
    }
    const CVXLMimeEntity* body = pdu.body().get();
    if (!body || body->kind() != CVXLMimeEntity::kMultipart)
        return seen;
    const auto* multipart = static_cast<const CVXLMultipartBody*>(body);
    for (std::uint32_t i = 0; i < multipart->partCount(); ++i) {
        const CVXLMimeEntity* part = multipart->partAt(i).get();
        seen += part->contentType().length() + part->header(kCharset).length() + part->contentId().length();
        const std::uint8_t* data = part->bodyData();
        seen += part->bodyLength() + (data && part->bodyLength() ? data[0] : 0);
    }
    return seen;
}

// ---- the floor: a plain C decoder that records where each field lies

enum { kFloorMaxFields = 64, kFloorMaxParts = 32 };

struct FloorSpan {
    unsigned start, length;
};

struct FloorField {
    unsigned code;
    struct FloorSpan value;
};

struct FloorPart {
    struct FloorSpan type, charset, contentId, data;
};

struct FloorPdu {
    struct FloorField fields[kFloorMaxFields];
    unsigned fieldCount;
    struct FloorPart parts[kFloorMaxParts];
    unsigned partCount;
};

static int floorUintvar(const unsigned char* p, unsigned end, unsigned* at, unsigned* value)
{
    unsigned v = 0;
    for (int i = 0; i < 5; ++i) {
        if (*at >= end)
            return 0;
        const unsigned char c = p[(*at)++];
        v = (v << 7) | (c & 0x7Fu);
        if (!(c & 0x80u)) {
            *value = v;
            return 1;
        }
    }
    return 0;
}

// Steps over one value (short integer, text to its NUL, or a value length
// and its bytes) and gives its span.
static int floorValue(const unsigned char* p, unsigned end, unsigned* at, struct FloorSpan* span)
{
    if (*at >= end)
        return 0;
    const unsigned char c = p[*at];
    unsigned length = 0;
    if (c >= 0x80) {
        span->start = *at;
        span->length = 1;
        *at += 1;
        return 1;
    }
    if (c >= 0x20) {
        const unsigned char* nul = (const unsigned char*)std::memchr(p + *at, 0, end - *at);
        if (!nul)
            return 0;
        span->start = *at;
        span->length = (unsigned)(nul - (p + *at));
        *at += span->length + 1;
        return 1;
    }
    *at += 1;
    if (c == 0x1F) {
        if (!floorUintvar(p, end, at, &length))
            return 0;
    } else {
        length = c;
    }
    if (length > end - *at)
        return 0;
    span->start = *at;
    span->length = length;
    *at += length;
    return 1;
}

// A content type: its media type's span and, in the general form, the
// charset parameter's value.
static int floorContentType(
    const unsigned char* p, unsigned end, unsigned* at, struct FloorSpan* type, struct FloorSpan* charset)
{
    struct FloorSpan whole;
    const int general = *at < end && p[*at] <= 0x1F;
    if (!floorValue(p, end, at, &whole))
        return 0;
    charset->start = charset->length = 0;
    if (!general) {
        *type = whole;
        return 1;
    }
    unsigned in = whole.start;
    const unsigned stop = whole.start + whole.length;
    if (!floorValue(p, stop, &in, type))
        return 0;
    while (in < stop) {
        struct FloorSpan name, value;
        if (!floorValue(p, stop, &in, &name) || !floorValue(p, stop, &in, &value))
            return 0;
        if (name.length == 1 && p[name.start] == 0x81)
            *charset = value;
    }
    return 1;
}

static int floorDecode(const unsigned char* p, unsigned end, struct FloorPdu* pdu)
{
    unsigned at = 0;
    pdu->fieldCount = pdu->partCount = 0;
    while (at < end) {
        struct FloorField field;
        if (p[at] >= 0x80) {
            field.code = p[at++] & 0x7Fu;
        } else {
            struct FloorSpan name;
            if (!floorValue(p, end, &at, &name))
                return 0;
            field.code = 0;
        }
        if (field.code == 0x04) {
            struct FloorSpan charset;
            if (!floorContentType(p, end, &at, &field.value, &charset))
                return 0;
        } else if (!floorValue(p, end, &at, &field.value)) {
            return 0;
        }
        if (pdu->fieldCount < kFloorMaxFields)
            pdu->fields[pdu->fieldCount++] = field;
        if (field.code == 0x04)
            break;
    }
    unsigned entries = 0;
    if (at >= end || !floorUintvar(p, end, &at, &entries))
        return 1;
    for (unsigned i = 0; i < entries; ++i) {
        unsigned headers = 0, data = 0;
        if (!floorUintvar(p, end, &at, &headers) || !floorUintvar(p, end, &at, &data))
            return 0;
        if (headers > end - at || data > end - at - headers)
            return 0;
        struct FloorPart part;
        std::memset(&part, 0, sizeof part);
        unsigned in = at;
        const unsigned stop = at + headers;
        if (!floorContentType(p, stop, &in, &part.type, &part.charset))
            return 0;
        while (in < stop) {
            struct FloorSpan name, value;
            const int wellKnown = p[in] >= 0x80;
            if (!floorValue(p, stop, &in, &name) || !floorValue(p, stop, &in, &value))
                return 0;
            // Content-ID, a quoted string.
            if (wellKnown && p[name.start] == 0xC0)
                part.contentId = value;
        }
        part.data.start = stop;
        part.data.length = data;
        at = stop + data;
        if (pdu->partCount < kFloorMaxParts)
            pdu->parts[pdu->partCount++] = part;
    }
    return 1;
}

// The floor's equal of readEveryField: the length of each recorded span.
std::uint64_t floorRead(const CVXLByteBuffer& bytes)
{
    static FloorPdu pdu;
    if (!floorDecode(bytes.data(), bytes.length(), &pdu))
        return 0;
    std::uint64_t seen = 0;
    for (unsigned i = 0; i < pdu.fieldCount; ++i)
        seen += pdu.fields[i].value.length;
    for (unsigned i = 0; i < pdu.partCount; ++i) {
        const FloorPart& part = pdu.parts[i];
        seen += part.type.length + part.charset.length + part.contentId.length + part.data.length
            + (part.data.length ? bytes.data()[part.data.start] : 0);
    }
    return seen;
}

std::uint64_t decodeAndReadCorpus(benchmark::State& state)
{
    std::uint64_t seen = 0;
    for (const CVXLByteBuffer& bytes : corpusPdus()) {
        CVXLMmsPdu pdu;
        CVXLWspPduDecoder decoder;
        if (!decodeInput(decoder, bytes, pdu))
            state.SkipWithError("decode failed");
        seen += readEveryField(pdu);
    }
    return seen;
}

std::uint64_t floorCorpus()
{
    std::uint64_t seen = 0;
    for (const CVXLByteBuffer& bytes : corpusPdus())
        seen += floorRead(bytes);
    return seen;
}

void BM_CorpusDecodeAndRead(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(decodeAndReadCorpus(state));
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * corpusPdus().size()));
    state.counters["pdus"] = static_cast<double>(corpusPdus().size());
}
BENCHMARK(BM_CorpusDecodeAndRead);

void BM_CorpusFloor(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(floorCorpus());
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * corpusPdus().size()));
}
BENCHMARK(BM_CorpusFloor);

void BM_CorpusDecodeToFloor(benchmark::State& state)
{
    state.counters["decode_read_per_floor"] = alternatingRatio(
        state, [&] { return decodeAndReadCorpus(state); }, [] { return floorCorpus(); });
    state.counters["pdus"] = static_cast<double>(corpusPdus().size());
}
BENCHMARK(BM_CorpusDecodeToFloor);

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
