#include "engine/transfer/VXLOemXferDestSink.h"

#include "engine/core/jobs/VXLResultCodes.h"

CVXLOemXferDestSink::CVXLOemXferDestSink()
    : callback_(this, kBeginAnswered)
{
}

CVXLOemXferDestSink::~CVXLOemXferDestSink()
{
    forgetDestination();
}

void CVXLOemXferDestSink::onEvent(CVXLEvent* event)
{
    switch (event->effectiveCode()) {
    case kBeginAnswered: {
        const bool ready = event->result() == kResultSucceeded;
        finishEvent(event);
        if (cancelled_)
            return completeBegin(false, -1, kResultCancelled);
        return completeBegin(ready, ready && outside_ ? outside_->getMaxSize() : -1);
    }
    case kOfferAgain:
        finishEvent(event);
        if (chunkPending_)
            offer();
        return;
    default:
        CVXLXferJobBase::onEvent(event);
    }
}

void CVXLOemXferDestSink::restart()
{
    forgetDestination();
    cancelled_ = false;
    chunk_ = CVXLByteBuffer();
    offset_ = 0;
    chunkPending_ = false;
}

void CVXLOemXferDestSink::onBegin(std::int32_t total)
{
    if (cancelled_ || !outside_)
        return completeBegin(false, -1, cancelled_ ? kResultCancelled : kResultFailed);
    outside_->beginTransfer(total, &callback_);
}

void CVXLOemXferDestSink::onData(const CVXLByteBuffer& buffer)
{
    if (cancelled_ || !outside_)
        return completeData(false, cancelled_ ? kResultCancelled : kResultFailed);
    if (buffer.length() == 0)
        return completeData(true);
    chunk_ = buffer;
    offset_ = 0;
    chunkPending_ = true;
    offer();
}

void CVXLOemXferDestSink::onEnd(bool)
{
    completeSink(kResultSucceeded, CVXLString());
    forgetDestination();
}

void CVXLOemXferDestSink::cancelTransfer()
{
    cancelled_ = true;
    completeBegin(false, -1, kResultCancelled);
    if (chunkPending_)
        endChunk(false, kResultCancelled);
}

// A destination that consumes part of the chunk inside writeData is offered
// the rest by this loop, not by a nested call, so a small consumer never
// builds a deep stack.
void CVXLOemXferDestSink::offer()
{
    do {
        offerAgainNow_ = false;
        offering_ = true;
        outside_->writeData(this);
        offering_ = false;
    } while (offerAgainNow_ && chunkPending_ && outside_);
}

const std::uint8_t* CVXLOemXferDestSink::getData()
{
    return chunkPending_ ? chunk_.data() + offset_ : nullptr;
}

std::uint32_t CVXLOemXferDestSink::getLength()
{
    return chunkPending_ ? chunk_.length() - offset_ : 0;
}

void CVXLOemXferDestSink::consume(std::uint32_t count, std::uint32_t error)
{
    if (!chunkPending_)
        return;
    if (error != 0 || count >= chunk_.length() - offset_)
        return endChunk(error == 0, kResultFailed);
    offset_ += count;
    // Nothing taken: the rest is offered on a later step, so the engine
    // keeps stepping while the destination is not ready.
    if (count == 0) {
        if (!offerAgain_.isBusy())
            post(this, &offerAgain_);
        return;
    }
    if (offering_)
        offerAgainNow_ = true;
    else
        offer();
}

void CVXLOemXferDestSink::endChunk(bool success, std::int32_t failCode)
{
    chunkPending_ = false;
    chunk_ = CVXLByteBuffer();
    offset_ = 0;
    completeData(success, failCode);
}

void CVXLOemXferDestSink::forgetDestination()
{
    if (CVXLOemXferDestination* destination = outside_) {
        outside_ = nullptr;
        destination->endTransfer();
    }
}
