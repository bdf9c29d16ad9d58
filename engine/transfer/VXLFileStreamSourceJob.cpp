#include "engine/transfer/VXLFileStreamSourceJob.h"

#include "engine/core/platform/VXLPlatformStatus.h"

CVXLFileStreamSourceJob::CVXLFileStreamSourceJob()
    : callback_(this, kOpened)
{
}

void CVXLFileStreamSourceJob::setReadWindow(std::int32_t start, std::int32_t length)
{
    windowStart_ = start < 0 ? 0 : start;
    windowLength_ = length < 0 ? 0 : length;
    windowSet_ = true;
}

void CVXLFileStreamSourceJob::restart()
{
    windowSet_ = false;
    windowStart_ = 0;
    windowLength_ = 0;
}

void CVXLFileStreamSourceJob::onEvent(CVXLEvent* event)
{
    if (event != &callback_)
        return CVXLStreamJob::onEvent(event);
    const std::int32_t code = event->requestCode();
    const std::int32_t status = event->result();
    // Finished before the next platform call, which may report at once.
    finishEvent(event);
    onCallback(code, status);
}

void CVXLFileStreamSourceJob::onCallback(std::int32_t code, std::int32_t status)
{
    switch (code) {
    case kOpened:
        if (status != kResultSucceeded) {
            fileOpen_ = false;
            return fail(status);
        }
        if (windowSet_ && windowStart_ != 0) {
            callback_.setRequestCode(kSought);
            callback_.setReplyCode(kSought);
            return fileStore()->seek(windowStart_, false, &callback_);
        }
        return begin(announcedTotal());
    case kSought:
        if (status != kResultSucceeded)
            return fail(status);
        return begin(announcedTotal());
    case kClosed:
        return completeSource();
    }
}

void CVXLFileStreamSourceJob::onOpen()
{
    remaining_ = windowSet_ ? windowLength_ : announcedTotal();
    if (remaining_ < 0)
        remaining_ = kXferUnknownSizeLimit;
    callback_.setRequestCode(kOpened);
    callback_.setReplyCode(kOpened);
    if (!fileStore()) {
        fail(kPlatformNotOpen);
        return;
    }
    fileOpen_ = true;
    fileStore()->open(path().c_str(), kStreamRead, &callback_);
}

void CVXLFileStreamSourceJob::produceChunk(std::int32_t size)
{
    if (remaining_ <= 0)
        return sendEnd();
    if (size <= 0)
        size = kXferSinkChunkSize;
    readData_.clear();
    readFailed_ = false;
    const std::int32_t n = remaining_ < size ? remaining_ : size;
    fileStore()->read(this, static_cast<std::uint32_t>(n));
}

void CVXLFileStreamSourceJob::dataArrived(const std::uint8_t* bytes, std::uint32_t count)
{
    if (!readData_.append(bytes, count)) {
        readFailed_ = true;
        return;
    }
    remaining_ -= static_cast<std::int32_t>(count);
}

void CVXLFileStreamSourceJob::complete(std::uint32_t status)
{
    if (readFailed_)
        return fail(kPlatformNoBuffer);
    if (status == kPlatformOk)
        return sendChunk(readData_);
    if (status == kPlatformEndOfData)
        return sendEnd();
    fail(static_cast<std::int32_t>(status));
}

void CVXLFileStreamSourceJob::onSourceFinished(bool)
{
    readData_.clear();
    windowSet_ = false;
    if (!fileOpen_ || !fileStore())
        return completeSource();
    fileOpen_ = false;
    callback_.setRequestCode(kClosed);
    callback_.setReplyCode(kClosed);
    fileStore()->close(&callback_);
}
