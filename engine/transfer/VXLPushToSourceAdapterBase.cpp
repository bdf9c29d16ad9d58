#include "engine/transfer/VXLPushToSourceAdapterBase.h"

#include <algorithm>

void CVXLPushToSourceAdapterBase::onOpen()
{
    endPushed_ = false;
    consumedUnreported_ = false;
    phase_ = kNotBegun;
}

void CVXLPushToSourceAdapterBase::push(const CVXLByteBuffer& data, std::int32_t total)
{
    pushed_ = data;
    remaining_ = data.length();
    const PushPhase phase = phase_;
    phase_ = kDataAvailable;
    if (phase == kNotBegun)
        begin(total);
    else if (phase == kSinkWaiting)
        sendPushed(waitingSize_);
}

void CVXLPushToSourceAdapterBase::produceChunk(std::int32_t size)
{
    if (consumedUnreported_) {
        consumedUnreported_ = false;
        // The producer may push its next block or the end from here.
        onPushConsumed();
        if (phase_ == kDataAvailable)
            return sendPushed(size);
    }
    if (endPushed_)
        return sendEnd();
    if (phase_ == kDrained || phase_ == kNotBegun) {
        waitingSize_ = size;
        phase_ = kSinkWaiting;
        return;
    }
    sendPushed(size);
}

void CVXLPushToSourceAdapterBase::sendPushed(std::int32_t size)
{
    const std::uint32_t wanted = size > 0 ? static_cast<std::uint32_t>(size) : remaining_;
    const std::uint32_t n = std::min(remaining_, wanted);
    const std::uint32_t start = pushed_.length() - remaining_;
    sendChunk(n == pushed_.length() ? pushed_ : CVXLByteBuffer(pushed_, start, n));
    remaining_ -= n;
    if (remaining_ == 0) {
        pushed_ = CVXLByteBuffer();
        phase_ = kDrained;
        consumedUnreported_ = true;
    }
}

void CVXLPushToSourceAdapterBase::endOfPush()
{
    if (endPushed_)
        return;
    endPushed_ = true;
    if (phase_ == kSinkWaiting)
        sendEnd();
}

void CVXLPushToSourceAdapterBase::onPushConsumed()
{
}

void CVXLPushToSourceAdapterBase::onSourceFinished(bool)
{
    pushed_ = CVXLByteBuffer();
    remaining_ = 0;
    consumedUnreported_ = false;
    completeSource();
}
