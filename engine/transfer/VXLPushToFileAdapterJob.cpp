#include "engine/transfer/VXLPushToFileAdapterJob.h"

#include "engine/core/base/VXLByteBuffer.h"
#include "engine/core/base/VXLLog.h"
#include "engine/core/settings/VXLPersStore.h"
#include "engine/transfer/VXLPushOpenRequest.h"
#include "engine/transfer/VXLPushWriteRequest.h"

CVXLPushToFileAdapterJob::CVXLPushToFileAdapterJob() = default;

CVXLPushToFileAdapterJob::~CVXLPushToFileAdapterJob() = default;

void CVXLPushToFileAdapterJob::setProgressKeys(const CVXLString& totalKey, const CVXLString& currentKey)
{
    totalKey_ = totalKey;
    currentKey_ = currentKey;
}

void CVXLPushToFileAdapterJob::restart()
{
    fileStoreManager_ = nullptr;
}

void CVXLPushToFileAdapterJob::onEvent(CVXLEvent* event)
{
    switch (event->effectiveCode()) {
    case kEventStop:
        return onStop(event);
    case CVXLPushOpenRequest::kCode:
        return open(event);
    case kFileOpened:
        return onFileOpened(event);
    case CVXLPushWriteRequest::kCode:
        return write(event);
    case kCloseRequest:
        return close(event);
    case kRunDone:
        return onRunDone(event);
    case kEventXferCloseDone:
        // Our own close came back: the sink has closed its file.
        if (event == &closeRequest_)
            onClosed();
        break;
    }
    CVXLPushToSourceAdapterBase::onEvent(event);
}

void CVXLPushToFileAdapterJob::open(CVXLEvent* request)
{
    if (sink_ || pendingOpen_ || !fileStoreManager_) {
        VXL_LOG_INFO(
            "push-to-file open refused: %s", fileStoreManager_ ? "a file is open" : "no file store manager");
        request->setResult(kResultFailed);
        return finishEvent(request);
    }
    auto* openRequest = static_cast<CVXLPushOpenRequest*>(request);
    pendingOpen_ = request;
    expectedTotal_ = openRequest->expectedTotal;
    written_ = 0;
    abandoned_ = false;
    closeResult_ = kResultSucceeded;
    closeText_.clear();
    fileRequest_.fileName = openRequest->fileName;
    fileRequest_.job = nullptr;
    post(fileStoreManager_, &fileRequest_);
}

void CVXLPushToFileAdapterJob::onFileOpened(CVXLEvent* reply)
{
    const std::int32_t result = reply->result();
    CVXLXferJobBase* job = fileRequest_.job;
    fileRequest_.job = nullptr;
    finishEvent(reply);
    if (!pendingOpen_) {
        if (job)
            job->stop();
        return;
    }
    if (result != kResultSucceeded || !job) {
        if (job)
            job->stop();
        return answer(pendingOpen_, result != kResultSucceeded ? result : kResultFailed);
    }
    sink_ = job;
    sinkOwner_ = job->parent();
    setDestination(job);
    post(this, &runRequest_);
}

void CVXLPushToFileAdapterJob::onOpen()
{
    CVXLPushToSourceAdapterBase::onOpen();
    publish(totalKey_, expectedTotal_ > 0 ? static_cast<std::uint32_t>(expectedTotal_) : 0);
    publish(currentKey_, 0);
    answer(pendingOpen_, kResultSucceeded);
}

void CVXLPushToFileAdapterJob::write(CVXLEvent* request)
{
    auto* writeRequest = static_cast<CVXLPushWriteRequest*>(request);
    if (!isOpened() || pendingWrite_ || endPushed() || !writeRequest->buffer) {
        VXL_LOG_INFO("push-to-file write refused: %s", isOpened() ? "not ready for a block" : "no file open");
        request->setResult(kResultFailed);
        return finishEvent(request);
    }
    if (writeRequest->buffer->length() == 0) {
        request->setResult(kResultSucceeded);
        return finishEvent(request);
    }
    pendingWrite_ = request;
    // The block is shared, not copied; the producer's buffer is free again.
    const CVXLByteBuffer block = *writeRequest->buffer;
    writeRequest->buffer->clear();
    push(block, writeRequest->expectedTotal);
}

void CVXLPushToFileAdapterJob::onPushConsumed()
{
    written_ = static_cast<std::uint32_t>(count());
    publish(currentKey_, written_);
    answer(pendingWrite_, kResultSucceeded);
}

void CVXLPushToFileAdapterJob::close(CVXLEvent* request)
{
    if (pendingClose_) {
        request->setResult(kResultFailed);
        return finishEvent(request);
    }
    pendingClose_ = request;
    // A transfer that failed and closed before the producer's close still
    // reports its failure here, once.
    if (!sink_)
        return onClosed();
    // A transfer that is over already answers once its close has run.
    if (!isOpened())
        return;
    if (request->result() != kResultSucceeded) {
        // The producer gives the file up: the sink drops its copy.
        abandoned_ = true;
        return fail(kResultCancelled);
    }
    endOfPush();
    // Nothing was pushed: the transfer begins now, so that the file is
    // written empty.
    if (pushPhase() == kNotBegun)
        push(CVXLByteBuffer(), expectedTotal_);
}

void CVXLPushToFileAdapterJob::onSourceFinished(bool succeeded)
{
    answer(pendingWrite_, kResultCancelled);
    CVXLPushToSourceAdapterBase::onSourceFinished(succeeded);
    if (!stopping_)
        return;
    // No close runs after a stop: the sink goes now, its copy dropped.
    cancelEvent(&runRequest_);
    forgetDeadSink();
    releaseSink();
    answer(pendingClose_, kResultCancelled);
}

void CVXLPushToFileAdapterJob::onRunDone(CVXLEvent* reply)
{
    const std::int32_t result = reply->result();
    const CVXLString text = reply->resultText();
    finishEvent(reply);
    forgetDeadSink();
    if (!sink_)
        return;
    if (!abandoned_) {
        closeResult_ = result;
        closeText_ = text;
    }
    if (result != kResultSucceeded)
        answer(pendingWrite_, result, text);
    if (!closeRequest_.isBusy())
        post(this, &closeRequest_);
}

void CVXLPushToFileAdapterJob::onClosed()
{
    releaseSink();
    if (!pendingClose_)
        return;
    answer(pendingClose_, closeResult_, closeText_);
    closeResult_ = kResultSucceeded;
    closeText_.clear();
}

void CVXLPushToFileAdapterJob::onStop(CVXLEvent* event)
{
    stopping_ = true;
    forgetDeadSink();
    // A manager's answer already back: its sink is given back unused.
    if (cancelEvent(&fileRequest_) && fileRequest_.job) {
        fileRequest_.job->stop();
        fileRequest_.job = nullptr;
    }
    answer(pendingOpen_, kResultCancelled);
    if (!isOpened()) {
        cancelEvent(&runRequest_);
        releaseSink();
        answer(pendingWrite_, kResultCancelled);
        answer(pendingClose_, kResultCancelled);
    }
    CVXLPushToSourceAdapterBase::onEvent(event);
}

void CVXLPushToFileAdapterJob::init()
{
    CVXLPushToSourceAdapterBase::init();
    stopping_ = false;
}

// The manager deletes a sink job that has finished, also one that its own
// stop ended (the owner of both may stop them together): only a sink still
// among the manager's children is ever touched again.
void CVXLPushToFileAdapterJob::forgetDeadSink()
{
    if (!sink_)
        return;
    for (CVXLEventHandler* child = sinkOwner_ ? sinkOwner_->firstChild() : nullptr; child;
         child = child->nextSibling()) {
        if (child == sink_)
            return;
    }
    VXL_LOG_INFO("push-to-file: the file sink ended before its transfer was closed");
    if (destination() == sink_)
        setDestination(nullptr);
    sink_ = nullptr;
    sinkOwner_ = nullptr;
}

// The manager deletes the sink job, and closes its stream, when it stops.
void CVXLPushToFileAdapterJob::releaseSink()
{
    if (!sink_)
        return;
    if (destination() == sink_)
        setDestination(nullptr);
    sink_->stop();
    sink_ = nullptr;
    sinkOwner_ = nullptr;
}

void CVXLPushToFileAdapterJob::answer(CVXLEvent*& held, std::int32_t result, const CVXLString& text)
{
    if (!held)
        return;
    CVXLEvent* request = held;
    held = nullptr;
    request->setResult(result, text);
    finishEvent(request);
}

void CVXLPushToFileAdapterJob::publish(const CVXLString& key, std::uint32_t value)
{
    if (!settings_ || key.length() == 0)
        return;
    CVXLString text;
    text.setUnsigned(value);
    settings_->set(key, text);
}
