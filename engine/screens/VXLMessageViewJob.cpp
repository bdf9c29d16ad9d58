#include "engine/screens/VXLMessageViewJob.h"

#include "engine/core/base/VXLLog.h"
#include "engine/core/jobs/VXLResultCodes.h"
#include "engine/core/settings/VXLPersKeys.h"
#include "engine/core/text/VXLRegex.h"
#include "engine/media/VXLMediaItem.h"
#include "engine/messaging/outbound/OutboundQueueManager.h"
#include "engine/messaging/premium/PremiumInboxManager.h"
#include "engine/messaging/store/VXLAddressee.h"
#include "engine/messaging/store/VXLMessageSummary.h"
#include "engine/screens/VXLContactListElement.h"
#include "engine/screens/VXLLayoutInformation.h"
#include "engine/screens/VXLScreenServices.h"
#include "engine/screens/VXLSlideMediaItem.h"
#include "engine/screens/VXLSlideView.h"
#include "engine/screens/VXLSmilMedia.h"
#include "engine/screens/VXLSmilParser.h"

namespace {

using Job = CVXLMessageViewJob;

// The rows every job shares; each job adds its own two.
constexpr Job::Command kCommands[] = {
    {CVXLLayoutMessageView::kReply, Job::kSignalReply},
    {CVXLLayoutMessageView::kReplyAll, Job::kSignalReplyAll},
    {CVXLLayoutMessageView::kForward, Job::kSignalForward},
    {CVXLLayoutMessageView::kSaveMedia, Job::kSignalSaveMedia},
    {CVXLLayoutMessageView::kAssignMedia, Job::kSignalAssignMedia},
    {CVXLLayoutMessageView::kAssignAudio, Job::kSignalAssignAudio},
    {CVXLLayoutMessageView::kSaveMessage, Job::kSignalSaveMessage},
    {CVXLLayoutMessageView::kPrintMedia, Job::kSignalPrintMedia},
    {CVXLLayoutMessageView::kDelete, Job::kSignalDelete},
    {CVXLLayoutMessageView::kNextSlide, Job::kSignalNextSlide},
    {CVXLLayoutMessageView::kPreviousSlide, Job::kSignalPreviousSlide},
    {CVXLLayoutMessageView::kFollowUrl, Job::kSignalFollowUrl},
};

// What every read asks for: any kind of part.
constexpr std::uint32_t kAnyKind
    = CMessageReadRequest::kImages | CMessageReadRequest::kVideos | CMessageReadRequest::kSounds;
constexpr std::uint32_t kReadMedia = 2;
constexpr std::uint32_t kReadText = 3;

} // namespace

CVXLMessageViewJob::CVXLMessageViewJob(
    int typeId, std::uint32_t location, const std::uint32_t (&states)[3], const Command (&last)[2])
    : CVXLUiJob(&CVXLMessageViewJob::Initial, kFirstExternalCode)
    , typeId_(typeId)
    , location_(location)
    , states_ {states[0], states[1], states[2]}
    , last_ {last[0], last[1]}
{
    for (CVXLEvent* member : std::initializer_list<CVXLEvent*> {
             &opens_[0], &opens_[1], &reads_[0], &reads_[1], &delete_, &save_, &forward_, &timer_})
        member->setHeapAllocated(false);
    layout_.setNavigator(&navigator_);
    layout_.setLinkFlag(&link_);
}

CVXLMessageViewJob::~CVXLMessageViewJob()
{
    layout_.releaseSlide();
    navigator_.detach();
    presentation_.clear();
}

void CVXLMessageViewJob::init()
{
    CVXLUiJob::init();
    layout_.setOwner(this);
    if (services())
        services()->wireMessageService(service_);
}

std::int32_t CVXLMessageViewJob::onFinished()
{
    cancelEvent(&timer_);
    const std::int32_t state = CVXLUiJob::onFinished();
    layout_.releaseSlide();
    layout_.setSummary(nullptr);
    navigator_.detach();
    view_ = nullptr;
    presentation_.clear();
    ownParts_.clear();
    parts_.clear();
    item_.reset();
    return state;
}

void CVXLMessageViewJob::onLayoutAction(std::uint32_t eventId)
{
    for (const Command& row : kCommands) {
        if (CVXLLayoutMessageView::eventOf(row.action) == eventId)
            return postSignal(row.signal);
    }
    for (const Command& row : last_) {
        if (CVXLLayoutMessageView::eventOf(row.action) == eventId)
            return postSignal(row.signal);
    }
    // Exit is a hard key of every state, also where the map has no row for it.
    if (CVXLLayoutMessageView::eventOf(kLayoutActionExit) == eventId)
        postSignal(kSignalKeyExit);
}

// The requests' replies come as signal 6 or 7 with the reply at hand; the
// timer comes as itself.
void CVXLMessageViewJob::onEvent(CVXLEvent* event)
{
    if (filterEvent(event) != 0)
        return;
    const std::int32_t code = event->effectiveCode();
    if (event->kind() == kEventReply && code >= kReplyRead && code <= kReplyForward && code != kReplyTimer) {
        const CVXLSimpleEvent outcome(event->succeeded() ? kSignalSucceeded : kSignalFailed);
        reply_ = event;
        dispatch(&outcome);
        reply_ = nullptr;
    } else if (code >= kFirstExternalCode) {
        dispatch(event);
    }
    finishEvent(event);
}

CVXLEventHandler* CVXLMessageViewJob::target()
{
    if (layout_.state() == kPremiumState && services() && services()->premiumInbox())
        return services()->premiumInbox();
    return &service_;
}

CVXLString CVXLMessageViewJob::messageId() const
{
    return summary_ ? summary_->messageId() : CVXLString();
}

void CVXLMessageViewJob::sendOpen(std::uint32_t mode)
{
    parts_.reset(partCount_);
    CMessageOpenRequest& open = opens_[mode ? 1 : 0];
    open.messageId = messageId();
    open.partCount = partCount_;
    open.partArray = parts_.data();
    open.fromNetwork = mode;
    open.chargeAccepted = static_cast<std::uint8_t>(mode);
    post(target(), &open);
}

void CVXLMessageViewJob::attachNavigator()
{
    navigator_.attach(&presentation_);
    navigator_.first();
    layout_.setSlideCount(static_cast<std::int32_t>(navigator_.count()));
}

void CVXLMessageViewJob::startSlide()
{
    layout_.setLoading(true);
    link_ = 0;
    linkText_ = CVXLString();
    view_ = navigator_.currentView();
    medium_ = view_ ? view_->media.head() : nullptr;
    if (view_) {
        if (view_->duration != 0)
            layout_.setDuration(view_->duration);
        layout_.setPosition(view_->position);
    }
}

// A read is asked while the reply of the one before may still be in hand:
// the two requests take turns.
void CVXLMessageViewJob::readPart(std::uint32_t part, std::uint32_t mode)
{
    read_ = &reads_[read_ == &reads_[0] ? 1 : 0];
    item_ = std::make_unique<CVXLMediaItem>();
    read_->messageId = messageId();
    read_->kind = location_;
    read_->firstPart = part;
    read_->partCount = 1;
    read_->mediaItems = item_.get();
    read_->mediaFilter = kAnyKind;
    read_->readMode = mode;
    read_->text = CVXLString();
    post(target(), read_);
}

CVXLMessageViewJob::Next CVXLMessageViewJob::readNextMedium()
{
    if (!medium_)
        return Next::Done;
    reading_ = static_cast<const CVXLSmilMedia*>(medium_->object);
    medium_ = medium_->next;
    int part = -1;
    for (const auto& [medium, index] : ownParts_) {
        if (medium == reading_)
            part = index;
    }
    if (part < 0)
        part = parts_.findPart(reading_->src);
    if (part < 0) {
        VXL_LOG_INFO("message view: no part of %s for \"%s\"", messageId().c_str(), reading_->src.c_str());
        return Next::Missing;
    }
    const bool text = reading_->kind == kSmilText || reading_->kind == kSmilTextStream;
    readPart(static_cast<std::uint32_t>(part), text ? kReadText : kReadMedia);
    return Next::Reading;
}

void CVXLMessageViewJob::takeMedium(const CVXLEvent&)
{
    const CVXLSmilMedia* medium = reading_;
    CVXLMediaItem* item = item_.get();
    if (!medium || !item)
        return;
    if (medium->kind == kSmilText || medium->kind == kSmilTextStream) {
        const CVXLString& text = read_->text.length() ? read_->text : item->infoText();
        layout_.setText(text);
        CVXLRegex link;
        link.compile("(http://[-a-zA-Z0-9_=+%~@:?&()#.,;/]+)");
        if (!link_ && link.exec(text.c_str())) {
            linkText_ = link.group(1, text);
            link_ = 1;
        }
        return;
    }
    if (medium->kind == kSmilAudio) {
        layout_.setAudio(item->mediaRef());
        layout_.setAudioLocked(item->saveLocked() || item->drmProtected());
        return;
    }
    auto* element = new CVXLSlideMediaItem;
    if (!element)
        return;
    element->setValues(100, 100, 0, 0);
    element->setSaveLocked(item->saveLocked());
    if (item->drmProtected())
        element->setAssignLocked(true);
    element->setMedium(item->mediaRef());
    layout_.addElement(element);
}

void CVXLMessageViewJob::slideLoaded()
{
    layout_.setLoading(false);
    layout_.setSlideCount(static_cast<std::int32_t>(navigator_.count()));
}

void CVXLMessageViewJob::moveSlide(bool forward)
{
    link_ = 0;
    layout_.releaseSlide();
    if (forward)
        navigator_.next();
    else
        navigator_.previous();
}

void CVXLMessageViewJob::takeContacts(bool everyone)
{
    CVXLContactListElement* contacts = services() ? services()->globalContacts() : nullptr;
    if (!contacts || !summary_)
        return;
    contacts->clear();
    const CVXLString& sender = summary_->fromAddress();
    if (sender.length()) {
        if (CVXLAddressee* entry = contacts->addNew())
            entry->set(2, sender, summary_->fromName());
    }
    if (!everyone)
        return;
    CVXLString own;
    if (services())
        services()->configString(kConfigOwnNumber, own);
    auto add = [&](const CVXLAddressee* from) {
        if (!from || from->address() == own)
            return;
        if (CVXLAddressee* entry = contacts->addNew())
            entry->set(from->kind(), from->address(), from->displayName());
    };
    for (std::uint32_t i = 0; i < summary_->toCount(); ++i)
        add(summary_->toAt(static_cast<int>(i)));
    for (std::uint32_t i = 0; i < summary_->ccCount(); ++i)
        add(summary_->ccAt(static_cast<int>(i)));
}

void CVXLMessageViewJob::stopChild()
{
    CVXLUiJob* child = currentChild();
    if (!child || child->stopRequested())
        return;
    child->releaseLayout();
    child->stop();
}

CVXLHsmState CVXLMessageViewJob::showAndView()
{
    if (isLayoutShown())
        updateLayout();
    else
        showLayout();
    return transition(&CVXLMessageViewJob::Viewing);
}

CVXLHsmState CVXLMessageViewJob::handOver(std::int32_t result)
{
    releaseLayout();
    handed_ = result;
    notifyOwner(result);
    return transition(&CVXLMessageViewJob::WaitingForProgram);
}

CVXLHsmState CVXLMessageViewJob::finish(std::int32_t result)
{
    releaseLayout();
    notifyOwner(result);
    return transition(&CVXLMessageViewJob::Done);
}

CVXLHsmState CVXLMessageViewJob::fail(std::int32_t code)
{
    showError(code);
    return transition(&CVXLMessageViewJob::Failed);
}

CVXLHsmState CVXLMessageViewJob::failWith(const CVXLEvent& event)
{
    showEventError(event);
    return transition(&CVXLMessageViewJob::Failed);
}

CVXLHsmState CVXLMessageViewJob::Initial(const CVXLEvent*)
{
    setState(&CVXLMessageViewJob::Top);
    return handled();
}

CVXLHsmState CVXLMessageViewJob::Top(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalInit: {
        layout_.releaseSlide();
        layout_.setState(states_[entryMode_ < 3 ? entryMode_ : 0]);
        layout_.setOwner(this);
        if (hasProperty(kPropertyTitle))
            layout_.setTitle(property(kPropertyTitle).toString());
        summary_ = static_cast<CVXLMessageSummary*>(property(kPropertySummary).reference());
        layout_.setSummary(summary_);
        entryMode_ = 0;
        const bool visual = hasProperty(kPropertyVisualSlide) && property(kPropertyVisualSlide).toInt() == 1;
        navigator_.detach();
        navigator_.setAllSlides(!visual);
        layout_.setMediaView(visual);
        layout_.setLoading(true);
        presentation_.clear();
        ownParts_.clear();
        save_.kind = kSaveLocation;
        link_ = 0;
        shown_ = 0;
        reopened_ = false;
        reloaded_ = false;
        view_ = nullptr;
        startChild(&service_);
        if (summary_ && summary_->hasChargeText())
            setState(&CVXLMessageViewJob::Notice);
        else
            setState(&CVXLMessageViewJob::Opening);
        return handled();
    }
    case kSignalKeyExit:
        // A request still out is called off first.
        cancelEventsWith(target());
        return finish(kEndExit);
    case kSignalSucceeded:
    case kSignalFailed:
    case kReplyTimer:
        // An answer nobody waits for any more.
        return handled();
    }
    return super(&CVXLHsm::top);
}

CVXLHsmState CVXLMessageViewJob::Notice(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry:
        showInfoText(summary_->chargeText(), 0, CVXLLayoutInformation::kModeConfirmDraft, 1);
        return handled();
    case kChildContinue:
        return transition(&CVXLMessageViewJob::Opening);
    case kChildBack:
    case kChildCancel:
    case kChildExit:
        notifyOwner(kEndBack);
        return transition(&CVXLMessageViewJob::Done);
    }
    return super(&CVXLMessageViewJob::Top);
}

CVXLHsmState CVXLMessageViewJob::Opening(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry:
        partCount_ = summary_ ? summary_->getTotalMediaParts() : 0;
        if (partCount_ == 0)
            return fail(kErrorPartMissing);
        sendOpen(0);
        return handled();
    case kSignalSucceeded:
        stopChild();
        smilIndex_ = parts_.smilPart();
        if (smilIndex_ >= 0) {
            readPart(static_cast<std::uint32_t>(smilIndex_), kReadText);
            return transition(&CVXLMessageViewJob::ReadingSmil);
        }
        parts_.buildSingleSlide(presentation_, ownParts_);
        attachNavigator();
        return transition(&CVXLMessageViewJob::Loading);
    case kSignalFailed:
        if (reply_->result() == kResultMessageNotStored && !reopened_) {
            // Not all of it is stored: the inbound manager fetches it first.
            reopened_ = true;
            sendOpen(1);
            showProgress(3, kPersProgressCurrent, kPersProgressTotal, true);
            return handled();
        }
        stopChild();
        if (reply_->result() == kResultMessageNotStored || reply_->result() == kResultDataComplete) {
            // Fetched whole and still no part to give: the message has none.
            VXL_LOG_INFO("message view: %s holds no parts", messageId().c_str());
            return fail(kErrorPartMissing);
        }
        return failWith(*reply_);
    case kChildBack:
    case kChildCancel:
        cancelEventsWith(target());
        return finish(kEndBack);
    case kChildExit:
        cancelEventsWith(target());
        return finish(kEndExit);
    }
    return super(&CVXLMessageViewJob::Top);
}

CVXLHsmState CVXLMessageViewJob::ReadingSmil(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalSucceeded: {
        const CVXLString text = read_->text.length() ? read_->text : item_->infoText();
        CVXLSmilParser parser;
        parser.parse(text, presentation_);
        if (presentation_.slides().count() == 0) {
            VXL_LOG_INFO("message view: the SMIL part of %s holds no slide", messageId().c_str());
            return fail(kErrorNoSlides);
        }
        attachNavigator();
        return transition(&CVXLMessageViewJob::Loading);
    }
    case kSignalFailed:
        return failWith(*reply_);
    }
    return super(&CVXLMessageViewJob::Top);
}

CVXLHsmState CVXLMessageViewJob::Loading(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry:
        // The entry may not change state: a slide with nothing to read, or
        // whose first part is missing, goes on from its own signal.
        startSlide();
        postSignal(kSignalLoadNext);
        return handled();
    case kSignalLoadNext:
        break;
    case kSignalSucceeded:
        takeMedium(*reply_);
        break;
    case kSignalFailed:
        return failWith(*reply_);
    default:
        return super(&CVXLMessageViewJob::Top);
    }
    switch (readNextMedium()) {
    case Next::Reading:
        return handled();
    case Next::Missing:
        return fail(kErrorPartMissing);
    case Next::Done:
        break;
    }
    // Showing visual slides only, a slide that gave nothing to see starts
    // the walk again from the first visual slide, once.
    if (!shown_ && layout_.elementCount() == 0 && !navigator_.allSlides() && navigator_.hasFurther()
        && !reloaded_) {
        reloaded_ = true;
        layout_.releaseSlide();
        navigator_.first();
        return transition(&CVXLMessageViewJob::Loading);
    }
    slideLoaded();
    return showAndView();
}

CVXLHsmState CVXLMessageViewJob::Viewing(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry:
        shown_ = 1;
        return handled();
    case kSignalNextSlide:
    case kSignalPreviousSlide:
        moveSlide(signalOf(e) == kSignalNextSlide);
        return transition(&CVXLMessageViewJob::Loading);
    case kSignalViewMedia:
        navigator_.setAllSlides(false);
        layout_.setMediaView(true);
        layout_.releaseSlide();
        navigator_.first();
        return transition(&CVXLMessageViewJob::Loading);
    case kSignalKeyBack:
        if (layout_.mediaView()) {
            navigator_.setAllSlides(true);
            layout_.setMediaView(false);
            layout_.releaseSlide();
            navigator_.first();
            return transition(&CVXLMessageViewJob::Loading);
        }
        return finish(kEndBack);
    case kSignalFollowUrl:
        if (link_ && services())
            services()->queueUrlRequest(linkText_);
        return handled();
    case kSignalSaveMessage:
        save_.messageId = messageId();
        save_.kind = kSaveLocation;
        post(target(), &save_);
        return transition(&CVXLMessageViewJob::Saving);
    case kSignalDelete:
        delete_.messageId = messageId();
        delete_.kind = location_;
        post(target(), &delete_);
        return transition(&CVXLMessageViewJob::Deleting);
    case kSignalForward: {
        COutboundQueueManager* queue = services() ? services()->outboundQueue() : nullptr;
        if (queue && queue->isFull()) {
            endAfterNotice_ = false;
            showInfo(kNoticeQueueFull, 0, 1);
            return transition(&CVXLMessageViewJob::NoticeShown);
        }
        return handOver(kSignalForward);
    }
    case kSignalReply:
    case kSignalReplyAll:
        takeContacts(signalOf(e) == kSignalReplyAll);
        setProperty(kPropertySummary, CVXLVariant(static_cast<const void*>(summary_)));
        return handOver(signalOf(e));
    case kSignalPrintMedia:
        setProperty(kPropertySummary, CVXLVariant(static_cast<const void*>(summary_)));
        return handOver(kSignalPrintMedia);
    case kSignalAssignAudio:
        if (!layout_.hasAudio())
            return handled();
        setProperty(kPropertyAudio, CVXLVariant(static_cast<const void*>(layout_.audio().get())));
        return handOver(kSignalAssignAudio);
    case kSignalAssignMedia:
    case kSignalSaveMedia:
        return handled();
    }
    return super(&CVXLMessageViewJob::Top);
}

CVXLHsmState CVXLMessageViewJob::WaitingForProgram(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalGoOn:
    case kSignalCancelled: {
        const bool confirm = handed_ == kSignalForward && signalOf(e) == kSignalGoOn;
        if (!confirm) {
            if (CVXLContactListElement* contacts = services() ? services()->globalContacts() : nullptr)
                contacts->clear();
            return showAndView();
        }
        return transition(&CVXLMessageViewJob::ConfirmingForward);
    }
    }
    return super(&CVXLMessageViewJob::Top);
}

CVXLHsmState CVXLMessageViewJob::ConfirmingForward(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry: {
        CVXLString addresses;
        if (CVXLContactListElement* contacts = services() ? services()->globalContacts() : nullptr) {
            for (std::uint32_t i = 0; i < contacts->count(); ++i) {
                if (i)
                    addresses += ",";
                addresses += contacts->at(i)->address();
            }
        }
        forward_.toList = addresses;
        CVXLString text = screenText(kTextForwardReady);
        text += addresses;
        text += screenText(kTextForwardEnd);
        showLayout();
        showInfoText(text, 0, CVXLLayoutInformation::kModeConfirmForward, 1);
        return handled();
    }
    case kChildContinue:
        forward_.messageId = messageId();
        forward_.kind = location_;
        forward_.ccList = CVXLString();
        forward_.bccList = CVXLString();
        forward_.subject = screenText(kTextForwardPrefix);
        if (summary_)
            forward_.subject += summary_->subject();
        post(target(), &forward_);
        return transition(&CVXLMessageViewJob::Forwarding);
    case kChildBack:
    case kChildCancel:
        return handOver(kSignalForward);
    case kChildExit:
        return finish(kEndExit);
    }
    return super(&CVXLMessageViewJob::Top);
}

// Save and delete: a spinner when the answer takes longer than the timer.
CVXLHsmState CVXLMessageViewJob::Requesting(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry:
        postDelayed(&timer_, kTimerDelay);
        return handled();
    case kSignalExit:
        cancelEvent(&timer_);
        return handled();
    case kReplyTimer:
        startChild43();
        return handled();
    case kChildBack:
    case kChildCancel:
        cancelEventsWith(target());
        return finish(kEndBack);
    case kChildExit:
        cancelEventsWith(target());
        return finish(kEndExit);
    case kSignalKeyBack:
    case kSignalNextSlide:
    case kSignalPreviousSlide:
        return handled();
    }
    return super(&CVXLMessageViewJob::Top);
}

// A request's answer: its notice on success (a delete's ends the view, which
// is taken down first), the reply's error otherwise.
CVXLHsmState CVXLMessageViewJob::showOutcome(const CVXLEvent& answer, std::uint32_t notice, bool endsView)
{
    stopChild();
    const bool succeeded = signalOf(&answer) == kSignalSucceeded;
    endAfterNotice_ = succeeded && endsView;
    if (!succeeded) {
        showEventError(*reply_);
    } else {
        if (endsView)
            releaseLayout();
        showInfo(notice, 0, 1);
    }
    return transition(&CVXLMessageViewJob::NoticeShown);
}

CVXLHsmState CVXLMessageViewJob::Saving(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalSucceeded:
    case kSignalFailed:
        return showOutcome(*e, kNoticeSaved, false);
    }
    return super(&CVXLMessageViewJob::Requesting);
}

CVXLHsmState CVXLMessageViewJob::Deleting(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalSucceeded:
    case kSignalFailed:
        return showOutcome(*e, kNoticeDeleted, true);
    }
    return super(&CVXLMessageViewJob::Requesting);
}

CVXLHsmState CVXLMessageViewJob::Forwarding(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry:
        startChild43();
        return handled();
    case kSignalSucceeded:
    case kSignalFailed:
        return showOutcome(*e, kNoticeForwarded, false);
    case kChildBack:
    case kChildCancel:
        cancelEventsWith(target());
        return finish(kEndBack);
    case kChildExit:
        cancelEventsWith(target());
        return finish(kEndExit);
    }
    return super(&CVXLMessageViewJob::Top);
}

// A notice or error over the view: its answer returns to the view, or ends
// the job after a delete; Exit always ends it.
CVXLHsmState CVXLMessageViewJob::NoticeShown(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kChildContinue:
    case kChildBack:
    case kChildCancel:
        if (endAfterNotice_)
            return finish(kEndBack);
        return showAndView();
    case kChildExit:
        return finish(kEndExit);
    }
    return super(&CVXLMessageViewJob::Top);
}

CVXLHsmState CVXLMessageViewJob::Failed(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kChildContinue:
    case kChildBack:
    case kChildCancel:
    case kSignalKeyBack:
        return finish(kEndBack);
    case kChildExit:
        return finish(kEndExit);
    }
    return super(&CVXLMessageViewJob::Top);
}

CVXLHsmState CVXLMessageViewJob::Done(const CVXLEvent* e)
{
    if (signalOf(e) == kSignalEntry) {
        stop();
        return handled();
    }
    return super(&CVXLHsm::top);
}
