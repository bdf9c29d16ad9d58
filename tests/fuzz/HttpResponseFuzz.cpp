#include "engine/transport/http/VXLHttpResponse.h"
#include "engine/transport/http/VXLHttpResponseReader.h"

#include <cstddef>
#include <cstdint>

// Feeds fuzzer bytes to the response reader whole and a byte at a time: both
// must reach the same verdict, and the chunk-size and trailer scans must
// stay inside the buffer.
namespace {

int readHead(const std::uint8_t* data, std::size_t size, std::size_t step, std::uint32_t* rest)
{
    CVXLByteBuffer buffer;
    CVXLHttpResponse response;
    CVXLHttpResponseReader reader;
    reader.setBuffer(&buffer);
    reader.reset();
    reader.bind(&response);
    int result = CVXLHttpResponseReader::kNeedMore;
    std::size_t fed = 0;
    while (result == CVXLHttpResponseReader::kNeedMore && fed < size) {
        const std::size_t n = step < size - fed ? step : size - fed;
        buffer.append(data + fed, static_cast<std::uint32_t>(n));
        fed += n;
        result = reader.feed();
    }
    *rest = buffer.length() + static_cast<std::uint32_t>(size - fed);
    return result;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > 20000)
        return 0;
    std::uint32_t restWhole = 0;
    std::uint32_t restBytes = 0;
    const int whole = readHead(data, size, size ? size : 1, &restWhole);
    const int byByte = readHead(data, size, 1, &restBytes);
    if (whole != byByte)
        __builtin_trap();
    if (whole == CVXLHttpResponseReader::kHeadComplete && restWhole != restBytes)
        __builtin_trap();

    CVXLByteBuffer buffer;
    buffer.append(data, static_cast<std::uint32_t>(size));
    std::uint32_t chunk = 0;
    std::uint32_t line = 0;
    if (CVXLHttpResponseReader::scanChunkSizeLine(buffer, &chunk, &line) == CVXLHttpResponseReader::kChunkLineDone
        && line > buffer.length())
        __builtin_trap();
    if (CVXLHttpResponseReader::scanTrailer(buffer, &line) == CVXLHttpResponseReader::kChunkLineDone
        && line > buffer.length())
        __builtin_trap();
    return 0;
}
