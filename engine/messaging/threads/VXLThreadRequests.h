#pragma once

#include "engine/core/base/VXLStringArray.h"
#include "engine/core/base/VXLStringMap.h"
#include "engine/core/jobs/VXLEvent.h"

#include <cstdint>

// Requests to the thread database; the request code is the event's code.
inline constexpr std::int32_t kThreadRequestReconcile = 0;
inline constexpr std::int32_t kThreadRequestAdd = 1;
inline constexpr std::int32_t kThreadRequestRemove = 2;
inline constexpr std::int32_t kThreadRequestDeleteThread = 3;
inline constexpr std::int32_t kThreadRequestMarkRead = 4;
inline constexpr std::int32_t kThreadRequestClearNewCounts = 5;
inline constexpr std::int32_t kThreadRequestNone = 6;

// Names the ids the database does not know, and forgets the entries of one
// family (ids beginning "o", or all others) that the map does not hold.
class CThreadReconcileRequest : public CVXLEvent {
public:
    explicit CThreadReconcileRequest(std::int32_t replyCode)
        : CVXLEvent(kThreadRequestReconcile, replyCode)
    {
    }
    ~CThreadReconcileRequest() override { ids.removeAll(true); }

    // Adds the id with a copy of itself as value.
    bool addId(const CVXLString& id) { return ids.set(id, new CVXLString(id)); }

    CVXLStringArray unknownIds;
    CVXLStringMap ids;
    std::uint8_t outboundFamily = 0;
};

class CThreadAddRequest : public CVXLEvent {
public:
    explicit CThreadAddRequest(std::int32_t replyCode)
        : CVXLEvent(kThreadRequestAdd, replyCode)
    {
    }

    CVXLString messageId;
    CVXLString sender;
    CVXLStringArray recipients; // To, CC and BCC
    std::uint32_t queued = 0;
    std::uint32_t sentTime = 0;
    std::uint8_t sent = 0;
    std::uint8_t alreadyRead = 0;
};

class CThreadRemoveRequest : public CVXLEvent {
public:
    explicit CThreadRemoveRequest(std::int32_t replyCode)
        : CVXLEvent(kThreadRequestRemove, replyCode)
    {
    }
    void reset()
    {
        messageId.clear();
        threadAddress.clear();
        entryDeleted = 0;
    }

    CVXLString messageId;
    CVXLString threadAddress; // empty: every thread
    std::uint8_t entryDeleted = 0;
};

class CThreadDeleteRequest : public CVXLEvent {
public:
    explicit CThreadDeleteRequest(std::int32_t replyCode)
        : CVXLEvent(kThreadRequestDeleteThread, replyCode)
    {
    }

    CVXLString threadAddress; // empty: every shown thread
    // The messages that no longer belong to any shown thread.
    CVXLStringArray deletedIds;
};

class CThreadMarkReadRequest : public CVXLEvent {
public:
    explicit CThreadMarkReadRequest(std::int32_t replyCode)
        : CVXLEvent(kThreadRequestMarkRead, replyCode)
    {
    }

    CVXLString messageId;
};

class CThreadClearNewCountsRequest : public CVXLEvent {
public:
    explicit CThreadClearNewCountsRequest(std::int32_t replyCode)
        : CVXLEvent(kThreadRequestClearNewCounts, replyCode)
    {
    }

    CVXLString threadAddress;
    std::uint8_t all = 0; // every shown thread
};
