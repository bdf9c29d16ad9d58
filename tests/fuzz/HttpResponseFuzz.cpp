#include "engine/transport/http/VXLHttpBodyFramer.h"
#include "engine/transport/http/VXLHttpResponse.h"
#include "engine/transport/http/VXLHttpResponseReader.h"

#include <cstddef>
#include <cstdint>
#include <string>

// Feeds fuzzer bytes to the response reader and to the chunked body framer
// whole and a byte at a time: both ways must reach the same verdict and, for
// the framer, the same body bytes, all taken from inside the bytes shown.
namespace {

CVXLScanResult readHead(const std::uint8_t* data, std::size_t size, std::size_t step, std::uint32_t* rest)
{
    CVXLByteBuffer buffer;
    CVXLHttpResponse response;
    CVXLHttpResponseReader reader;
    reader.setBuffer(&buffer);
    reader.reset();
    reader.bind(&response);
    CVXLScanResult result = CVXLScanResult::NeedMore;
    std::size_t fed = 0;
    while (result == CVXLScanResult::NeedMore && fed < size) {
        const std::size_t n = step < size - fed ? step : size - fed;
        buffer.append(data + fed, static_cast<std::uint32_t>(n));
        fed += n;
        result = reader.feed();
    }
    *rest = buffer.length() + static_cast<std::uint32_t>(size - fed);
    return result;
}

// Shows the framer each piece of `step` bytes together with what it left.
CVXLScanResult frameChunks(const std::uint8_t* data, std::size_t size, std::size_t step, std::string* body)
{
    CVXLHttpBodyFramer framer;
    framer.frameByChunks();
    std::string pending;
    CVXLScanResult result = CVXLScanResult::NeedMore;
    for (std::size_t fed = 0; fed < size && result == CVXLScanResult::NeedMore;) {
        const std::size_t n = step < size - fed ? step : size - fed;
        pending.append(reinterpret_cast<const char*>(data + fed), n);
        fed += n;
        while (result == CVXLScanResult::NeedMore && !pending.empty()) {
            CVXLHttpBodyFramer::Taken taken;
            result = framer.take(reinterpret_cast<const std::uint8_t*>(pending.data()),
                static_cast<std::uint32_t>(pending.size()), &taken);
            const std::size_t used = static_cast<std::size_t>(taken.framing) + taken.body;
            if (used > pending.size() || (used == 0 && result == CVXLScanResult::NeedMore))
                __builtin_trap();
            body->append(pending, taken.framing, taken.body);
            pending.erase(0, used);
        }
    }
    return result;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Room past the 8 KB line and 64 KB head limits, so both are reached.
    if (size > 70000)
        return 0;
    std::uint32_t restWhole = 0;
    std::uint32_t restBytes = 0;
    const CVXLScanResult whole = readHead(data, size, size ? size : 1, &restWhole);
    const CVXLScanResult byByte = readHead(data, size, 1, &restBytes);
    if (whole != byByte)
        __builtin_trap();
    if (whole == CVXLScanResult::Done && restWhole != restBytes)
        __builtin_trap();

    std::string bodyWhole;
    std::string bodyBytes;
    if (frameChunks(data, size, size ? size : 1, &bodyWhole) != frameChunks(data, size, 1, &bodyBytes)
        || bodyWhole != bodyBytes)
        __builtin_trap();
    return 0;
}
