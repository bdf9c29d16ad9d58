#include "engine/core/jobs/VXLResultCodes.h"
#include "engine/service/VRAXContentsReply.h"
#include "engine/service/VRAXErrorInfoReply.h"
#include "engine/service/VRAXListChoiceAckReply.h"
#include "engine/service/VRAXMgmtReply.h"
#include "engine/service/VRAXPageRequest.h"
#include "tests/service/FakeVraxEnvironment.h"

#include <cstddef>
#include <cstdint>

// The first byte picks the page capacity (0 to 15); the rest is a reply
// document read by the album list and album contents readers, the
// registration reader, the error-info reader and the choice
// acknowledgement reader. The page never grows past its capacity and
// carries no result but 68 or 23; registration is done only with an id
// stored; the error-info reader never stops at "error"; reading the same
// document again after a reset gives the same result.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1 || size > 65536)
        return 0;
    const std::int32_t capacity = data[0] & 0x0F;
    CVXLByteBuffer reply;
    reply.append(data + 1, static_cast<std::uint32_t>(size - 1));
    FakeVraxEnvironment env;
    env.now = 1800000000;

    for (const bool albumList : {true, false}) {
        CVRAXPageRequest page;
        page.setWindow(0, capacity);
        CVRAXContentsReply contents(env);
        if (albumList)
            contents.setAlbumList(&page);
        else
            contents.setAlbumContents(&page);
        const std::int32_t first = contents.parse(reply);
        if ((first < 0 || first > 3) && first != kVraxReplyFraming)
            __builtin_trap();
        if (page.albums.size() != static_cast<std::size_t>(capacity)
            || page.media.size() != static_cast<std::size_t>(capacity))
            __builtin_trap();
        if (page.result != 0 && page.result != kResultLastPage && page.result != kResultAlbumEmpty)
            __builtin_trap();
    }

    CVRAXMgmtReply mgmt(env);
    const std::int32_t registered = mgmt.parse(reply);
    if (registered == kVraxReplyDone
        && (env.get(kPersVraxId).empty() || env.get(kPersVraxRegComplete) != "1"))
        __builtin_trap();
    mgmt.reset();
    if (!mgmt.uris().empty())
        __builtin_trap();

    CVRAXErrorInfoReply error(env);
    const std::int32_t info = error.parse(reply);
    if (info == kVraxReplyError)
        __builtin_trap();
    error.reset();
    if (error.parse(reply) != info)
        __builtin_trap();

    CVRAXListChoiceAckReply ack(env);
    const std::int32_t acked = ack.parse(reply);
    if (acked < 0 || acked > 3)
        __builtin_trap();
    return 0;
}
