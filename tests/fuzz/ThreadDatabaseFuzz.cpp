// Loads a thread database file image. A loaded database saved and loaded
// again must save the same bytes; a refused image leaves the database empty.
#include "engine/core/base/VXLByteBuffer.h"
#include "engine/messaging/VXLThreadDB.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > 1 << 16)
        return 0;
    CVXLByteBuffer bytes;
    if (size > 0 && !bytes.append(data, static_cast<std::uint32_t>(size)))
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
    if (saved.length() != resaved.length()
        || (saved.length() > 0 && std::memcmp(saved.data(), resaved.data(), saved.length()) != 0))
        std::abort();
    return 0;
}
