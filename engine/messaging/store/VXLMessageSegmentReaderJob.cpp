#include "engine/messaging/store/VXLMessageSegmentReaderJob.h"

#include "engine/core/base/VXLLog.h"
#include "engine/core/jobs/VXLCancelNotice.h"
#include "engine/core/jobs/VXLResultCodes.h"
#include "engine/core/platform/VXLPlatformFileStream.h"
#include "engine/core/platform/VXLPlatformStatus.h"
#include "engine/core/platform/VXLPlatformStore.h"

namespace {

// The store answers an item's size, then its status.
class SizeProbe : public CVXLCallback {
public:
    void call(std::uint32_t value) override
    {
        if (calls_++ == 0)
            size = value;
        else
            status = value;
    }
    std::uint32_t size = 0;
    std::uint32_t status = kPlatformNoSuchItem;

private:
    int calls_ = 0;
};

std::uint32_t bigEndian(const std::uint8_t* p)
{
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) | p[3];
}

} // namespace

CVXLMessageSegmentReaderJob::CVXLMessageSegmentReaderJob()
    : callback_(this, kOpened)
{
}

CVXLMessageSegmentReaderJob::~CVXLMessageSegmentReaderJob()
{
    if (file_ && store_)
        store_->closeStream(file_);
}

void CVXLMessageSegmentReaderJob::onEvent(CVXLEvent* event)
{
    if (event == &callback_) {
        const std::int32_t code = event->requestCode();
        const auto status = static_cast<std::uint32_t>(event->result());
        finishEvent(event);
        return onCallback(code, status);
    }
    if (event == &segment_)
        return onSegmentDone(event);
    switch (event->requestCode()) {
    case kEventSegmentRead:
        return onRequest(static_cast<CVXLSegmentReadRequest*>(event));
    case kEventCancelNotice:
        return onWithdrawn(event);
    default:
        return finishEvent(event);
    }
}

void CVXLMessageSegmentReaderJob::onRequest(CVXLSegmentReadRequest* request)
{
    if (request_) {
        VXL_LOG_INFO("segment reader: a second request while one runs is refused");
        request->setResult(kResultFailed);
        return finishEvent(request);
    }
    request_ = request;
    offset_ = 0;
    counter_ = 0;
    buffer_.clear();
    result_ = kResultSucceeded;
    cancelled_ = false;
    file_ = store_ ? store_->openStream() : nullptr;
    if (!file_) {
        result_ = kResultNoStream;
        return completeRequest();
    }
    SizeProbe probe;
    store_->itemInfo(request->fileName.c_str(), &probe);
    fileSize_ = probe.status == kPlatformOk ? probe.size : 0;
    call(kOpened);
    file_->open(request->fileName.c_str(), kStreamRead, &callback_);
}

void CVXLMessageSegmentReaderJob::onCallback(std::int32_t code, std::uint32_t status)
{
    if (!request_)
        return;
    if (cancelled_ && code != kClosed) {
        cancelled_ = false;
        return closeFile(kResultCancelled);
    }
    switch (code) {
    case kOpened:
    case kSought:
        if (status != kPlatformOk)
            return closeFile(static_cast<std::int32_t>(status));
        readingHeader_ = true;
        buffer_.clear();
        return readBytes(kHeaderBytes);
    case kReadRest:
        return file_->read(this, wanted_ - buffer_.length());
    case kRead:
        if (status != kPlatformOk)
            return closeFile(static_cast<std::int32_t>(status));
        return readingHeader_ ? onHeader() : onData();
    case kClosed:
        return completeRequest();
    }
}

void CVXLMessageSegmentReaderJob::onHeader()
{
    offset_ += kHeaderBytes;
    const std::uint32_t first = bigEndian(buffer_.data());
    const std::uint32_t second = bigEndian(buffer_.data() + 4);
    const std::uint64_t both = std::uint64_t(first) + second;
    const std::uint64_t left = fileSize_ > offset_ ? fileSize_ - offset_ : 0;
    if (both > left) {
        VXL_LOG_INFO("segment reader: segment %u of %s runs %llu bytes past the end", counter_,
            request_->fileName.c_str(), static_cast<unsigned long long>(both - left));
        return closeFile(static_cast<std::int32_t>(kPlatformEndOfData));
    }
    const std::uint32_t index = counter_++;
    const std::uint32_t count = request_->bothParts ? static_cast<std::uint32_t>(both) : first;
    if (index < request_->firstSegment || count == 0) {
        // Passed by: before the first wanted, or nothing to hand over.
        if (counter_ > request_->lastSegment)
            return closeFile(kResultSucceeded);
        return seekTo(offset_ + static_cast<std::uint32_t>(both));
    }
    segment_.index = index;
    segment_.fileName = request_->fileName;
    segment_.secondPartOffset = offset_ + first;
    segment_.firstLength = first;
    segment_.secondLength = second;
    segment_.nextIndex = 0;
    readingHeader_ = false;
    buffer_.clear();
    readBytes(count);
}

void CVXLMessageSegmentReaderJob::onData()
{
    offset_ += buffer_.length();
    segment_.firstPart.clear();
    segment_.secondPart.clear();
    bool stored = segment_.firstPart.append(buffer_.data(), segment_.firstLength);
    if (request_->bothParts)
        stored = segment_.secondPart.append(buffer_.data() + segment_.firstLength, segment_.secondLength)
            && stored;
    buffer_.clear();
    if (!stored)
        return closeFile(static_cast<std::int32_t>(kPlatformNoBuffer));
    segment_.setRequestCode(request_->deliveryCode);
    segment_.setResult(kResultSucceeded);
    post(request_->source(), &segment_);
}

void CVXLMessageSegmentReaderJob::onSegmentDone(CVXLEvent* reply)
{
    // Finishing a member event clears its result: read it first.
    const std::int32_t result = reply->result();
    finishEvent(reply);
    if (!request_)
        return;
    if (cancelled_) {
        cancelled_ = false;
        return closeFile(kResultCancelled);
    }
    if (result != kResultSucceeded)
        return closeFile(result);
    if (segment_.nextIndex != 0)
        request_->firstSegment = segment_.nextIndex;
    if (counter_ > request_->lastSegment)
        return closeFile(kResultSucceeded);
    seekTo(segment_.secondPartOffset + segment_.secondLength);
}

void CVXLMessageSegmentReaderJob::onWithdrawn(CVXLEvent* notice)
{
    const auto* cancel = static_cast<CVXLCancelNotice*>(notice);
    const bool ours = request_ && cancel->cancelled() == request_;
    finishEvent(notice);
    if (!ours)
        return;
    if (!file_) {
        result_ = kResultCancelled;
        return completeRequest();
    }
    // A segment held by the requester comes back marked cancelled; whatever
    // arrives next ends the request with 24.
    cancelEventsWith(request_->source());
    cancelled_ = true;
}

void CVXLMessageSegmentReaderJob::readBytes(std::uint32_t count)
{
    wanted_ = count;
    readFailed_ = false;
    file_->read(this, count);
}

void CVXLMessageSegmentReaderJob::seekTo(std::uint32_t offset)
{
    offset_ = offset;
    call(kSought);
    file_->seek(static_cast<std::int32_t>(offset), false, &callback_);
}

void CVXLMessageSegmentReaderJob::closeFile(std::int32_t result)
{
    result_ = result;
    call(kClosed);
    file_->close(&callback_);
}

void CVXLMessageSegmentReaderJob::completeRequest()
{
    if (file_ && store_)
        store_->closeStream(file_);
    file_ = nullptr;
    buffer_.clear();
    CVXLSegmentReadRequest* request = request_;
    request_ = nullptr;
    request->setResult(result_);
    finishEvent(request);
}

void CVXLMessageSegmentReaderJob::call(std::int32_t code)
{
    callback_.setRequestCode(code);
    callback_.setReplyCode(code);
}

void CVXLMessageSegmentReaderJob::dataArrived(const std::uint8_t* bytes, std::uint32_t count)
{
    if (!buffer_.append(bytes, count))
        readFailed_ = true;
}

void CVXLMessageSegmentReaderJob::complete(std::uint32_t status)
{
    if (readFailed_)
        status = kPlatformNoBuffer;
    const bool short_ = status == kPlatformOk && buffer_.length() < wanted_;
    call(short_ ? kReadRest : kRead);
    callback_.call(status);
}
