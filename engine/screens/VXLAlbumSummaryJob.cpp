#include "engine/screens/VXLAlbumSummaryJob.h"

#include "engine/access/MediaAccessManager.h"
#include "engine/core/jobs/VXLResultCodes.h"
#include "engine/core/jobs/VXLUIRequestCodes.h"
#include "engine/core/settings/VXLPersKeys.h"
#include "engine/media/VXLMediaLocation.h"
#include "engine/screens/VXLScreenServices.h"

namespace {

constexpr std::uint32_t kProgressState = 5;

} // namespace

bool CVXLAlbumSummaryJob::onCard() const
{
    return hasProperty(kPropertyAlbum) && storageClassOf(album_.location()) == kStorageCard;
}

std::uint32_t CVXLAlbumSummaryJob::startState() const
{
    return onCard() ? 1 : 2;
}

void CVXLAlbumSummaryJob::onUiRequest(std::int32_t code)
{
    if (code == kUIRequestStoresChanged && isActive())
        postSignal(kSignalRefresh);
    CVXLMediaBrowseJob::onUiRequest(code);
}

CVXLStateHandler CVXLAlbumSummaryJob::reloadState()
{
    return toHandler(&CVXLAlbumSummaryJob::stateRefreshSummary);
}

CVXLHsmState CVXLAlbumSummaryJob::resetAlbum()
{
    layout_.forgetElements();
    if (mam_) {
        mam_->clearElements();
        mam_->deleteCollections();
    }
    return transition(reloadState());
}

CVXLStateHandler CVXLAlbumSummaryJob::deleteState()
{
    return toHandler(&CVXLAlbumSummaryJob::stateDeleteWithProgress);
}

void CVXLAlbumSummaryJob::openAlbum()
{
    applyFilterToSelection();
    layout_.commitFilter();
    openLocalRequest_.reset();
    openLocalRequest_.setStoreIndex(vxlLocationStoreId(album_.location()));
    openLocalRequest_.setMediaMask(static_cast<std::uint8_t>(layout_.filter()));
    if (mam_)
        post(mam_, &openLocalRequest_);
}

void CVXLAlbumSummaryJob::refreshAlbum()
{
    CVXLEventHandler* local = services() ? services()->localMediaManager() : nullptr;
    if (!local) {
        postSignal(kSignalSucceeded);
        return;
    }
    summaryRequest_.location() = CVXLMediaLocation(album_.location());
    summaryRequest_.setFlags(kSummaryMask);
    summaryRequest_.imageCount = 0;
    summaryRequest_.videoCount = 0;
    post(local, &summaryRequest_);
}

CVXLHsmState CVXLAlbumSummaryJob::stateRefreshSummary(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry:
        postSignal(kSignalNext);
        return handled();
    case kSignalNext:
        if (storageClassOf(album_.location()) == kStorageCard
            && !CVXLScreenServices::memoryCardPresent(services())) {
            showInfo(kNoticeNoCard, 0, 1);
            return transition(&CVXLAlbumSummaryJob::stateAfterError);
        }
        refreshAlbum();
        return handled();
    case kSignalSucceeded:
        // A summary that failed leaves the counts at 0: the album shows empty.
        album_.setCounter(
            1, lastResult_ == kResultSucceeded ? static_cast<std::int32_t>(summaryRequest_.imageCount) : 0);
        album_.setCounter(
            2, lastResult_ == kResultSucceeded ? static_cast<std::int32_t>(summaryRequest_.videoCount) : 0);
        layout_.setCounts(
            static_cast<std::uint32_t>(album_.counter(2)), static_cast<std::uint32_t>(album_.counter(1)));
        return transition(&CVXLAlbumSummaryJob::stateOpenAlbum);
    }
    return super(&CVXLAlbumSummaryJob::stateLoading);
}

CVXLHsmState CVXLAlbumSummaryJob::stateDeleteWithProgress(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry: {
        const bool whole = mam_ && mam_->selectionFlag();
        if (services())
            services()->setPersistentNumber(
                kPersProgressTotal, whole ? total_ : (mam_ ? mam_->countSelected() : 0));
        showProgress(kProgressState, kPersProgressCurrent, kPersProgressTotal, false);
        startDelete();
        return handled();
    }
    case kSignalExit:
        releaseSelectionList();
        clearSelection();
        return handled();
    case kSignalSucceeded:
    case kSignalFailed:
        // Whatever the result, files may be gone and the manager has emptied
        // its list: the album is read again.
        layout_.forgetElements();
        endChildScreen();
        return resetAlbum();
    case kChildContinue:
        return handled();
    case kChildBack:
    case kChildCancel:
    case kSignalBack:
        cancelMediaTraffic();
        layout_.forgetElements();
        postSignal(kSignalNext);
        return handled();
    case kChildExit:
        cancelMediaTraffic();
        layout_.forgetElements();
        closingResult_ = kEndExit;
        return transition(&CVXLAlbumSummaryJob::stateClosing);
    case kSignalNext:
        return transition(reloadState());
    }
    return super(&CVXLAlbumSummaryJob::stateRoot);
}
