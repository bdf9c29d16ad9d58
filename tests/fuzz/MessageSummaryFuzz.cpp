// Fills a message summary from header maps read out of fuzzed header blocks
// (the X-QV- values come from the relay). The record must stay consistent
// with itself whatever the values hold.
#include "engine/messaging/store/VXLHeaderBlock.h"
#include "engine/messaging/store/VXLMessageSummary.h"
#include "engine/messaging/store/VXLStoredMessageRead.h"
#include "tests/fuzz/FuzzBytes.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// The addressees of one list against its joined text.
void checkList(const CVXLMessageSummary& summary, bool cc)
{
    const std::uint32_t count = cc ? summary.ccCount() : summary.toCount();
    std::uint32_t joined = 0;
    for (std::uint32_t i = 0; i < count; ++i) {
        const CVXLAddressee* entry
            = cc ? summary.ccAt(static_cast<int>(i)) : summary.toAt(static_cast<int>(i));
        FUZZ_CHECK(entry != nullptr);
        FUZZ_CHECK(entry->address().length() > 0);
        FUZZ_CHECK(entry->address().findChar(';') < 0);
        FUZZ_CHECK(entry->kind() == CVXLAddressee::kindOf(entry->address()));
        FUZZ_CHECK(!entry->displayName().length() || entry->address().find(entry->displayName()) >= 0);
        joined += entry->address().length() + (i ? 1 : 0);
    }
    FUZZ_CHECK((cc ? summary.ccText() : summary.toText()).length() == joined);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    CVXLByteBuffer bytes;
    if (size < 5 || !fuzzBytes(data, size, bytes))
        return 0;

    // Byte 0: whether a content segment was delivered; bytes 1-4: the clock.
    // The rest: the summary, content, totals and message blocks, cut at 0xFF.
    CVXLStoredMessageRead read;
    read.messageId = "i1700000000_0";
    read.read = data[0] & 2;
    if (data[0] & 1) {
        read.bodyLocator = "i1700000000_0|64|100";
        read.bodyLength = 100;
    }
    std::uint32_t now = 0;
    std::memcpy(&now, data + 1, 4);
    CVXLHeaderMap* maps[] = {&read.summary, &read.content, &read.totals, &read.message};
    std::uint32_t start = 5;
    for (CVXLHeaderMap* map : maps) {
        std::uint32_t end = start;
        while (end < size && data[end] != 0xFF)
            ++end;
        CVXLHeaderBlock::read(bytes, start, end - start, *map);
        start = end < size ? end + 1 : end;
    }

    CVXLMessageSummary summary;
    summary.fill(read, now);

    FUZZ_CHECK(summary.getBoxType() == CVXLMessageSummary::kReceived
        || summary.getBoxType() == CVXLMessageSummary::kSent);
    FUZZ_CHECK(summary.alertStatus() >= 0 && summary.alertStatus() <= 3);
    FUZZ_CHECK(summary.priority() >= 0 && summary.priority() <= 2);
    FUZZ_CHECK(summary.origin() == CVXLMessageSummary::kOriginStored);
    FUZZ_CHECK(summary.isRead() == read.read);
    FUZZ_CHECK(!summary.expiresSoon() || summary.expiryTime() != 0);
    FUZZ_CHECK(!summary.saveLocked() || summary.forwardLocked());
    FUZZ_CHECK((summary.mediaRef() != nullptr) == (read.bodyLocator.length() != 0));
    FUZZ_CHECK(summary.severalAddressees() == (summary.toCount() + summary.ccCount() >= 2));
    checkList(summary, false);
    checkList(summary, true);
    const CVXLString display = summary.getDisplayAddress();
    if (summary.getBoxType() == CVXLMessageSummary::kSent)
        FUZZ_CHECK(!display.length() || summary.toText().find(display) == 0);
    else
        FUZZ_CHECK(display == summary.fromAddress());
    return 0;
}
