// Reads the input as an outbound item file and as a summary. What is accepted
// must save and read back to the same bytes; a refused item keeps nothing.
#include "engine/core/base/VXLByteStream.h"
#include "engine/records/OutboundItem.h"
#include "engine/records/OutboundSummary.h"
#include "tests/fuzz/FuzzBytes.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    CVXLByteBuffer bytes;
    if (!fuzzBytes(data, size, bytes))
        return 0;

    COutboundItem item;
    if (item.load(bytes)) {
        CVXLByteBuffer saved;
        item.save(saved);
        COutboundItem again;
        CVXLByteBuffer resaved;
        if (!again.load(saved) || !again.save(resaved) || !sameBytes(saved, resaved))
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
        if (!again.load(readBack) || !again.save(resaved) || !sameBytes(saved, resaved))
            std::abort();
    }
    return 0;
}
