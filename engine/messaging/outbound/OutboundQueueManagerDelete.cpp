#include "engine/messaging/outbound/OutboundQueueManager.h"

#include "engine/core/base/VXLLog.h"
#include "engine/core/jobs/VXLResultCodes.h"
#include "engine/core/jobs/VXLUIRequestCodes.h"
#include "engine/records/VXLInboundRequests.h"

void COutboundQueueManager::onSentCopy(CVXLEvent* event)
{
    const int index = findById(static_cast<CSentCopyReceivedEvent*>(event)->clientMessageId);
    if (index < 0)
        return finishEvent(event);
    if (entries_[index].sending) {
        entries_[index].displaced = 1;
        saveState(kReplyStateNoted);
        return finishEvent(event);
    }
    deleteRequest_ = event;
    startDelete(entries_[index].itemNumber, true, DeleteCause::SentCopy);
}

void COutboundQueueManager::onItemDelete(CVXLEvent* event)
{
    auto* request = static_cast<CMessageItemRequest*>(event);
    const int index = findById(request->messageId);
    if (index < 0) {
        event->setResult(kResultTransactionFailed);
        return finishEvent(event);
    }
    COutboundQueueEntry& e = entries_[index];
    if (e.sending) {
        e.displaced = 1;
        request->displaced = 1;
        saveState(kReplyStateNoted);
        refreshCounters();
        return finishEvent(event);
    }
    request->displaced = e.displaced;
    deleteRequest_ = event;
    startDelete(e.itemNumber, true, DeleteCause::ItemRequest);
}

void COutboundQueueManager::onDeleteAll(CVXLEvent* event)
{
    deleteRequest_ = event;
    nextDeleteAll();
}

// Entries being sent are marked and go after their result.
void COutboundQueueManager::nextDeleteAll()
{
    bool marked = false;
    for (std::uint32_t i = 0; i < count_; ++i) {
        COutboundQueueEntry& e = entries_[i];
        if (!e.sending)
            return startDelete(e.itemNumber, true, DeleteCause::All);
        if (!e.displaced) {
            e.displaced = 1;
            marked = true;
        }
    }
    if (marked)
        saveState(kReplyStateNoted);
    CVXLEvent* request = deleteRequest_;
    deleteRequest_ = nullptr;
    refreshCounters();
    if (request)
        finishEvent(request);
    postWakeUp();
    runDeferred();
}

// The thread database first (when asked), then "state.oq" without the entry,
// then its files: a cut anywhere leaves no entry without its item file.
void COutboundQueueManager::startDelete(std::uint32_t itemNumber, bool withThreads, DeleteCause cause)
{
    deleteItemNumber_ = itemNumber;
    deleteWithThreads_ = withThreads;
    deleteCause_ = cause;
    const int index = findByItemNumber(itemNumber);
    if (withThreads && threads_ && index >= 0) {
        sendState_ = kSendWritingAfterResult;
        threadRemove_.reset();
        threadRemove_.messageId = entries_[index].summary.messageId;
        post(threads_, &threadRemove_);
        return;
    }
    sendState_ = kSendWritingAfterRemoval;
    removeEntry(itemNumber);
    saveState(kReplyStateAfterDelete);
}

void COutboundQueueManager::removeEntry(std::uint32_t itemNumber)
{
    const int index = findByItemNumber(itemNumber);
    if (index < 0)
        return;
    for (std::uint32_t i = static_cast<std::uint32_t>(index); i + 1 < count_; ++i)
        entries_[i] = entries_[i + 1];
    entries_[--count_] = COutboundQueueEntry();
    if (currentIndex_ > index)
        --currentIndex_;
    else if (currentIndex_ == index)
        currentIndex_ = -1;
    refreshCounters();
}

void COutboundQueueManager::onDeleteStep(CVXLEvent* reply)
{
    const std::int32_t code = reply->replyCode();
    finishEvent(reply);
    switch (code) {
    case kReplyThreadRemove:
        sendState_ = kSendWritingAfterRemoval;
        removeEntry(deleteItemNumber_);
        return saveState(kReplyStateAfterDelete);
    case kReplyDeleteItem:
        sendState_ = kSendDeletingAudio;
        return postFileDelete(audioFileName(deleteItemNumber_), kReplyDeleteAudio);
    default:
        return endDelete(nullptr);
    }
}

void COutboundQueueManager::onStateAfterDelete(std::int32_t result)
{
    if (services_)
        services_->pushUIRequestCode(kUIRequestOutboxChanged);
    if (result != kResultSucceeded) {
        // The old file still names the entry: its files stay with it.
        VXL_LOG_FAILURE("outbound queue: %s not written for a delete (%d); files of item %u kept",
            kStateFileName, result, deleteItemNumber_);
        return endDelete(nullptr);
    }
    sendState_ = kSendWritingAfterResult;
    postFileDelete(itemFileName(deleteItemNumber_), kReplyDeleteItem);
}

void COutboundQueueManager::endDelete(CVXLEvent*)
{
    sendState_ = kSendIdle;
    const DeleteCause cause = deleteCause_;
    if (services_)
        services_->pushUIRequestCode(kUIRequestMessagesChanged);
    if (cause == DeleteCause::All)
        return nextDeleteAll();
    CVXLEvent* request = deleteRequest_;
    deleteRequest_ = nullptr;
    if (request && (cause == DeleteCause::SentCopy || cause == DeleteCause::ItemRequest))
        finishEvent(request);
    finishWakeUpIfPending();
    postWakeUp();
    runDeferred();
}
