#pragma once

#include "engine/core/base/VXLString.h"
#include "engine/core/base/VXLStringArray.h"
#include "engine/core/jobs/VXLEvent.h"
#include "engine/transfer/VXLOemXferSource.h"

#include <cstdint>
#include <vector>

class CScenarioLayout;
class CVXLMessageSummary;

// Requests that the screens and the message service job post to the outbound
// queue manager; the request code is the event's code. A single message's
// delete is CMessageItemRequest (kEventMessageItem) with an "o" id.
inline constexpr std::int32_t kOutboundRequestList = 10;
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

// A recorded voice memo offered with a composed message: the queue copies
// its bytes into the message's audio file. Told the failing step when the
// submit fails: 5 the state or item file could not be written, 6 the audio
// file could not be.
class COutboundVoiceMemo : public CVXLOemXferSource {
public:
    virtual CVXLString memoName() const = 0;
    virtual void submitFailed(std::int32_t step) = 0;
};

// Submits a composed message: the screen it was composed on, its recipients,
// an optional voice memo (the caller's) and its priority (0 low, 1 normal,
// 2 high). Result 0 once the message is stored; 1000 when the queue refused
// it (22 held, or a recipient screen without recipients).
class COutboundSubmitRequest : public CVXLEvent {
public:
    explicit COutboundSubmitRequest(std::int32_t replyCode)
        : CVXLEvent(kOutboundRequestSubmit, replyCode)
    {
    }

    const CScenarioLayout* screen = nullptr;
    CVXLStringArray recipients;
    COutboundVoiceMemo* voiceMemo = nullptr;
    std::uint8_t priority = 1;
};

// Submits a prepared MMS: message id, To list (joined with ","), two more
// texts, the subject, and the part count.
class COutboundSubmitPreparedRequest : public CVXLEvent {
public:
    static constexpr int kTexts = 5;

    explicit COutboundSubmitPreparedRequest(std::int32_t replyCode)
        : CVXLEvent(kOutboundRequestSubmitPrepared, replyCode)
    {
    }

    CVXLString texts[kTexts];
    std::uint32_t value = 0;
};

// A window of the outbox, newest first: skips `offset` messages and fills at
// most `window` of the records (the caller's). Out: how many were filled and
// how many messages the outbox holds, displaced ones left out.
class COutboxListRequest : public CVXLEvent {
public:
    explicit COutboxListRequest(std::int32_t replyCode)
        : CVXLEvent(kOutboundRequestList, replyCode)
    {
    }

    std::uint32_t offset = 0;
    std::uint32_t window = 0;
    std::vector<CVXLMessageSummary*> records;
    std::uint32_t filled = 0;
    std::uint32_t total = 0;
};

// Makes the outbox message with this id queued again, its attempts unused.
// Result 2 when no message has the id.
class COutboundRetryRequest : public CVXLEvent {
public:
    explicit COutboundRetryRequest(std::int32_t replyCode)
        : CVXLEvent(kOutboundRequestRetry, replyCode)
    {
    }

    CVXLString messageId;
};
