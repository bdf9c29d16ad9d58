#include "engine/messaging/service/MessageServiceJob.h"

#include "engine/core/base/VXLLog.h"
#include "engine/core/jobs/VXLCancelNotice.h"
#include "engine/core/jobs/VXLEventCodes.h"
#include "engine/core/jobs/VXLResultCodes.h"
#include "engine/media/VXLMediaItem.h"
#include "engine/messaging/threads/VXLThreadDB.h"
#include "engine/messaging/threads/VXLThreadEntry.h"

#include <initializer_list>

const CMessageServiceJob::Row CMessageServiceJob::kRequests[] = {
    {kInboundRequestOpen, &CMessageServiceJob::onOpen},
    {kInboundRequestRead, &CMessageServiceJob::onReadParts},
    {kInboundRequestNetworkMessage, &CMessageServiceJob::onInbound},
    {kInboundRequestMmsSend, &CMessageServiceJob::onInbound},
    {kInboundRequestMmboxStore, &CMessageServiceJob::onInbound},
    {kServiceRequestListWindow, &CMessageServiceJob::onListWindow},
    {kServiceRequestThreadList, &CMessageServiceJob::onThreadList},
    {kServiceRequestDeleteThread, &CMessageServiceJob::onDeleteThread},
    {kServiceRequestThreadWindow, &CMessageServiceJob::onThreadWindow},
    {kServiceRequestRemoveFromThread, &CMessageServiceJob::onRemoveFromThread},
    {kServiceRequestDeleteAll, &CMessageServiceJob::onDeleteAll},
    {kEventMessageItem, &CMessageServiceJob::onDeleteOne},
    {kEventCancelNotice, &CMessageServiceJob::onCancel},
};

const CMessageServiceJob::Row CMessageServiceJob::kReplies[] = {
    {kListRead, &CMessageServiceJob::onListRead},
    {kInboundListed, &CMessageServiceJob::onInboundListed},
    {kStoredRangeDone, &CMessageServiceJob::onStoredRangeDone},
    {kQueuedRangeDone, &CMessageServiceJob::onQueuedRangeDone},
    {kLatestStoredRead, &CMessageServiceJob::onLatestStoredRead},
    {kLatestRead, &CMessageServiceJob::onLatestRead},
    {kLatestFromQueue, &CMessageServiceJob::onLatestRead},
    {kThreadDeleted, &CMessageServiceJob::onThreadDeleted},
    {kQueueCleared, &CMessageServiceJob::onDeleteAllStep},
    {kAllThreadsDeleted, &CMessageServiceJob::onDeleteAllStep},
    {kStoreCleared, &CMessageServiceJob::onDeleteAllStep},
    {kRemovedFromThread, &CMessageServiceJob::onRemovedFromThread},
    {kRemovedDeleted, &CMessageServiceJob::onRemovedDeleted},
    {kThreadMessageDeleted, &CMessageServiceJob::onThreadMessageDeleted},
    {kOpened, &CMessageServiceJob::onOpened},
    {kPartRead, &CMessageServiceJob::onPartRead},
    {kSingleDeleted, &CMessageServiceJob::onSingleDeleted},
    {kBoxCounted, &CMessageServiceJob::onBoxCounted},
    {kBoxIdsListed, &CMessageServiceJob::onBoxIdsListed},
};

CMessageServiceJob::CMessageServiceJob()
{
    inboundList_.setReplyCode(kInboundListed);
    clearNewCounts_.setReplyWanted(false);
    for (CVXLEvent* member : std::initializer_list<CVXLEvent*> {&partsQuery_, &partRead_, &boxCount_,
             &boxIds_, &listRead_, &inboundList_, &storedRange_, &queuedRefresh_, &clearNewCounts_,
             &latestRead_, &latestStoredRead_, &latestRefresh_, &threadDelete_, &threadMessageDelete_,
             &threadRemove_, &removedDelete_, &storeDelete_, &queueClear_, &allThreads_, &storeWipe_})
        member->setHeapAllocated(false);
}

CMessageServiceJob::~CMessageServiceJob() = default;

void CMessageServiceJob::onEvent(CVXLEvent* event)
{
    const std::int32_t code = event->effectiveCode();
    auto dispatch = [&](const auto& table) {
        for (const Row& row : table) {
            if (row.code == code) {
                (this->*row.handler)(event);
                return true;
            }
        }
        return false;
    };
    if (event->isRequest() ? dispatch(kRequests) : dispatch(kReplies))
        return;
    // Start, stop and the requests it has nothing to do for (6, 8, 9, 15,
    // 21 among them) are finished at once; so are stray replies.
    if (event->isRequest())
        event->setResult(kResultSucceeded);
    finishEvent(event);
}

// ---------------------------------------------------------------- helpers

bool CMessageServiceJob::isQueuedId(const CVXLString& id)
{
    return id.length() && id.c_str()[0] == 'o';
}

std::uint32_t CMessageServiceJob::now() const
{
    return services_ ? services_->nowSeconds() : 0;
}

CVXLThreadEntry* CMessageServiceJob::shownThread(const CVXLString& address) const
{
    if (!threadDB_ || !address.length())
        return nullptr;
    for (std::uint32_t i = 0; i < threadDB_->shownCount(); ++i) {
        CVXLThreadEntry* thread = threadDB_->shownAt(static_cast<int>(i));
        if (thread && thread->address == address)
            return thread;
    }
    return nullptr;
}

void CMessageServiceJob::refuse(CVXLEvent* request, const char* what)
{
    VXL_LOG_INFO("message service job: no %s for request %d", what, request->requestCode());
    request->setResult(kResultFailed);
    finishEvent(request);
}

bool CMessageServiceJob::postOrFail(
    CVXLEventHandler* target, CVXLEvent* event, CVXLEvent* request, const char* what)
{
    if (!target) {
        refuse(request, what);
        return false;
    }
    post(target, event);
    return true;
}

void CMessageServiceJob::forwardOrFail(CVXLEventHandler* target, CVXLEvent* request, const char* what)
{
    if (target)
        return forward(target, request);
    refuse(request, what);
}

// ---------------------------------------------------------------- list window

void CMessageServiceJob::onListWindow(CVXLEvent* event)
{
    auto* list = static_cast<CMessageListRequest*>(event);
    const bool local = list->boxType == kServiceBoxInbox || list->boxType == kServiceBoxPremium
        || list->boxType == kServiceBoxPremiumIds;
    listRequest_ = list;
    list->filled = 0;
    if (!local) {
        inboundList_.kind = list->boxType;
        inboundList_.size = list->size;
        inboundList_.summaries = list->records;
        inboundList_.start = list->start;
        inboundList_.count = 0;
        inboundList_.total = 0;
        inboundList_.idArray = nullptr;
        if (!postOrFail(inbound_, &inboundList_, event, "inbound manager"))
            listRequest_ = nullptr;
        return;
    }
    if (list->ids.count())
        return readListed();
    boxCount_.kind = list->boxType == kServiceBoxInbox ? 0 : 2;
    if (!postOrFail(store_, &boxCount_, event, "message store"))
        listRequest_ = nullptr;
}

void CMessageServiceJob::onBoxCounted(CVXLEvent* reply)
{
    CMessageListRequest* list = listRequest_;
    if (!list)
        return;
    if (reply->result() != kResultSucceeded)
        return answer(listRequest_, reply->result(), reply->resultText());
    list->total = boxCount_.count;
    if (list->start >= boxCount_.count || list->size == 0)
        return answer(listRequest_, kResultSucceeded);
    boxIds_.kind = boxCount_.kind;
    boxIds_.start = list->start;
    boxIds_.size = boxCount_.count - list->start < list->size ? boxCount_.count - list->start : list->size;
    post(store_, &boxIds_);
}

void CMessageServiceJob::onBoxIdsListed(CVXLEvent* reply)
{
    CMessageListRequest* list = listRequest_;
    if (!list)
        return;
    if (reply->result() != kResultSucceeded)
        return answer(listRequest_, reply->result(), reply->resultText());
    for (std::uint32_t i = 0; i < boxIds_.ids.count(); ++i)
        list->ids.insertAt(boxIds_.ids.at(static_cast<int>(i)), -1);
    readListed();
}

void CMessageServiceJob::readListed()
{
    CMessageListRequest* list = listRequest_;
    listIndex_ = 0;
    if (!list->ids.count() || list->size == 0)
        return answer(listRequest_, kResultSucceeded);
    if (!list->records) {
        VXL_LOG_INFO("message service job: a list window without records");
        return answer(listRequest_, kResultFailed);
    }
    if (!store_)
        return answer(listRequest_, kResultFailed);
    listRead_.mode = 4;
    listRead_.read.messageId = list->ids.at(0);
    post(store_, &listRead_);
}

void CMessageServiceJob::onListRead(CVXLEvent* reply)
{
    CMessageListRequest* list = listRequest_;
    if (!list)
        return;
    if (reply->result() != kResultSucceeded && reply->result() != kResultDataComplete)
        return answer(listRequest_, reply->result(), reply->resultText());
    list->records[listIndex_].fill(listRead_.read, now());
    ++listIndex_;
    ++list->filled;
    if (listIndex_ < list->size && listIndex_ < list->ids.count()) {
        listRead_.read.messageId = list->ids.at(static_cast<int>(listIndex_));
        return post(store_, &listRead_);
    }
    answer(listRequest_, kResultSucceeded);
}

void CMessageServiceJob::onInboundListed(CVXLEvent* reply)
{
    CMessageListRequest* list = listRequest_;
    if (!list)
        return;
    list->filled = inboundList_.count;
    list->total = inboundList_.total;
    answer(listRequest_, reply->result(), reply->resultText());
}

// ---------------------------------------------------------------- cancel

void CMessageServiceJob::onCancel(CVXLEvent* event)
{
    bool storeBusy = false;
    for (CVXLEvent* member : std::initializer_list<CVXLEvent*> {&partsQuery_, &partRead_, &boxCount_,
             &boxIds_, &listRead_, &latestRead_, &latestStoredRead_, &storeDelete_, &storeWipe_})
        storeBusy = storeBusy || member->isBusy();
    if (storeBusy && store_)
        cancelEventsWith(store_);
    if (inboundList_.isBusy() && inbound_)
        cancelEventsWith(inbound_);
    finishEvent(event);
}
