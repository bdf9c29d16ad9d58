// Reads the input as a header block and as an index file. Writing what was
// read and reading it back must give the same bytes again: nothing read may be
// written in a form that reads differently.
#include "engine/core/base/VXLByteBuffer.h"
#include "engine/core/base/VXLHeaderMap.h"
#include "engine/messaging/VXLHeaderBlock.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

bool same(const CVXLByteBuffer& a, const CVXLByteBuffer& b)
{
    return a.length() == b.length() && (a.length() == 0 || std::memcmp(a.data(), b.data(), a.length()) == 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > 1 << 16)
        return 0;
    CVXLByteBuffer bytes;
    if (size > 0 && !bytes.append(data, static_cast<std::uint32_t>(size)))
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
    if (!same(written, rewritten))
        std::abort();

    CVXLHeaderMap ids;
    CVXLHeaderBlock::readIndex(bytes, ids);
    CVXLByteBuffer index;
    CVXLHeaderBlock::writeIndex(ids, index);
    CVXLHeaderMap idsAgain;
    CVXLHeaderBlock::readIndex(index, idsAgain);
    CVXLByteBuffer indexAgain;
    CVXLHeaderBlock::writeIndex(idsAgain, indexAgain);
    if (!same(index, indexAgain))
        std::abort();
    return 0;
}
