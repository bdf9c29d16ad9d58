// Loads a "state.oq" image. A refused image leaves nothing loaded; a loaded
// one holds at most 22 entries of kind 1 or 2 whose item numbers are
// distinct and below the next one, and saves bytes that load again to the
// same entries and save to the same bytes.
#include "engine/messaging/outbound/OutboundQueueManager.h"
#include "tests/fuzz/FuzzBytes.h"
#include "tests/fuzz/FuzzDeviceRoot.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

void save(const COutboundQueueManager::Loaded& loaded, CVXLByteBuffer& out)
{
    COutboundQueueManager::serialise(loaded.entries.data(), static_cast<std::uint32_t>(loaded.entries.size()),
        loaded.nextItemNumber, loaded.currentIndex, out);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzzDeviceRoot();
    CVXLByteBuffer bytes;
    if (!fuzzBytes(data, size, bytes))
        return 0;

    COutboundQueueManager::Loaded first;
    if (!COutboundQueueManager::parse(bytes, first)) {
        if (!first.entries.empty())
            std::abort();
        return 0;
    }
    if (first.entries.size() > COutboundQueueManager::kMaxEntries)
        std::abort();
    for (std::size_t i = 0; i < first.entries.size(); ++i) {
        const COutboundQueueEntry& e = first.entries[i];
        if ((e.kind != 1 && e.kind != 2) || e.itemNumber >= first.nextItemNumber || e.sending)
            std::abort();
        for (std::size_t j = 0; j < i; ++j) {
            if (first.entries[j].itemNumber == e.itemNumber)
                std::abort();
        }
    }
    CVXLByteBuffer saved;
    save(first, saved);
    COutboundQueueManager::Loaded second;
    if (!COutboundQueueManager::parse(saved, second) || second.entries.size() != first.entries.size()
        || second.nextItemNumber != first.nextItemNumber)
        std::abort();
    CVXLByteBuffer resaved;
    save(second, resaved);
    if (!sameBytes(saved, resaved))
        std::abort();
    return 0;
}
