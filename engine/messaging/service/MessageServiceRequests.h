#pragma once

#include "engine/core/base/VXLPtrArray.h"
#include "engine/core/base/VXLString.h"
#include "engine/core/base/VXLStringArray.h"
#include "engine/core/jobs/VXLEvent.h"
#include "engine/messaging/store/VXLMessageSummary.h"
#include "engine/records/VXLMessageListItem.h"

#include <cstdint>
#include <vector>

// Requests that the screen flows post to their message service job; the
// request code is the event's code. Open (2) and read parts (3) are the
// inbound manager's CMessageOpenRequest and CMessageReadRequest, a single
// delete is CMessageItemRequest.
inline constexpr std::int32_t kServiceRequestListWindow = 10;
inline constexpr std::int32_t kServiceRequestThreadList = 11;
inline constexpr std::int32_t kServiceRequestDeleteThread = 12;
inline constexpr std::int32_t kServiceRequestThreadWindow = 13;
inline constexpr std::int32_t kServiceRequestRemoveFromThread = 14;
inline constexpr std::int32_t kServiceRequestDeleteAll = 16;

// Box types of a list window: 0 the inbox, 4 and 5 the premium box (all
// three from the local store); the others go to the inbound manager.
inline constexpr std::uint32_t kServiceBoxInbox = 0;
inline constexpr std::uint32_t kServiceBoxPremium = 4;
inline constexpr std::uint32_t kServiceBoxPremiumIds = 5;
inline constexpr std::uint32_t kServiceBoxDefault = 6;

// A window of a box into the caller's records: `size` records from `start`,
// or the records of the given ids when there are any.
class CMessageListRequest : public CVXLEvent {
public:
    explicit CMessageListRequest(std::int32_t replyCode)
        : CVXLEvent(kServiceRequestListWindow, replyCode)
    {
    }
    void reset()
    {
        start = 0;
        count = 0;
        boxType = kServiceBoxDefault;
        size = 0;
        filled = 0;
        total = 0;
        ids.clear();
    }

    std::uint32_t start = 0;
    std::uint32_t count = 0;
    std::uint32_t boxType = kServiceBoxDefault;
    std::uint32_t size = 0;
    CVXLMessageSummary* records = nullptr; // the caller's, `size` of them
    std::uint32_t filled = 0; // out
    std::uint32_t total = 0; // out
    CVXLStringArray ids;
};

// A window of one thread's messages, in thread order.
class CMessageQuery : public CVXLEvent {
public:
    explicit CMessageQuery(std::int32_t replyCode)
        : CVXLEvent(kServiceRequestThreadWindow, replyCode)
    {
    }

    // The caller's array of at least `size` records; without one the job
    // makes one that the request keeps.
    void setTarget(CVXLMessageSummary* target) { records_ = target; }
    CVXLMessageSummary* target() const { return records_; }
    void makeTarget(std::uint32_t count)
    {
        owned_ = std::vector<CVXLMessageSummary>(count);
        records_ = owned_.data();
    }

    std::vector<CVXLMessageSummary*> results;
    std::uint32_t start = 0;
    std::uint32_t size = 0;
    std::uint32_t total = 0; // out
    CVXLString threadAddress;
    CVXLString displayAddress; // out

private:
    CVXLMessageSummary* records_ = nullptr;
    std::vector<CVXLMessageSummary> owned_;
};

// A window of the shown threads; the items are the request's.
class CThreadListRequest : public CVXLEvent {
public:
    explicit CThreadListRequest(std::int32_t replyCode)
        : CVXLEvent(kServiceRequestThreadList, replyCode)
    {
    }
    ~CThreadListRequest() override { items.deleteAll(); }

    CVXLMessageListItem* itemAt(int index) const
    {
        return static_cast<CVXLMessageListItem*>(items.at(index));
    }

    CVXLPtrArray items;
    std::uint32_t total = 0; // out
    std::uint32_t start = 0;
    std::uint32_t size = 0;
};

// Delete thread (12): the thread address as text. Remove from thread (14):
// the message id as text, the thread address as key.
class CMessageTextRequest : public CVXLEvent {
public:
    CMessageTextRequest(std::int32_t requestCode, std::int32_t replyCode)
        : CVXLEvent(requestCode, replyCode)
    {
    }

    CVXLString text;
    CVXLString key;
};
