#include "engine/screens/VXLFavoritePositionJob.h"

#include "engine/access/MediaAccessManager.h"
#include "engine/core/base/VXLLog.h"
#include "engine/screens/VXLScreenServices.h"

void CVXLFavoritePositionJob::init()
{
    CVXLAlbumSummaryJob::init();
    favoriteIndex_ = property(kPropertyFavorite).toInt();
    layout_.setFirst(0);
    layout_.clearMovedWindow();
}

bool CVXLFavoritePositionJob::requestPage()
{
    layout_.setStale(false);
    const std::uint32_t first = layout_.first();
    if (first >= total_ || !mam_)
        return false;
    CVXLString id;
    std::int32_t location = 0;
    CVXLScreenServices* screen = services();
    if (!screen || !screen->favorite(favoriteIndex_, &id, &location))
        VXL_LOG_INFO("favourite %d: the slot is empty", static_cast<int>(favoriteIndex_));
    CVXLMediaDescriptor wanted;
    wanted.set(location, CVXLString(), id);
    std::swap(page_, spare_);
    page_->unbind();
    page_->bind(0, 1);
    page_->setDescriptor(wanted);
    page_->setPayload(static_cast<std::int32_t>(first));
    evictAll();
    post(mam_, page_);
    return true;
}

CVXLHsmState CVXLFavoritePositionJob::resetAlbum()
{
    layout_.forgetElements();
    if (mam_) {
        mam_->clearElements();
        mam_->deleteCollections();
    }
    return finishWith(kEndBack);
}

void CVXLFavoritePositionJob::computePrefetchLimits()
{
    prefetchBefore_ = prefetchAfter_ = limitBefore_ = limitAfter_ = 0;
}
