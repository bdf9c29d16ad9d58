#include "engine/files/VXLXmlReaderSinkJob.h"

CVXLXmlReaderSinkJob::CVXLXmlReaderSinkJob() = default;

CVXLXmlReaderSinkJob::~CVXLXmlReaderSinkJob() = default;

void CVXLXmlReaderSinkJob::onEvent(CVXLEvent* event)
{
    if (event->kind() == kEventReply && event == &transferStart_)
        return onTransferEnded(event);
    if (event->kind() == kEventReply && event == &transferStop_)
        return onSourceClosed(event);
    // Stopped while reading: the transfer is cancelled and the source closed
    // before the stop completes, so nothing is left posting into a finished
    // job or holding a stream.
    if (event->effectiveCode() == kEventStop && reading_ && !jobStop_) {
        jobStop_ = event;
        restartPending_ = false;
        stopReading();
        return;
    }
    CVXLXferJobBase::onEvent(event);
}

void CVXLXmlReaderSinkJob::beginReading()
{
    if (jobStop_)
        return;
    if (reading_) {
        restartPending_ = true;
        stopReading();
        return;
    }
    reading_ = true;
    stopFlag_ = false;
    result_ = kResultSucceeded;
    reader_.reset();
    openSource();
}

void CVXLXmlReaderSinkJob::stopReading()
{
    stopFlag_ = true;
    reader_.stop();
}

void CVXLXmlReaderSinkJob::openSource()
{
    if (!source_)
        return failReading(kResultFailed);
    startTransfer();
}

void CVXLXmlReaderSinkJob::releaseSource()
{
}

void CVXLXmlReaderSinkJob::readingFinished(std::int32_t)
{
}

void CVXLXmlReaderSinkJob::startTransfer()
{
    if (!source_ || transferStart_.isBusy())
        return failReading(kResultFailed);
    source_->setDestination(this);
    post(source_, &transferStart_);
}

void CVXLXmlReaderSinkJob::failReading(std::int32_t code)
{
    if (result_ == kResultSucceeded)
        result_ = code;
    endReading();
}

void CVXLXmlReaderSinkJob::onBegin(std::int32_t)
{
    // A transfer nobody asked for (no reading under way) is refused too.
    if (stopFlag_ || !reading_)
        return completeBegin(false, -1, reading_ ? kResultCancelled : kResultFailed);
    completeBegin(true, kXferSinkChunkSize);
}

void CVXLXmlReaderSinkJob::onData(const CVXLByteBuffer& buffer)
{
    if (!reader_.isStopped() && buffer.length() > 0)
        reader_.feed(buffer.data(), buffer.length());
    if (reader_.isMalformed())
        return completeData(false, kResultFailed);
    if (stopFlag_ || !reading_)
        return completeData(false, kResultCancelled);
    completeData(true);
}

void CVXLXmlReaderSinkJob::onEnd(bool complete)
{
    if (!complete)
        return completeSink(kResultFailed, CVXLString());
    // The end of the data is the end of the document: one left inside markup
    // or with elements open is malformed, never a success with half of it.
    if (!reader_.isStopped())
        reader_.finish();
    completeSink(reader_.isMalformed() ? kResultFailed : kResultSucceeded, CVXLString());
}

void CVXLXmlReaderSinkJob::onTransferEnded(CVXLEvent* reply)
{
    const std::int32_t result = reply->result();
    finishEvent(reply);
    if (!stopFlag_ && result_ == kResultSucceeded)
        result_ = result;
    if (!source_ || transferStop_.isBusy())
        return endReading();
    post(source_, &transferStop_);
}

void CVXLXmlReaderSinkJob::onSourceClosed(CVXLEvent* reply)
{
    finishEvent(reply);
    releaseSource();
    endReading();
}

std::int32_t CVXLXmlReaderSinkJob::finalResult() const
{
    if (reader_.isMalformed())
        return kResultFailed;
    if (stopFlag_)
        return kResultCancelled;
    return result_;
}

void CVXLXmlReaderSinkJob::endReading()
{
    const std::int32_t result = finalResult();
    reading_ = false;
    if (restartPending_ && !jobStop_) {
        restartPending_ = false;
        beginReading();
        return;
    }
    restartPending_ = false;
    readingFinished(result);
    if (CVXLEvent* stopEvent = jobStop_) {
        jobStop_ = nullptr;
        finishEvent(stopEvent);
    }
}
