#include "engine/messaging/store/MessageExpirationJob.h"

#include "engine/core/base/VXLLog.h"
#include "engine/core/jobs/VXLEventCodes.h"
#include "engine/core/jobs/VXLResultCodes.h"
#include "engine/messaging/store/MessageStoreManager.h"
#include "engine/messaging/store/VXLMessageSummary.h"

namespace {

constexpr std::uint32_t kInbox = 0;
constexpr std::uint32_t kPremiumBox = 2;

} // namespace

CMessageExpirationJob::CMessageExpirationJob()
{
    timer_.setHeapAllocated(false);
    readRequest_.setHeapAllocated(false);
    deleteRequest_.setHeapAllocated(false);
    // The summary segment holds both expiries.
    readRequest_.mode = 1;
}

void CMessageExpirationJob::onEvent(CVXLEvent* event)
{
    if (event->kind() == kEventReply) {
        switch (event->replyCode()) {
        case kReplyRead:
            return onRead(event);
        case kReplyDeleted:
            return onDeleted(event);
        default:
            return finishEvent(event);
        }
    }
    switch (event->requestCode()) {
    case kEventStart:
        postDelayed(&timer_, kFirstRunMs);
        return finishEvent(event);
    case kEventStop:
        if (store_)
            cancelEventsWith(store_);
        cancelEvent(&timer_);
        if (timer_.isBusy())
            finishEvent(&timer_);
        return finishEvent(event);
    case kEventCancelNotice:
        // The pass under way ends; the next begins after the usual wait.
        if (store_ && cancelEventsWith(store_) != 0 && timer_.isBusy())
            rearm(kBusyRetryMs);
        return finishEvent(event);
    case kEventTimer:
        return onTimer();
    default:
        return finishEvent(event);
    }
}

void CMessageExpirationJob::rearm(std::uint32_t delay)
{
    finishEvent(&timer_);
    postDelayed(&timer_, delay);
}

void CMessageExpirationJob::onTimer()
{
    if (!producerIdle())
        return rearm(kBusyRetryMs);
    if (!store_ || !store_->startCompleted())
        return rearm(kStoreWaitMs);
    pass_.clear();
    for (std::uint32_t box : {kInbox, kPremiumBox}) {
        for (std::uint32_t i = 0, n = store_->boxCount(box); i < n; ++i)
            pass_.insertAt(store_->boxIdAt(box, i), -1);
    }
    index_ = 0;
    nextMessage();
}

void CMessageExpirationJob::nextMessage()
{
    if (index_ >= pass_.count())
        return rearm(kPassIntervalMs);
    readRequest_.read.messageId = pass_.at(static_cast<int>(index_));
    post(store_, &readRequest_);
}

void CMessageExpirationJob::onRead(CVXLEvent* reply)
{
    const std::int32_t result = reply->result();
    const std::uint32_t expiry
        = result == kResultSucceeded ? CVXLMessageSummary::expiryOf(readRequest_.read.summary) : 0;
    const CVXLString id = readRequest_.read.messageId;
    finishEvent(reply);
    if (!timer_.isBusy())
        return;
    if (result == kResultNotificationBusy)
        return rearm(kBusyRetryMs);
    if (result != kResultSucceeded)
        VXL_LOG_INFO("expiration: %s not read (%d), passed over", id.c_str(), result);
    // An expiry of 0 is none.
    const std::uint32_t now = services_ ? services_->nowSeconds() : 0;
    if (expiry != 0 && expiry < now) {
        VXL_LOG_INFO("expiration: %s expired at %u, deleted", id.c_str(), expiry);
        deleteRequest_.messageId = id;
        return post(store_, &deleteRequest_);
    }
    advance();
}

// Whatever its result: the pass goes on.
void CMessageExpirationJob::onDeleted(CVXLEvent* reply)
{
    finishEvent(reply);
    if (timer_.isBusy())
        advance();
}

void CMessageExpirationJob::advance()
{
    if (!producerIdle())
        return rearm(kBusyRetryMs);
    ++index_;
    nextMessage();
}
