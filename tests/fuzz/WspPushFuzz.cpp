// Reads a WSP push datagram, then hands it to the push source as the push
// router would. An accepted push names a content type and its body lies
// wholly inside the datagram, after the headers.
#include "engine/messaging/push/WapPushSource.h"
#include "platform/push/WspPushReader.h"
#include "tests/fuzz/FuzzDeviceRoot.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Refusals are logged in a root of the run's own.
    fuzzDeviceRoot();
    tessel::push::WspPush push;
    const tessel::push::WspPushStatus status = tessel::push::readWspPush(data, size, &push);
    if (status == tessel::push::WspPushStatus::Ok) {
        if (push.contentType.empty() || push.bodyOffset < 4 || push.bodyOffset > size
            || push.bodyOffset + push.bodyLength != size)
            std::abort();
    }
    // Without a queue every datagram is refused, and nothing is posted.
    CWapPushSource source;
    if (source.takeDatagram(std::string(reinterpret_cast<const char*>(data), size)) || source.refused() != 1)
        std::abort();
    return 0;
}
