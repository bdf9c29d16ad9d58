#include "engine/messaging/service/MessageServiceJob.h"

#include "engine/core/base/VXLLog.h"
#include "engine/core/jobs/VXLResultCodes.h"
#include "engine/messaging/threads/VXLThreadDB.h"

// ---------------------------------------------------------------- delete thread

void CMessageServiceJob::onDeleteThread(CVXLEvent* event)
{
    auto* request = static_cast<CMessageTextRequest*>(event);
    if (request->text.length() && !shownThread(request->text)) {
        event->setResult(kResultStorageFailed, CVXLString(kThreadNotFound));
        return finishEvent(event);
    }
    deleteThreadRequest_ = request;
    threadDelete_.threadAddress = request->text;
    threadDelete_.deletedIds.clear();
    if (!postOrFail(threadDB_, &threadDelete_, event, "thread database"))
        deleteThreadRequest_ = nullptr;
}

void CMessageServiceJob::onThreadDeleted(CVXLEvent* reply)
{
    if (!deleteThreadRequest_)
        return;
    if (reply->result() != kResultSucceeded || threadDelete_.deletedIds.count() == 0)
        return answer(deleteThreadRequest_, reply->result(), reply->resultText());
    deleteIds_ = threadDelete_.deletedIds;
    threadDelete_.deletedIds.clear();
    deleteIndex_ = 0;
    deleteNextThreadMessage();
}

void CMessageServiceJob::deleteNextThreadMessage()
{
    const CVXLString id = deleteIds_.at(static_cast<int>(deleteIndex_));
    threadMessageDelete_.messageId = id;
    threadMessageDelete_.text = deleteThreadRequest_->text;
    if (isQueuedId(id)) {
        threadMessageDelete_.kind = 0;
        if (queue_)
            return post(queue_, &threadMessageDelete_);
        VXL_LOG_INFO("message service job: no outbound queue to delete %s", id.c_str());
        deleteIds_.clear();
        return answer(deleteThreadRequest_, kResultFailed);
    }
    threadMessageDelete_.kind = 5;
    post(this, &threadMessageDelete_);
}

void CMessageServiceJob::onThreadMessageDeleted(CVXLEvent* reply)
{
    if (!deleteThreadRequest_)
        return;
    if (reply->result() != kResultSucceeded || ++deleteIndex_ >= deleteIds_.count()) {
        deleteIds_.clear();
        return answer(deleteThreadRequest_, reply->result(), reply->resultText());
    }
    deleteNextThreadMessage();
}

// ---------------------------------------------------------------- remove from thread

void CMessageServiceJob::onRemoveFromThread(CVXLEvent* event)
{
    auto* request = static_cast<CMessageTextRequest*>(event);
    removeRequest_ = request;
    threadRemove_.reset();
    threadRemove_.messageId = request->text;
    threadRemove_.threadAddress = request->key;
    if (!postOrFail(threadDB_, &threadRemove_, event, "thread database"))
        removeRequest_ = nullptr;
}

void CMessageServiceJob::onRemovedFromThread(CVXLEvent* reply)
{
    if (!removeRequest_)
        return;
    if (reply->result() != kResultSucceeded || threadRemove_.entryDeleted == 0)
        return answer(removeRequest_, reply->result(), reply->resultText());
    removedDelete_.messageId = removeRequest_->text;
    removedDelete_.kind = 0;
    removedDelete_.text = removeRequest_->key;
    post(this, &removedDelete_);
}

void CMessageServiceJob::onRemovedDeleted(CVXLEvent* reply)
{
    answer(removeRequest_, reply->result(), reply->resultText());
}

// ---------------------------------------------------------------- delete one

void CMessageServiceJob::onDeleteOne(CVXLEvent* event)
{
    auto* item = static_cast<CMessageItemRequest*>(event);
    if (isQueuedId(item->messageId))
        return forwardOrFail(queue_, event, "outbound queue");
    if (item->kind == 0 || item->kind == 4) {
        itemRequest_ = item;
        storeDelete_.messageId = item->messageId;
        if (!postOrFail(store_, &storeDelete_, event, "message store"))
            itemRequest_ = nullptr;
        return;
    }
    forwardOrFail(inbound_, event, "inbound manager");
}

void CMessageServiceJob::onSingleDeleted(CVXLEvent* reply)
{
    answer(itemRequest_, reply->result(), reply->resultText());
}

// ---------------------------------------------------------------- delete all

void CMessageServiceJob::onDeleteAll(CVXLEvent* event)
{
    deleteAllRequest_ = event;
    deleteAllResult_ = kResultSucceeded;
    deleteAllText_.clear();
    if (queue_)
        return post(queue_, &queueClear_);
    VXL_LOG_INFO("message service job: no outbound queue to clear");
    allThreads_.text.clear();
    post(this, &allThreads_);
}

// Every step runs even when one before it failed, so the store is cleared
// whatever the queue answered; the first failure is the answer. The threads'
// own message deletes are not: the queue is already empty and the store is
// cleared next, so a message they miss is gone all the same.
void CMessageServiceJob::onDeleteAllStep(CVXLEvent* reply)
{
    if (!deleteAllRequest_)
        return;
    if (reply == &allThreads_ && reply->result() != kResultSucceeded)
        VXL_LOG_INFO("message service job: deleting every thread answered %d", reply->result());
    else if (reply->result() != kResultSucceeded && deleteAllResult_ == kResultSucceeded) {
        deleteAllResult_ = reply->result();
        deleteAllText_ = reply->resultText();
    }
    if (reply == &queueClear_) {
        allThreads_.text.clear();
        return post(this, &allThreads_);
    }
    if (reply == &allThreads_ && store_)
        return post(store_, &storeWipe_);
    if (reply == &allThreads_)
        VXL_LOG_INFO("message service job: no message store to clear");
    answer(deleteAllRequest_, deleteAllResult_, deleteAllText_);
}
