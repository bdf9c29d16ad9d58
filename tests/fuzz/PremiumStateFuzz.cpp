// Loads a "state.pq" image. A refused image leaves the inbox empty; a loaded
// one saves bytes that load again and save the same bytes, with as many
// groups and messages.
#include "engine/messaging/premium/PremiumInboxManager.h"
#include "tests/fuzz/FuzzBytes.h"
#include "tests/fuzz/FuzzDeviceRoot.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzzDeviceRoot();
    CVXLByteBuffer bytes;
    if (!fuzzBytes(data, size, bytes))
        return 0;

    CPremiumInboxManager first;
    if (!first.parse(bytes)) {
        FUZZ_CHECK(first.entryCount() == 0 && first.groupCount() == 0);
        return 0;
    }
    // Every group and message takes bytes of its own.
    FUZZ_CHECK(first.groupCount() <= size / 24 && first.entryCount() <= size / 12);
    CVXLByteBuffer saved;
    first.serialise(saved);
    CPremiumInboxManager second;
    FUZZ_CHECK(second.parse(saved));
    FUZZ_CHECK(second.groupCount() == first.groupCount() && second.entryCount() == first.entryCount());
    CVXLByteBuffer resaved;
    second.serialise(resaved);
    FUZZ_CHECK(sameBytes(saved, resaved));
    return 0;
}
