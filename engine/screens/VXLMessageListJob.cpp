#include "engine/screens/VXLMessageListJob.h"

#include "engine/core/base/VXLLog.h"
#include "engine/core/jobs/VXLEventCodes.h"
#include "engine/core/jobs/VXLResultCodes.h"
#include "engine/messaging/outbound/OutboundQueueManager.h"
#include "engine/messaging/premium/PremiumInboxManager.h"
#include "engine/messaging/store/VXLAddressee.h"
#include "engine/messaging/store/VXLMessageSummary.h"
#include "engine/messaging/threads/VXLThreadDB.h"
#include "engine/messaging/threads/VXLThreadEntry.h"
#include "engine/screens/VXLContactListElement.h"
#include "engine/screens/VXLScreenServices.h"

namespace {

// Private signals of the job's own steps.
constexpr std::int32_t kSignalNothingToLoad = 14;
constexpr std::int32_t kSignalClosed = 22;

bool isPending(const CVXLMessageSummary& record)
{
    const std::uint32_t box = CVXLLayoutMessageList::boxTypeOf(record);
    return box >= 3 && box <= 5;
}

// The layout's events and the signals the job posts for them.
constexpr CVXLUiJob::ActionSignal kEventSignals[] = {
    {CVXLLayoutMessageList::kAssignMedia, CVXLMessageListJob::kSignalAssignMedia},
    {CVXLLayoutMessageList::kDelete, CVXLMessageListJob::kSignalDelete},
    {CVXLLayoutMessageList::kDeleteAll, CVXLMessageListJob::kSignalDeleteAll},
    {CVXLLayoutMessageList::kForward, CVXLMessageListJob::kSignalForward},
    {CVXLLayoutMessageList::kPrintMedia, CVXLMessageListJob::kSignalPrintMedia},
    {CVXLLayoutMessageList::kReply, CVXLMessageListJob::kSignalReply},
    {CVXLLayoutMessageList::kReplyAll, CVXLMessageListJob::kSignalReplyAll},
    {CVXLLayoutMessageList::kReplyToThread, CVXLMessageListJob::kSignalReplyToThread},
    {CVXLLayoutMessageList::kResend, CVXLMessageListJob::kSignalResend},
    {CVXLLayoutMessageList::kSaveMedia, CVXLMessageListJob::kSignalSaveMedia},
    {CVXLLayoutMessageList::kSaveMessage, CVXLMessageListJob::kSignalSaveMessage},
    {kLayoutActionUpdate, CVXLMessageListJob::kSignalUpdate},
    {CVXLLayoutMessageList::kView, CVXLMessageListJob::kSignalView},
    {CVXLLayoutMessageList::kViewMedia, CVXLMessageListJob::kSignalViewMedia},
    {kLayoutActionBack, CVXLMessageListJob::kSignalKeyBack},
    {kLayoutActionExit, CVXLMessageListJob::kSignalKeyExit},
};

void addRecipient(CVXLContactListElement& contacts, std::int32_t kind, const CVXLString& address,
    const CVXLString& displayName)
{
    if (CVXLAddressee* entry = contacts.addNew())
        entry->set(kind, address, displayName);
}

} // namespace

CVXLMessageListJob::CVXLMessageListJob(int typeId, std::uint32_t listMode, std::uint32_t startState)
    : CVXLUiJob(&CVXLMessageListJob::Initial, kFirstExternalCode)
    , typeId_(typeId)
    , listMode_(listMode)
    , startState_(startState)
{
}

CVXLMessageListJob::~CVXLMessageListJob() = default;

void CVXLMessageListJob::init()
{
    CVXLUiJob::init();
    layout_.releaseRecords();
    layout_.setOwner(this);
    layout_.setState(startState_);
    layout_.setMode(listMode_);
    layout_.reset();
    layout_.setMessageCount(0);
    layout_.setThreadTitle(CVXLString());
    refreshPending_ = 0;
    spinnerShown_ = false;
    endResult_ = kEndBack;
    pendingId_ = CVXLString();
    threadId_ = CVXLString();
    if (services())
        services()->wireMessageService(service_);
    if (startState_ != CVXLLayoutMessageList::kThreadState)
        return;
    // The newest messages of the thread are at its end.
    threadId_ = property(kPropertyThread).toString();
    CVXLThreadDB* threads = services() ? services()->threadDB() : nullptr;
    const CVXLThreadEntry* thread = threads ? threads->findThread(threadId_) : nullptr;
    if (thread) {
        const std::int32_t length = layout_.list().length();
        const std::int32_t first = static_cast<std::int32_t>(thread->messages.count()) - length;
        layout_.list().setWindow(first > 0 ? first : 0, length);
        layout_.list().clear();
    }
}

std::int32_t CVXLMessageListJob::onFinished()
{
    const std::int32_t state = CVXLUiJob::onFinished();
    layout_.releaseRecords();
    return state;
}

void CVXLMessageListJob::onLayoutAction(std::uint32_t eventId)
{
    postActionSignal(kLayoutMessageList, eventId, kEventSignals);
}

void CVXLMessageListJob::onUiRequest(std::int32_t code)
{
    if (!isActive())
        return;
    const bool pendingList = startState_ == CVXLLayoutMessageList::kPendingState;
    if (pendingList ? code == kUiOutboxChanged && !isIn(&CVXLMessageListJob::Loading)
                    : code == kUiMessagesChanged || code == kUiMessagesChanged2)
        postSignal(kSignalReload);
}

void CVXLMessageListJob::onEvent(CVXLEvent* event)
{
    if (filterEvent(event) != 0)
        return;
    const std::int32_t code = event->effectiveCode();
    if (event->kind() == kEventReply) {
        const CVXLSimpleEvent success(kSignalSucceeded);
        const CVXLSimpleEvent failure(kSignalFailed);
        switch (code) {
        case kReplyList:
            // A failed window is Back.
            if (event->succeeded())
                dispatch(&success);
            else
                postSignal(kSignalKeyBack);
            break;
        case kReplyBack:
            postSignal(kSignalKeyBack);
            break;
        case kReplyDelete:
        case kReplySave:
        case kReplyResend:
        case kReplyForward:
            if (!event->succeeded())
                VXL_LOG_INFO("message list %d: request answered %d", typeId_, event->result());
            dispatch(event->succeeded() ? &success : &failure);
            break;
        default:
            break;
        }
    } else if (code == kTimerWaiting) {
        dispatch(event);
    }
    finishEvent(event);
}

// ---------------------------------------------------------------- helpers

CVXLEventHandler* CVXLMessageListJob::requestTarget()
{
    switch (layout_.state()) {
    case CVXLLayoutMessageList::kPendingState:
        return services() ? services()->outboundQueue() : nullptr;
    case CVXLLayoutMessageList::kPremiumState:
        return services() ? services()->premiumInbox() : nullptr;
    default:
        return &service_;
    }
}

bool CVXLMessageListJob::postReload()
{
    layout_.releaseRecords();
    layout_.setLoading(true);
    CVXLListModel& list = layout_.list();
    if (list.length() <= 0)
        return false;
    list.clear();
    CVXLMessageSummary* records = layout_.records();
    CVXLEventHandler* target = requestTarget();
    if (!records || !target) {
        VXL_LOG_INFO(
            "message list %d: no %s for the window", typeId_, records ? "request target" : "records");
        return false;
    }
    const auto first = static_cast<std::uint32_t>(list.first() > 0 ? list.first() : 0);
    const std::uint32_t length = layout_.recordCount();
    switch (layout_.state()) {
    case CVXLLayoutMessageList::kThreadState:
        threadRequest_.results.clear();
        threadRequest_.setTarget(records);
        threadRequest_.start = first;
        threadRequest_.size = length;
        threadRequest_.total = 0;
        threadRequest_.threadAddress = threadId_;
        threadRequest_.displayAddress = CVXLString();
        post(target, &threadRequest_);
        return true;
    case CVXLLayoutMessageList::kPendingState:
        outboxRequest_.offset = first;
        outboxRequest_.window = length;
        outboxRequest_.records.clear();
        for (std::uint32_t i = 0; i < length; ++i)
            outboxRequest_.records.push_back(&records[i]);
        outboxRequest_.filled = 0;
        outboxRequest_.total = 0;
        post(target, &outboxRequest_);
        return true;
    default:
        listRequest_.reset();
        listRequest_.start = first;
        listRequest_.size = length;
        listRequest_.count = length;
        listRequest_.boxType = listMode_;
        listRequest_.records = records;
        post(target, &listRequest_);
        return true;
    }
}

void CVXLMessageListJob::takeListReply()
{
    std::uint32_t received = 0;
    if (layout_.state() == CVXLLayoutMessageList::kThreadState) {
        layout_.setMessageCount(threadRequest_.total);
        layout_.setThreadTitle(
            threadRequest_.displayAddress.length() > 0 ? threadRequest_.displayAddress : threadId_);
        received = static_cast<std::uint32_t>(threadRequest_.results.size());
    } else if (layout_.state() == CVXLLayoutMessageList::kPendingState) {
        layout_.setMessageCount(outboxRequest_.total);
        received = outboxRequest_.filled;
    } else {
        layout_.setMessageCount(listRequest_.total);
        received = listRequest_.filled;
    }
    layout_.loadWindow(received);
    layout_.setLoading(false);
}

void CVXLMessageListJob::showOrUpdate()
{
    layout_.setLoading(false);
    refreshLayout();
}

void CVXLMessageListJob::tellProgram(std::int32_t signal)
{
    releaseLayout();
    setProperty(kPropertySummary, CVXLVariant(static_cast<const void*>(layout_.selectedRecord())));
    setProperty(kPropertyTitle, CVXLVariant(layout_.getTitle()));
    notifyOwner(signal);
}

CVXLHsmState CVXLMessageListJob::handOver(std::int32_t signal)
{
    tellProgram(signal);
    return transition(&CVXLMessageListJob::WaitingForProgram);
}

void CVXLMessageListJob::fillReplyRecipients(CVXLContactListElement& contacts,
    const CVXLMessageSummary& summary, std::int32_t signal, const CVXLString& ownAddress,
    const CVXLString& thread)
{
    contacts.clear();
    if (signal == kSignalReplyToThread) {
        addRecipient(contacts, CVXLAddressee::kOther, thread, thread);
        return;
    }
    const CVXLString& replyTo = summary.replyTo();
    if (replyTo.length() > 0) {
        addRecipient(contacts, CVXLAddressee::kOther, replyTo, replyTo);
    } else {
        // Reply All answers the sender too: a reply to all but its author
        // would miss the one who wrote.
        const CVXLString& from = summary.fromAddress();
        const int comma = from.findChar(',');
        const CVXLString sender = comma < 0 ? from : from.substr(0, static_cast<std::uint32_t>(comma));
        if (sender.length() > 0 && !(sender == ownAddress))
            addRecipient(contacts, CVXLAddressee::kOther, sender, CVXLString());
    }
    if (signal != kSignalReplyAll)
        return;
    auto addOthers = [&](const CVXLAddressee* entry) {
        if (entry && entry->address().length() > 0 && !(entry->address() == ownAddress)
            && !(entry->address() == replyTo))
            addRecipient(contacts, entry->kind(), entry->address(), entry->displayName());
    };
    for (std::uint32_t i = 0; i < summary.toCount(); ++i)
        addOthers(summary.toAt(static_cast<int>(i)));
    for (std::uint32_t i = 0; i < summary.ccCount(); ++i)
        addOthers(summary.ccAt(static_cast<int>(i)));
}

void CVXLMessageListJob::postDelete()
{
    CVXLMessageSummary* record = layout_.selectedRecord();
    if (!record)
        return;
    record->setMarkedForDeletion(true);
    layout_.setSelectedIndex(layout_.selectBeforeMarked());
    pendingId_ = record->messageId();
    if (isPending(*record)) {
        itemRequest_.messageId = pendingId_;
        itemRequest_.kind = 0;
        itemRequest_.text = CVXLString();
        itemRequest_.displaced = 0;
        CVXLEventHandler* queue = services() ? services()->outboundQueue() : nullptr;
        if (queue)
            post(queue, &itemRequest_);
        return;
    }
    deleteRequest_.text = pendingId_;
    deleteRequest_.key = layout_.state() == CVXLLayoutMessageList::kThreadState ? threadId_ : CVXLString();
    post(&service_, &deleteRequest_);
}

void CVXLMessageListJob::postDeleteAll()
{
    deleteAllRequest_.text
        = layout_.state() == CVXLLayoutMessageList::kThreadState ? threadId_ : CVXLString();
    deleteAllRequest_.key = CVXLString();
    post(&service_, &deleteAllRequest_);
}

void CVXLMessageListJob::postSave()
{
    const CVXLMessageSummary* record = layout_.selectedRecord();
    saveRequest_.messageId = record ? record->messageId() : CVXLString();
    saveRequest_.kind = listMode_;
    if (CVXLEventHandler* target = requestTarget())
        post(target, &saveRequest_);
}

void CVXLMessageListJob::postResend()
{
    CVXLMessageSummary* record = layout_.selectedRecord();
    if (!record || resendRequest_.isBusy())
        return;
    const bool pending = isPending(*record);
    record->setOutboundState(4);
    resendRequest_.messageId = record->messageId();
    CVXLEventHandler* queue = services() ? services()->outboundQueue() : nullptr;
    CVXLEventHandler* target = pending ? queue : &service_;
    if (target)
        post(target, &resendRequest_);
    updateLayout();
}

void CVXLMessageListJob::postForward()
{
    CVXLString recipients;
    CVXLContactListElement* contacts = services() ? services()->globalContacts() : nullptr;
    for (std::uint32_t i = 0; contacts && i < contacts->count(); ++i) {
        const CVXLAddressee* entry = contacts->at(i);
        if (!entry)
            continue;
        if (recipients.length() > 0)
            recipients += ",";
        recipients += entry->address();
    }
    forwardRequest_.toList = recipients;
    forwardRequest_.ccList = CVXLString();
    forwardRequest_.bccList = CVXLString();
    post(&service_, &forwardRequest_);
}

void CVXLMessageListJob::stopSpinner()
{
    if (!spinnerShown_)
        return;
    spinnerShown_ = false;
    CVXLUiJob* child = currentChild();
    if (!child || child->stopRequested())
        return;
    child->releaseLayout();
    child->stop();
}

CVXLHsmState CVXLMessageListJob::closeDown(std::int32_t result)
{
    releaseLayout();
    endResult_ = result;
    // What is still out is answered cancelled before the job ends.
    for (CVXLEvent* request : {static_cast<CVXLEvent*>(&listRequest_),
             static_cast<CVXLEvent*>(&threadRequest_), static_cast<CVXLEvent*>(&outboxRequest_),
             static_cast<CVXLEvent*>(&itemRequest_), static_cast<CVXLEvent*>(&deleteRequest_),
             static_cast<CVXLEvent*>(&deleteAllRequest_), static_cast<CVXLEvent*>(&saveRequest_),
             static_cast<CVXLEvent*>(&resendRequest_), static_cast<CVXLEvent*>(&forwardRequest_)}) {
        if (!request->isBusy())
            continue;
        cancelEventsWith(requestTarget());
        cancelEventsWith(&service_);
        if (CVXLEventHandler* queue = services() ? services()->outboundQueue() : nullptr)
            cancelEventsWith(queue);
        break;
    }
    return transition(&CVXLMessageListJob::ClosingDown);
}

CVXLHsmState CVXLMessageListJob::leave()
{
    if (property(kPropertyGoForward).toInt() != 0) {
        releaseLayout();
        notifyOwner(kEndBackGoForward);
        return transition(&CVXLMessageListJob::Done);
    }
    return closeDown(kEndBack);
}

// ---------------------------------------------------------------- states

CVXLHsmState CVXLMessageListJob::Initial(const CVXLEvent*)
{
    setState(&CVXLMessageListJob::Top);
    return handled();
}

CVXLHsmState CVXLMessageListJob::Top(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalInit:
        startChild(&service_);
        setState(&CVXLMessageListJob::Loading);
        return handled();
    case kSignalKeyBack:
    case kSignalProgramBack:
    case kChildBack:
    case kChildCancel:
        return leave();
    case kSignalKeyExit:
    case kSignalProgramExit:
    case kChildExit:
        return closeDown(kEndExit);
    case kSignalReload:
        refreshPending_ = 1;
        return handled();
    }
    return super(&CVXLHsm::top);
}

CVXLHsmState CVXLMessageListJob::Listing(const CVXLEvent* e)
{
    const std::int32_t s = signalOf(e);
    switch (s) {
    case kSignalEntry:
        if (refreshPending_) {
            refreshPending_ = 0;
            postSignal(kSignalReload);
        }
        return handled();
    case kSignalAssignMedia:
    case kSignalPrintMedia:
    case kSignalSaveMedia:
    case kSignalView:
    case kSignalViewMedia:
        return handOver(s);
    case kSignalReply:
    case kSignalReplyAll:
    case kSignalReplyToThread: {
        CVXLContactListElement* contacts = services() ? services()->globalContacts() : nullptr;
        const CVXLMessageSummary* record = layout_.selectedRecord();
        if (contacts && record) {
            CVXLString own;
            if (services())
                services()->configString(kConfigOwnAddress, own);
            fillReplyRecipients(*contacts, *record, s, own, layout_.getTitle());
        }
        return handOver(s);
    }
    case kSignalForward: {
        const COutboundQueueManager* queue = services() ? services()->outboundQueue() : nullptr;
        if (queue && queue->isFull())
            return transition(&CVXLMessageListJob::QueueFull);
        const CVXLMessageSummary* record = layout_.selectedRecord();
        forwardRequest_.messageId = record ? record->messageId() : CVXLString();
        forwardRequest_.kind = listMode_;
        forwardRequest_.subject = screenText(kTextForwardPrefix);
        if (record)
            forwardRequest_.subject += record->subject();
        tellProgram(s);
        return transition(&CVXLMessageListJob::ForwardChosen);
    }
    case kSignalDelete:
        if (!layout_.selectedRecord())
            return handled();
        postDelete();
        return transition(&CVXLMessageListJob::Deleting);
    case kSignalDeleteAll:
        postDeleteAll();
        return transition(&CVXLMessageListJob::Deleting);
    case kSignalSaveMessage:
        if (!layout_.selectedRecord())
            return handled();
        postSave();
        return transition(&CVXLMessageListJob::Saving);
    case kSignalResend:
        postResend();
        return handled();
    case kSignalSucceeded:
    case kSignalFailed:
        // The resend's answer: the entry's new state is shown.
        return transition(&CVXLMessageListJob::Loading);
    case kSignalUpdate:
        if (!layout_.list().isChanged())
            return handled();
        layout_.list().commit();
        return transition(&CVXLMessageListJob::Loading);
    case kSignalReload:
        return transition(&CVXLMessageListJob::Loading);
    }
    return super(&CVXLMessageListJob::Top);
}

CVXLHsmState CVXLMessageListJob::WaitingForProgram(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalGoOn:
    case kSignalCancelled:
        return transition(&CVXLMessageListJob::Loading);
    }
    return super(&CVXLMessageListJob::Top);
}

CVXLHsmState CVXLMessageListJob::QueueFull(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry:
        showInfo(kNoticeQueueFull, 0, 1);
        return handled();
    case kChildContinue:
    case kChildBack:
    case kChildCancel:
        updateLayout();
        return transition(&CVXLMessageListJob::Listing);
    case kChildExit:
        return closeDown(kEndExit);
    }
    return super(&CVXLMessageListJob::Top);
}

CVXLHsmState CVXLMessageListJob::ForwardChosen(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalGoOn:
        postForward();
        return transition(&CVXLMessageListJob::Forwarding);
    case kSignalCancelled:
        showLayout();
        return transition(&CVXLMessageListJob::Listing);
    }
    return super(&CVXLMessageListJob::WaitingForProgram);
}

CVXLHsmState CVXLMessageListJob::Waiting(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry:
        spinnerShown_ = false;
        postDelayed(&timer_, kWaitBeforeSpinnerMs);
        return handled();
    case kSignalExit:
        cancelEvent(&timer_);
        stopSpinner();
        return handled();
    case kTimerWaiting:
        startChild43();
        spinnerShown_ = true;
        return handled();
    }
    return super(&CVXLMessageListJob::Top);
}

CVXLHsmState CVXLMessageListJob::Loading(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry:
        if (!postReload())
            postSignal(kSignalNothingToLoad);
        return handled();
    case kSignalSucceeded:
        takeListReply();
        showOrUpdate();
        return transition(&CVXLMessageListJob::Listing);
    case kSignalNothingToLoad:
        showOrUpdate();
        return transition(&CVXLMessageListJob::Listing);
    case kSignalReload:
        return handled();
    }
    return super(&CVXLMessageListJob::Waiting);
}

CVXLHsmState CVXLMessageListJob::Deleting(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalSucceeded:
    case kSignalFailed:
        return transition(&CVXLMessageListJob::Loading);
    }
    return super(&CVXLMessageListJob::Waiting);
}

CVXLHsmState CVXLMessageListJob::Saving(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalSucceeded:
    case kSignalFailed:
        return transition(&CVXLMessageListJob::Loading);
    }
    return super(&CVXLMessageListJob::Waiting);
}

CVXLHsmState CVXLMessageListJob::Forwarding(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalSucceeded:
    case kSignalFailed:
        return transition(&CVXLMessageListJob::Loading);
    }
    return super(&CVXLMessageListJob::Waiting);
}

CVXLHsmState CVXLMessageListJob::ClosingDown(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry:
        // Taken once the cancelled requests are answered.
        postSignal(kSignalClosed);
        return handled();
    case kSignalClosed:
        notifyOwner(endResult_);
        return transition(&CVXLMessageListJob::Done);
    case kSignalKeyBack:
    case kSignalKeyExit:
    case kSignalProgramBack:
    case kSignalProgramExit:
    case kChildBack:
    case kChildCancel:
    case kChildExit:
    case kSignalReload:
        // Already on the way out.
        return handled();
    }
    return super(&CVXLMessageListJob::Top);
}

CVXLHsmState CVXLMessageListJob::Done(const CVXLEvent* e)
{
    if (signalOf(e) == kSignalEntry) {
        stop();
        return handled();
    }
    return super(&CVXLHsm::top);
}
