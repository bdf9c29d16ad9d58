#include "engine/messaging/store/VXLFileCopyJob.h"

#include "engine/core/base/VXLLog.h"
#include "engine/core/jobs/VXLResultCodes.h"
#include "engine/core/platform/VXLPlatformFileStream.h"
#include "engine/core/platform/VXLPlatformStatus.h"

CVXLFileCopyJob::CVXLFileCopyJob()
    : callback_(this, kSourceOpened)
{
}

void CVXLFileCopyJob::onEvent(CVXLEvent* event)
{
    if (event == &callback_) {
        const std::int32_t code = event->requestCode();
        const auto status = static_cast<std::uint32_t>(event->result());
        finishEvent(event);
        return onCallback(code, status);
    }
    switch (event->requestCode()) {
    case kEventFileCopy:
        return onRequest(static_cast<CVXLCopyRequest*>(event));
    case kEventStop:
        if (!request_)
            return finishEvent(event);
        stopPending_ = event;
        return;
    default:
        return finishEvent(event);
    }
}

void CVXLFileCopyJob::onRequest(CVXLCopyRequest* request)
{
    if (request_ || !request->source) {
        VXL_LOG_INFO("file copy: refused a request (%s)", request_ ? "a copy runs" : "no source");
        request->setResult(kResultFailed);
        return finishEvent(request);
    }
    request_ = request;
    countRead_ = 0;
    buffer_.clear();
    result_ = kResultSucceeded;
    failed_ = false;
    sourceOpen_ = destinationOpen_ = rewriteOpen_ = rewriteStarted_ = false;
    call(kSourceOpened);
    request->source->open(request->sourcePath.c_str(), kStreamRead, &callback_);
}

void CVXLFileCopyJob::onCallback(std::int32_t code, std::uint32_t status)
{
    if (!request_)
        return;
    const auto failure = static_cast<std::int32_t>(status);
    switch (code) {
    case kSourceOpened:
        if (status != kPlatformOk)
            return fail(failure);
        sourceOpen_ = true;
        call(kSourceSought);
        return request_->source->seek(static_cast<std::int32_t>(request_->start), false, &callback_);
    case kSourceSought:
        if (status != kPlatformOk)
            return fail(failure);
        if (!request_->destination)
            return readNext();
        call(kDestinationOpened);
        return request_->destination->open(
            request_->destinationPath.c_str(), request_->append ? kStreamAppend : kStreamWrite, &callback_);
    case kDestinationOpened:
        if (status != kPlatformOk)
            return fail(failure);
        destinationOpen_ = true;
        return readNext();
    case kReadDone:
        return onReadDone(status);
    case kWritten:
        return onWritten();
    case kSourceReopened:
        if (status != kPlatformOk)
            return fail(failure);
        rewriteOpen_ = true;
        return write();
    case kSourceClosed:
    case kDestinationClosed:
    case kRewriteClosed:
        if (status != kPlatformOk && !failed_) {
            failed_ = true;
            result_ = failure;
        }
        return closeNext();
    }
}

void CVXLFileCopyJob::readNext()
{
    const std::uint32_t left = request_->count - countRead_;
    if (left == 0)
        return afterCopiedBytes();
    readFailed_ = false;
    call(kReadDone);
    request_->source->read(this, left < kChunkBytes ? left : kChunkBytes);
}

void CVXLFileCopyJob::onReadDone(std::uint32_t status)
{
    if (readFailed_)
        status = kPlatformNoBuffer;
    if (status != kPlatformOk) {
        VXL_LOG_INFO("file copy: %s gave status %u after %u of %u bytes; nothing rewritten",
            request_->sourcePath.c_str(), status, countRead_, request_->count);
        return fail(static_cast<std::int32_t>(status));
    }
    if (request_->destination && buffer_.length() > 0)
        return write();
    readNext();
}

// Every byte of the range is read (and, with a destination, written).
void CVXLFileCopyJob::afterCopiedBytes()
{
    if (request_->destination || rewriteOpen_) {
        if (request_->trailer.length() > 0) {
            buffer_.append(request_->trailer.data(), request_->trailer.length());
            request_->trailer.clear();
            return write();
        }
    }
    // In place: the source is closed, then replaced by the bytes read from it.
    closeNext();
}

void CVXLFileCopyJob::write()
{
    if (buffer_.length() == 0)
        return afterCopiedBytes();
    written_ = 0;
    writeError_ = 0;
    call(kWritten);
    writer()->write(this);
}

void CVXLFileCopyJob::onWritten()
{
    if (writeError_ != 0) {
        VXL_LOG_FAILURE("file copy: writing %s failed (%u)",
            (request_->destination ? request_->destinationPath : request_->sourcePath).c_str(), writeError_);
        return fail(kWriteFailed);
    }
    buffer_.remove(0, written_);
    if (buffer_.length() > 0)
        return write();
    if (rewriteOpen_)
        return afterCopiedBytes();
    readNext();
}

void CVXLFileCopyJob::fail(std::int32_t result)
{
    if (!failed_) {
        failed_ = true;
        result_ = result;
    }
    closeNext();
}

// Closes what is still open, one file per callback, then answers.
void CVXLFileCopyJob::closeNext()
{
    if (sourceOpen_) {
        sourceOpen_ = false;
        call(kSourceClosed);
        return request_->source->close(&callback_);
    }
    if (destinationOpen_) {
        destinationOpen_ = false;
        call(kDestinationClosed);
        return request_->destination->close(&callback_);
    }
    if (rewriteOpen_) {
        rewriteOpen_ = false;
        call(kRewriteClosed);
        return request_->source->close(&callback_);
    }
    if (!failed_ && !request_->destination && !rewriteStarted_) {
        rewriteStarted_ = true;
        call(kSourceReopened);
        return request_->source->open(request_->sourcePath.c_str(), kStreamReplace, &callback_);
    }
    completeCopy();
}

void CVXLFileCopyJob::completeCopy()
{
    CVXLCopyRequest* request = request_;
    request_ = nullptr;
    buffer_.clear();
    request->setResult(result_);
    finishEvent(request);
    if (stopPending_) {
        CVXLEvent* stop = stopPending_;
        stopPending_ = nullptr;
        finishEvent(stop);
    }
}

void CVXLFileCopyJob::call(std::int32_t code)
{
    callback_.setRequestCode(code);
    callback_.setReplyCode(code);
}

CVXLPlatformFileStream* CVXLFileCopyJob::writer() const
{
    return request_->destination ? request_->destination : request_->source;
}

void CVXLFileCopyJob::dataArrived(const std::uint8_t* bytes, std::uint32_t count)
{
    if (!buffer_.append(bytes, count)) {
        readFailed_ = true;
        return;
    }
    countRead_ += count;
}

void CVXLFileCopyJob::complete(std::uint32_t status)
{
    callback_.call(status);
}

void CVXLFileCopyJob::consume(std::uint32_t count, std::uint32_t error)
{
    written_ = count;
    writeError_ = error;
    callback_.call(kPlatformOk);
}
