#include "engine/messaging/service/MessageServiceJob.h"

#include "engine/core/base/VXLLog.h"
#include "engine/core/jobs/VXLResultCodes.h"
#include "engine/messaging/threads/VXLThreadDB.h"
#include "engine/messaging/threads/VXLThreadEntry.h"

// ---------------------------------------------------------------- thread message window

void CMessageServiceJob::onThreadWindow(CVXLEvent* event)
{
    auto* query = static_cast<CMessageQuery*>(event);
    query->results.clear();
    CVXLThreadEntry* thread = shownThread(query->threadAddress);
    if (!thread) {
        event->setResult(kResultStorageFailed, CVXLString(kThreadNotFound));
        return finishEvent(event);
    }
    query->displayAddress = thread->displayAddress;
    const std::uint32_t n = thread->messages.count();
    query->total = n;
    if (n == 0 || query->size == 0) {
        event->setResult(kResultSucceeded);
        return finishEvent(event);
    }
    windowIds_.clear();
    for (std::uint32_t i = 0; i < n; ++i)
        windowIds_.insertAt(thread->messageAt(static_cast<int>(i))->messageId, -1);

    // 64-bit bounds: start + size - 1 must not wrap.
    const std::int64_t last = static_cast<std::int64_t>(n) - 1;
    windowStart_ = query->start < n ? query->start : last;
    const std::int64_t end = windowStart_ + static_cast<std::int64_t>(query->size) - 1;
    windowEnd_ = end < last ? end : last;

    storedFirst_ = queuedFirst_ = windowEnd_ + 1;
    storedLast_ = queuedLast_ = windowEnd_;
    for (std::int64_t i = windowStart_; i <= windowEnd_; ++i) {
        const bool queued = isQueuedId(windowIds_.at(static_cast<int>(i)));
        std::int64_t& first = queued ? queuedFirst_ : storedFirst_;
        std::int64_t& lastOfRun = queued ? queuedLast_ : storedLast_;
        if (first > windowEnd_) {
            first = i;
            lastOfRun = i;
        } else if (lastOfRun == i - 1) {
            lastOfRun = i;
        }
    }
    if (!query->target())
        query->makeTarget(static_cast<std::uint32_t>(windowEnd_ - windowStart_ + 1));
    windowRequest_ = query;

    if (storedFirst_ <= storedLast_) {
        storedRange_.reset();
        storedRange_.boxType = kServiceBoxPremiumIds;
        storedRange_.size = storedRange_.count = static_cast<std::uint32_t>(storedLast_ - storedFirst_ + 1);
        for (std::int64_t i = storedFirst_; i <= storedLast_; ++i)
            storedRange_.ids.insertAt(windowIds_.at(static_cast<int>(i)), -1);
        storedRange_.records = query->target() + (storedFirst_ - windowStart_);
        post(this, &storedRange_);
    } else {
        queuedRange();
    }
    if (thread->newCount != 0 && threadDB_ && !clearNewCounts_.isBusy()) {
        clearNewCounts_.threadAddress = thread->address;
        clearNewCounts_.all = 0;
        post(threadDB_, &clearNewCounts_);
    }
}

void CMessageServiceJob::onStoredRangeDone(CVXLEvent* reply)
{
    if (!windowRequest_)
        return;
    if (reply->result() != kResultSucceeded) {
        windowIds_.clear();
        return answer(windowRequest_, reply->result(), reply->resultText());
    }
    queuedRange();
}

void CMessageServiceJob::queuedRange()
{
    CMessageQuery* query = windowRequest_;
    if (queuedFirst_ > queuedLast_)
        return finishWindow();
    queuedRefresh_.records.clear();
    for (std::int64_t i = queuedFirst_; i <= queuedLast_; ++i) {
        CVXLMessageSummary* record = query->target() + (i - windowStart_);
        record->setMessageId(windowIds_.at(static_cast<int>(i)));
        queuedRefresh_.records.push_back(record);
    }
    if (!queue_) {
        VXL_LOG_INFO("message service job: no outbound queue for the queued messages of a thread");
        return finishWindow();
    }
    post(queue_, &queuedRefresh_);
}

void CMessageServiceJob::onQueuedRangeDone(CVXLEvent* reply)
{
    if (!windowRequest_)
        return;
    if (reply->result() != kResultSucceeded) {
        windowIds_.clear();
        return answer(windowRequest_, reply->result(), reply->resultText());
    }
    finishWindow();
}

void CMessageServiceJob::finishWindow()
{
    CMessageQuery* query = windowRequest_;
    for (std::int64_t i = 0; i <= windowEnd_ - windowStart_; ++i)
        query->results.push_back(query->target() + i);
    windowIds_.clear();
    answer(windowRequest_, kResultSucceeded);
}

// ---------------------------------------------------------------- thread list

void CMessageServiceJob::onThreadList(CVXLEvent* event)
{
    auto* list = static_cast<CThreadListRequest*>(event);
    list->items.deleteAll();
    latest_.clear();
    latestStored_.clear();
    list->total = threadDB_ ? threadDB_->shownCount() : 0;
    for (std::uint32_t i = list->start; i < list->total && i - list->start < list->size; ++i) {
        CVXLThreadEntry* thread = threadDB_->shownAt(static_cast<int>(i));
        if (!thread)
            continue;
        auto* item = new CVXLMessageListItem;
        item->setName(thread->displayAddress);
        item->setCount(static_cast<std::int32_t>(thread->messages.count()));
        item->setValueA(thread->newCount);
        item->setValueB(thread->countUnreadPrimary());
        item->setId(thread->address);
        list->items.insertAt(item, -1);
        CVXLString latest;
        CVXLString stored;
        for (std::uint32_t m = 0; m < thread->messages.count(); ++m) {
            const CVXLString& id = thread->messageAt(static_cast<int>(m))->messageId;
            latest = id;
            if (!isQueuedId(id))
                stored = id;
        }
        latest_.insertAt(latest, -1);
        latestStored_.insertAt(stored, -1);
    }
    threadListRequest_ = list;
    itemIndex_ = 0;
    nextListedThread();
}

void CMessageServiceJob::nextListedThread()
{
    CThreadListRequest* list = threadListRequest_;
    if (itemIndex_ >= list->items.count()) {
        latest_.clear();
        latestStored_.clear();
        return answer(threadListRequest_, kResultSucceeded);
    }
    scratch_ = std::make_unique<CVXLMessageSummary>();
    const CVXLString id = latest_.at(static_cast<int>(itemIndex_));
    if (isQueuedId(id)) {
        if (!queue_)
            return latestStored();
        // The queue finds the entry by the record's id.
        scratch_->setMessageId(id);
        latestRefresh_.records.assign(1, scratch_.get());
        return post(queue_, &latestRefresh_);
    }
    if (!store_ || !id.length())
        return latestStored();
    latestRead_.mode = 4;
    latestRead_.read.messageId = id;
    post(store_, &latestRead_);
}

void CMessageServiceJob::onLatestRead(CVXLEvent* reply)
{
    CThreadListRequest* list = threadListRequest_;
    if (!list)
        return;
    const std::int32_t result = reply->result();
    if (result == kResultSucceeded || result == kResultDataComplete) {
        if (reply == &latestRead_)
            scratch_->fill(latestRead_.read, now());
        list->itemAt(static_cast<int>(itemIndex_))
            ->setFirstReference(CVXLMediaRefHandle(scratch_->mediaRef()));
    } else {
        VXL_LOG_INFO("message service job: the latest message %s of a listed thread not read (%d)",
            latest_.at(static_cast<int>(itemIndex_)).c_str(), result);
    }
    latestStored();
}

void CMessageServiceJob::latestStored()
{
    const CVXLString id = latestStored_.at(static_cast<int>(itemIndex_));
    if (!id.length() || !store_) {
        ++itemIndex_;
        return nextListedThread();
    }
    latestStoredRead_.mode = 4;
    latestStoredRead_.read.messageId = id;
    post(store_, &latestStoredRead_);
}

void CMessageServiceJob::onLatestStoredRead(CVXLEvent* reply)
{
    CThreadListRequest* list = threadListRequest_;
    if (!list)
        return;
    const std::int32_t result = reply->result();
    if (result == kResultSucceeded || result == kResultDataComplete) {
        scratch_ = std::make_unique<CVXLMessageSummary>();
        scratch_->fill(latestStoredRead_.read, now());
        list->itemAt(static_cast<int>(itemIndex_))
            ->setSecondReference(CVXLMediaRefHandle(scratch_->mediaRef()));
    } else {
        VXL_LOG_INFO("message service job: the latest stored message %s of a listed thread not read (%d)",
            latestStored_.at(static_cast<int>(itemIndex_)).c_str(), result);
    }
    ++itemIndex_;
    nextListedThread();
}
