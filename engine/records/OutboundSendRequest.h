#pragma once

#include "engine/core/base/VXLString.h"
#include "engine/core/jobs/VXLEvent.h"
#include "engine/core/jobs/VXLEventCodes.h"

#include <cstdint>

class COutboundItem;

// Asks the outbound sender to send one queued message: its item file and
// its voice memo's audio file (empty when none).
class COutboundSendRequest : public CVXLEvent {
public:
    explicit COutboundSendRequest(std::int32_t replyCode = -1)
        : CVXLEvent(kEventOutboundSend, replyCode)
    {
    }

    void reset()
    {
        itemFile.clear();
        audioFile.clear();
    }

    CVXLString itemFile;
    CVXLString audioFile;
};

// The sender's report to the queue when a send is over: 0 for sent, else the
// failing step's code and text. `permanent` is set exactly when the result is
// 52 and the service's sub-code was 273 or 274.
class COutboundSendResult : public CVXLEvent {
public:
    COutboundSendResult()
        : CVXLEvent(kEventOutboundSendResult, -1)
    {
    }

    CVXLString messageId;
    // The item the send was about; the sender's own, valid while the event is
    // handled.
    const COutboundItem* item = nullptr;
    std::uint8_t permanent = 0;
};
