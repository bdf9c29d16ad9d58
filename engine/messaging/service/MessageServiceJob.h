#pragma once

#include "engine/core/base/VXLStringArray.h"
#include "engine/core/jobs/VXLEvent.h"
#include "engine/core/jobs/VXLEventHandler.h"
#include "engine/messaging/service/MessageServiceRequests.h"
#include "engine/messaging/store/MessageStoreManager.h"
#include "engine/messaging/store/VXLMessageSummary.h"
#include "engine/messaging/store/VXLStoreRequests.h"
#include "engine/messaging/threads/VXLThreadRequests.h"
#include "engine/records/OutboundQueueRequests.h"
#include "engine/records/VXLInboundRequests.h"

#include <cstdint>
#include <memory>
#include <vector>

class CVXLMediaItem;
class CVXLStoredMessageRead;
class CVXLThreadDB;
class CVXLThreadEntry;

// Carries out the screens' message requests for the job that owns it: list
// windows of a box, the thread list, a window of one thread, opening and
// reading stored messages, deleting messages and threads. Each request is
// split into steps for the message store, the inbound manager, the outbound
// queue and the thread database, and is answered when its last step has.
// Requests from outside come one at a time; the ones it posts to itself
// (a thread window's stored part, a thread's message deletes) run beside
// them, each with member events of its own.
class CMessageServiceJob : public CVXLEventHandler {
public:
    static constexpr const char* kThreadNotFound = "Thread not found";
    // Configuration items of the expanded view's size, and their defaults.
    static constexpr std::int32_t kDefaultExpandedWidth = 160;
    static constexpr std::int32_t kDefaultExpandedHeight = 220;

    CMessageServiceJob();
    ~CMessageServiceJob() override;

    void onEvent(CVXLEvent* event) override;
    const char* name() const override { return "MessageServiceJob"; }

    void setStore(CVXLEventHandler* store) { store_ = store; }
    void setInbound(CVXLEventHandler* inbound) { inbound_ = inbound; }
    void setOutboundQueue(CVXLEventHandler* queue) { queue_ = queue; }
    void setThreadDB(CVXLThreadDB* threadDB) { threadDB_ = threadDB; }
    // The job named in a part's second entry when the service holds it.
    void setOnlineMedia(CVXLEventHandler* online) { online_ = online; }
    // Its clock is the engine's, for the expiring flag of summaries.
    void setServices(CMessageStoreManager::Services* services) { services_ = services; }

private:
    // Reply codes of the job's own steps.
    enum Reply : std::int32_t {
        kListRead = 17,
        kInboundListed = 18,
        kStoredRangeDone = 19,
        kQueuedRangeDone = 20,
        kLatestStoredRead = 22,
        kLatestRead = 23,
        kLatestFromQueue = 24,
        kThreadDeleted = 25,
        kQueueCleared = 26,
        kAllThreadsDeleted = 27,
        kStoreCleared = 28,
        kRemovedFromThread = 29,
        kRemovedDeleted = 30,
        kThreadMessageDeleted = 31,
        kOpened = 32,
        kPartRead = 33,
        kSingleDeleted = 34,
        kBoxCounted = 35,
        kBoxIdsListed = 36,
    };

    struct Row {
        std::int32_t code;
        void (CMessageServiceJob::*handler)(CVXLEvent*);
    };
    static const Row kRequests[];
    static const Row kReplies[];

    // Requests.
    void onOpen(CVXLEvent* event);
    void onReadParts(CVXLEvent* event);
    void onInbound(CVXLEvent* event);
    void onListWindow(CVXLEvent* event);
    void onThreadList(CVXLEvent* event);
    void onDeleteThread(CVXLEvent* event);
    void onThreadWindow(CVXLEvent* event);
    void onRemoveFromThread(CVXLEvent* event);
    void onDeleteAll(CVXLEvent* event);
    void onDeleteOne(CVXLEvent* event);
    void onCancel(CVXLEvent* event);

    // Replies.
    void onOpened(CVXLEvent* reply);
    void onPartRead(CVXLEvent* reply);
    void onBoxCounted(CVXLEvent* reply);
    void onBoxIdsListed(CVXLEvent* reply);
    void onListRead(CVXLEvent* reply);
    void onInboundListed(CVXLEvent* reply);
    void onStoredRangeDone(CVXLEvent* reply);
    void onQueuedRangeDone(CVXLEvent* reply);
    void onLatestRead(CVXLEvent* reply);
    void onLatestStoredRead(CVXLEvent* reply);
    void onThreadDeleted(CVXLEvent* reply);
    void onThreadMessageDeleted(CVXLEvent* reply);
    void onRemovedFromThread(CVXLEvent* reply);
    void onRemovedDeleted(CVXLEvent* reply);
    void onSingleDeleted(CVXLEvent* reply);
    void onDeleteAllStep(CVXLEvent* reply);

    void readPart();
    // Algorithm of a part reply into media item [index]; false when the
    // accepted media kinds refuse the part.
    bool fillMediaItem(const CVXLStoredMessageRead& read, CMessageReadRequest* request, CVXLMediaItem& item);
    void readListed();
    void queuedRange();
    void finishWindow();
    void nextListedThread();
    void latestStored();
    void deleteNextThreadMessage();

    // The shown thread with exactly this key; null for none.
    CVXLThreadEntry* shownThread(const CVXLString& address) const;
    std::uint32_t now() const;
    // An id of the outbound queue rather than the store.
    static bool isQueuedId(const CVXLString& id);
    // Answers 1000 for want of the named job.
    void refuse(CVXLEvent* request, const char* what);
    // Posts to a job that may not be set: false, with the request answered
    // 1000, when it is not.
    bool postOrFail(CVXLEventHandler* target, CVXLEvent* event, CVXLEvent* request, const char* what);
    void forwardOrFail(CVXLEventHandler* target, CVXLEvent* request, const char* what);
    // Answers the slot's request and clears the slot.
    template <class Request>
    void answer(Request*& slot, std::int32_t result, const CVXLString& text = CVXLString());

    CVXLEventHandler* store_ = nullptr;
    CVXLEventHandler* inbound_ = nullptr;
    CVXLEventHandler* queue_ = nullptr;
    CVXLEventHandler* online_ = nullptr;
    CVXLThreadDB* threadDB_ = nullptr;
    CMessageStoreManager::Services* services_ = nullptr;

    // Open and read parts.
    CMessageOpenRequest* openRequest_ = nullptr;
    CStorePartsQuery partsQuery_ {kOpened};
    CMessageReadRequest* readRequest_ = nullptr;
    CStoreReadRequest partRead_ {kPartRead};
    std::uint32_t partIndex_ = 0;
    std::int32_t partResult_ = 0;

    // List window.
    CMessageListRequest* listRequest_ = nullptr;
    CStoreCountQuery boxCount_ {kBoxCounted};
    CStoreIdListQuery boxIds_ {kBoxIdsListed};
    CStoreReadRequest listRead_ {kListRead};
    CMessageBoxListRequest inboundList_;
    std::uint32_t listIndex_ = 0;

    // Thread message window; empty sub-ranges have first > last.
    CMessageQuery* windowRequest_ = nullptr;
    CVXLStringArray windowIds_;
    std::int64_t windowStart_ = 0;
    std::int64_t windowEnd_ = -1;
    std::int64_t storedFirst_ = 0;
    std::int64_t storedLast_ = -1;
    std::int64_t queuedFirst_ = 0;
    std::int64_t queuedLast_ = -1;
    CMessageListRequest storedRange_ {kStoredRangeDone};
    COutboundRefreshRequest queuedRefresh_ {kQueuedRangeDone};
    CThreadClearNewCountsRequest clearNewCounts_ {kThreadRequestClearNewCounts};

    // Thread list: per listed thread the ids of its latest message and of
    // its latest stored one (empty for none); ids, not entries, since the
    // database may drop an entry while the list is built.
    CThreadListRequest* threadListRequest_ = nullptr;
    CVXLStringArray latest_;
    CVXLStringArray latestStored_;
    std::uint32_t itemIndex_ = 0;
    CStoreReadRequest latestRead_ {kLatestRead};
    CStoreReadRequest latestStoredRead_ {kLatestStoredRead};
    COutboundRefreshRequest latestRefresh_ {kLatestFromQueue};
    std::unique_ptr<CVXLMessageSummary> scratch_;

    // Delete thread.
    CMessageTextRequest* deleteThreadRequest_ = nullptr;
    CThreadDeleteRequest threadDelete_ {kThreadDeleted};
    CVXLStringArray deleteIds_;
    std::uint32_t deleteIndex_ = 0;
    CMessageItemRequest threadMessageDelete_ {kThreadMessageDeleted};

    // Remove from thread.
    CMessageTextRequest* removeRequest_ = nullptr;
    CThreadRemoveRequest threadRemove_ {kRemovedFromThread};
    CMessageItemRequest removedDelete_ {kRemovedDeleted};

    // Delete one.
    CMessageItemRequest* itemRequest_ = nullptr;
    CStoreDeleteRequest storeDelete_ {kSingleDeleted};

    // Delete all: queue, threads, store, whatever an earlier step answered.
    CVXLEvent* deleteAllRequest_ = nullptr;
    CVXLEvent queueClear_ {kOutboundRequestDeleteAll, kQueueCleared};
    CMessageTextRequest allThreads_ {kServiceRequestDeleteThread, kAllThreadsDeleted};
    CStoreWipeRequest storeWipe_ {kStoreCleared};
    std::int32_t deleteAllResult_ = 0;
    CVXLString deleteAllText_;
};

template <class Request>
void CMessageServiceJob::answer(Request*& slot, std::int32_t result, const CVXLString& text)
{
    Request* request = slot;
    slot = nullptr;
    if (!request)
        return;
    request->setResult(result, text);
    finishEvent(request);
}
