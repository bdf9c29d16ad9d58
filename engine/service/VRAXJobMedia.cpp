#include "engine/service/VRAXJob.h"

#include "engine/core/base/VXLLog.h"
#include "engine/core/jobs/VXLResultCodes.h"
#include "engine/service/VRAXJobRequest.h"
#include "engine/transport/http/VXLHttpBodyData.h"

CVXLHsmState CVRAXJob::AwaitMediaReply(const CVXLEvent* e)
{
    CVXLHsmState answer;
    if (!replyStep(e, mediaReply_, &answer))
        return answer;
    batch_->cursor = 0;
    return transition(&CVRAXJob::ReadMediaPart);
}

CVXLHsmState CVRAXJob::ReadMediaPart(const CVXLEvent* e)
{
    if (signalOf(e) == kSignalEntry) {
        ring_.postSignal(kSigGo);
        return handled();
    }
    return mediaPartStep(e, &CVRAXJob::readMediaPart);
}

CVXLHsmState CVRAXJob::DeliverMediaBytes(const CVXLEvent* e)
{
    return mediaPartStep(e, &CVRAXJob::deliverMediaBytes);
}

// The reply data may end while a slot takes its bytes: what is left in the
// receive buffer is read after the slot's answer.
CVXLHsmState CVRAXJob::AwaitSinkWrite(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kReplyPushWrite:
    case kSigSkip:
        return afterSinkWrite();
    case kSigFailure:
        // A broken exchange shows once the bytes already here are used up.
        if (httpEnded_ && e->result() != kResultCancelled)
            return handled();
        return fail(e->result());
    case kSigHttpDone:
    case kEventHttpBodyData:
        return handled();
    case kEventStop:
    case kEventCancelNotice:
        return transition(&CVRAXJob::StopAfterReply);
    }
    return super(&CVRAXJob::Exchange);
}

CVXLHsmState CVRAXJob::NextMediaPart(const CVXLEvent* e)
{
    return mediaPartStep(e, &CVRAXJob::nextMediaPart);
}

// The headers of the next media part, then the slot it belongs to: the
// slots are searched once from the cursor.
CVXLHsmState CVRAXJob::readMediaPart()
{
    const std::int32_t step = replyPart_.step();
    if (step == CVRAXReplyPart::kNeedMore)
        return needMoreReply(dataEnded_ || !httpInProgress());
    if (step != CVRAXReplyPart::kPartRead || replyPart_.isVraxDocument())
        return fail(kResultVraxFraming);
    transferRemaining_ = replyPart_.contentLength();
    sinkWrite_.expectedTotal = static_cast<std::int32_t>(transferRemaining_);
    const std::int32_t count = batch_->slotCount();
    if (batch_->cursor < 0 || batch_->cursor >= count)
        batch_->cursor = 0;
    batch_->mark = -1;
    for (std::int32_t looked = 0; looked < count && batch_->mark < 0; ++looked) {
        const std::int32_t slot = batch_->cursor;
        batch_->cursor = slot + 1 >= count ? 0 : slot + 1;
        if (batch_->slots[slot].target && batch_->slots[slot].contentId == replyPart_.contentId())
            batch_->mark = slot;
    }
    if (batch_->mark < 0) {
        VXL_LOG_INFO(
            "VRAX job: a media part \"%s\" matches no item of the batch", replyPart_.contentId().c_str());
        return fail(kResultMissingItem);
    }
    return deliverMediaBytes();
}

// Hands what has arrived of the part to its slot, or drops it for a slot
// whose reader has gone.
CVXLHsmState CVRAXJob::deliverMediaBytes()
{
    sinkBuffer_.clear();
    const CVXLScanResult taken = replyPart_.takeContent(sinkBuffer_);
    if (taken == CVXLScanResult::Malformed)
        return fail(kResultVraxFraming);
    if (sinkBuffer_.length() > transferRemaining_)
        sinkBuffer_.truncate(transferRemaining_);
    transferRemaining_ -= sinkBuffer_.length();
    if (sinkBuffer_.length() == 0 && transferRemaining_ != 0) {
        if (dataEnded_ || !httpInProgress())
            return fail(kResultVraxReplyCut);
        return transition(&CVRAXJob::DeliverMediaBytes);
    }
    CVRAXFetchBatch::Slot& slot = batch_->slots[batch_->mark];
    if (!slot.target) {
        VXL_LOG_INFO("VRAX job: the slot of media part \"%s\" is gone", replyPart_.contentId().c_str());
        return fail(kResultMissingItem);
    }
    if (!slot.opened || sinkBuffer_.length() == 0) {
        if (!slot.opened && batch_->allIdle)
            return cancel();
        ring_.postSignal(kSigSkip);
        return transition(&CVRAXJob::AwaitSinkWrite);
    }
    sinkWrite_.setResult(kResultSucceeded);
    post(slot.target, &sinkWrite_);
    return transition(&CVRAXJob::AwaitSinkWrite);
}

CVXLHsmState CVRAXJob::afterSinkWrite()
{
    if (transferRemaining_ != 0) {
        if (receiveBuffer_.length() != 0)
            ring_.postSignal(kSigGo);
        else if (dataEnded_ || !httpInProgress())
            return fail(kResultVraxReplyCut);
        return transition(&CVRAXJob::DeliverMediaBytes);
    }
    CVRAXFetchBatch::Slot& slot = batch_->slots[batch_->mark];
    if (slot.target && !slot.done && !fetchOver_[batch_->mark].isBusy()) {
        slot.done = true;
        fetchOver_[batch_->mark].setResult(kResultSucceeded);
        post(slot.target, &fetchOver_[batch_->mark]);
    }
    ring_.postSignal(kSigGo);
    return transition(&CVRAXJob::NextMediaPart);
}

// Another part is read; the closing boundary, or the end of the data, leaves
// the items that did not come cancelled.
CVXLHsmState CVRAXJob::nextMediaPart()
{
    switch (replyPart_.peekBoundary()) {
    case 0:
        replyPart_.reset();
        return transition(&CVRAXJob::ReadMediaPart);
    case 2:
        if (!dataEnded_ && httpInProgress())
            return handled();
        break;
    default:
        break;
    }
    endFetches(kResultCancelled);
    return go(operations_[currentOperation_].completion);
}

// Runs the reading step of a media part on new data or a go signal, and on
// the end of the exchange, well or not: the bytes received then decide, so a
// reply cut inside a part fails with kResultVraxReplyCut.
CVXLHsmState CVRAXJob::mediaPartStep(const CVXLEvent* e, CVXLHsmState (CVRAXJob::*step)())
{
    switch (signalOf(e)) {
    case kSigGo:
    case kEventHttpBodyData:
        return (this->*step)();
    case kSigFailure:
        if (!httpEnded_ || e->result() == kResultCancelled)
            break;
        [[fallthrough]];
    case kSigHttpDone:
        dataEnded_ = true;
        return (this->*step)();
    }
    return super(&CVRAXJob::Receiving);
}

void CVRAXJob::endFetches(std::int32_t result)
{
    if (!batch_)
        return;
    for (std::int32_t i = 0; i < batch_->slotCount(); ++i) {
        CVRAXFetchBatch::Slot& slot = batch_->slots[i];
        if (!slot.target || slot.done || fetchOver_[i].isBusy())
            continue;
        slot.done = true;
        fetchOver_[i].setResult(result);
        post(slot.target, &fetchOver_[i]);
    }
}
