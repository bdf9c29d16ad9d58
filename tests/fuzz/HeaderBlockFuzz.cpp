// Reads the input as a header block and as an index file. Writing what was
// read and reading it back must give the same bytes again: nothing read may be
// written in a form that reads differently.
#include "engine/core/base/VXLHeaderMap.h"
#include "engine/messaging/store/VXLHeaderBlock.h"
#include "tests/fuzz/FuzzBytes.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    CVXLByteBuffer bytes;
    if (!fuzzBytes(data, size, bytes))
        return 0;

    // The first byte chooses where the block starts, the second its length.
    const std::uint32_t start = size > 0 ? data[0] % 8 : 0;
    const std::uint32_t length = size > 1 ? static_cast<std::uint32_t>(size) - data[1] % 4 : 0;
    CVXLHeaderMap first;
    CVXLHeaderBlock::read(bytes, start, length, first);
    CVXLByteBuffer written;
    CVXLHeaderBlock::write(first, written);
    CVXLHeaderMap second;
    CVXLHeaderBlock::read(written, 0, written.length(), second);
    CVXLByteBuffer rewritten;
    CVXLHeaderBlock::write(second, rewritten);
    if (!sameBytes(written, rewritten))
        std::abort();

    CVXLHeaderMap ids;
    CVXLHeaderBlock::readIndex(bytes, ids);
    CVXLByteBuffer index;
    CVXLHeaderBlock::writeIndex(ids, index);
    CVXLHeaderMap idsAgain;
    CVXLHeaderBlock::readIndex(index, idsAgain);
    CVXLByteBuffer indexAgain;
    CVXLHeaderBlock::writeIndex(idsAgain, indexAgain);
    if (!sameBytes(index, indexAgain))
        std::abort();
    return 0;
}
