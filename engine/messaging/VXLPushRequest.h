#pragma once

#include "engine/core/base/VXLByteBuffer.h"
#include "engine/core/jobs/VXLEvent.h"

#include <cstdint>

// The Client's hand-over of the push queue's head to the inbound message
// manager (its request 0). The answer's result: 0 or 74 the push is done,
// 89 it stays queued untouched, anything else it is tried again later.
class CVXLPushRequest : public CVXLEvent {
public:
    static constexpr std::int32_t kRequestCode = 0;

    explicit CVXLPushRequest(std::int32_t replyCode)
        : CVXLEvent(kRequestCode, replyCode)
    {
    }

    CVXLByteBuffer pdu;
    std::uint32_t fetchNow = 0;
    // The head's attempts so far, and whether the load counted the last run's
    // unclean end against it: a message it fetched before the crash may be
    // stored already.
    std::uint32_t attempts = 0;
    bool backAfterCrash = false;
};
