#include "engine/messaging/outbound/OutboundQueueManager.h"

#include "engine/core/base/VXLLog.h"
#include "engine/core/jobs/VXLResultCodes.h"
#include "engine/core/jobs/VXLUIRequestCodes.h"
#include "engine/messaging/store/VXLMessageSummary.h"
#include "engine/records/VXLInboundRequests.h"

#include <algorithm>

void COutboundQueueManager::onRetry(CVXLEvent* event)
{
    const int index = findById(static_cast<COutboundRetryRequest*>(event)->messageId);
    if (index < 0) {
        event->setResult(kResultTransactionFailed);
        return finishEvent(event);
    }
    entries_[index].attempts = 0;
    entries_[index].rejected = 0;
    submitState_ = kSubmitWritingRetry;
    pendingSubmit_ = event;
    saveState(kReplyStateAfterRetry);
}

void COutboundQueueManager::onStateAfterRetry(std::int32_t result)
{
    if (result != kResultSucceeded)
        VXL_LOG_FAILURE("outbound queue: %s not written for a retry (%d)", kStateFileName, result);
    submitState_ = kSubmitIdle;
    CVXLEvent* request = pendingSubmit_;
    pendingSubmit_ = nullptr;
    refreshCounters();
    if (services_)
        services_->pushUIRequestCode(kUIRequestOutboxChanged);
    if (request)
        finishEvent(request);
    if (retryTimer_.isBusy())
        cancelEvent(&retryTimer_);
    postWakeUp();
    runDeferred();
}

void COutboundQueueManager::fillRecord(
    const COutboundQueueEntry& e, CVXLMessageSummary& record, bool refresh) const
{
    const COutboundSummary& s = e.summary;
    record.setToText(s.recipients);
    record.setCcText(CVXLString());
    record.setSubject(s.text);
    record.setReceivedTime(0xFFFFFFFFu);
    record.setSentTime(s.createdTime);
    record.setExpiryTime(0xFFFFFFFFu);
    std::int32_t state = 0;
    switch (e.status()) {
    case 2:
        state = 4;
        break;
    case 3:
    case 4:
        state = 5;
        break;
    case 1:
    case 5:
        state = refresh && services_ && services_->deleteSentMessages() ? 2 : 3;
        break;
    default:
        state = 0;
        break;
    }
    record.setOutboundState(state);
    record.setOutboundValue(static_cast<std::int32_t>(e.attempts));
    record.setVideoCount(s.videoCount);
    record.setImageCount(s.imageCount);
    record.setVoiceMemoCount(s.hasVoice);
    record.setPriority(s.priority);
    record.setBoxType(CVXLMessageSummary::kSent);
    record.setMediaRef(s.mediaRef(onlineMedia_, localMedia_, config()));
    if (!refresh)
        record.setMessageId(s.messageId);
}

void COutboundQueueManager::onList(CVXLEvent* event)
{
    auto* request = static_cast<COutboxListRequest*>(event);
    const std::uint32_t room
        = std::min<std::uint32_t>(request->window, static_cast<std::uint32_t>(request->records.size()));
    std::uint32_t seen = 0;
    std::uint32_t filled = 0;
    std::uint32_t total = 0;
    for (int i = static_cast<int>(count_) - 1; i >= 0; --i) {
        const COutboundQueueEntry& e = entries_[i];
        if (e.kind != 1 && e.kind != 2)
            continue;
        total += !e.displaced;
        if (seen++ < request->offset || filled >= room)
            continue;
        if (CVXLMessageSummary* record = request->records[filled])
            fillRecord(e, *record, false);
        ++filled;
    }
    request->filled = filled;
    request->total = total;
    finishEvent(event);
}

void COutboundQueueManager::onRefresh(CVXLEvent* event)
{
    auto* request = static_cast<COutboundRefreshRequest*>(event);
    for (CVXLMessageSummary* record : request->records) {
        if (!record)
            continue;
        const int index = findById(record->messageId());
        if (index >= 0)
            fillRecord(entries_[index], *record, true);
    }
    finishEvent(event);
}
