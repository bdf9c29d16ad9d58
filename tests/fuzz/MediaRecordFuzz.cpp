// Loads fuzzed ".md" media item records. A record that loads saves to the
// same bytes; one that does not leaves the item as it was.
#include "engine/media/VXLMediaItem.h"
#include "engine/media/VXLMediaItemRecord.h"
#include "tests/fuzz/FuzzBytes.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    CVXLByteBuffer bytes;
    if (!fuzzBytes(data, size, bytes))
        return 0;
    CVXLMediaItem item;
    item.setTitle("untouched");
    if (!CVXLMediaItemRecord::load(bytes, &item)) {
        FUZZ_CHECK(item.title() == "untouched");
        FUZZ_CHECK(item.id().length() == 0);
        FUZZ_CHECK(item.width() == -1);
        FUZZ_CHECK(item.pendingCount() == 0);
        return 0;
    }
    FUZZ_CHECK(item.pendingCount() >= 0);
    FUZZ_CHECK(sameBytes(CVXLMediaItemRecord::save(item), bytes));
    return 0;
}
