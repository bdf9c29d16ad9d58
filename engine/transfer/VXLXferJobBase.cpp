#include "engine/transfer/VXLXferJobBase.h"

#include "engine/core/jobs/VXLEventTypes.h"
#include "engine/core/settings/VXLPersStore.h"

CVXLXferJobBase::CVXLXferJobBase() = default;

CVXLXferJobBase::~CVXLXferJobBase() = default;

void CVXLXferJobBase::setProgressKeys(CVXLPersStore* store, const char* totalKey, const char* currentKey)
{
    progressStore_ = store;
    totalKey_ = totalKey;
    currentKey_ = currentKey;
}

void CVXLXferJobBase::publishProgress()
{
    if (!progressStore_)
        return;
    if (totalKey_)
        progressStore_->set(totalKey_, CVXLString(total_));
    if (currentKey_)
        progressStore_->set(currentKey_, CVXLString(count_));
}

void CVXLXferJobBase::restart()
{
}

void CVXLXferJobBase::onOpen()
{
}

void CVXLXferJobBase::produceChunk(std::int32_t)
{
}

void CVXLXferJobBase::onSourceFinished(bool)
{
    completeSource();
}

void CVXLXferJobBase::onBegin(std::int32_t)
{
}

void CVXLXferJobBase::onData(const CVXLByteBuffer&)
{
}

void CVXLXferJobBase::onEnd(bool)
{
    completeSink(kResultSucceeded, CVXLString());
}

void CVXLXferJobBase::onEvent(CVXLEvent* event)
{
    switch (event->effectiveCode()) {
    case kEventStop:
        return onStop(event);
    case kEventXferRun:
        return onRun(event);
    case kEventXferClose:
        return onClose(event);
    case kEventXferCloseDone:
        return onCloseDone(event);
    case kEventXferFinish:
        return onFinishEvent(event);
    case kEventXferOpened:
        return onOpened(event);
    case kEventXferBegin:
        return onBeginRequest(event);
    case kEventXferData:
        return onDataRequest(event);
    case kEventXferEnd:
        return onEndRequest(event, true);
    case kEventXferAbort:
        return onEndRequest(event, false);
    case kEventXferBeginDone:
        return onChunkReply(event, true);
    case kEventXferDataDone:
        return onChunkReply(event, false);
    case kEventXferEndDone:
        return onEndReply(event, false);
    case kEventXferAbortDone:
        return onEndReply(event, true);
    default:
        // Start, cancel notices and codes of no one here: answered, so no
        // sender waits for ever.
        finishEvent(event);
    }
}

void CVXLXferJobBase::onStop(CVXLEvent* event)
{
    if (opened_) {
        pendingStop_ = event;
        fail(kResultCancelled);
        return;
    }
    // A sink that stopped at once would leave its source posting into a
    // finished job: it refuses the next chunk instead and answers the stop
    // when the source has wound the transfer down.
    if (sinkActive_ || pendingBegin_) {
        pendingStop_ = event;
        completeBegin(false, -1, kResultCancelled);
        completeData(false, kResultCancelled);
        return;
    }
    finishEvent(event);
}

void CVXLXferJobBase::onRun(CVXLEvent* event)
{
    if (runRequest_) {
        event->setResult(kResultFailed);
        finishEvent(event);
        return;
    }
    chunkRequested_ = false;
    opened_ = true;
    runRequest_ = event;
    event->setResult(kResultSucceeded);
    if (destination_ && !openedNotice_.isBusy())
        post(destination_, &openedNotice_);
    onOpen();
    resume();
}

void CVXLXferJobBase::onClose(CVXLEvent* event)
{
    if (destination_ && !closeEvent_.isBusy()) {
        pendingClose_ = event;
        setWaiting(true);
        post(destination_, &closeEvent_);
        return;
    }
    if (restart_)
        restart();
    finishEvent(event);
}

void CVXLXferJobBase::onCloseDone(CVXLEvent* reply)
{
    resume();
    destination_ = nullptr;
    if (restart_)
        restart();
    finishEvent(reply);
    if (CVXLEvent* close = pendingClose_) {
        pendingClose_ = nullptr;
        finishEvent(close);
    }
}

void CVXLXferJobBase::onFinishEvent(CVXLEvent* event)
{
    finishEvent(event);
    if (ended_ || !opened_ || finished_)
        return;
    if (destination_) {
        post(destination_, &abortEvent_);
        ended_ = true;
        return;
    }
    // Nobody to tell: wind down as if the abort had been acknowledged.
    finished_ = true;
    if (runRequest_ && runRequest_->result() == kResultSucceeded)
        runRequest_->setResult(kResultCancelled, CVXLString());
    onSourceFinished(false);
}

void CVXLXferJobBase::onOpened(CVXLEvent* event)
{
    if (destination_) {
        if (!openedNotice_.isBusy())
            post(destination_, &openedNotice_);
        onOpen();
    }
    finishEvent(event);
}

void CVXLXferJobBase::onBeginRequest(CVXLEvent* event)
{
    pendingBegin_ = static_cast<CVXLXferBeginEvent*>(event);
    total_ = pendingBegin_->total;
    count_ = 0;
    publishProgress();
    if (pendingStop_)
        completeBegin(false, -1, kResultCancelled);
    else
        onBegin(total_);
    resume();
}

void CVXLXferJobBase::onDataRequest(CVXLEvent* event)
{
    pendingData_ = static_cast<CVXLDataEvent*>(event);
    count_ += static_cast<std::int32_t>(pendingData_->buffer.length());
    publishProgress();
    if (pendingStop_)
        completeData(false, kResultCancelled);
    else
        onData(pendingData_->buffer);
    resume();
}

void CVXLXferJobBase::onEndRequest(CVXLEvent* event, bool complete)
{
    if (!complete && !sinkActive_ && !pendingBegin_) {
        finishEvent(event);
        return;
    }
    // An abort overtaking the begin answer: the begin is refused, then the
    // sink ends as an active one would.
    completeBegin(false, -1);
    setWaiting(true);
    endReceived_ = true;
    pendingEnd_ = event;
    onEnd(complete);
}

void CVXLXferJobBase::onChunkReply(CVXLEvent* reply, bool isBegin)
{
    const std::int32_t result = reply->result();
    const std::int32_t wanted = beginEvent_.chunkSize;
    finishEvent(reply);
    if (!isBegin)
        dataEvent_.buffer.clear();
    // Late answers after an abort, or after the transfer was completed, only
    // need completing.
    if (!opened_ || ended_ || finished_)
        return;
    // A sink that stops the transfer ends it with its own result.
    if (result != kResultSucceeded) {
        fail(result);
        return;
    }
    if (isBegin)
        chunkSize_ = wanted;
    chunkRequested_ = true;
    produceChunk(chunkSize_);
}

void CVXLXferJobBase::onEndReply(CVXLEvent* reply, bool aborted)
{
    if (!aborted && ended_) {
        finishEvent(reply);
        return;
    }
    if (pendingEndReply_ || !opened_) {
        finishEvent(reply);
        return;
    }
    setWaiting(true);
    finished_ = true;
    pendingEndReply_ = reply;
    bool succeeded = false;
    if (aborted) {
        ended_ = false;
        if (runRequest_ && runRequest_->result() == kResultSucceeded)
            runRequest_->setResult(kResultCancelled, CVXLString());
    } else {
        succeeded = reply->result() == kResultSucceeded;
        if (runRequest_ && runRequest_->result() == kResultSucceeded)
            runRequest_->setResult(reply->result(), reply->resultText());
    }
    onSourceFinished(succeeded);
}

void CVXLXferJobBase::begin(std::int32_t total)
{
    total_ = total;
    count_ = 0;
    publishProgress();
    if (!destination_) {
        fail(kResultFailed);
        return;
    }
    beginEvent_.total = total;
    beginEvent_.chunkSize = -1;
    post(destination_, &beginEvent_);
}

void CVXLXferJobBase::sendChunk(const CVXLByteBuffer& buffer)
{
    if (ended_ || !destination_)
        return;
    chunkRequested_ = false;
    count_ += static_cast<std::int32_t>(buffer.length());
    publishProgress();
    dataEvent_.buffer = buffer;
    post(destination_, &dataEvent_);
}

void CVXLXferJobBase::sendEnd()
{
    if (ended_ || !destination_)
        return;
    chunkRequested_ = false;
    post(destination_, &endEvent_);
}

void CVXLXferJobBase::fail(std::int32_t code)
{
    if (ended_ || finished_ || finishEvent_.isBusy() || !runRequest_)
        return;
    runRequest_->setResult(code, CVXLString());
    post(this, &finishEvent_);
}

void CVXLXferJobBase::completeSource()
{
    if (CVXLEvent* run = runRequest_) {
        runRequest_ = nullptr;
        finishEvent(run);
    }
    chunkRequested_ = false;
    opened_ = false;
    finished_ = false;
    ended_ = false;
    chunkSize_ = -1;
    beginEvent_.chunkSize = -1;
    if (CVXLEvent* reply = pendingEndReply_) {
        pendingEndReply_ = nullptr;
        finishEvent(reply);
    }
    settle();
}

void CVXLXferJobBase::completeBegin(bool success, std::int32_t chunkSize, std::int32_t failCode)
{
    CVXLXferBeginEvent* event = pendingBegin_;
    if (!event)
        return;
    pendingBegin_ = nullptr;
    event->chunkSize = chunkSize;
    event->setResult(chunkResult(success, failCode));
    sinkActive_ = true;
    finishEvent(event);
}

void CVXLXferJobBase::completeData(bool success, std::int32_t failCode)
{
    CVXLDataEvent* event = pendingData_;
    if (!event)
        return;
    pendingData_ = nullptr;
    event->setResult(chunkResult(success, failCode));
    finishEvent(event);
}

// A chunk that succeeds while a stop waits is cancelled instead.
std::int32_t CVXLXferJobBase::chunkResult(bool success, std::int32_t failCode) const
{
    if (pendingStop_ && success)
        return kResultCancelled;
    return success ? kResultSucceeded : (failCode != kResultSucceeded ? failCode : kResultFailed);
}

// The transfer is over: progress cleared, the job runs again and a waiting
// stop is answered.
void CVXLXferJobBase::settle()
{
    total_ = 0;
    count_ = 0;
    publishProgress();
    totalKey_ = nullptr;
    currentKey_ = nullptr;
    resume();
    if (CVXLEvent* stopEvent = pendingStop_) {
        pendingStop_ = nullptr;
        finishEvent(stopEvent);
    }
}

void CVXLXferJobBase::completeSink(std::int32_t code, const CVXLString& text)
{
    sinkActive_ = false;
    endReceived_ = false;
    chunkSize_ = -1;
    completeBegin(false, -1);
    completeData(false);
    sinkActive_ = false;
    if (CVXLEvent* end = pendingEnd_) {
        pendingEnd_ = nullptr;
        end->setResult(code, text);
        finishEvent(end);
    }
    settle();
}
