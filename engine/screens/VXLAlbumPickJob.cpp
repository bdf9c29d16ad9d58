#include "engine/screens/VXLAlbumPickJob.h"

#include "engine/access/MediaAccessManager.h"
#include "engine/core/base/VXLLog.h"
#include "engine/core/jobs/VXLEventCodes.h"
#include "engine/core/jobs/VXLResultCodes.h"
#include "engine/media/VXLAlbum.h"
#include "engine/screens/VXLScreenServices.h"

namespace {

using J = CVXLAlbumPickJob;

constexpr CVXLUiJob::ActionSignal kEventSignals[] = {
    {CVXLLayoutList::kSend, J::kSignalSend},
    {CVXLLayoutList::kDelete, J::kSignalDelete},
    {kLayoutActionUpdate, J::kSignalUpdate},
    {kLayoutActionBack, J::kSignalCloseBack},
    {kLayoutActionExit, J::kSignalCloseExit},
    {kLayoutActionContinue, J::kSignalContinue},
};

} // namespace

CVXLAlbumPickJob::CVXLAlbumPickJob()
    : CVXLUiJob(&CVXLAlbumPickJob::stateInitial, kFirstExternalCode)
{
}

CVXLAlbumPickJob::~CVXLAlbumPickJob()
{
    // The albums are the manager's: the layout only forgets them.
    layout_.clear();
}

// ---------------------------------------------------------------- faces

void CVXLAlbumPickJob::onLayoutAction(std::uint32_t eventId)
{
    for (const CVXLUiJob::ActionSignal& entry : kEventSignals) {
        if (layoutEventId(kLayoutList, entry.action) != eventId)
            continue;
        const std::int32_t signal = entry.signal == kSignalUpdate ? refineUpdate() : entry.signal;
        if (signal != 0)
            postSignal(signal);
        return;
    }
}

bool CVXLAlbumPickJob::isFetching()
{
    return isIn(&CVXLAlbumPickJob::stateStart) && !isIn(&CVXLAlbumPickJob::stateOpenList)
        && !isIn(&CVXLAlbumPickJob::stateListOpening) && !isIn(&CVXLAlbumPickJob::stateWork);
}

// Update says what changed: a typed album name creates, an edited name
// renames, a moved window fetches again.
std::int32_t CVXLAlbumPickJob::refineUpdate()
{
    CVXLListModel& list = layout_.list();
    if (isBrowsing()) {
        if (layout_.albumName().isModified()) {
            if (layout_.offersNewAlbum())
                return kSignalCreate;
            VXL_LOG_INFO("album pick: a typed album name is not taken here");
        }
        const CVXLAlbum* focused = focusedAlbum();
        if (focused && focused->isModified())
            return kSignalRename;
    } else if (!isFetching()) {
        return 0;
    }
    if (!list.isChanged())
        return 0;
    list.commit();
    return kSignalRefetch;
}

void CVXLAlbumPickJob::init()
{
    CVXLUiJob::init();
    layout_.clear();
    layout_.reset();
    layout_.setOwner(this);
    layout_.setState(startState());
    layout_.setAlbumCount(0);
    layout_.setBusy(false);
    layout_.setOffersNewAlbum(false);
    layout_.albumName().setText(CVXLString());
    layout_.albumName().commit();
    mam_ = nullptr;
    fetchStep_ = kFetchWindow;
    createRequest_.setResult(kResultFailed);
    renameRequest_.setResult(kResultFailed);
    deleteRequest_.setResult(kResultFailed);
    resyncRequest_.setResult(kResultSucceeded);
    preselectedId_ = CVXLString();
    listOpen_ = false;
    stopEvent_ = nullptr;
    closed_ = false;
    closingKind_ = kSignalCloseBack;
    arrived_ = nullptr;
}

std::int32_t CVXLAlbumPickJob::onFinished()
{
    const std::int32_t state = CVXLUiJob::onFinished();
    layout_.clear();
    mam_ = nullptr;
    return state;
}

// ---------------------------------------------------------------- events

void CVXLAlbumPickJob::onEvent(CVXLEvent* event)
{
    if (filterEvent(event) != 0) {
        answerStopWhenIdle();
        return;
    }
    const std::int32_t code = event->effectiveCode();
    if (code == kEventStop && event->kind() != kEventReply) {
        if (stopEvent_)
            return;
        stopEvent_ = event;
        if (!isIn(&CVXLAlbumPickJob::stateClosing) && !isIn(&CVXLAlbumPickJob::stateClosed) && !closed_) {
            const CVXLSimpleEvent exit(kSignalCloseExit);
            dispatch(&exit);
        }
        answerStopWhenIdle();
        return;
    }
    if (event->kind() != kEventReply) {
        finishEvent(event);
        answerStopWhenIdle();
        return;
    }
    lastResult_ = event->result();
    const bool ok = lastResult_ == kResultSucceeded || lastResult_ == kResultLastPage;
    std::int32_t signal = ok ? kSignalSucceeded : kSignalFailed;
    switch (code) {
    case kReplyRange:
        arrived_ = static_cast<CMediaElementRequest*>(event);
        if (lastResult_ == kResultLastPage)
            fetchStep_ = kFetchDone;
        signal = ok ? kSignalRange : kSignalFailed;
        break;
    case kReplyRestore:
        signal = kReplyRestore;
        break;
    case kReplyResync:
        finishEvent(event);
        answerStopWhenIdle();
        return;
    default:
        break;
    }
    const CVXLSimpleEvent dispatched(signal);
    dispatch(&dispatched);
    // A range no state took: its album's use goes back.
    if (arrived_) {
        if (mam_ && listOpen_ && arrived_->payloadAlbum())
            mam_->releaseElement(arrived_->data());
        arrived_->setPayloadAlbum(nullptr);
        arrived_ = nullptr;
    }
    finishEvent(event);
    answerStopWhenIdle();
}

// The stop is answered once the job has closed and nothing of it is out.
void CVXLAlbumPickJob::answerStopWhenIdle()
{
    if (!stopEvent_ || !closed_ || outstandingReplies() > 0)
        return;
    CVXLEvent* stop = stopEvent_;
    stopEvent_ = nullptr;
    finishEvent(stop);
}

// ---------------------------------------------------------------- helpers

void CVXLAlbumPickJob::cancelMediaTraffic()
{
    CMediaAccessManager* manager = services() ? services()->mediaAccess() : nullptr;
    if (manager)
        cancelEventsWith(manager);
}

// The spinner goes; a child screen asked for meanwhile starts when it has.
void CVXLAlbumPickJob::stopSpinner()
{
    CVXLUiJob* child = currentChild();
    if (!child || child->typeId() != kSpinnerJobType || child->stopRequested())
        return;
    child->releaseLayout();
    child->stop();
}

CVXLAlbum* CVXLAlbumPickJob::focusedAlbum()
{
    CVXLElement* focused = layout_.currentElement();
    return focused ? focused->asType0() : nullptr;
}

void CVXLAlbumPickJob::forgetList()
{
    layout_.clear();
    if (mam_ && listOpen_)
        mam_->releaseAll();
}

void CVXLAlbumPickJob::sendRange(CMediaElementRequest& request, std::int32_t index)
{
    request.reset();
    request.setPayloadAlbum(nullptr);
    request.setData(index);
    if (mam_)
        post(mam_, &request);
}

bool CVXLAlbumPickJob::fetchNext()
{
    CVXLListModel& list = layout_.list();
    const auto count = static_cast<std::int32_t>(layout_.albumCount());
    switch (fetchStep_) {
    case kFetchWindow:
        list.rewind();
        if (!list.hasCursor() || list.cursorAbsolute() >= count)
            return false;
        sendRange(rangeRequest_, list.cursorAbsolute());
        fetchStep_ = kFetchFirstFollow;
        return true;
    case kFetchFirstFollow:
    case kFetchSecondFollow:
        list.advance();
        if (!list.hasCursor() || list.cursorAbsolute() >= count) {
            fetchStep_ = kFetchWindow;
            return false;
        }
        // The request not in flight goes next.
        if (fetchStep_ == kFetchFirstFollow) {
            sendRange(spareRangeRequest_, list.cursorAbsolute());
            fetchStep_ = kFetchSecondFollow;
        } else {
            sendRange(rangeRequest_, list.cursorAbsolute());
            fetchStep_ = kFetchFirstFollow;
        }
        return true;
    default:
        fetchStep_ = kFetchWindow;
        return false;
    }
}

void CVXLAlbumPickJob::mergeRange()
{
    CMediaElementRequest* range = arrived_;
    arrived_ = nullptr;
    if (!range)
        return;
    CVXLAlbum* album = range->payloadAlbum();
    range->setPayloadAlbum(nullptr);
    if (!album)
        return;
    if (!layout_.addItem(album, range->data())) {
        // Outside the window (it moved meanwhile): not kept, not held.
        if (mam_)
            mam_->releaseElement(range->data());
        return;
    }
    if (preselectedId_.length() > 0 && album->identifier() == preselectedId_) {
        layout_.setCurrentElement(album);
        preselectedId_ = CVXLString();
    }
}

CVXLHsmState CVXLAlbumPickJob::handOver(std::int32_t result)
{
    CVXLAlbum* album = focusedAlbum();
    if (!album)
        return handled();
    releaseLayout();
    CVXLUiJob::setProperty(kPropertyAlbum, CVXLVariant(static_cast<const void*>(album)));
    setXferObject(album);
    notifyOwner(result);
    return transition(&CVXLAlbumPickJob::stateHandedOver);
}

CVXLHsmState CVXLAlbumPickJob::closeWith(std::int32_t kind)
{
    cancelMediaTraffic();
    closingKind_ = kind;
    return transition(&CVXLAlbumPickJob::stateClosing);
}

// ---------------------------------------------------------------- states

CVXLStateHandler CVXLAlbumPickJob::browseState()
{
    return toState(&CVXLAlbumPickJob::stateBrowse);
}

CVXLHsmState CVXLAlbumPickJob::stateInitial(const CVXLEvent*)
{
    setState(&CVXLAlbumPickJob::stateRoot);
    return handled();
}

CVXLHsmState CVXLAlbumPickJob::stateRoot(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalInit:
        setState(&CVXLAlbumPickJob::stateStart);
        return handled();
    case kSignalProgramBack:
    case kChildContinue:
    case kChildBack:
    case kChildCancel:
    case kSignalCloseBack:
        return closeWith(kSignalCloseBack);
    case kSignalProgramExit:
    case kChildExit:
    case kSignalCloseExit:
        return closeWith(kSignalCloseExit);
    case kSignalRange:
        mergeRange();
        return handled();
    }
    return super(&CVXLHsm::top);
}

CVXLHsmState CVXLAlbumPickJob::stateStart(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalInit:
        setState(&CVXLAlbumPickJob::stateOpenList);
        return handled();
    case kSignalSucceeded:
        return transition(browseState());
    case kSignalFailed:
        preselectedId_ = CVXLString();
        showError(lastResult_);
        return transition(&CVXLAlbumPickJob::stateFailed);
    case kSignalProgramBack:
        preselectedId_ = CVXLString();
        return transition(&CVXLAlbumPickJob::stateToBrowse);
    }
    return super(&CVXLAlbumPickJob::stateRoot);
}

CVXLHsmState CVXLAlbumPickJob::stateOpenList(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry:
        mam_ = services() ? services()->mediaAccess() : nullptr;
        if (!mam_) {
            VXL_LOG_INFO("album pick: no Media Access Manager to list the albums");
            lastResult_ = kResultFailed;
            postSignal(kSignalFailed);
            return handled();
        }
        listRequest_.reset();
        post(mam_, &listRequest_);
        postSignal(kSignalNext);
        return handled();
    case kSignalNext:
        return transition(&CVXLAlbumPickJob::stateListOpening);
    }
    return super(&CVXLAlbumPickJob::stateStart);
}

CVXLHsmState CVXLAlbumPickJob::stateBusy(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry:
        startChild43();
        return handled();
    case kSignalExit:
        stopSpinner();
        return handled();
    case kSignalInit:
        setState(&CVXLAlbumPickJob::stateListOpening);
        return handled();
    }
    return super(&CVXLAlbumPickJob::stateStart);
}

CVXLHsmState CVXLAlbumPickJob::stateListOpening(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalSucceeded:
        listOpen_ = true;
        layout_.setAlbumCount(
            static_cast<std::uint32_t>(listRequest_.getOwner() < 0 ? 0 : listRequest_.getOwner()));
        return transition(&CVXLAlbumPickJob::stateFetchFirst);
    case kSignalFailed:
        showError(lastResult_);
        return transition(&CVXLAlbumPickJob::stateAfterError);
    }
    return super(&CVXLAlbumPickJob::stateBusy);
}

CVXLHsmState CVXLAlbumPickJob::stateFetchFirst(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry:
        if (fetchNext()) {
            postSignal(kSignalNext);
        } else {
            showLayout();
            postSignal(kSignalSucceeded);
        }
        return handled();
    case kSignalNext:
        return transition(&CVXLAlbumPickJob::stateWaitFirst);
    }
    return super(&CVXLAlbumPickJob::stateStart);
}

CVXLHsmState CVXLAlbumPickJob::stateWaitFirst(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalRange:
        mergeRange();
        return transition(&CVXLAlbumPickJob::stateFirstWindow);
    case kSignalFailed:
        showError(lastResult_);
        return transition(&CVXLAlbumPickJob::stateAfterError);
    }
    return super(&CVXLAlbumPickJob::stateBusy);
}

CVXLHsmState CVXLAlbumPickJob::stateFirstWindow(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry:
        postSignal(kSignalNext);
        return handled();
    case kSignalNext:
        // A single album of the online list is picked unseen.
        if (layout_.state() == 0 && layout_.albumCount() == 1 && focusedAlbum())
            return handOver(kEndAlbumPicked);
        if (fetchNext()) {
            layout_.setBusy(true);
            showLayout();
            return transition(&CVXLAlbumPickJob::stateWaitMore);
        }
        layout_.setBusy(false);
        postSignal(kSignalSucceeded);
        showLayout();
        return handled();
    }
    return super(&CVXLAlbumPickJob::stateStart);
}

CVXLHsmState CVXLAlbumPickJob::stateRefetch(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry:
        fetchStep_ = kFetchWindow;
        forgetList();
        layout_.list().commit();
        if (fetchNext()) {
            layout_.setBusy(true);
            postSignal(kSignalNext);
        } else {
            postSignal(kSignalSucceeded);
        }
        return handled();
    case kSignalRefetch:
        postSignal(kSignalRefetch);
        return handled();
    case kSignalNext:
        return transition(&CVXLAlbumPickJob::stateWaitMore);
    }
    return super(&CVXLAlbumPickJob::stateStart);
}

CVXLHsmState CVXLAlbumPickJob::stateWaitMore(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalRange:
        mergeRange();
        return transition(&CVXLAlbumPickJob::stateFetchMore);
    case kSignalRefetch:
        return transition(&CVXLAlbumPickJob::stateRefetchPending);
    }
    return super(&CVXLAlbumPickJob::stateBusy);
}

CVXLHsmState CVXLAlbumPickJob::stateFetchMore(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry:
        if (fetchNext()) {
            postSignal(kSignalNext);
        } else {
            layout_.setBusy(false);
            postSignal(kSignalSucceeded);
        }
        return handled();
    case kSignalRefetch:
        postSignal(kSignalRefetch);
        return handled();
    case kSignalNext:
        return transition(&CVXLAlbumPickJob::stateWaitMore);
    }
    return super(&CVXLAlbumPickJob::stateStart);
}

CVXLHsmState CVXLAlbumPickJob::stateRefetchPending(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalRange:
        mergeRange();
        return transition(&CVXLAlbumPickJob::stateRefetch);
    }
    return super(&CVXLAlbumPickJob::stateBusy);
}

CVXLHsmState CVXLAlbumPickJob::commandInBrowse(std::int32_t signal)
{
    switch (signal) {
    case kSignalDelete:
        return focusedAlbum() ? transition(&CVXLAlbumPickJob::stateDelete) : handled();
    case kSignalCreate:
        return transition(&CVXLAlbumPickJob::stateCreate);
    case kSignalRefetch:
        return transition(&CVXLAlbumPickJob::stateRefetch);
    case kSignalRename:
        return focusedAlbum() ? transition(&CVXLAlbumPickJob::stateRename) : handled();
    case kSignalContinue:
        return handOver(kEndAlbumPicked);
    case kSignalSend:
        return handOver(kEndSendAlbum);
    }
    return super(&CVXLAlbumPickJob::stateRoot);
}

CVXLHsmState CVXLAlbumPickJob::stateBrowse(const CVXLEvent* e)
{
    const std::int32_t s = signalOf(e);
    if (s == kSignalEntry) {
        layout_.setBusy(false);
        updateLayout();
        return handled();
    }
    return commandInBrowse(s);
}

CVXLHsmState CVXLAlbumPickJob::stateHandedOver(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalGoOn:
    case kSignalAbandoned:
        showLayout();
        return transition(&CVXLAlbumPickJob::stateRefetch);
    }
    return super(&CVXLAlbumPickJob::stateRoot);
}

CVXLHsmState CVXLAlbumPickJob::stateWork(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalFailed:
        if (lastResult_ == kResultNetworkNotice)
            return transition(&CVXLAlbumPickJob::stateToBrowse);
        showError(lastResult_);
        return transition(&CVXLAlbumPickJob::stateErrorBack);
    case kChildBack:
        cancelMediaTraffic();
        return transition(&CVXLAlbumPickJob::stateRefetch);
    }
    return super(&CVXLAlbumPickJob::stateBusy);
}

CVXLHsmState CVXLAlbumPickJob::stateCreate(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry:
        layout_.clear();
        createRequest_.reset();
        createRequest_.text = layout_.albumName().text();
        createRequest_.answer = CVXLString();
        if (mam_)
            post(mam_, &createRequest_);
        return handled();
    case kSignalExit:
        layout_.albumName().setText(layout_.albumName().committedText());
        return handled();
    case kSignalSucceeded:
        layout_.albumName().setText(CVXLString());
        layout_.albumName().commit();
        layout_.setAlbumCount(layout_.albumCount() + 1);
        return transition(&CVXLAlbumPickJob::stateRefetch);
    }
    return super(&CVXLAlbumPickJob::stateWork);
}

CVXLHsmState CVXLAlbumPickJob::stateRename(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry: {
        CVXLAlbum* album = focusedAlbum();
        layout_.clear();
        renameRequest_.reset();
        renameRequest_.setPayloadAlbum(album);
        preselectedId_ = album ? album->identifier() : CVXLString();
        if (mam_)
            post(mam_, &renameRequest_);
        return handled();
    }
    case kSignalExit:
        renameRequest_.setPayloadAlbum(nullptr);
        return handled();
    case kSignalSucceeded:
        return transition(&CVXLAlbumPickJob::stateRefetch);
    }
    return super(&CVXLAlbumPickJob::stateWork);
}

CVXLHsmState CVXLAlbumPickJob::stateDelete(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry: {
        const CVXLAlbum* album = focusedAlbum();
        deleteRequest_.reset();
        deleteRequest_.text = album ? album->identifier() : CVXLString();
        layout_.clear();
        if (mam_)
            post(mam_, &deleteRequest_);
        return handled();
    }
    case kSignalSucceeded:
        if (mam_ && !resyncRequest_.isBusy()) {
            resyncRequest_.reset();
            post(mam_, &resyncRequest_);
        }
        if (layout_.albumCount() > 0)
            layout_.setAlbumCount(layout_.albumCount() - 1);
        return transition(&CVXLAlbumPickJob::stateRefetch);
    }
    return super(&CVXLAlbumPickJob::stateWork);
}

// The list was let go when the change was sent: it is fetched again.
CVXLHsmState CVXLAlbumPickJob::stateErrorBack(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kChildContinue:
    case kChildBack:
    case kChildCancel:
    case kChildExit:
        return transition(&CVXLAlbumPickJob::stateRefetch);
    }
    return super(&CVXLAlbumPickJob::stateRoot);
}

CVXLHsmState CVXLAlbumPickJob::stateToBrowse(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry:
        postSignal(kSignalNext);
        return handled();
    case kSignalNext:
        return transition(&CVXLAlbumPickJob::stateRefetch);
    }
    return super(&CVXLAlbumPickJob::stateRoot);
}

CVXLHsmState CVXLAlbumPickJob::stateAfterError(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kChildContinue:
        return transition(&CVXLAlbumPickJob::stateOpenList);
    case kChildBack:
    case kChildCancel:
    case kSignalCloseBack:
        return closeWith(kSignalCloseBack);
    case kChildExit:
    case kSignalCloseExit:
        return closeWith(kSignalCloseExit);
    }
    return super(&CVXLHsm::top);
}

CVXLHsmState CVXLAlbumPickJob::stateFailed(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kChildContinue:
    case kChildBack:
    case kChildCancel:
    case kChildExit:
    case kSignalCloseBack:
    case kSignalCloseExit:
        return closeWith(kSignalCloseExit);
    }
    return super(&CVXLHsm::top);
}

// Leaving: the layout goes, and an opened list gives the manager its
// previous list back before the result is told.
CVXLHsmState CVXLAlbumPickJob::stateClosing(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry:
        releaseLayout();
        layout_.clear();
        if (listOpen_ && mam_ && !restoreRequest_.isBusy()) {
            restoreRequest_.reset();
            post(mam_, &restoreRequest_);
        } else {
            postSignal(kSignalNext);
        }
        return handled();
    case kReplyRestore:
    case kSignalNext:
        listOpen_ = false;
        postSignal(closingKind_);
        return transition(&CVXLAlbumPickJob::stateClosed);
    }
    return super(&CVXLHsm::top);
}

CVXLHsmState CVXLAlbumPickJob::stateClosed(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalCloseBack:
    case kSignalCloseExit:
        closed_ = true;
        if (!stopEvent_)
            notifyOwner(signalOf(e) == kSignalCloseBack ? kEndBack : kEndExit);
        return transition(&CVXLAlbumPickJob::stateFinished);
    }
    return super(&CVXLHsm::top);
}

CVXLHsmState CVXLAlbumPickJob::stateFinished(const CVXLEvent* e)
{
    if (signalOf(e) >= kSignalUser)
        return handled();
    return super(&CVXLHsm::top);
}
