#pragma once

#include "engine/core/base/VXLHeaderMap.h"
#include "engine/core/base/VXLStringArray.h"
#include "engine/core/jobs/VXLEvent.h"
#include "engine/core/jobs/VXLEventCodes.h"
#include "engine/core/jobs/VXLNamedRequest.h"
#include "engine/messaging/store/VXLStoredMessageRead.h"
#include "engine/transport/mime/VXLMessage.h"

#include <cstdint>

// Requests to the message store manager; the reply code is the sender's
// unless given.

// A box's message count, its new count (inbox and premium only) and the
// store's free budget.
class CStoreCountQuery : public CVXLEvent {
public:
    explicit CStoreCountQuery(std::int32_t replyCode = kEventStoreCountDone)
        : CVXLEvent(kEventStoreCount, replyCode)
    {
    }
    std::uint32_t kind = 0;
    std::uint32_t count = 0;
    std::uint32_t newCount = 0;
    std::uint32_t freeBudget = 0;
    std::uint32_t fileCount = 0;
};

// Ids of a box from a position on, newest first.
class CStoreIdListQuery : public CVXLEvent {
public:
    explicit CStoreIdListQuery(std::int32_t replyCode = kEventStoreIdListDone)
        : CVXLEvent(kEventStoreIdList, replyCode)
    {
    }
    std::uint32_t kind = 0;
    std::uint32_t start = 0;
    std::uint32_t size = 0;
    CVXLStringArray ids;
    std::uint32_t count = 0;
};

// The header maps of parts 0..partCount-1 of a stored message.
class CStorePartsQuery : public CVXLEvent {
public:
    explicit CStorePartsQuery(std::int32_t replyCode = kEventStorePartsDone)
        : CVXLEvent(kEventStoreParts, replyCode)
    {
    }
    CVXLString messageId;
    std::uint32_t partCount = 0;
    CVXLHeaderMap* parts = nullptr; // the caller's, partCount entries
    std::uint32_t fileSize = 0;
    std::uint32_t fileStatus = 0;
};

// Reads a stored message by mode: 0 the total-parts map; 1 (and 6 up) the
// summary map; 2 also the body entity; 3 also the total-parts map; 4 the
// four summary segments; 5 summary, total-parts and message maps and media
// part partIndex, which marks the message read.
class CStoreReadRequest : public CVXLEvent {
public:
    explicit CStoreReadRequest(std::int32_t replyCode = kEventStoreReadDone)
        : CVXLEvent(kEventStoreRead, replyCode)
    {
    }
    std::uint32_t mode = 4;
    std::uint8_t asText = 0; // mode 5: the part's body into read.text
    std::uint32_t partIndex = 0;
    CVXLStoredMessageRead read; // read.messageId names the message
};

// Stores a new message (fullMessage 0: summary and body entity) or appends
// the retrieved whole message to a stored one (fullMessage 1).
class CStoreMessageRequest : public CVXLEvent {
public:
    explicit CStoreMessageRequest(std::int32_t replyCode = kEventStoreMessageDone)
        : CVXLEvent(kEventStoreMessage, replyCode)
    {
    }
    CVXLString messageId; // empty: a new id; the stored id on reply
    std::uint32_t fullMessage = 0;
    // The sender's, until the request is answered; an MMS PDU answers its
    // fields under their codes.
    const CVXLMessage* message = nullptr;
    std::uint32_t notValidBefore = 0;
    std::uint8_t fromMmbox = 0;
    std::uint32_t targetBox = 0;
};

class CStoreDeleteRequest : public CVXLEvent {
public:
    explicit CStoreDeleteRequest(std::int32_t replyCode = kEventStoreDeleteDone)
        : CVXLEvent(kEventStoreDelete, replyCode)
    {
    }
    CVXLString messageId;
};

// Deletes every relay mailbox copy (kind 1).
class CStoreMmboxPurgeRequest : public CVXLEvent {
public:
    explicit CStoreMmboxPurgeRequest(std::int32_t replyCode = kEventStoreMmboxPurgeDone)
        : CVXLEvent(kEventStoreMmboxPurge, replyCode)
    {
    }
};

// Deletes every stored file, then loads the empty store.
class CStoreWipeRequest : public CVXLEvent {
public:
    explicit CStoreWipeRequest(std::int32_t replyCode = kEventStoreWipeDone)
        : CVXLEvent(kEventStoreWipe, replyCode)
    {
    }
};

// Replaces a stored message's summary segment.
class CStoreSummaryRewriteRequest : public CVXLEvent {
public:
    explicit CStoreSummaryRewriteRequest(std::int32_t replyCode = kEventStoreSummaryRewriteDone)
        : CVXLEvent(kEventStoreSummaryRewrite, replyCode)
    {
    }
    CVXLString messageId;
    CVXLHeaderMap headers;
};

// Opens a stored file for writing by another job (the transfer of a retrieved
// message, say); the size hint sizes the room made first (0: none given).
class CStoreFileWriteRequest : public CVXLNamedRequest {
public:
    explicit CStoreFileWriteRequest(std::int32_t replyCode, std::int32_t code = kEventFileOpenForWriting)
        : CVXLNamedRequest(code, replyCode)
    {
    }
    std::uint32_t sizeHint = 0;
};
