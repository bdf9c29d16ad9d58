#include "engine/messaging/outbound/OutboundQueueManager.h"

#include "engine/core/base/VXLLog.h"
#include "engine/core/jobs/VXLEventCodes.h"
#include "engine/core/jobs/VXLResultCodes.h"
#include "engine/core/jobs/VXLUIRequestCodes.h"
#include "engine/records/VXLInboundRequests.h"

void COutboundQueueManager::postWakeUp()
{
    if (!started_ || wakeUp_.isBusy())
        return;
    post(this, &wakeUp_, true);
}

void COutboundQueueManager::finishWakeUpIfPending()
{
    if (isInProgress(&wakeUp_))
        finishEvent(&wakeUp_);
}

void COutboundQueueManager::onWakeUp(CVXLEvent* event)
{
    bool sentCopyWaiting = false;
    for (CVXLEvent* waiting : deferred_)
        sentCopyWaiting = sentCopyWaiting || waiting->requestCode() == kEventSentCopyReceived;
    const bool idle = submitState_ == kSubmitIdle && sendState_ == kSendIdle && !retryTimer_.isBusy()
        && dataCommAllowed_ && services_ && services_->hasNoActivity() && !sentCopyWaiting
        && !sendRequest_.isBusy() && findSending() < 0;
    if (!idle)
        return finishEvent(event);
    int chosen = -1;
    bool chosenQueued = false;
    std::int32_t chosenPriority = 0;
    for (std::uint32_t i = 0; i < count_; ++i) {
        const COutboundQueueEntry& e = entries_[i];
        const std::uint32_t status = e.status();
        if (status == 1 && !e.displaced) {
            if (!sender_)
                continue;
            if (chosen < 0 || e.summary.priority > chosenPriority) {
                chosen = static_cast<int>(i);
                chosenQueued = true;
                chosenPriority = e.summary.priority;
            }
        } else if (status == 4 || (e.displaced && status != 2) || (status == 3 && !e.toRecipients)) {
            if (chosen < 0 || chosenPriority < 0) {
                chosen = static_cast<int>(i);
                chosenQueued = false;
                chosenPriority = 0;
            }
        }
    }
    if (chosen < 0) {
        if (uploader_) {
            auto* wake = new CVXLEvent(kBackgroundWakeUp, -1);
            if (wake) {
                wake->setReplyWanted(false);
                post(uploader_, wake);
            }
        }
        return finishEvent(event);
    }
    const COutboundQueueEntry& e = entries_[chosen];
    if (chosenQueued)
        return startSend(chosen);
    // The wake-up stays pending until the delete has ended.
    startDelete(e.itemNumber, e.displaced != 0, DeleteCause::WakeUp);
}

void COutboundQueueManager::startSend(int index)
{
    COutboundQueueEntry& e = entries_[index];
    ++e.attempts;
    currentIndex_ = index;
    sendItemNumber_ = e.itemNumber;
    sendState_ = kSendWritingBeforeSend;
    saveState(kReplyStateAfterSend);
}

void COutboundQueueManager::onStateBeforeSend(std::int32_t result)
{
    const int index = findByItemNumber(sendItemNumber_);
    if (result != kResultSucceeded || index < 0) {
        VXL_LOG_FAILURE("outbound queue: %s not written before a send (%d)", kStateFileName, result);
        return endSend(result != kResultSucceeded ? result : kResultFailed, CVXLString(), 0);
    }
    COutboundQueueEntry& e = entries_[index];
    sendRequest_.reset();
    sendRequest_.itemFile = itemFileName(e.itemNumber);
    sendRequest_.audioFile = e.summary.hasVoice ? audioFileName(e.itemNumber) : CVXLString();
    e.sending = 1;
    currentIndex_ = -1;
    sendState_ = kSendIdle;
    refreshCounters();
    finishWakeUpIfPending();
    post(sender_.get(), &sendRequest_);
    runDeferred();
}

void COutboundQueueManager::onSendResult(CVXLEvent* event)
{
    auto* result = static_cast<COutboundSendResult*>(event);
    const int index = findSending();
    const std::int32_t code = event->result();
    const CVXLString text = event->resultText();
    const std::uint8_t permanent = result->permanent;
    finishEvent(event);
    if (index < 0) {
        VXL_LOG_INFO("outbound queue: a send result (%d) for no entry being sent", code);
        return;
    }
    COutboundQueueEntry& e = entries_[index];
    e.sending = 0;
    currentIndex_ = index;
    sendItemNumber_ = e.itemNumber;
    resultCode_ = code;
    resultText_ = text;
    switch (code) {
    case kResultSucceeded:
        // An entry whose delete was asked for while it was sent goes now.
        if ((services_ && services_->deleteSentMessages()) || !e.toRecipients || e.displaced) {
            currentIndex_ = -1;
            return startDelete(e.itemNumber, e.displaced != 0, DeleteCause::SendResult);
        }
        e.sentKept = 1;
        sendState_ = kSendWritingAfterResult;
        saveState(kReplyStateAfterSend);
        currentIndex_ = -1;
        refreshCounters();
        finishWakeUpIfPending();
        return;
    case kResultMediaNotResolved:
        e.attempts = kMaxAttempts;
        sendState_ = kSendWritingAfterFailure;
        return saveState(kReplyStateAfterSend);
    case kResultNetworkNotice:
        e.rejected = 1;
        if (permanent)
            e.attempts = kMaxAttempts;
        sendState_ = kSendWritingAfterRejection;
        return saveState(kReplyStateAfterSend);
    case kResultChoiceDeclined:
        e.attempts = kMaxAttempts;
        e.rejected = 1;
        sendState_ = kSendWritingAfterRejection;
        return saveState(kReplyStateAfterSend);
    default:
        return endSend(code, text, 0);
    }
}

void COutboundQueueManager::onStateAfterResult(std::int32_t result)
{
    if (result != kResultSucceeded)
        VXL_LOG_FAILURE("outbound queue: %s not written after a send (%d)", kStateFileName, result);
    const std::int32_t state = sendState_;
    if (state == kSendWritingAfterFailure)
        return endSend(resultCode_, resultText_, kReasonMediaMissing);
    if (state == kSendWritingAfterRejection)
        return endSend(resultCode_, resultText_, kReasonRefused);
    sendState_ = kSendIdle;
    postWakeUp();
    runDeferred();
}

void COutboundQueueManager::endSend(std::int32_t result, const CVXLString& text, std::uint8_t reason)
{
    currentIndex_ = -1;
    sendState_ = kSendIdle;
    const int index = findByItemNumber(sendItemNumber_);
    if (index >= 0) {
        const COutboundQueueEntry& e = entries_[index];
        if (result == kResultMmsRelayStatus) {
            report(CFailedMessageReport::kKindRelay, e, kReasonRelay, text);
        } else if (reason == kReasonRefused && e.rejected) {
            // A refused message is deleted at the next wake-up: it is
            // reported, or it would vanish without a word.
            report(CFailedMessageReport::kKindOther, e, kReasonRefused, text);
        } else if (!e.rejected && !e.sending && e.attempts >= kMaxAttempts) {
            report(CFailedMessageReport::kKindOther, e, reason ? reason : kReasonAttemptsUsed, text);
        }
    }
    if (services_)
        services_->pushUIRequestCode(kUIRequestOutboxChanged);
    finishWakeUpIfPending();
    if (reason == kReasonMediaMissing || reason == kReasonRefused) {
        ++permanentFailures_;
        postWakeUp();
    } else {
        if (!retryTimer_.isBusy())
            postDelayed(&retryTimer_, kRetryDelayMs);
        ++transientFailures_;
    }
    refreshCounters();
    runDeferred();
}

void COutboundQueueManager::report(
    std::uint8_t kind, const COutboundQueueEntry& e, std::uint8_t reason, const CVXLString& text)
{
    VXL_LOG_INFO(
        "outbound queue: %s not sent (reason %u): \"%s\"", e.summary.messageId.c_str(), reason, text.c_str());
    if (!producer_)
        return;
    auto* report = new CFailedMessageReport;
    if (!report)
        return;
    report->kind = kind;
    report->records.push_back({e.summary.messageId, e.summary.recipients, e.summary.text,
        e.summary.createdTime, e.attempts, reason});
    report->text = text;
    post(producer_, report);
}
