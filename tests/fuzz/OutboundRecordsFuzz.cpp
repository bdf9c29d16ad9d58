// Reads the input as an outbound item file and as a summary. What is accepted
// must save and read back to the same bytes; a refused item keeps nothing.
#include "engine/core/base/VXLByteStream.h"
#include "engine/messaging/OutboundItem.h"
#include "engine/messaging/OutboundSummary.h"

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

    COutboundItem item;
    if (item.load(bytes)) {
        CVXLByteBuffer saved;
        item.save(saved);
        COutboundItem again;
        CVXLByteBuffer resaved;
        if (!again.load(saved) || !again.save(resaved) || !same(saved, resaved))
            std::abort();
    } else if (item.recipients.count() != 0 || item.partCount() != 0 || item.fieldGroupCount() != 0) {
        std::abort();
    }

    CVXLByteStream in(bytes);
    COutboundSummary summary;
    while (summary.load(in)) {
        CVXLByteStream saved;
        summary.save(saved);
        CVXLByteStream readBack(saved);
        COutboundSummary again;
        CVXLByteStream resaved;
        if (!again.load(readBack) || !again.save(resaved) || !same(saved, resaved))
            std::abort();
    }
    return 0;
}
