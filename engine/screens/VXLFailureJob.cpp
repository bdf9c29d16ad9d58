#include "engine/screens/VXLFailureJob.h"

#include "engine/core/base/VXLLog.h"
#include "engine/core/jobs/VXLResultCodes.h"
#include "engine/messaging/outbound/OutboundQueueManager.h"
#include "engine/records/FailedMessageReport.h"

void CVXLFailureJob::copyFailure(const CVXLEvent* failed)
{
    code_ = failed ? failed->result() : kResultFailed;
    text_ = failed ? failed->resultText() : CVXLString();
    ids_.clear();
    if (const auto* report = dynamic_cast<const CFailedMessageReport*>(failed)) {
        for (const CFailedMessageRecord& record : report->records)
            ids_.push_back(record.messageId);
        if (text_.length() == 0)
            text_ = report->text;
        // The report's own result is success: the first message's reason is
        // the error it shows.
        if (code_ == kResultSucceeded && !report->records.empty())
            code_ = report->records.front().reason;
    }
}

void CVXLFailureJob::onStart()
{
    walk_ = Walk::None;
    refused_ = false;
    position_ = 0;
    copyFailure(static_cast<const CVXLEvent*>(
        dynamic_cast<CVXLEvent*>(static_cast<CVXLObject*>(property(kPropertyEvent).reference()))));
    layout_.setErrorCode(static_cast<std::uint32_t>(code_));
    if (text_.length() > 0)
        layout_.setErrorText(text_);
    layout_.setState(kLayoutState);
    present(&layout_);
}

void CVXLFailureJob::onLayoutAction(std::uint32_t eventId)
{
    if (walk_ != Walk::None || refused_)
        return;
    switch (eventId & 0xFFFFu) {
    case kLayoutActionBack:
        endWith(kEndBack);
        return;
    case kLayoutActionExit:
        endWith(kEndExit);
        return;
    case kLayoutActionContinue:
        if (!retry_) {
            endWith(kEndBack);
            return;
        }
        if (ids_.empty()) {
            endWith(kEndExit);
            return;
        }
        startWalk(Walk::Resend);
        return;
    case kLayoutActionCancel: {
        CVXLScreenServices* screen = services();
        if (!screen || !screen->configOption53()) {
            endWith(kEndBack);
            return;
        }
        if (ids_.empty()) {
            endWith(kEndExit);
            return;
        }
        startWalk(Walk::Delete);
        return;
    }
    default:
        return;
    }
}

void CVXLFailureJob::startWalk(Walk walk)
{
    walk_ = walk;
    position_ = 0;
    postCurrent();
}

void CVXLFailureJob::postCurrent()
{
    CVXLScreenServices* screen = services();
    COutboundQueueManager* queue = screen ? screen->outboundQueue() : nullptr;
    if (!queue) {
        VXL_LOG_INFO("failure job: no outbound queue");
        walk_ = Walk::None;
        refused_ = true;
        showError(kResultFailed);
        return;
    }
    if (walk_ == Walk::Resend) {
        resend_.messageId = ids_[position_];
        post(queue, &resend_);
    } else {
        delete_.messageId = ids_[position_];
        delete_.displaced = 0;
        post(queue, &delete_);
    }
}

void CVXLFailureJob::onReply(CVXLEvent* reply)
{
    const bool ok = reply->succeeded();
    finishEvent(reply);
    if ((reply != &resend_ && reply != &delete_) || walk_ == Walk::None)
        return;
    if (!ok) {
        VXL_LOG_INFO("failure job: %s of \"%s\" refused (%d)", walk_ == Walk::Resend ? "resend" : "delete",
            ids_[position_].c_str(), reply->result());
        walk_ = Walk::None;
        refused_ = true;
        showEventError(*reply);
        return;
    }
    if (++position_ < ids_.size()) {
        postCurrent();
        return;
    }
    const Walk walk = walk_;
    walk_ = Walk::None;
    endWith(walk == Walk::Resend ? kEndDone : kEndExit);
}

void CVXLFailureJob::onSignal(std::int32_t signal)
{
    if (!refused_ || signal < kChildContinue || signal > kChildExit)
        return;
    refused_ = false;
    endWith(signal == kChildExit ? kEndExit : kEndBack);
}

bool CVXLFailureJob::onStop()
{
    ids_.clear();
    walk_ = Walk::None;
    return false;
}
