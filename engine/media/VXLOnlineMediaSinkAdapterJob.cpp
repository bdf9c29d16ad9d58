#include "engine/media/VXLOnlineMediaSinkAdapterJob.h"

#include "engine/core/base/VXLLog.h"
#include "engine/core/jobs/VXLResultCodes.h"
#include "engine/media/VXLUploadOutcomeRecorder.h"

CVXLOnlineMediaSinkAdapterJob::CVXLOnlineMediaSinkAdapterJob() = default;

void CVXLOnlineMediaSinkAdapterJob::setUpload(
    CVXLMediaItem* item, std::int32_t transferKind, const CVXLString& parentId)
{
    item_ = item;
    transferKind_ = transferKind;
    parentId_ = parentId;
}

void CVXLOnlineMediaSinkAdapterJob::onEvent(CVXLEvent* event)
{
    switch (event->effectiveCode()) {
    case kEventOnlineUploadData:
        return onDataAsked(event);
    case kUploadDone:
        return onUploadDone(event);
    case kEventStop:
        // An ended transfer waits for the service's last answer; a stop does
        // not: the upload is withdrawn and the end answered as cancelled.
        if (phase_ == kEnded)
            withdraw();
        return CVXLXferJobBase::onEvent(event);
    default:
        CVXLXferJobBase::onEvent(event);
    }
}

void CVXLOnlineMediaSinkAdapterJob::onBegin(std::int32_t total)
{
    if (!protocolJob_ || upload_.isBusy())
        return completeBegin(false, 0);
    upload_.size = total;
    upload_.item = item_;
    upload_.transferKind = transferKind_;
    upload_.parentId = parentId_;
    upload_.repeatPermitted = false;
    post(protocolJob_, &upload_);
    phase_ = kBegun;
    aborted_ = false;
    completedWithoutData_ = false;
}

// The data request stays with the adapter until a chunk or the end answers
// it.
void CVXLOnlineMediaSinkAdapterJob::onDataAsked(CVXLEvent* event)
{
    auto* ask = static_cast<CVXLUploadDataRequest*>(event);
    if (ask_) {
        VXL_LOG_FAILURE("upload sink: a second data request while one waits; refused");
        ask->setResult(kResultFailed);
        return finishEvent(ask);
    }
    ask_ = ask;
    // The request waits here for a chunk; the source's events must still
    // come in meanwhile.
    resume();
    switch (phase_) {
    case kBegun:
        phase_ = kChunkRequested;
        return completeBegin(true, ask->size);
    case kDataWaiting:
        phase_ = kChunkRequested;
        return completeData(true);
    case kEnded:
        return answerAsk(CVXLByteBuffer(), aborted_ ? kResultFailed : kResultDataComplete);
    case kIdle:
        VXL_LOG_FAILURE("upload sink: a data request with no upload running; refused");
        return answerAsk(CVXLByteBuffer(), kResultFailed);
    case kChunkRequested:
        return;
    }
}

void CVXLOnlineMediaSinkAdapterJob::onData(const CVXLByteBuffer& buffer)
{
    if (!ask_)
        return completeData(false);
    phase_ = kDataWaiting;
    answerAsk(buffer, kResultSucceeded);
}

void CVXLOnlineMediaSinkAdapterJob::onEnd(bool complete)
{
    if (phase_ == kIdle)
        return completeSink(kResultSucceeded, CVXLString());
    phase_ = kEnded;
    aborted_ = !complete;
    if (ask_)
        answerAsk(CVXLByteBuffer(), complete ? kResultDataComplete : kResultFailed);
    // Stopped: the service's last answer is not awaited.
    if (stopRequested())
        return withdraw();
    // The end stays held until the service's answer; a stop may come first.
    resume();
}

void CVXLOnlineMediaSinkAdapterJob::withdraw()
{
    cancelEvent(&upload_);
    phase_ = kIdle;
    completeSink(kResultCancelled, CVXLString());
}

void CVXLOnlineMediaSinkAdapterJob::answerAsk(const CVXLByteBuffer& buffer, std::int32_t result)
{
    CVXLUploadDataRequest* ask = ask_;
    ask_ = nullptr;
    ask->buffer = buffer;
    ask->setResult(result);
    finishEvent(ask);
}

void CVXLOnlineMediaSinkAdapterJob::onUploadDone(CVXLEvent* reply)
{
    const std::int32_t result = reply->result();
    const CVXLString text = reply->resultText();
    if (recorder_) {
        recorder_->recordUploadOutcome(result == kResultNetworkNotice
                && upload_.statusValue == CVXLOnlineUploadRequest::kStatusItemRefused,
            upload_.statusValue, result == kResultUploadNotRepeated);
    }
    finishEvent(reply);
    const Phase phase = phase_;
    phase_ = kIdle;
    // A data request the job left behind is answered, so it never waits.
    if (ask_)
        answerAsk(CVXLByteBuffer(), result != kResultSucceeded ? result : kResultFailed);
    switch (phase) {
    case kBegun:
        completedWithoutData_ = result == kResultSucceeded;
        return completeBegin(false, 0, result != kResultSucceeded ? result : kResultFailed);
    case kDataWaiting:
        return completeData(false, result != kResultSucceeded ? result : kResultFailed);
    case kEnded:
        return completeSink(result, text);
    case kChunkRequested:
    case kIdle:
        // The transfer goes on without anyone to take its bytes: the next
        // chunk or end fails or ends it.
        return;
    }
}
