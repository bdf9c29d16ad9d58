// Loads a thread database file image. A loaded database saved and loaded
// again must save the same bytes; a refused image leaves the database empty.
#include "engine/messaging/threads/VXLThreadDB.h"
#include "tests/fuzz/FuzzBytes.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    CVXLByteBuffer bytes;
    if (!fuzzBytes(data, size, bytes))
        return 0;

    CVXLThreadDB first;
    if (!first.parse(bytes)) {
        if (first.messageCount() != 0 || first.shownCount() != 0 || first.hiddenCount() != 0)
            std::abort();
        return 0;
    }
    CVXLByteBuffer saved;
    first.serialise(saved);
    CVXLThreadDB second;
    if (!second.parse(saved))
        std::abort();
    CVXLByteBuffer resaved;
    second.serialise(resaved);
    if (!sameBytes(saved, resaved))
        std::abort();
    return 0;
}
