#include "engine/screens/VXLMediaBrowseJob.h"

#include "engine/access/MediaAccessManager.h"
#include "engine/access/MediaSelection.h"
#include "engine/core/base/VXLLog.h"
#include "engine/core/jobs/VXLEventCodes.h"
#include "engine/core/jobs/VXLResultCodes.h"
#include "engine/core/jobs/VXLUIRequestCodes.h"
#include "engine/core/settings/VXLConfigItem.h"
#include "engine/core/settings/VXLPersKeys.h"
#include "engine/media/VXLAlbumSummaryRequest.h"
#include "engine/media/VXLMediaItem.h"
#include "engine/media/VXLMediaLocation.h"
#include "engine/media/VXLMediaRef.h"
#include "engine/screens/VXLScreenServices.h"

#include <algorithm>
#include <vector>

namespace {

using J = CVXLMediaBrowseJob;
using B = CVXLLayoutMediaBrowser;

// The browser's events and the signals the job posts for them.
constexpr CVXLUiJob::ActionSignal kEventSignals[] = {
    {kLayoutActionUpdate, J::kSignalUpdate},
    {kLayoutActionBack, J::kSignalKeyBack},
    {kLayoutActionExit, J::kSignalKeyExit},
    {kLayoutActionSelect, J::kSignalSelect},
    {B::kSelectAll, J::kSignalSelectAll},
    {kLayoutActionContinue, J::kSignalContinue},
    {B::kAlbumList, J::kSignalAlbumList},
    {B::kSendToContacts, J::kSignalSendToContacts},
    {B::kPost, J::kSignalPost},
    {B::kDelete, J::kSignalDelete},
    {B::kMove, J::kSignalMove},
    {B::kCopy, J::kSignalCopy},
    {B::kPrint, J::kSignalPrint},
    {B::kAssign, J::kSignalAssign},
    {B::kUpload, J::kSignalUpload},
    {B::kVoiceSend, J::kSignalVoiceSend},
    {B::kDeselectAll, J::kSignalDeselectAll},
};

// Every browse job keeps at most this many elements loaded.
constexpr std::uint32_t kCacheLimit = 48;

} // namespace

CVXLMediaBrowseJob::CVXLMediaBrowseJob()
    : CVXLUiJob(&CVXLMediaBrowseJob::stateInitial, kFirstExternalCode)
{
    moveRequest_.setFlag(1);
    layout_.setLimit(kCacheLimit);
}

CVXLMediaBrowseJob::~CVXLMediaBrowseJob()
{
    // The elements are the manager's: the layout only forgets them.
    layout_.clearElements();
}

// The commands that leave the browser or change what it shows.
bool CVXLMediaBrowseJob::isCommand(std::int32_t s)
{
    switch (s) {
    case kSignalKeyExit:
    case kSignalAlbumList:
    case kSignalPost:
    case kSignalCopy:
    case kSignalDelete:
    case kSignalMove:
    case kSignalPrint:
    case kSignalSendToContacts:
    case kSignalUpdate:
    case kSignalUpload:
    case kSignalRefresh:
    case kSignalVoiceSend:
        return true;
    default:
        return false;
    }
}

std::uint32_t CVXLMediaBrowseJob::storageClassOf(std::uint32_t packedLocation)
{
    switch (vxlLocationKind(packedLocation)) {
    case kLocationKindStoreKind1:
        return kStoragePhone;
    case kLocationKindStoreKind2:
        return kStorageCard;
    default:
        return kStorageOnline;
    }
}

bool CVXLMediaBrowseJob::albumOf(const CVXLVariant& value, CVXLAlbum* out)
{
    auto* object = static_cast<CVXLObject*>(value.reference());
    auto* element = dynamic_cast<CVXLElement*>(object);
    if (CVXLAlbum* album = element ? element->asType0() : nullptr) {
        *out = *album;
        return true;
    }
    if (auto* summary = dynamic_cast<CVXLAlbumSummaryRequest*>(object)) {
        *out = summary->album();
        if (out->location() == 0)
            out->setLocation(summary->location());
        return true;
    }
    return false;
}

// ---------------------------------------------------------------- faces

void CVXLMediaBrowseJob::takeAlbum(const CVXLAlbum& album)
{
    if (&album != &album_)
        album_ = album;
    if (storageClassOf(album_.location()) == kStorageOnline)
        albumOnlineCount_ = static_cast<std::uint32_t>(album_.counter(1) + album_.counter(2));
    CVXLUiJob::setProperty(kPropertyAlbum, CVXLVariant(static_cast<const void*>(&album_)));
    setXferObject(&album_);
}

void CVXLMediaBrowseJob::setProperty(const CVXLString& name, const CVXLVariant& value)
{
    if (name == kPropertyAlbum && !isIn(&CVXLMediaBrowseJob::stateCopyTarget)
        && !isIn(&CVXLMediaBrowseJob::stateMoveTarget)) {
        CVXLAlbum album;
        if (albumOf(value, &album)) {
            takeAlbum(album);
            return;
        }
    }
    CVXLUiJob::setProperty(name, value);
}

void CVXLMediaBrowseJob::onLayoutAction(std::uint32_t eventId)
{
    postActionSignal(kLayoutMediaBrowser, eventId, kEventSignals);
}

void CVXLMediaBrowseJob::onUiRequest(std::int32_t code)
{
    if (!isActive() || code != kUIRequestMediaChanged)
        return;
    // An element of the visible window changed in the manager's lists.
    const std::uint32_t first = layout_.first();
    for (std::uint32_t index = first; index < first + layout_.windowSize(); ++index) {
        CVXLElement* element = layout_.elementAt(static_cast<std::int32_t>(index));
        if (element && element->isModified()) {
            postSignal(kSignalRefresh);
            return;
        }
    }
}

void CVXLMediaBrowseJob::init()
{
    CVXLUiJob::init();
    layout_.setOwner(this);
    layout_.setState(startState());
    layout_.clearElements();
    layout_.reset();
    mam_ = services() ? services()->mediaAccess() : nullptr;
    releaseOnStop_ = 1;
    clearSelectionOnExit_ = 1;
    albumOpen_ = 0;
    const std::int32_t configured = configNumber(kCfgInitialMediaFilterValue, 3);
    layout_.clearFilter();
    if (configured == 3 || configured == 1 || configured == 2)
        layout_.addFilter(static_cast<std::uint32_t>(configured));
    layout_.commitFilter();
    pendingFocus_ = -1;
    refreshPending_ = 0;
    noAutoSelect_ = services() && services()->takeNoAutoSelect() ? 1 : 0;
    showAnew_ = 0;
    windowJustShown_ = 0;
    total_ = 0;
    stopEvent_ = nullptr;
    stopping_ = false;
    handedOver_ = 0;
    closingResult_ = kEndBack;
    selectionList_ = nullptr;
    prefetchBefore_ = prefetchAfter_ = limitBefore_ = limitAfter_ = 0;
    deleteRequest_.setRequestCode(deleteCode());
}

void CVXLMediaBrowseJob::startAsPicker()
{
    releaseOnStop_ = 0;
    clearSelectionOnExit_ = 0;
    layout_.applyOneShotFilter();
}

std::int32_t CVXLMediaBrowseJob::onFinished()
{
    const std::int32_t state = CVXLUiJob::onFinished();
    releaseSelectionList();
    layout_.clearElements();
    uploadRequest_.reset();
    return state;
}

std::int32_t CVXLMediaBrowseJob::deleteCode() const
{
    return storageClassOf(album_.location()) == kStorageOnline ? kMediaDeleteOnlineItems
                                                               : kMediaDeleteLocalItems;
}

// ---------------------------------------------------------------- events

void CVXLMediaBrowseJob::dispatchReply(CVXLEvent* reply, std::int32_t signal)
{
    lastResult_ = reply->result();
    const CVXLSimpleEvent event(signal);
    dispatch(&event);
}

void CVXLMediaBrowseJob::onEvent(CVXLEvent* event)
{
    // A range given back cancelled still holds its items' uses.
    if ((event == &pageA_ || event == &pageB_) && event->kind() == kEventReply
        && event->result() == kResultCancelled && mam_) {
        auto* page = static_cast<CMediaAccessQuery*>(event);
        for (std::size_t i = 0; i < page->getResultList().size(); ++i)
            mam_->releaseElement(page->getPayload() + static_cast<std::int32_t>(i));
        page->getResultList().clear();
    }
    if (filterEvent(event) != 0) {
        answerStopWhenIdle();
        return;
    }
    const std::int32_t code = event->effectiveCode();
    if (code == kEventStop && event->kind() != kEventReply) {
        if (stopEvent_)
            return;
        stopEvent_ = event;
        cancelMediaTraffic();
        if (albumOpen_ && mam_) {
            stopping_ = true;
            if (releaseOnStop_)
                clearSelection();
            layout_.clearElements();
            post(mam_, &stopRelease_);
        }
        answerStopWhenIdle();
        return;
    }
    if (event->kind() != kEventReply) {
        finishEvent(event);
        answerStopWhenIdle();
        return;
    }
    const std::int32_t result = event->result();
    const bool ok = result == kResultSucceeded;
    switch (code) {
    case kReplyReleaseOnStop:
        finishEvent(event);
        if (releaseOnStop_ && mam_) {
            post(mam_, &stopEnd_);
            return;
        }
        stopping_ = false;
        albumOpen_ = 0;
        break;
    case kReplyEnd:
        finishEvent(event);
        stopping_ = false;
        albumOpen_ = 0;
        break;
    case kReplyEndAfterFilter:
        dispatchReply(event, kSignalHoldEnded);
        albumOpen_ = 0;
        finishEvent(event);
        break;
    case kReplyOpen:
        dispatchReply(event, kSignalOpened);
        finishEvent(event);
        break;
    case kReplyOpenLocal:
        dispatchReply(event, kSignalOpenedLocal);
        finishEvent(event);
        break;
    case kReplyRange:
        // A range that stopped short (68) arrived all the same.
        if (!ok && result != kResultLastPage && rangeFailureIsEmpty()) {
            for (std::size_t i = 0; mam_ && i < page_->getResultList().size(); ++i)
                mam_->releaseElement(page_->getPayload() + static_cast<std::int32_t>(i));
            page_->getResultList().clear();
            dispatchReply(event, kSignalRange);
        } else {
            dispatchReply(event, ok || result == kResultLastPage ? kSignalRange : kSignalRangeFailed);
        }
        finishEvent(event);
        break;
    case kReplyRelease:
        dispatchReply(event, kSignalReleased);
        finishEvent(event);
        break;
    case kReplyUpload:
    case kReplySummary:
        dispatchReply(event, kSignalSucceeded);
        finishEvent(event);
        break;
    default:
        dispatchReply(event, ok ? kSignalSucceeded : kSignalFailed);
        finishEvent(event);
        break;
    }
    answerStopWhenIdle();
}

// The stop is answered once the release sequence is over and no request
// of the job is out.
void CVXLMediaBrowseJob::answerStopWhenIdle()
{
    if (!stopEvent_ || stopping_ || outstandingReplies() > 0)
        return;
    CVXLEvent* stop = stopEvent_;
    stopEvent_ = nullptr;
    finishEvent(stop);
}

void CVXLMediaBrowseJob::cancelMediaTraffic()
{
    if (mam_)
        cancelEventsWith(mam_);
    if (!services())
        return;
    for (CVXLEventHandler* other :
        {services()->localMediaManager(), services()->onlineMediaManager(), services()->backgroundUpload()})
        if (other)
            cancelEventsWith(other);
}

// ---------------------------------------------------------------- helpers

void CVXLMediaBrowseJob::endChildScreen()
{
    CVXLUiJob* child = currentChild();
    if (!child || child->stopRequested())
        return;
    child->releaseLayout();
    child->stop();
}

void CVXLMediaBrowseJob::clearSelection()
{
    if (!mam_)
        return;
    mam_->clearAllSelections();
    mam_->resetSelectionFlag();
}

// The list of the selection handed out for a delete goes back to the manager.
void CVXLMediaBrowseJob::releaseSelectionList()
{
    if (selectionList_ && mam_)
        mam_->releaseItemList(selectionList_);
    selectionList_ = nullptr;
}

void CVXLMediaBrowseJob::selectFocusedIfNeeded()
{
    if (noAutoSelect_ || !mam_ || mam_->countSelected() != 0 || mam_->selectionFlag())
        return;
    CVXLElement* focused = layout_.currentElement();
    CVXLMediaItem* item = focused ? focused->asMediaItem() : nullptr;
    if (item && !mam_->isSelected(*item))
        mam_->toggleSelection(*item);
}

void CVXLMediaBrowseJob::showOrUpdate()
{
    if (showAnew_ || !isLayoutShown()) {
        showAnew_ = 0;
        showLayout();
    } else {
        updateLayout();
    }
}

CVXLHsmState CVXLMediaBrowseJob::finishWith(std::int32_t result)
{
    if ((result == kEndBack || result == kEndExit) && clearSelectionOnExit_)
        clearSelection();
    notifyOwner(result);
    return transition(&CVXLMediaBrowseJob::stateDone);
}

void CVXLMediaBrowseJob::applyFilterToSelection()
{
    const std::uint32_t filter = layout_.filter();
    if (!mam_ || (filter & kMediaFilterImagesAndVideos) == kMediaFilterImagesAndVideos)
        return;
    CMediaSelection* list = mam_->getSelectedItems();
    for (CVXLMediaItem* item : list->items()) {
        const CVXLMediaRef* ref = item->mediaRef().get();
        const CVXLString type = ref ? ref->getMimeType() : CVXLString();
        const bool image = type.find("image/") == 0;
        const bool video = type.find("video/") == 0;
        if ((image && !(filter & kMediaFilterImages)) || (video && !(filter & kMediaFilterVideos)))
            if (mam_->isSelected(*item))
                mam_->toggleSelection(*item);
    }
    mam_->releaseItemList(list);
}

void CVXLMediaBrowseJob::assignFavorite()
{
    CVXLElement* focused = layout_.currentElement();
    CVXLMediaItem* item = focused ? focused->asMediaItem() : nullptr;
    const std::int32_t slot = property(kPropertyFavorite).toInt();
    if (!item || !services() || slot < 0 || slot >= kFavoriteSlots) {
        VXL_LOG_INFO("media browse: no favourite assigned (slot %d, %s)", static_cast<int>(slot),
            item ? "an item" : "no item focused");
        return;
    }
    services()->setFavorite(slot, item->id(), item->title().length() ? item->title() : item->name(),
        static_cast<std::int32_t>(CMediaSelection::packedLocationOf(*item)));
}

void CVXLMediaBrowseJob::startUpload()
{
    uploadRequest_.reset();
    uploadRequest_.setReplyCode(kReplyUpload);
    CVXLEventHandler* target = services() ? services()->backgroundUpload() : nullptr;
    const bool whole = mam_ && mam_->selectionFlag();
    const std::uint32_t count = whole ? total_ : (mam_ ? mam_->countSelected() : 0);
    if (!target || !mam_ || count == 0) {
        postSignal(kSignalSucceeded);
        return;
    }
    services()->setPersistentNumber(kPersProgressTotal, count);
    services()->setPersistentNumber(kPersProgressCurrent, 0);
    uploadAlbumId_ = property(kPropertyAlbumId).toString();
    uploadRequest_.name = uploadAlbumId_;
    if (whole) {
        uploadRequest_.setWholeCollection(true);
        uploadRequest_.words[0] = layout_.filter();
        uploadRequest_.words[1] = vxlLocationStoreId(album_.location());
    } else {
        uploadRequest_.addSelection(mam_->getSelectedItems());
    }
    post(target, &uploadRequest_);
}

void CVXLMediaBrowseJob::takeUploadReply()
{
    if (lastResult_ == kResultSucceeded) {
        showInfo(uploadRequest_.flags[1] ? kNoticeQueuedTooLarge : kNoticeQueued, 0, 1);
        clearSelection();
    } else if (lastResult_ == kResultCancelled) {
        showInfo(kNoticeUploadCancelled, 0, 1);
    } else {
        showError(lastResult_);
    }
    uploadRequest_.reset();
}

// The upload in flight, if any, is no longer waited for.
void CVXLMediaBrowseJob::cancelUpload()
{
    if (CVXLEventHandler* target = services() ? services()->backgroundUpload() : nullptr)
        cancelEventsWith(target);
}

// ---------------------------------------------------------------- operations

CVXLStateHandler CVXLMediaBrowseJob::reloadState()
{
    return toState(&CVXLMediaBrowseJob::stateRefreshAlbum);
}

CVXLStateHandler CVXLMediaBrowseJob::deleteState()
{
    return toState(&CVXLMediaBrowseJob::stateDelete);
}

bool CVXLMediaBrowseJob::requestPage()
{
    layout_.setStale(false);
    const std::uint32_t w = layout_.windowSize();
    const std::uint32_t first = layout_.first();
    if (first >= total_ || !mam_)
        return false;
    const std::uint32_t e = std::min(w, total_ - first);
    const std::uint32_t cached = layout_.cacheCount();
    const auto cacheFirst = static_cast<std::uint32_t>(layout_.cacheFirst());
    const std::uint32_t cacheEnd = cacheFirst + cached;
    if (cached == 0) {
        sendRange(static_cast<std::int32_t>(first), e);
        return true;
    }
    if (cacheFirst <= first && cacheEnd >= first + e)
        return false;
    const std::uint32_t most = layout_.cacheMax();
    const std::uint32_t bridge = std::min(w, most - std::min(most, w));
    if (cacheEnd < first || first + w < cacheFirst) {
        const bool windowBefore = first < cacheFirst;
        const std::uint32_t gap = windowBefore ? cacheFirst - (first + w) : first - cacheEnd;
        if (gap <= bridge) {
            if (windowBefore)
                sendRange(static_cast<std::int32_t>(first), cacheFirst - first);
            else
                sendRange(static_cast<std::int32_t>(cacheEnd), first + e - cacheEnd);
        } else {
            sendRange(static_cast<std::int32_t>(first), e);
        }
        return true;
    }
    if (first < cacheFirst) {
        sendRange(static_cast<std::int32_t>(first), cacheFirst - first);
        return true;
    }
    if (cacheEnd < first + e) {
        sendRange(static_cast<std::int32_t>(cacheEnd), first + e - cacheEnd);
        return true;
    }
    return false;
}

void CVXLMediaBrowseJob::startDelete()
{
    pendingFocus_ = -1;
    deleteRequest_.reset();
    deleteRequest_.setRequestCode(deleteCode());
    deleteRequest_.setMediaMask(static_cast<std::uint8_t>(layout_.filter()));
    if (mam_ && mam_->selectionFlag()) {
        deleteRequest_.setRefresh(true);
    } else if (mam_) {
        selectionList_ = mam_->getSelectedItems();
        for (const CVXLMediaItem* item : selectionList_->items()) {
            if (services())
                services()->removeFavorites(
                    item->id(), static_cast<std::int32_t>(CMediaSelection::packedLocationOf(*item)));
            const std::int32_t index = item->indexWord();
            if (pendingFocus_ < 0 || index < pendingFocus_)
                pendingFocus_ = index;
        }
        deleteRequest_.setSelection(selectionList_);
    }
    if (mam_)
        post(mam_, &deleteRequest_);
}

void CVXLMediaBrowseJob::openAlbum()
{
    applyFilterToSelection();
    layout_.commitFilter();
    openRequest_.reset();
    openRequest_.setFileName(album_.identifier());
    openRequest_.setMediaMask(static_cast<std::uint8_t>(layout_.filter()));
    if (mam_)
        post(mam_, &openRequest_);
}

void CVXLMediaBrowseJob::refreshAlbum()
{
    // The online album's summary is the one its list gave: nothing to ask.
    postSignal(kSignalSucceeded);
}

void CVXLMediaBrowseJob::computeTotals()
{
    layout_.setCounts(static_cast<std::uint32_t>(std::max(0, album_.counter(2))),
        static_cast<std::uint32_t>(std::max(0, album_.counter(1))));
    layout_.setAlbumName(album_.name());
    total_ = layout_.filteredTotal();
}

CVXLHsmState CVXLMediaBrowseJob::resetAlbum()
{
    evictAll();
    return transition(reloadState());
}

// ---------------------------------------------------------------- states

CVXLHsmState CVXLMediaBrowseJob::stateInitial(const CVXLEvent*)
{
    setState(&CVXLMediaBrowseJob::stateRoot);
    return handled();
}

CVXLHsmState CVXLMediaBrowseJob::stateRoot(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalInit:
        showAnew_ = 1;
        setState(&CVXLMediaBrowseJob::stateStart);
        return handled();
    case kSignalFailed:
    case kSignalProgramExit:
    case kChildExit:
    case kSignalKeyExit:
        return finishWith(kEndExit);
    case kSignalProgramBack:
    case kChildContinue:
    case kChildBack:
    case kChildCancel:
    case kSignalKeyBack:
    case kSignalBack:
        return finishWith(kEndBack);
    case kSignalRangeFailed:
        showError(lastResult_);
        return transition(&CVXLMediaBrowseJob::stateAfterError);
    case kSignalRefresh:
        refreshPending_ = 1;
        return handled();
    case kSignalRange:
        // A range no state waits for: its uses go back.
        if (mam_)
            for (std::size_t i = 0; i < page_->getResultList().size(); ++i)
                mam_->releaseElement(page_->getPayload() + static_cast<std::int32_t>(i));
        page_->getResultList().clear();
        return handled();
    case kSignalPost:
    case kSignalCopy:
    case kSignalDelete:
    case kSignalMove:
    case kSignalPrint:
    case kSignalSelect:
    case kSignalSelectAll:
    case kSignalDeselectAll:
    case kSignalSendToContacts:
    case kSignalUpload:
    case kSignalContinue:
    case kSignalAlbumList:
    case kSignalAssign:
    case kSignalVoiceSend:
    case kSignalUpdate:
    case kSignalNext:
        return handled();
    }
    return super(&CVXLHsm::top);
}

CVXLHsmState CVXLMediaBrowseJob::stateStart(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalInit:
        setState(&CVXLMediaBrowseJob::stateLoading);
        return handled();
    case kSignalSucceeded:
        return transition(&CVXLMediaBrowseJob::stateBrowse);
    }
    return super(&CVXLMediaBrowseJob::stateRoot);
}
