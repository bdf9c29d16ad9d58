// Loads a "state.wq" image. A loaded queue holds at most 20 items, saves
// bytes that load again to the same bytes, and saves the image itself when
// it held 20 items or fewer; a refused image leaves the queue empty.
#include "engine/messaging/push/WapPushQueue.h"
#include "tests/fuzz/FuzzBytes.h"
#include "tests/fuzz/FuzzDeviceRoot.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // What the load logs goes to a root of the run's own.
    fuzzDeviceRoot();
    CVXLByteBuffer bytes;
    if (!fuzzBytes(data, size, bytes))
        return 0;

    CWapPushQueue first;
    if (!first.parse(bytes)) {
        if (first.count() != 0)
            std::abort();
        return 0;
    }
    if (first.count() > CWapPushQueue::kMaxItems)
        std::abort();
    CVXLByteBuffer saved;
    first.serialise(saved);
    const std::uint32_t stored
        = size >= 5 ? data[1] | data[2] << 8 | data[3] << 16 | static_cast<std::uint32_t>(data[4]) << 24 : 0;
    if (stored <= CWapPushQueue::kMaxItems && !sameBytes(saved, bytes))
        std::abort();
    CWapPushQueue second;
    if (!second.parse(saved) || second.count() != first.count())
        std::abort();
    CVXLByteBuffer resaved;
    second.serialise(resaved);
    if (!sameBytes(saved, resaved))
        std::abort();
    return 0;
}
