#pragma once

#include "engine/core/jobs/VXLEvent.h"

#include <cstdint>
#include <vector>

class CVXLMessageSummary;

// Requests that the screens and the message service job post to the outbound
// queue manager; the request code is the event's code. A single message's
// delete is CMessageItemRequest (kEventMessageItem) with an "o" id.
inline constexpr std::int32_t kOutboundRequestSubmit = 35;
inline constexpr std::int32_t kOutboundRequestSubmitPrepared = 36;
inline constexpr std::int32_t kOutboundRequestUnused = 37;
inline constexpr std::int32_t kOutboundRequestRetry = 38;
inline constexpr std::int32_t kOutboundRequestRefresh = 40;
inline constexpr std::int32_t kOutboundRequestWakeUp = 41;
inline constexpr std::int32_t kOutboundRequestRetryTimer = 42;
inline constexpr std::int32_t kOutboundRequestDeleteAll = 43;

// Refresh: every record whose message id names a queued entry of kind 1 or 2
// is filled from that entry; the others are left as they are. The records
// are the caller's.
class COutboundRefreshRequest : public CVXLEvent {
public:
    explicit COutboundRefreshRequest(std::int32_t replyCode)
        : CVXLEvent(kOutboundRequestRefresh, replyCode)
    {
    }

    std::vector<CVXLMessageSummary*> records;
};
