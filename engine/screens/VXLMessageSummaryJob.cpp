#include "engine/screens/VXLMessageSummaryJob.h"

#include "engine/core/base/VXLLog.h"
#include "engine/core/jobs/VXLEventCodes.h"
#include "engine/core/jobs/VXLResultCodes.h"
#include "engine/core/settings/VXLPersKeys.h"
#include "engine/screens/VXLScreenServices.h"

namespace {

constexpr struct {
    std::uint32_t action;
    std::int32_t signal;
} kEventSignals[] = {
    {0x7D, CVXLMessageSummaryJob::kSignalRetrieve},
    {0x84, CVXLMessageSummaryJob::kSignalView},
    {0x6F, CVXLMessageSummaryJob::kSignalDelete},
    {0x70, CVXLMessageSummaryJob::kSignalFollowUrl},
    {kLayoutActionBack, CVXLMessageSummaryJob::kSignalKeyBack},
    {kLayoutActionExit, CVXLMessageSummaryJob::kSignalKeyExit},
};

// An arrival names the store's box of the message: the premium inbox's
// messages are in box 2 (the premium location's value is 4).
constexpr std::uint32_t kPremiumStoreBox = 2;

// The summary box that holds a stored message of any kind.
constexpr std::uint32_t kAnyStoredKind = 5;

} // namespace

CVXLMessageSummaryJob::CVXLMessageSummaryJob()
    : CVXLUiJob(&CVXLMessageSummaryJob::Initial, kFirstExternalCode)
{
    summaryRequest_.setReplyCode(kReplySummary);
    key_.setHeapAllocated(false);
}

CVXLMessageSummaryJob::~CVXLMessageSummaryJob() = default;

void CVXLMessageSummaryJob::init()
{
    CVXLUiJob::init();
    layout_.setOwner(this);
    layout_.setState(0);
    layout_.setCurrentElement(nullptr);
    messageId_ = CVXLString();
    kind_ = 0;
    consent_ = nullptr;
    if (services())
        services()->wireMessageService(service_);
}

std::int32_t CVXLMessageSummaryJob::onFinished()
{
    // A stop answers the held event too: it must not wait for ever.
    answerConsent(kDecisionNotNow);
    const std::int32_t state = CVXLUiJob::onFinished();
    layout_.setCurrentElement(nullptr);
    return state;
}

void CVXLMessageSummaryJob::onLayoutAction(std::uint32_t eventId)
{
    for (const auto& entry : kEventSignals) {
        if (layoutEventId(kLayoutMessageSummary, entry.action) != eventId)
            continue;
        // While the consent event is held, nothing else comes in: the key
        // goes through the job's own queue.
        if (consent_ && !key_.isBusy()) {
            key_.setRequestCode(kOwnOffset + entry.signal);
            key_.setReplyCode(kOwnOffset + entry.signal);
            post(this, &key_);
        } else {
            postSignal(entry.signal);
        }
        return;
    }
}

void CVXLMessageSummaryJob::onUiRequest(std::int32_t code)
{
    if (!isActive())
        return;
    // Through the job's own queue: they must reach it while its progress
    // child runs.
    if (code == kUiProgressStart)
        postSignal(kOwnOffset + kSignalUiProgressStart);
    else if (code == kUiProgress)
        postSignal(kOwnOffset + kSignalUiProgress);
    else if (code == kUiPushHandled)
        postSignal(kOwnOffset + kSignalPushHandled);
}

// The engine's events come below the job's first external code from
// outside the job's tree: the machine takes them here, and the consent
// event stays unanswered while the user is asked.
void CVXLMessageSummaryJob::onEvent(CVXLEvent* event)
{
    const std::int32_t code = event->effectiveCode();
    const bool engineEvent = event->kind() != kEventReply && event->source() != this
        && (code == kEventNamedMessage || code == kEventArrived || code == kEventConsent
            || code == kEventPushHandled);
    if (engineEvent) {
        inHand_ = event;
        dispatch(event);
        inHand_ = nullptr;
        if (event != consent_)
            finishEvent(event);
        return;
    }
    if (event->source() == this && code >= kOwnOffset) {
        const CVXLSimpleEvent signal(code - kOwnOffset);
        dispatch(&signal);
        finishEvent(event);
        return;
    }
    if (filterEvent(event) != 0)
        return;
    if (event->kind() == kEventReply && (code == kReplySummary || code == kReplyDelete))
        dispatch(event);
    finishEvent(event);
}

void CVXLMessageSummaryJob::answerConsent(std::uint32_t decision)
{
    CMessageDecisionEvent* pending = consent_;
    consent_ = nullptr;
    if (!pending)
        return;
    pending->decision = decision;
    pending->setResult(kResultSucceeded);
    // The event being handled is finished by onEvent.
    if (pending != inHand_)
        finishEvent(pending);
}

void CVXLMessageSummaryJob::fetchSummary(const CVXLString& messageId, std::uint32_t kind)
{
    messageId_ = messageId;
    kind_ = kind;
    layout_.setState(1);
    ids_.clear();
    ids_.insertAt(messageId, -1);
    summaryRequest_.kind = kAnyStoredKind;
    summaryRequest_.idArray = &ids_;
    summaryRequest_.summaries = &summary_;
    summaryRequest_.size = 1;
    summaryRequest_.start = 0;
    summaryRequest_.count = 0;
    summaryRequest_.total = 0;
    CVXLEventHandler* inbound = services() ? services()->inboundManager() : nullptr;
    if (inbound)
        post(inbound, &summaryRequest_);
    else
        VXL_LOG_INFO("message summary: no inbound manager for %s", messageId.c_str());
}

void CVXLMessageSummaryJob::stopChildScreen()
{
    CVXLUiJob* child = currentChild();
    if (!child || child->stopRequested())
        return;
    child->releaseLayout();
    child->stop();
}

CVXLHsmState CVXLMessageSummaryJob::finish(std::int32_t result, bool release)
{
    if (release)
        releaseLayout();
    notifyOwner(result);
    return transition(&CVXLMessageSummaryJob::Done);
}

CVXLHsmState CVXLMessageSummaryJob::Initial(const CVXLEvent*)
{
    setState(&CVXLMessageSummaryJob::Top);
    return handled();
}

CVXLHsmState CVXLMessageSummaryJob::Top(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalInit:
        startChild(&service_);
        setState(&CVXLMessageSummaryJob::Idle);
        return handled();
    case kEventPushHandled:
        return handled();
    case kSignalKeyBack:
        return finish(kEndBack);
    case kSignalKeyExit:
        return finish(kEndExit);
    }
    return super(&CVXLHsm::top);
}

CVXLHsmState CVXLMessageSummaryJob::Idle(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kEventArrived: {
        const auto* arrived = dynamic_cast<const CMessageArrivedEvent*>(e);
        fetchSummary(arrived ? arrived->messageId : CVXLString(),
            arrived ? static_cast<std::uint32_t>(arrived->value()) : 0);
        return transition(&CVXLMessageSummaryJob::Fetching);
    }
    case kEventNamedMessage:
        fetchSummary(services() ? services()->eventText(*e) : CVXLString(), 0);
        return transition(&CVXLMessageSummaryJob::Fetching);
    case kEventConsent: {
        auto* consent = dynamic_cast<CMessageDecisionEvent*>(const_cast<CVXLEvent*>(e));
        if (!consent) {
            // Nothing waits for an answer: the program must not wait either.
            VXL_LOG_FAILURE("message summary: data charge notice without a decision to take, ended");
            return finish(kEndDone, false);
        }
        layout_.setState(2);
        CVXLByteBuffer bytes;
        if (consent->pushedData && consent->pushedLength)
            bytes.append(consent->pushedData, consent->pushedLength);
        layout_.setSummary(bytes);
        consent_ = consent;
        if (configNumber(kConfigAskBeforeCharge, 0) == 0) {
            answerConsent(kDecisionRetrieve);
            return finish(kEndDone, false);
        }
        layout_.setCurrentElement(consent->summary);
        showLayout();
        return transition(&CVXLMessageSummaryJob::Consent);
    }
    }
    return super(&CVXLMessageSummaryJob::Top);
}

CVXLHsmState CVXLMessageSummaryJob::Fetching(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kReplySummary:
        if (!e->succeeded() || summaryRequest_.count == 0) {
            showEventError(*e);
            return transition(&CVXLMessageSummaryJob::NoticeShown);
        }
        layout_.setCurrentElement(&summary_);
        setProperty(kPropertySummary, CVXLVariant(static_cast<const void*>(&summary_)));
        showLayout();
        return transition(&CVXLMessageSummaryJob::Summary);
    }
    return super(&CVXLMessageSummaryJob::Top);
}

CVXLHsmState CVXLMessageSummaryJob::Summary(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalView:
        releaseLayout();
        notifyOwner(kind_ == 4 || kind_ == kPremiumStoreBox ? kEndViewPremium : kEndViewInbox);
        return transition(&CVXLMessageSummaryJob::WaitingForProgram);
    case kSignalDelete:
        startChild43();
        deleteRequest_.text = messageId_;
        deleteRequest_.key = CVXLString();
        post(&service_, &deleteRequest_);
        return transition(&CVXLMessageSummaryJob::Deleting);
    case kSignalFollowUrl:
        return handled();
    }
    return super(&CVXLMessageSummaryJob::Top);
}

CVXLHsmState CVXLMessageSummaryJob::WaitingForProgram(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalGoOn:
    case kSignalCancelled:
        showLayout();
        return transition(&CVXLMessageSummaryJob::Summary);
    }
    return super(&CVXLMessageSummaryJob::Top);
}

CVXLHsmState CVXLMessageSummaryJob::Deleting(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kReplyDelete:
        stopChildScreen();
        releaseLayout();
        if (e->succeeded())
            showInfo(kNoticeDeleted, 0, 1);
        else
            showEventError(*e);
        return transition(&CVXLMessageSummaryJob::NoticeShown);
    case kChildBack:
    case kChildCancel:
    case kChildExit:
        // The delete is out; its answer is awaited.
        return handled();
    }
    return super(&CVXLMessageSummaryJob::Top);
}

CVXLHsmState CVXLMessageSummaryJob::NoticeShown(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kChildContinue:
    case kChildBack:
    case kChildCancel:
        return finish(kEndBack, false);
    case kChildExit:
        return finish(kEndExit, false);
    }
    return super(&CVXLMessageSummaryJob::Top);
}

CVXLHsmState CVXLMessageSummaryJob::Consent(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalRetrieve:
        releaseLayout();
        answerConsent(kDecisionRetrieve);
        return transition(&CVXLMessageSummaryJob::Retrieving);
    case kSignalKeyBack:
    case kSignalKeyExit:
        answerConsent(kDecisionNotNow);
        return finish(kEndDone);
    }
    return super(&CVXLMessageSummaryJob::Top);
}

CVXLHsmState CVXLMessageSummaryJob::Retrieving(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry:
        progressShown_ = false;
        startChild43();
        return handled();
    case kSignalUiProgress:
        // The bar takes the spinner's place once the fetch has begun.
        if (!progressShown_) {
            progressShown_ = true;
            stopChildScreen();
            showProgress(3, kPersProgressCurrent, kPersProgressTotal, true);
        }
        return handled();
    case kSignalPushHandled:
        // The push held for the user's consent is the one in hand until its
        // message is fetched: its end is the end of the fetch.
        stopChildScreen();
        return finish(kEndDone, false);
    case kChildBack:
    case kChildCancel:
    case kChildExit:
        // The spinner or bar only reports the key: it leaves the screen
        // when the job stops it.
        stopChildScreen();
        if (services())
            services()->pushUIRequestCode(kUiRequestBack);
        return finish(kEndDone, false);
    }
    return super(&CVXLMessageSummaryJob::Top);
}

CVXLHsmState CVXLMessageSummaryJob::Done(const CVXLEvent* e)
{
    if (signalOf(e) == kSignalEntry) {
        stop();
        return handled();
    }
    return super(&CVXLHsm::top);
}
