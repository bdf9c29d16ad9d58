#pragma once

#include "engine/core/base/VXLByteBuffer.h"
#include "engine/core/base/VXLString.h"
#include "engine/core/jobs/VXLEvent.h"
#include "engine/core/jobs/VXLEventCodes.h"
#include "engine/core/jobs/VXLIntEvent.h"
#include "engine/core/jobs/VXLSimpleEvent.h"

#include <cstdint>

// Requests that the screens and the other managers post to the inbound
// message manager; the request code is the event's code. `kind` is the
// request kind (0 inbox, 1 the relay's Sent folder, 2 its Personal Folder,
// 4 and 5 the premium box, 6 any stored message), not the store's box.
inline constexpr std::int32_t kInboundRequestOpen = 2;
inline constexpr std::int32_t kInboundRequestRead = 3;
inline constexpr std::int32_t kInboundRequestNetworkMessage = 4;
inline constexpr std::int32_t kInboundRequestMmsSend = 5;
inline constexpr std::int32_t kInboundRequestMmboxStore = 7;

// A pushed notification's bytes, as the WAP push queue holds them; fetchNow 1
// fetches without asking the subscriber. Answered with reply code 7.
class CPushRequest : public CVXLEvent {
public:
    static constexpr std::int32_t kRequestCode = 0;
    static constexpr std::int32_t kReplyCode = 7;

    explicit CPushRequest(std::int32_t replyCode = kReplyCode)
        : CVXLEvent(kRequestCode, replyCode)
    {
    }

    CVXLByteBuffer pdu;
    std::uint32_t fetchNow = 0;
    // The queue head's attempts so far, and whether the load counted the
    // last run's unclean end against it: its message may be stored already.
    std::uint32_t attempts = 0;
    bool backAfterCrash = false;
};

// A box's message count (kinds 0 and 4), with its new count and the store's
// free budget.
class CMessageCountRequest : public CVXLEvent {
public:
    static constexpr std::int32_t kRequestCode = 1;

    explicit CMessageCountRequest(std::int32_t replyCode)
        : CVXLEvent(kRequestCode, replyCode)
    {
    }

    std::uint32_t kind = 0;
    std::uint32_t count = 0; // out
    std::uint32_t newCount = 0; // out
    std::uint32_t freeBudget = 0; // out
};

class CMessageOpenRequest : public CVXLEvent {
public:
    explicit CMessageOpenRequest(std::int32_t replyCode)
        : CVXLEvent(kInboundRequestOpen, replyCode)
    {
    }

    std::uint32_t partCount = 0;
    void* partArray = nullptr; // the caller's
    CVXLString messageId;
    std::uint32_t fromNetwork = 0;
    std::uint8_t chargeAccepted = 0;
    CVXLString chargeText; // filled when the answer asks to accept a charge
};

class CMessageReadRequest : public CVXLEvent {
public:
    // Media filter bits.
    static constexpr std::uint32_t kImages = 1;
    static constexpr std::uint32_t kVideos = 2;
    static constexpr std::uint32_t kSounds = 4;

    explicit CMessageReadRequest(std::int32_t replyCode)
        : CVXLEvent(kInboundRequestRead, replyCode)
    {
    }

    // The filter bit of a part's type: the first of "image", "video" and
    // "audio" found in it; 0 for none.
    static std::uint32_t kindOf(const CVXLString& contentType)
    {
        if (contentType.find(CVXLString("image")) >= 0)
            return kImages;
        if (contentType.find(CVXLString("video")) >= 0)
            return kVideos;
        if (contentType.find(CVXLString("audio")) >= 0)
            return kSounds;
        return 0;
    }
    // With all three bits set every type passes, untested.
    bool accepts(const CVXLString& contentType) const
    {
        const std::uint32_t all = kImages | kVideos | kSounds;
        return (mediaFilter & all) == all || (kindOf(contentType) & mediaFilter) != 0;
    }

    CVXLString messageId;
    std::uint32_t totalMediaParts = 0; // out
    std::uint32_t kind = 0;
    void* mediaItems = nullptr; // the caller's
    std::uint32_t partCount = 0;
    std::uint32_t firstPart = 0;
    std::uint32_t mediaFilter = kImages | kVideos;
    std::uint32_t readMode = 2;
    CVXLString text;
};

class CNetworkMessageRequest : public CVXLEvent {
public:
    explicit CNetworkMessageRequest(std::int32_t replyCode)
        : CVXLEvent(kInboundRequestNetworkMessage, replyCode)
    {
    }

    CVXLString messageId;
    std::uint32_t kind = 0;
    CVXLString toList; // lists separated by ","
    CVXLString ccList;
    CVXLString bccList;
    CVXLString subject;
};

// The part entries, the multipart body and the open sub-request that the
// manager adds belong to the send itself and are made there.
class CMmsSendRequest : public CVXLEvent {
public:
    explicit CMmsSendRequest(std::int32_t replyCode)
        : CVXLEvent(kInboundRequestMmsSend, replyCode)
    {
    }

    std::uint32_t word = 0;
    CVXLString messageId;
    CVXLString fileName;
    std::uint32_t kind = 0;
    CVXLString toList;
    CVXLString ccList;
    CVXLString bccList;
    CVXLString subject;
    std::uint32_t partCount = 0; // the sender puts the outbound item's value here
};

class CMmboxStoreRequest : public CVXLEvent {
public:
    explicit CMmboxStoreRequest(std::int32_t replyCode)
        : CVXLEvent(kInboundRequestMmboxStore, replyCode)
    {
    }

    CVXLString messageId;
    std::uint32_t kind = 0;
};

// Asked without a reply code. The arrays are the caller's: `size` summary
// records, or ids when idArray is given.
class CMessageBoxListRequest : public CVXLEvent {
public:
    CMessageBoxListRequest()
        : CVXLEvent(kEventMessageBoxList, 0)
    {
    }

    std::uint32_t total = 0; // out
    std::uint32_t kind = 0;
    void* summaries = nullptr;
    std::uint32_t size = 0;
    std::uint32_t start = 0;
    std::uint32_t count = 0; // out
    void* idArray = nullptr;
};

class CMessageItemRequest : public CVXLEvent {
public:
    explicit CMessageItemRequest(std::int32_t replyCode)
        : CVXLEvent(kEventMessageItem, replyCode)
    {
    }

    CVXLString messageId;
    std::uint32_t kind = 0;
    CVXLString text;
    // Out, from the outbound queue's delete: the entry was pushed out of the
    // queue (or is being sent and goes after its result).
    std::uint8_t displaced = 0;
};

class CVXLMessageSummary;

// The inbound manager asks the Producer whether a notification with manual
// retrieval is fetched now; decision 2 fetches. The reply code is the
// manager's. The summary is the manager's and goes with the answer.
class CMessageDecisionEvent : public CVXLEvent {
public:
    static constexpr std::uint32_t kFetch = 2;

    explicit CMessageDecisionEvent(std::int32_t replyCode)
        : CVXLEvent(kEventMessageDecision, replyCode)
    {
    }

    CVXLMessageSummary* summary = nullptr;
    std::uint32_t decision = kFetch;
    const std::uint8_t* pushedData = nullptr;
    std::uint32_t pushedLength = 0;
};

// Tells the Producer that a message arrived: the value is the box kind of
// the id (or the box the message was stored in).
class CMessageArrivedEvent : public CVXLIntEvent {
public:
    CMessageArrivedEvent()
        : CVXLIntEvent(kEventMessageArrived)
    {
    }

    CVXLString messageId;
};

// Tells the outbound queue that the relay handed back a copy of a message
// the subscriber sent.
class CSentCopyReceivedEvent : public CVXLSimpleEvent {
public:
    CSentCopyReceivedEvent()
        : CVXLSimpleEvent(kEventSentCopyReceived)
    {
    }

    CVXLString clientMessageId;
};
