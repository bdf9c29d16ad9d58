// Loads fuzzed ".md" media item records. A record that loads saves to the
// same bytes; one that does not leaves the item as it was.
#include "engine/media/VXLMediaItem.h"
#include "engine/media/VXLMediaItemRecord.h"
#include "tests/fuzz/FuzzBytes.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

#define check(condition)                                                  \
    do {                                                                  \
        if (!(condition)) {                                               \
            std::fprintf(stderr, "invariant failed: %s\n", #condition); \
            std::abort();                                                 \
        }                                                                 \
    } while (0)

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    CVXLByteBuffer bytes;
    if (!fuzzBytes(data, size, bytes))
        return 0;
    CVXLMediaItem item;
    item.setTitle("untouched");
    if (!CVXLMediaItemRecord::load(bytes, &item)) {
        check(item.title() == "untouched");
        check(item.id().length() == 0);
        check(item.width() == -1);
        check(item.pendingCount() == 0);
        return 0;
    }
    check(item.pendingCount() >= 0);
    check(sameBytes(CVXLMediaItemRecord::save(item), bytes));
    return 0;
}
