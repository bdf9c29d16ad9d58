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

CVXLScreenServices* services()
{
    return CVXLScreenServices::instance();
}

using J = CVXLMediaBrowseJob;
using B = CVXLLayoutMediaBrowser;

// The browser's events and the signals the job posts for them.
struct EventSignal {
    std::uint32_t action;
    std::int32_t signal;
};
constexpr EventSignal kEventSignals[] = {
    { kLayoutActionUpdate, J::kSignalUpdate },
    { kLayoutActionBack, J::kSignalKeyBack },
    { kLayoutActionExit, J::kSignalKeyExit },
    { kLayoutActionSelect, J::kSignalSelect },
    { B::kSelectAll, J::kSignalSelectAll },
    { kLayoutActionContinue, J::kSignalContinue },
    { B::kAlbumList, J::kSignalAlbumList },
    { B::kSendToContacts, J::kSignalSendToContacts },
    { B::kPost, J::kSignalPost },
    { B::kDelete, J::kSignalDelete },
    { B::kMove, J::kSignalMove },
    { B::kCopy, J::kSignalCopy },
    { B::kPrint, J::kSignalPrint },
    { B::kAssign, J::kSignalAssign },
    { B::kUpload, J::kSignalUpload },
    { B::kVoiceSend, J::kSignalVoiceSend },
    { B::kDeselectAll, J::kSignalDeselectAll },
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
        auto* object = static_cast<CVXLObject*>(value.reference());
        auto* element = dynamic_cast<CVXLElement*>(object);
        if (CVXLAlbum* album = element ? element->asType0() : nullptr) {
            takeAlbum(*album);
            return;
        }
        // The program's summary of a local album: its record, at the
        // location asked for even when the summary failed (no card).
        if (auto* summary = dynamic_cast<CVXLAlbumSummaryRequest*>(object)) {
            CVXLAlbum album = summary->album();
            if (album.location() == 0)
                album.setLocation(summary->location());
            takeAlbum(album);
            return;
        }
    }
    CVXLUiJob::setProperty(name, value);
}

void CVXLMediaBrowseJob::onLayoutAction(std::uint32_t eventId)
{
    for (const EventSignal& entry : kEventSignals) {
        if (layoutEventId(kLayoutMediaBrowser, entry.action) == eventId) {
            postSignal(entry.signal);
            return;
        }
    }
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
    const std::int32_t configured = CVXLScreenServices::configNumber(kCfgInitialMediaFilterValue, 3);
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

std::int32_t CVXLMediaBrowseJob::onFinished()
{
    const std::int32_t state = CVXLUiJob::onFinished();
    if (selectionList_ && mam_)
        mam_->releaseItemList(selectionList_);
    selectionList_ = nullptr;
    layout_.clearElements();
    uploadRequest_.reset();
    return state;
}

std::int32_t CVXLMediaBrowseJob::deleteCode() const
{
    return storageClassOf(album_.location()) == kStorageOnline ? kMediaDeleteOnlineItems : kMediaDeleteLocalItems;
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
        { services()->localMediaManager(), services()->onlineMediaManager(), services()->backgroundUpload() })
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

void CVXLMediaBrowseJob::evictFront(std::uint32_t n)
{
    n = std::min(n, layout_.cacheCount());
    std::vector<std::int32_t> held;
    for (std::uint32_t i = 0; i < n; ++i) {
        const std::int32_t index = layout_.cacheFirst() + static_cast<std::int32_t>(i);
        if (layout_.hasElement(index))
            held.push_back(index);
    }
    layout_.dropFront(n);
    for (std::int32_t index : held)
        if (mam_)
            mam_->releaseElement(index);
}

void CVXLMediaBrowseJob::evictBack(std::uint32_t n)
{
    n = std::min(n, layout_.cacheCount());
    std::vector<std::int32_t> held;
    const std::int32_t end = layout_.cacheFirst() + static_cast<std::int32_t>(layout_.cacheCount());
    for (std::uint32_t i = 1; i <= n; ++i) {
        const std::int32_t index = end - static_cast<std::int32_t>(i);
        if (layout_.hasElement(index))
            held.push_back(index);
    }
    layout_.dropBack(n);
    for (std::int32_t index : held)
        if (mam_)
            mam_->releaseElement(index);
}

void CVXLMediaBrowseJob::evictAll()
{
    evictFront(layout_.cacheCount());
}

void CVXLMediaBrowseJob::sendRange(std::int32_t start, std::uint32_t count)
{
    const std::uint32_t cached = layout_.cacheCount();
    const std::int32_t cacheFirst = layout_.cacheFirst();
    const std::int32_t cacheEnd = cacheFirst + static_cast<std::int32_t>(cached);
    const std::int32_t end = start + static_cast<std::int32_t>(count);
    const std::uint32_t most = layout_.cacheMax();
    if (cached != 0) {
        if (end < cacheFirst || start > cacheEnd) {
            evictAll();
        } else if (cached + count > most) {
            const std::uint32_t excess = cached + count - most;
            if (start < cacheFirst)
                evictBack(excess);
            else
                evictFront(excess);
        }
    }
    std::swap(page_, spare_);
    page_->unbind();
    page_->bind(0, count);
    page_->setPayload(start);
    if (mam_)
        post(mam_, page_);
}

void CVXLMediaBrowseJob::mergeRange()
{
    std::vector<CVXLMediaItem*>& items = page_->getResultList();
    const std::int32_t start = page_->getPayload();
    const auto n = static_cast<std::int32_t>(items.size());
    const std::int32_t cacheFirst = layout_.cacheFirst();
    const std::int32_t cacheEnd = cacheFirst + static_cast<std::int32_t>(layout_.cacheCount());
    const bool before = layout_.cacheCount() != 0 && start < cacheFirst;
    if (layout_.cacheCount() != 0 && (start + n < cacheFirst || start > cacheEnd))
        evictAll();
    for (std::int32_t k = 0; k < n; ++k) {
        const std::int32_t i = before ? n - 1 - k : k;
        const std::int32_t index = start + i;
        CVXLMediaItem* item = items[static_cast<std::size_t>(i)];
        if (item)
            item->setIndexWord(index);
        // One use per loaded slot: a slot already held gives the new one back.
        if (!item || layout_.hasElement(index) || !layout_.addElement(item, index))
            if (mam_)
                mam_->releaseElement(index);
    }
    items.clear();
    const std::uint32_t most = layout_.cacheMax();
    if (layout_.cacheCount() > most) {
        if (before)
            evictBack(layout_.cacheCount() - most);
        else
            evictFront(layout_.cacheCount() - most);
    }
}

void CVXLMediaBrowseJob::placeWindow(bool initial)
{
    const std::uint32_t w = layout_.windowSize();
    const std::uint32_t r = layout_.rowLength() == 0 ? 1 : layout_.rowLength();
    const std::uint32_t total = total_;
    std::uint32_t first = layout_.first();
    if (first >= total)
        first = w < total ? total - w : 0;
    if (pendingFocus_ >= 0 && static_cast<std::uint32_t>(pendingFocus_) >= total) {
        pendingFocus_ = -1;
        initial = true;
    }
    const bool moved = layout_.movedWindow();
    if (pendingFocus_ >= 0) {
        const auto focus = static_cast<std::uint32_t>(pendingFocus_);
        if (focus < first || focus >= first + w)
            first = focus;
    } else if (initial && total > 0) {
        if (w < total) {
            first = r * ((total + r - 1) / r - w / r);
            if (first > total - 1)
                first = total - 1;
        }
        pendingFocus_ = static_cast<std::int32_t>(total - 1);
    }
    layout_.setFirst(first);
    if (!moved)
        layout_.clearMovedWindow();
    layout_.window().commit();
    layout_.commitFilter();
    windowFirst_ = layout_.first();
    windowSize_ = w;
}

void CVXLMediaBrowseJob::computePrefetchLimits()
{
    const std::uint32_t w = layout_.windowSize();
    const std::uint32_t most = layout_.cacheMax();
    const std::uint32_t first = layout_.first();
    prefetchBefore_ = prefetchAfter_ = 0;
    if (w == 0) {
        limitBefore_ = limitAfter_ = 0;
        return;
    }
    const std::uint32_t beside = (most - std::min(most, w)) / w;
    const std::uint32_t after = (total_ - std::min(total_, first + w)) / w;
    const std::uint32_t before = first / w;
    const std::uint32_t e = std::min(after, (beside + 1) / 2);
    if (before + e < beside) {
        limitBefore_ = before;
        limitAfter_ = std::min(after, beside - before);
    } else {
        limitBefore_ = beside - e;
        limitAfter_ = e;
    }
}

// A page after the window is sent, or counted as done when the cache holds
// it; false when no page is left.
bool CVXLMediaBrowseJob::prefetchNextAfter()
{
    const std::uint32_t w = layout_.windowSize();
    const std::uint32_t first = layout_.first();
    while (prefetchAfter_ < limitAfter_) {
        const std::uint32_t pageStart = first + w * (prefetchAfter_ + 1);
        const std::uint32_t pageEnd = std::min(total_, first + w * (prefetchAfter_ + 2));
        const auto cacheEnd = static_cast<std::uint32_t>(layout_.cacheFirst()) + layout_.cacheCount();
        if (pageStart >= pageEnd || cacheEnd >= pageEnd) {
            ++prefetchAfter_;
            continue;
        }
        const std::uint32_t start = cacheEnd > pageStart ? cacheEnd : pageStart;
        sendRange(static_cast<std::int32_t>(start), pageEnd - start);
        return true;
    }
    return false;
}

bool CVXLMediaBrowseJob::prefetchNextBefore()
{
    const std::uint32_t w = layout_.windowSize();
    const std::uint32_t first = layout_.first();
    while (prefetchBefore_ < limitBefore_) {
        const std::uint32_t pageStart = first - w * (prefetchBefore_ + 1);
        std::uint32_t pageEnd = first - w * prefetchBefore_;
        const auto cacheFirst = static_cast<std::uint32_t>(layout_.cacheFirst());
        if (layout_.cacheCount() != 0 && cacheFirst <= pageStart) {
            ++prefetchBefore_;
            continue;
        }
        if (layout_.cacheCount() != 0 && cacheFirst < pageEnd)
            pageEnd = cacheFirst;
        sendRange(static_cast<std::int32_t>(pageStart), pageEnd - pageStart);
        return true;
    }
    return false;
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

CVXLHsmState CVXLMediaBrowseJob::stateLoading(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalInit:
        setState(reloadState());
        return handled();
    case kSignalProgramBack:
    case kSignalKeyBack:
    case kSignalBack:
        cancelMediaTraffic();
        closingResult_ = kEndBack;
        return transition(&CVXLMediaBrowseJob::stateClosing);
    case kSignalKeyExit:
    case kChildExit:
        cancelMediaTraffic();
        closingResult_ = kEndExit;
        return transition(&CVXLMediaBrowseJob::stateClosing);
    }
    return super(&CVXLMediaBrowseJob::stateStart);
}

CVXLHsmState CVXLMediaBrowseJob::stateRefreshAlbum(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry:
        refreshAlbum();
        return handled();
    case kSignalSucceeded:
        return transition(&CVXLMediaBrowseJob::stateOpenAlbum);
    }
    return super(&CVXLMediaBrowseJob::stateLoading);
}

CVXLHsmState CVXLMediaBrowseJob::stateOpenAlbum(const CVXLEvent* e)
{
    const std::int32_t s = signalOf(e);
    switch (s) {
    case kSignalEntry:
        openAlbum();
        return handled();
    case kSignalUpdate:
        if (layout_.filterChanged())
            openAlbum();
        return handled();
    case kSignalFailed:
        showError(lastResult_);
        return transition(&CVXLMediaBrowseJob::stateAfterError);
    case kSignalOpened:
    case kSignalOpenedLocal:
        if (lastResult_ != kResultSucceeded) {
            showError(lastResult_);
            return transition(&CVXLMediaBrowseJob::stateAfterError);
        }
        if (s == kSignalOpened)
            CVXLMediaBrowseJob::computeTotals();
        else
            computeTotals();
        albumOpen_ = 1;
        if (total_ == 0) {
            showInfo(kNoticeEmptyAlbum, 0, 1);
            return transition(&CVXLMediaBrowseJob::stateEmptyAlbum);
        }
        placeWindow(pendingFocus_ < 0);
        return transition(&CVXLMediaBrowseJob::stateRequestWindow);
    }
    return super(&CVXLMediaBrowseJob::stateLoading);
}

CVXLHsmState CVXLMediaBrowseJob::stateEmptyAlbum(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kChildContinue:
    case kChildBack:
    case kChildCancel:
        return finishWith(kEndBack);
    case kChildExit:
        return finishWith(kEndExit);
    }
    return super(&CVXLMediaBrowseJob::stateRoot);
}

CVXLHsmState CVXLMediaBrowseJob::stateFetchWindow(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry:
        postSignal(kSignalNext);
        return handled();
    case kSignalNext:
        placeWindow(false);
        return transition(&CVXLMediaBrowseJob::stateRequestWindow);
    }
    return super(&CVXLMediaBrowseJob::stateLoading);
}

CVXLHsmState CVXLMediaBrowseJob::stateRequestWindow(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry:
        postSignal(kSignalNext);
        return handled();
    case kSignalNext:
        if (requestPage())
            return transition(&CVXLMediaBrowseJob::stateWaitWindow);
        return transition(&CVXLMediaBrowseJob::stateWindowReady);
    case kSignalUpdate:
        return transition(&CVXLMediaBrowseJob::stateWaitThenPlace);
    }
    return super(&CVXLMediaBrowseJob::stateLoading);
}

CVXLHsmState CVXLMediaBrowseJob::stateWaitWindow(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalRange:
        mergeRange();
        return transition(&CVXLMediaBrowseJob::stateWindowReady);
    case kSignalUpdate:
        return transition(&CVXLMediaBrowseJob::stateWaitThenPlace);
    }
    return super(&CVXLMediaBrowseJob::stateLoading);
}

CVXLHsmState CVXLMediaBrowseJob::stateWaitThenPlace(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalRange:
        mergeRange();
        return transition(&CVXLMediaBrowseJob::stateFetchWindow);
    case kSignalNext:
        // The window's request was not sent: place it again now.
        if (!page_->isBusy())
            return transition(&CVXLMediaBrowseJob::stateFetchWindow);
        return handled();
    case kSignalUpdate:
        return handled();
    }
    return super(&CVXLMediaBrowseJob::stateLoading);
}

CVXLHsmState CVXLMediaBrowseJob::stateWindowReady(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry:
        postSignal(kSignalNext);
        return handled();
    case kSignalNext: {
        computePrefetchLimits();
        const std::int32_t focus = pendingFocus_ >= 0 ? pendingFocus_ : static_cast<std::int32_t>(layout_.first());
        pendingFocus_ = -1;
        layout_.setCurrentElement(layout_.elementAt(focus));
        layout_.setStale(false);
        showOrUpdate();
        windowJustShown_ = 1;
        return transition(&CVXLMediaBrowseJob::statePrefetchAfter);
    }
    }
    return super(&CVXLMediaBrowseJob::statePrefetch);
}

CVXLHsmState CVXLMediaBrowseJob::statePrefetch(const CVXLEvent* e)
{
    const std::int32_t s = signalOf(e);
    switch (s) {
    case kSignalSelect:
        layout_.toggleFocused();
        updateLayout();
        return handled();
    case kSignalSelectAll:
    case kSignalDeselectAll:
    case kSignalContinue:
    case kSignalAssign:
        // Taken in the browse state once the prefetch has stopped.
        cancelMediaTraffic();
        postSignal(s);
        return transition(&CVXLMediaBrowseJob::stateBrowse);
    case kSignalRangeFailed:
        // A failed page ends the prefetch; browsing goes on.
        return transition(&CVXLMediaBrowseJob::stateBrowse);
    }
    if (isCommand(s)) {
        cancelMediaTraffic();
        postSignal(s);
        return transition(&CVXLMediaBrowseJob::stateBrowse);
    }
    return super(&CVXLMediaBrowseJob::stateRoot);
}

CVXLHsmState CVXLMediaBrowseJob::statePrefetchAfter(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry:
        postSignal(kSignalNext);
        return handled();
    case kSignalNext:
        if (prefetchNextAfter())
            return transition(&CVXLMediaBrowseJob::stateWaitAfter);
        return transition(&CVXLMediaBrowseJob::statePrefetchBefore);
    }
    return super(&CVXLMediaBrowseJob::statePrefetch);
}

CVXLHsmState CVXLMediaBrowseJob::stateWaitAfter(const CVXLEvent* e)
{
    if (signalOf(e) == kSignalRange) {
        mergeRange();
        ++prefetchAfter_;
        return transition(&CVXLMediaBrowseJob::statePrefetchAfter);
    }
    return super(&CVXLMediaBrowseJob::statePrefetch);
}

CVXLHsmState CVXLMediaBrowseJob::statePrefetchBefore(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry:
        postSignal(kSignalNext);
        return handled();
    case kSignalNext:
        if (prefetchNextBefore())
            return transition(&CVXLMediaBrowseJob::stateWaitBefore);
        return transition(&CVXLMediaBrowseJob::stateBrowse);
    }
    return super(&CVXLMediaBrowseJob::statePrefetch);
}

CVXLHsmState CVXLMediaBrowseJob::stateWaitBefore(const CVXLEvent* e)
{
    if (signalOf(e) == kSignalRange) {
        mergeRange();
        ++prefetchBefore_;
        return transition(&CVXLMediaBrowseJob::statePrefetchBefore);
    }
    return super(&CVXLMediaBrowseJob::statePrefetch);
}

CVXLHsmState CVXLMediaBrowseJob::handOverWith(std::int32_t result)
{
    handedOver_ = result;
    notifyOwner(result);
    return transition(&CVXLMediaBrowseJob::stateHandOver);
}

CVXLHsmState CVXLMediaBrowseJob::commandInBrowse(std::int32_t s)
{
    const bool whole = mam_ && mam_->selectionFlag();
    switch (s) {
    case kSignalContinue:
        selectFocusedIfNeeded();
        return handOverWith(kEndContinue);
    case kSignalAlbumList:
        return finishWith(kEndAlbumList);
    case kSignalPost:
    case kSignalPrint:
    case kSignalSendToContacts:
    case kSignalVoiceSend: {
        if (whole)
            return handled();
        selectFocusedIfNeeded();
        const std::int32_t result = s == kSignalPost ? kEndPost
            : s == kSignalPrint                      ? kEndPrint
            : s == kSignalSendToContacts             ? kEndSendToContacts
                                                     : kEndVoiceSend;
        return handOverWith(result);
    }
    case kSignalCopy:
        return transition(&CVXLMediaBrowseJob::stateCopyTarget);
    case kSignalMove:
        return transition(&CVXLMediaBrowseJob::stateMoveTarget);
    case kSignalDelete:
        if (!whole)
            selectFocusedIfNeeded();
        if (!whole && (!mam_ || mam_->countSelected() == 0))
            return handled();
        return transition(deleteState());
    case kSignalUpload:
        if (!whole)
            selectFocusedIfNeeded();
        return transition(&CVXLMediaBrowseJob::stateConfirmUpload);
    case kSignalAssign:
        if (!layout_.currentElement() || !layout_.currentElement()->asMediaItem()) {
            VXL_LOG_INFO("media browse %d: Assign with no focused item refused", typeId());
            return handled();
        }
        assignFavorite();
        return finishWith(kEndContinue);
    }
    return handled();
}

CVXLHsmState CVXLMediaBrowseJob::stateBrowse(const CVXLEvent* e)
{
    const std::int32_t s = signalOf(e);
    switch (s) {
    case kSignalEntry:
        layout_.setStale(false);
        if (!windowJustShown_)
            showOrUpdate();
        windowJustShown_ = 0;
        if (refreshPending_) {
            refreshPending_ = 0;
            postSignal(kSignalRefresh);
        }
        return handled();
    case kSignalGoOn:
        updateLayout();
        return handled();
    case kSignalSelect:
        layout_.toggleFocused();
        updateLayout();
        return handled();
    case kSignalSelectAll:
        layout_.toggleAll();
        updateLayout();
        return handled();
    case kSignalDeselectAll:
        clearSelection();
        updateLayout();
        return handled();
    case kSignalUpdate:
        if (layout_.filterChanged()) {
            if (albumOpen_)
                return transition(&CVXLMediaBrowseJob::stateApplyFilter);
            return transition(reloadState());
        }
        if (layout_.movedWindow()) {
            layout_.clearMovedWindow();
            return transition(&CVXLMediaBrowseJob::stateFetchWindow);
        }
        if (CVXLElement* focused = layout_.currentElement(); focused && focused->isModified()
            && focused->asMediaItem())
            return transition(&CVXLMediaBrowseJob::stateCommitItem);
        updateLayout();
        return handled();
    case kSignalRefresh:
        if (layout_.state() <= 2)
            return resetAlbum();
        return handled();
    case kSignalContinue:
    case kSignalAlbumList:
    case kSignalPost:
    case kSignalPrint:
    case kSignalSendToContacts:
    case kSignalVoiceSend:
    case kSignalCopy:
    case kSignalMove:
    case kSignalDelete:
    case kSignalUpload:
    case kSignalAssign:
        return commandInBrowse(s);
    }
    return super(&CVXLMediaBrowseJob::stateRoot);
}

CVXLHsmState CVXLMediaBrowseJob::stateHandOver(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry:
        releaseLayout();
        return handled();
    case kSignalGoOn:
        clearSelection();
        showAnew_ = 1;
        return transition(reloadState());
    case kSignalAbandoned:
        showAnew_ = 1;
        return transition(reloadState());
    }
    return super(&CVXLMediaBrowseJob::stateRoot);
}

CVXLHsmState CVXLMediaBrowseJob::stateCopyTarget(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry:
        CVXLUiJob::setProperty(kPropertyAlbum, CVXLVariant(0));
        notifyOwner(kEndChooseAlbum);
        releaseLayout();
        return handled();
    case kSignalGoOn:
        showAnew_ = 1;
        return transition(&CVXLMediaBrowseJob::stateCopy);
    case kSignalAbandoned:
        showLayout();
        if (mam_)
            mam_->resetSelectionFlag();
        return transition(&CVXLMediaBrowseJob::stateBrowse);
    }
    return super(&CVXLMediaBrowseJob::stateRoot);
}

CVXLHsmState CVXLMediaBrowseJob::stateMoveTarget(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry:
        CVXLUiJob::setProperty(kPropertyAlbum, CVXLVariant(0));
        notifyOwner(kEndChooseAlbum);
        releaseLayout();
        return handled();
    case kSignalGoOn:
        showAnew_ = 1;
        return transition(&CVXLMediaBrowseJob::stateMove);
    case kSignalAbandoned:
        showLayout();
        if (mam_)
            mam_->resetSelectionFlag();
        return transition(&CVXLMediaBrowseJob::stateBrowse);
    }
    return super(&CVXLMediaBrowseJob::stateRoot);
}

CVXLHsmState CVXLMediaBrowseJob::stateCommand(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalFailed:
        showError(lastResult_);
        return transition(&CVXLMediaBrowseJob::stateErrorShown);
    case kChildContinue:
    case kChildBack:
    case kChildCancel:
    case kSignalBack:
        cancelMediaTraffic();
        postSignal(kSignalNext);
        return transition(&CVXLMediaBrowseJob::stateResume);
    }
    return super(&CVXLMediaBrowseJob::stateLoading);
}

CVXLHsmState CVXLMediaBrowseJob::stateCopy(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry: {
        const bool whole = mam_ && mam_->selectionFlag();
        copyRequest_.reset();
        copyRequest_.destination = property(kPropertyAlbumId).toString();
        copyRequest_.setRefresh(whole);
        copyRequest_.setMediaMask(static_cast<std::uint8_t>(layout_.filter()));
        if (mam_)
            post(mam_, &copyRequest_);
        return handled();
    }
    case kSignalExit:
        clearSelection();
        return handled();
    case kSignalSucceeded:
        layout_.clearElements();
        layout_.setStale(true);
        return transition(reloadState());
    }
    return super(&CVXLMediaBrowseJob::stateCommand);
}

CVXLHsmState CVXLMediaBrowseJob::stateMove(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry: {
        const bool whole = mam_ && mam_->selectionFlag();
        moveRequest_.reset();
        moveRequest_.setFlag(1);
        moveRequest_.destination = property(kPropertyAlbumId).toString();
        moveRequest_.setRefresh(whole);
        moveRequest_.setMediaMask(static_cast<std::uint8_t>(layout_.filter()));
        if (mam_)
            post(mam_, &moveRequest_);
        return handled();
    }
    case kSignalExit:
        clearSelection();
        return handled();
    case kSignalSucceeded:
        // The manager's lists are gone with the moved items.
        layout_.forgetElements();
        if (mam_) {
            mam_->clearElements();
            mam_->deleteCollections();
        }
        layout_.setStale(true);
        return transition(reloadState());
    }
    return super(&CVXLMediaBrowseJob::stateCommand);
}

CVXLHsmState CVXLMediaBrowseJob::stateDelete(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry:
        startDelete();
        return handled();
    case kSignalExit:
        if (selectionList_ && mam_)
            mam_->releaseItemList(selectionList_);
        selectionList_ = nullptr;
        clearSelection();
        return handled();
    case kSignalSucceeded:
        // The manager emptied its list with the deleted items.
        layout_.forgetElements();
        return resetAlbum();
    case kSignalFailed:
        layout_.forgetElements();
        showError(lastResult_);
        return transition(&CVXLMediaBrowseJob::stateErrorShown);
    case kChildContinue:
    case kChildBack:
    case kChildCancel:
    case kSignalBack:
        cancelMediaTraffic();
        layout_.forgetElements();
        postSignal(kSignalNext);
        return handled();
    case kSignalNext:
        return transition(reloadState());
    }
    return super(&CVXLMediaBrowseJob::stateCommand);
}

CVXLHsmState CVXLMediaBrowseJob::stateCommitItem(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry: {
        CVXLElement* focused = layout_.currentElement();
        commitRequest_.reset();
        commitRequest_.setPayloadItem(focused ? focused->asMediaItem() : nullptr);
        if (mam_)
            post(mam_, &commitRequest_);
        return handled();
    }
    case kSignalSucceeded:
        return transition(&CVXLMediaBrowseJob::stateBrowse);
    }
    return super(&CVXLMediaBrowseJob::stateCommand);
}

CVXLHsmState CVXLMediaBrowseJob::stateErrorShown(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kChildContinue:
    case kChildBack:
    case kChildCancel:
        return transition(&CVXLMediaBrowseJob::stateBrowse);
    }
    return super(&CVXLMediaBrowseJob::stateRoot);
}

CVXLHsmState CVXLMediaBrowseJob::stateResume(const CVXLEvent* e)
{
    if (signalOf(e) == kSignalNext)
        return transition(&CVXLMediaBrowseJob::stateBrowse);
    return super(&CVXLMediaBrowseJob::stateRoot);
}

CVXLHsmState CVXLMediaBrowseJob::stateConfirmUpload(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry:
        handedOver_ = kEndConfirmUpload;
        notifyOwner(kEndConfirmUpload);
        return handled();
    case kSignalSucceeded:
        clearSelection();
        return transition(&CVXLMediaBrowseJob::stateBrowse);
    case kSignalGoOn:
        return transition(&CVXLMediaBrowseJob::stateUpload);
    case kSignalAbandoned:
        if (mam_)
            mam_->resetSelectionFlag();
        return transition(&CVXLMediaBrowseJob::stateBrowse);
    }
    return super(&CVXLMediaBrowseJob::stateRoot);
}

CVXLHsmState CVXLMediaBrowseJob::stateUpload(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry:
        startUpload();
        return handled();
    case kSignalSucceeded:
        takeUploadReply();
        return transition(&CVXLMediaBrowseJob::stateErrorShown);
    case kChildContinue:
    case kSignalRefresh:
        return handled();
    case kChildBack:
    case kChildCancel:
        cancelUpload();
        return handled();
    case kChildExit:
        cancelUpload();
        closingResult_ = kEndExit;
        return transition(&CVXLMediaBrowseJob::stateClosing);
    }
    return super(&CVXLMediaBrowseJob::stateRoot);
}

CVXLHsmState CVXLMediaBrowseJob::stateApplyFilter(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry:
        evictAll();
        releaseRequest_.reset();
        if (mam_)
            post(mam_, &releaseRequest_);
        return handled();
    case kSignalReleased:
        endRequest_.reset();
        if (mam_)
            post(mam_, &endRequest_);
        return handled();
    case kSignalHoldEnded:
        layout_.clearElements();
        return transition(reloadState());
    }
    return super(&CVXLMediaBrowseJob::stateLoading);
}

CVXLHsmState CVXLMediaBrowseJob::stateAfterError(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kChildContinue:
    case kChildBack:
    case kChildCancel:
    case kChildExit:
        return finishWith(kEndExit);
    }
    return super(&CVXLMediaBrowseJob::stateRoot);
}

CVXLHsmState CVXLMediaBrowseJob::stateClosing(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry:
        // Taken once the cancelled requests are answered.
        postSignal(closingResult_ == kEndExit ? kSignalFinishExit : kSignalFinishBack);
        return handled();
    case kSignalFinishBack:
        return finishWith(kEndBack);
    case kSignalFinishExit:
    case kSignalSucceeded:
        return finishWith(kEndExit);
    }
    return super(&CVXLHsm::top);
}

CVXLHsmState CVXLMediaBrowseJob::stateDone(const CVXLEvent* e)
{
    const std::int32_t s = signalOf(e);
    if (s == kSignalEntry) {
        if (!showAnew_)
            releaseLayout();
        stop();
        return handled();
    }
    if (s >= kSignalUser)
        return handled();
    return super(&CVXLHsm::top);
}
