// Feeds arbitrary bytes to the XML reader whole, split in two at a point
// chosen by the input, and byte by byte; the three event traces must agree.
#include "tests/support/XmlTraceReader.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > 1 << 16)
        return 0;
    const auto n = static_cast<std::uint32_t>(size);
    XmlTraceReader reader;
    reader.feed(data, n);
    const bool whole = reader.finish();
    const std::string expected = reader.trace;

    const std::uint32_t at = n > 0 ? data[0] % (n + 1) : 0;
    reader.reset();
    const std::uint32_t first = reader.feed(data, at);
    if (first == at)
        reader.feed(data + at, n - at);
    if (reader.finish() != whole || reader.trace != expected)
        std::abort();

    reader.reset();
    for (std::uint32_t i = 0; i < n; ++i)
        reader.feed(static_cast<char>(data[i]));
    if (reader.finish() != whole || reader.trace != expected)
        std::abort();
    return 0;
}
