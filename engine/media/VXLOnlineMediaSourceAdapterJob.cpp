#include "engine/media/VXLOnlineMediaSourceAdapterJob.h"

#include "engine/core/base/VXLLog.h"
#include "engine/core/jobs/VXLCancelNotice.h"
#include "engine/core/jobs/VXLResultCodes.h"
#include "engine/transfer/VXLPushWriteRequest.h"

CVXLOnlineMediaSourceAdapterJob::CVXLOnlineMediaSourceAdapterJob(CVXLFetchBatch* batch, std::int32_t slot)
    : batch_(batch)
    , slot_(slot)
{
}

void CVXLOnlineMediaSourceAdapterJob::onEvent(CVXLEvent* event)
{
    switch (event->effectiveCode()) {
    case kEventPushWrite:
        return onPushRequest(event);
    case kFetchOver:
        return onFetchOver(event);
    case kEventCancelNotice:
        return onCancelNotice(event);
    default:
        CVXLPushToSourceAdapterBase::onEvent(event);
    }
}

void CVXLOnlineMediaSourceAdapterJob::onOpen()
{
    CVXLPushToSourceAdapterBase::onOpen();
    if (batch_)
        batch_->slotOpened(slot_);
    fetchDone_ = false;
    finished_ = false;
    withdrawn_ = false;
}

// The request stays pending until its bytes have gone on to the sink.
void CVXLOnlineMediaSourceAdapterJob::onPushRequest(CVXLEvent* event)
{
    auto* request = static_cast<CVXLPushWriteRequest*>(event);
    if (pendingPush_ || !isOpened() || finished_ || !request->buffer) {
        VXL_LOG_INFO("online media source: a pushed block it cannot take; refused");
        request->setResult(kResultCancelled);
        return finishEvent(request);
    }
    pendingPush_ = request;
    // The block waits here; the sink's answers must still come in.
    resume();
    push(*request->buffer, request->expectedTotal);
}

void CVXLOnlineMediaSourceAdapterJob::onPushConsumed()
{
    if (CVXLEvent* request = pendingPush_) {
        pendingPush_ = nullptr;
        request->setResult(kResultSucceeded);
        finishEvent(request);
    }
}

void CVXLOnlineMediaSourceAdapterJob::onFetchOver(CVXLEvent* event)
{
    const std::int32_t result = event->result();
    finishEvent(event);
    fetchDone_ = true;
    if (batch_)
        batch_->slotDone(slot_);
    if (finished_)
        return completeSource();
    if (result != kResultSucceeded)
        return fail(result);
    endOfPush();
}

void CVXLOnlineMediaSourceAdapterJob::onCancelNotice(CVXLEvent* event)
{
    // Only the withdrawal of the run counts; a withdrawn block is answered
    // when its bytes have gone on, as any other.
    const bool namesPush = static_cast<CVXLCancelNotice*>(event)->cancelled() == pendingPush_;
    finishEvent(event);
    if (!isOpened() || namesPush)
        return;
    detach();
    withdrawn_ = true;
    fail(kResultCancelled);
}

void CVXLOnlineMediaSourceAdapterJob::onSourceFinished(bool succeeded)
{
    finished_ = true;
    if (batch_)
        batch_->slotFinished(slot_, succeeded);
    if (CVXLEvent* request = pendingPush_) {
        pendingPush_ = nullptr;
        request->setResult(kResultCancelled);
        return finishEvent(request);
    }
    // With no fetch to wait for, or no requester left, the run ends here.
    if (fetchDone_ || withdrawn_)
        return CVXLPushToSourceAdapterBase::onSourceFinished(succeeded);
    detach();
}

void CVXLOnlineMediaSourceAdapterJob::detach()
{
    if (CVXLFetchBatch* batch = batch_) {
        batch_ = nullptr;
        batch->slotReleased(slot_);
    }
}
