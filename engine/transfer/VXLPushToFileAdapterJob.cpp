#include "engine/transfer/VXLPushToFileAdapterJob.h"

#include "engine/core/base/VXLByteBuffer.h"
#include "engine/core/settings/VXLPersStore.h"
#include "engine/core/platform/VXLPlatformFileStream.h"
#include "engine/core/platform/VXLPlatformStatus.h"
#include "engine/core/platform/VXLPlatformStore.h"
#include "engine/transfer/VXLPushOpenRequest.h"
#include "engine/transfer/VXLPushWriteRequest.h"

namespace {

// The stream's report, posted by the adapter to itself.
constexpr std::int32_t kStreamDone = 1;

} // namespace

CVXLPushToFileAdapterJob::CVXLPushToFileAdapterJob()
    : streamDone_(this, kStreamDone)
{
}

CVXLPushToFileAdapterJob::~CVXLPushToFileAdapterJob()
{
    releaseStream();
}

void CVXLPushToFileAdapterJob::setProgressKeys(const CVXLString& totalKey, const CVXLString& currentKey)
{
    totalKey_ = totalKey;
    currentKey_ = currentKey;
}

void CVXLPushToFileAdapterJob::init()
{
    cancelEvent(&streamDone_);
    pending_ = nullptr;
    writeBuffer_ = nullptr;
    written_ = 0;
}

void CVXLPushToFileAdapterJob::onEvent(CVXLEvent* event)
{
    switch (event->effectiveCode()) {
    case kStreamDone: {
        const std::int32_t status = event->result();
        finishEvent(event);
        streamDone(status);
        return;
    }
    case CVXLPushOpenRequest::kCode:
        return open(event);
    case CVXLPushWriteRequest::kCode:
        return write(event);
    case kCloseRequest:
        return close(event);
    case kEventStop:
        // The file is closed whatever was left open; a request still waiting
        // for its stream is answered, or its sender would wait for ever.
        cancelEvent(&streamDone_);
        releaseStream();
        if (pending_) {
            CVXLEvent* request = pending_;
            pending_ = nullptr;
            writeBuffer_ = nullptr;
            answer(request, kResultCancelled);
        }
        finishEvent(event);
        return;
    default:
        finishEvent(event);
        return;
    }
}

void CVXLPushToFileAdapterJob::open(CVXLEvent* request)
{
    releaseStream();
    written_ = 0;
    if (store_)
        stream_ = store_->openStream();
    if (!stream_)
        return answer(request, kResultFailed);
    pending_ = request;
    // Under a temporary name until a successful close: a failed retrieval
    // keeps the earlier copy and never leaves a partial file under the name.
    stream_->open(static_cast<CVXLPushOpenRequest*>(request)->fileName.c_str(), kStreamReplace, &streamDone_);
}

void CVXLPushToFileAdapterJob::write(CVXLEvent* request)
{
    auto* write = static_cast<CVXLPushWriteRequest*>(request);
    if (!stream_ || !write->buffer)
        return answer(request, kResultFailed);
    if (write->buffer->length() == 0)
        return answer(request, kResultSucceeded);
    pending_ = request;
    writeBuffer_ = write->buffer;
    stream_->write(this);
}

void CVXLPushToFileAdapterJob::close(CVXLEvent* request)
{
    if (!stream_)
        return answer(request, kResultSucceeded);
    if (request->result() != kResultSucceeded) {
        releaseStream();
        return answer(request, kResultSucceeded);
    }
    pending_ = request;
    stream_->close(&streamDone_);
}

const std::uint8_t* CVXLPushToFileAdapterJob::getData()
{
    return writeBuffer_ ? writeBuffer_->data() : nullptr;
}

std::uint32_t CVXLPushToFileAdapterJob::getLength()
{
    return writeBuffer_ ? writeBuffer_->length() : 0;
}

void CVXLPushToFileAdapterJob::consume(std::uint32_t count, std::uint32_t error)
{
    written_ += count;
    // Emptied even after a short write: the bytes cannot be placed again in
    // order, and the failure ends the transfer.
    if (writeBuffer_)
        writeBuffer_->clear();
    writeBuffer_ = nullptr;
    streamDone_.call(error);
}

void CVXLPushToFileAdapterJob::streamDone(std::int32_t status)
{
    CVXLEvent* request = pending_;
    pending_ = nullptr;
    if (!request)
        return;
    switch (request->requestCode()) {
    case CVXLPushOpenRequest::kCode: {
        if (status != static_cast<std::int32_t>(kPlatformOk)) {
            releaseStream();
            break;
        }
        const std::int32_t total = static_cast<CVXLPushOpenRequest*>(request)->expectedTotal;
        publish(totalKey_, total > 0 ? static_cast<std::uint32_t>(total) : 0);
        publish(currentKey_, 0);
        break;
    }
    case CVXLPushWriteRequest::kCode:
        if (status == static_cast<std::int32_t>(kPlatformOk))
            publish(currentKey_, written_);
        break;
    case kCloseRequest:
        releaseStream();
        break;
    }
    answer(request, status == static_cast<std::int32_t>(kPlatformOk) ? kResultSucceeded : kResultFailed);
}

void CVXLPushToFileAdapterJob::answer(CVXLEvent* request, std::int32_t result)
{
    request->setResult(result);
    finishEvent(request);
}

void CVXLPushToFileAdapterJob::releaseStream()
{
    if (!stream_)
        return;
    if (store_)
        store_->closeStream(stream_);
    stream_ = nullptr;
}

void CVXLPushToFileAdapterJob::publish(const CVXLString& key, std::uint32_t value)
{
    if (!settings_ || key.length() == 0)
        return;
    CVXLString text;
    text.setUnsigned(value);
    settings_->set(key, text);
}
