#include "engine/transfer/VXLOemXferSourceAdapter.h"

#include "engine/core/base/VXLLog.h"
#include "engine/core/jobs/VXLResultCodes.h"

CVXLOemXferSourceAdapter::CVXLOemXferSourceAdapter()
    : callback_(this, kOpenAnswered)
{
}

void CVXLOemXferSourceAdapter::setSource(CVXLOemXferSource* source)
{
    source_ = source;
    size_ = source ? source->getSize() : 0;
    read_ = 0;
}

void CVXLOemXferSourceAdapter::onEvent(CVXLEvent* event)
{
    if (event->effectiveCode() != kOpenAnswered)
        return CVXLXferJobBase::onEvent(event);
    const std::int32_t openStatus = event->result();
    finishEvent(event);
    if (openStatus != kResultSucceeded) {
        VXL_LOG_INFO("transfer source could not be opened: %d", static_cast<int>(openStatus));
        return fail(openStatus);
    }
    // A size of 0 is an unknown size: the data is read until its end.
    begin(size_ > 0 ? size_ : -1);
}

void CVXLOemXferSourceAdapter::onOpen()
{
    endSeen_ = false;
    read_ = 0;
    if (!source_)
        return fail(kResultFailed);
    source_->open(&callback_);
}

void CVXLOemXferSourceAdapter::produceChunk(std::int32_t size)
{
    if (endSeen_ || (size_ > 0 && read_ >= size_))
        return sendEnd();
    buffer_.clear();
    source_->read(this, size);
}

void CVXLOemXferSourceAdapter::data(const std::uint8_t* bytes, std::uint32_t count)
{
    if (count && buffer_.append(bytes, count))
        read_ += static_cast<std::int32_t>(count);
}

void CVXLOemXferSourceAdapter::status(std::int32_t code)
{
    if (code == CVXLOemXferSource::kReadEnd) {
        // What came with the end is sent before it.
        endSeen_ = true;
        if (buffer_.length() == 0)
            return sendEnd();
        return sendChunk(buffer_);
    }
    if (code != CVXLOemXferSource::kReadMore) {
        VXL_LOG_INFO("transfer source read failed: %d", static_cast<int>(code));
        return fail(kResultCancelled);
    }
    sendChunk(buffer_);
}

void CVXLOemXferSourceAdapter::onSourceFinished(bool)
{
    buffer_.clear();
    size_ = 0;
    read_ = 0;
    endSeen_ = false;
    if (CVXLOemXferSource* source = source_) {
        source_ = nullptr;
        source->close();
    }
    completeSource();
}
