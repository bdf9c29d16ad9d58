#include "engine/service/VRAXListReplyParser.h"
#include "tests/service/FakeVraxEnvironment.h"

#include <cstddef>
#include <cstdint>

// Parses fuzzer bytes as a reply with the list reader, twice with a reset in
// between: the result is one of the four and the same both times, with as
// many items; a redirect is stored only when it is an acceptable address.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > 65536)
        return 0;
    FakeVraxEnvironment environment;
    environment.now = 1800000000;
    CVRAXListReplyParser parser(environment);
    CVXLByteBuffer reply;
    reply.append(data, static_cast<std::uint32_t>(size));
    const std::int32_t first = parser.parse(reply);
    const std::uint32_t items = parser.itemCount();
    if (first < 0 || first > 3)
        __builtin_trap();
    parser.reset();
    if (parser.parse(reply) != first || parser.itemCount() != items)
        __builtin_trap();
    CVXLString url;
    if (environment.store.get("vrax.url", &url) && !CVRAXReplyParser::isAcceptableServerUri(url))
        __builtin_trap();
    return 0;
}
