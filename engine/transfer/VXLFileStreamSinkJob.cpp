#include "engine/transfer/VXLFileStreamSinkJob.h"

#include "engine/core/platform/VXLPlatformStatus.h"

CVXLFileStreamSinkJob::CVXLFileStreamSinkJob()
    : callback_(this, kOpened)
{
}

void CVXLFileStreamSinkJob::onEvent(CVXLEvent* event)
{
    if (event == &writeMore_) {
        finishEvent(event);
        return writeNext();
    }
    if (event != &callback_)
        return CVXLStreamJob::onEvent(event);
    const std::int32_t code = event->requestCode();
    const std::int32_t status = event->result();
    finishEvent(event);
    if (code == kOpened) {
        fileOpen_ = status == kResultSucceeded;
        completeBegin(fileOpen_, kXferSinkChunkSize, status);
        return;
    }
    pending_.clear();
    // A close that could not keep the bytes (a replace whose write failed)
    // must not end the transfer as a success.
    completeSink(status, CVXLString());
}

void CVXLFileStreamSinkJob::onBegin(std::int32_t)
{
    if (!fileStore()) {
        completeBegin(false, kXferSinkChunkSize);
        return;
    }
    callback_.setRequestCode(kOpened);
    callback_.setReplyCode(kOpened);
    std::uint32_t mode = kStreamReplace;
    if (openMode_ == kOpenAppend)
        mode = kStreamAppend;
    else if (openMode_ == kOpenScratch)
        mode = kStreamWrite;
    fileStore()->open(path().c_str(), mode, &callback_);
}

void CVXLFileStreamSinkJob::onData(const CVXLByteBuffer& buffer)
{
    consumed_ = 0;
    pending_ = buffer;
    writeNext();
}

void CVXLFileStreamSinkJob::writeNext()
{
    if (!fileStore())
        return completeData(false);
    fileStore()->write(this);
}

const std::uint8_t* CVXLFileStreamSinkJob::getData()
{
    return consumed_ < pending_.length() ? pending_.at(consumed_) : nullptr;
}

std::uint32_t CVXLFileStreamSinkJob::getLength()
{
    return consumed_ < pending_.length() ? pending_.length() - consumed_ : 0;
}

void CVXLFileStreamSinkJob::consume(std::uint32_t count, std::uint32_t error)
{
    if (error != kPlatformOk) {
        pending_.clear();
        return completeData(false, static_cast<std::int32_t>(error));
    }
    consumed_ += count;
    if (consumed_ >= pending_.length()) {
        pending_.clear();
        return completeData(true);
    }
    if (!writeMore_.isBusy())
        post(this, &writeMore_);
}

void CVXLFileStreamSinkJob::onEnd(bool complete)
{
    pending_.clear();
    if (!fileOpen_ || !fileStore())
        return completeSink(kResultSucceeded, CVXLString());
    fileOpen_ = false;
    if (!complete && openMode_ == kOpenWrite) {
        // An abandoned replace: the stream is deleted unclosed by its store,
        // which drops the temporary file and keeps the old one.
        return completeSink(kResultSucceeded, CVXLString());
    }
    callback_.setRequestCode(kClosed);
    callback_.setReplyCode(kClosed);
    fileStore()->close(&callback_);
}
