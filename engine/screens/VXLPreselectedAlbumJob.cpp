#include "engine/screens/VXLPreselectedAlbumJob.h"

#include "engine/access/MediaAccessManager.h"
#include "engine/core/base/VXLLog.h"
#include "engine/core/jobs/VXLEventCodes.h"
#include "engine/core/jobs/VXLUIRequestCodes.h"
#include "engine/media/VXLAlbum.h"
#include "engine/media/VXLMediaLocation.h"
#include "engine/screens/VXLMediaBrowseJob.h"
#include "engine/screens/VXLScreenServices.h"

namespace {

using J = CVXLPreselectedAlbumJob;

constexpr CVXLUiJob::ActionSignal kEventSignals[] = {
    {kLayoutActionContinue, J::kSignalContinue},
    {kLayoutActionUpdate, J::kSignalUpdate},
    {kLayoutActionBack, J::kSignalBack},
    {kLayoutActionExit, J::kSignalExit},
};

std::int32_t countSum(const CVXLAlbum& album)
{
    return album.counter(1) + album.counter(2);
}

void setCounts(CVXLAlbum& album, std::uint32_t images, std::uint32_t videos)
{
    album.setCounter(1, static_cast<std::int32_t>(images));
    album.setCounter(2, static_cast<std::int32_t>(videos));
}

} // namespace

CVXLPreselectedAlbumJob::CVXLPreselectedAlbumJob()
    : CVXLUiJob(&CVXLPreselectedAlbumJob::Initial, kFirstExternalCode)
{
}

// ---------------------------------------------------------------- faces

void CVXLPreselectedAlbumJob::init()
{
    CVXLUiJob::init();
    layout_.reset();
    layout_.setOwner(this);
    layout_.setOnlineSuppressed(property(kPropertyLocalOnly).toInt() == 1);
    layout_.setState(CVXLLayoutList::kStorageState);
    counted_ = nullptr;
    sumBefore_ = 0;
    refreshPending_ = false;
    stopEvent_ = nullptr;
}

void CVXLPreselectedAlbumJob::onLayoutAction(std::uint32_t eventId)
{
    postActionSignal(kLayoutList, eventId, kEventSignals);
}

void CVXLPreselectedAlbumJob::onUiRequest(std::int32_t code)
{
    if (code == kUIRequestMemoryCardChanged && isActive())
        postSignal(kSignalRebuild);
}

std::int32_t CVXLPreselectedAlbumJob::onFinished()
{
    const std::int32_t state = CVXLUiJob::onFinished();
    counted_ = nullptr;
    stopEvent_ = nullptr;
    return state;
}

void CVXLPreselectedAlbumJob::onEvent(CVXLEvent* event)
{
    if (filterEvent(event) != 0) {
        answerStopWhenIdle();
        return;
    }
    if (event->kind() == kEventReply) {
        // The reply is done with before the walk posts the request again
        // for the next album.
        finishEvent(event);
        if (event == &countRequest_ && !stopEvent_) {
            const CVXLSimpleEvent counted(kReplyCounts);
            dispatch(&counted);
        }
        answerStopWhenIdle();
        return;
    }
    if (event->effectiveCode() == kEventStop) {
        if (stopEvent_)
            return;
        stopEvent_ = event;
        if (CVXLEventHandler* local = services() ? services()->localMediaManager() : nullptr)
            cancelEventsWith(local);
        answerStopWhenIdle();
        return;
    }
    finishEvent(event);
}

void CVXLPreselectedAlbumJob::answerStopWhenIdle()
{
    if (!stopEvent_ || outstandingReplies() > 0)
        return;
    CVXLEvent* stop = stopEvent_;
    stopEvent_ = nullptr;
    finishEvent(stop);
}

// ---------------------------------------------------------------- counting

bool CVXLPreselectedAlbumJob::postCount(CVXLAlbum* album)
{
    CVXLEventHandler* local = services() ? services()->localMediaManager() : nullptr;
    if (!local) {
        VXL_LOG_INFO("album list: no Local Media Manager to count \"%s\"", album->name().c_str());
        return false;
    }
    counted_ = album;
    countRequest_.location() = CVXLMediaLocation(album->location());
    countRequest_.setFlags(kCountMask);
    countRequest_.imageCount = 0;
    countRequest_.videoCount = 0;
    post(local, &countRequest_);
    return true;
}

bool CVXLPreselectedAlbumJob::countNext()
{
    CVXLAlbum* album = nullptr;
    std::uint32_t location = 0;
    while (layout_.nextEntry(&album, &location)) {
        const std::uint32_t storage = CVXLMediaBrowseJob::storageClassOf(location);
        const bool local = storage == CVXLMediaBrowseJob::kStoragePhone
            || (storage == CVXLMediaBrowseJob::kStorageCard
                && CVXLScreenServices::memoryCardPresent(services()));
        if (local && postCount(album))
            return true;
        setCounts(*album, 0, 0);
    }
    counted_ = nullptr;
    return false;
}

void CVXLPreselectedAlbumJob::clearMediaElements()
{
    if (CMediaAccessManager* mam = services() ? services()->mediaAccess() : nullptr)
        mam->clearElements();
}

bool CVXLPreselectedAlbumJob::startCounting()
{
    layout_.restartEntries();
    if (!countNext())
        return false;
    clearMediaElements();
    return true;
}

CVXLHsmState CVXLPreselectedAlbumJob::countAll()
{
    return transition(startCounting() ? &CVXLPreselectedAlbumJob::CountingAlbums
                                      : &CVXLPreselectedAlbumJob::AlbumListShown);
}

// ---------------------------------------------------------------- picking

CVXLHsmState CVXLPreselectedAlbumJob::pick(const CVXLVariant& album, std::uint32_t location)
{
    CVXLUiJob::setProperty(kPropertyAlbum, album);
    releaseLayout();
    notifyOwner(CVXLMediaBrowseJob::storageClassOf(location) == CVXLMediaBrowseJob::kStorageOnline
            ? kEndOnlineAlbum
            : kEndLocalAlbum);
    return transition(&CVXLPreselectedAlbumJob::AlbumPicked);
}

CVXLHsmState CVXLPreselectedAlbumJob::pickFocused(CVXLAlbum* album)
{
    return pick(CVXLVariant(static_cast<const void*>(album)), album->location());
}

// ---------------------------------------------------------------- states

CVXLHsmState CVXLPreselectedAlbumJob::Initial(const CVXLEvent*)
{
    setState(&CVXLPreselectedAlbumJob::AlbumListTop);
    return handled();
}

CVXLHsmState CVXLPreselectedAlbumJob::AlbumListTop(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalInit:
        setState(startCounting() ? &CVXLPreselectedAlbumJob::CountingAlbums
                                 : &CVXLPreselectedAlbumJob::AlbumListShown);
        return handled();
    case kSignalExit:
        if (CVXLEventHandler* local = services() ? services()->localMediaManager() : nullptr)
            cancelEventsWith(local);
        releaseLayout();
        notifyOwner(kEndExit);
        return transition(&CVXLPreselectedAlbumJob::Done);
    case kSignalRebuild:
        refreshPending_ = true;
        return handled();
    }
    return super(&CVXLHsm::top);
}

CVXLHsmState CVXLPreselectedAlbumJob::CountingAlbums(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kReplyCounts: {
        if (counted_ && countRequest_.succeeded())
            setCounts(*counted_, countRequest_.imageCount, countRequest_.videoCount);
        if (countNext())
            return handled();
        const CVXLVariant preselected = property(kPropertyPreselected);
        CVXLAlbum album;
        if (CVXLMediaBrowseJob::albumOf(preselected, &album)) {
            CVXLUiJob::setProperty(kPropertyPreselected, CVXLVariant(0));
            return pick(preselected, album.location());
        }
        return transition(&CVXLPreselectedAlbumJob::AlbumListShown);
    }
    }
    return super(&CVXLPreselectedAlbumJob::AlbumListTop);
}

CVXLHsmState CVXLPreselectedAlbumJob::AlbumListShown(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry:
        refreshLayout();
        if (refreshPending_) {
            refreshPending_ = false;
            postSignal(kSignalRebuild);
        }
        return handled();
    case kSignalContinue: {
        CVXLElement* focused = layout_.currentElement();
        CVXLAlbum* album = focused ? focused->asType0() : nullptr;
        if (!album)
            return handled();
        const std::uint32_t storage = CVXLMediaBrowseJob::storageClassOf(album->location());
        if (storage == CVXLMediaBrowseJob::kStorageOnline)
            return pickFocused(album);
        if (storage == CVXLMediaBrowseJob::kStorageCard
            && !CVXLScreenServices::memoryCardPresent(services())) {
            setCounts(*album, 0, 0);
            return handled();
        }
        sumBefore_ = countSum(*album);
        if (!postCount(album))
            return pickFocused(album);
        return transition(&CVXLPreselectedAlbumJob::RereadingAlbum);
    }
    case kSignalUpdate:
        if (!layout_.list().isChanged())
            return handled();
        layout_.list().commit();
        layout_.refresh();
        return countAll();
    case kSignalRebuild:
        layout_.refresh();
        return countAll();
    case kSignalBack:
        releaseLayout();
        notifyOwner(kEndBack);
        return transition(&CVXLPreselectedAlbumJob::Done);
    }
    return super(&CVXLPreselectedAlbumJob::AlbumListTop);
}

CVXLHsmState CVXLPreselectedAlbumJob::RereadingAlbum(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kReplyCounts: {
        CVXLAlbum* album = counted_;
        counted_ = nullptr;
        if (!album)
            return transition(&CVXLPreselectedAlbumJob::AlbumListShown);
        if (countRequest_.succeeded())
            setCounts(*album, countRequest_.imageCount, countRequest_.videoCount);
        if (countSum(*album) != sumBefore_)
            clearMediaElements();
        return pickFocused(album);
    }
    }
    return super(&CVXLPreselectedAlbumJob::AlbumListTop);
}

CVXLHsmState CVXLPreselectedAlbumJob::AlbumPicked(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalGoOn:
        return countAll();
    }
    return super(&CVXLPreselectedAlbumJob::AlbumListTop);
}

CVXLHsmState CVXLPreselectedAlbumJob::Done(const CVXLEvent* e)
{
    if (signalOf(e) >= kSignalUser)
        return handled();
    return super(&CVXLHsm::top);
}
