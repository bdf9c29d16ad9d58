#include "engine/screens/VXLMediaModifyJob.h"

#include "engine/access/MediaAccessManager.h"
#include "engine/core/base/VXLLog.h"
#include "engine/core/jobs/VXLResultCodes.h"
#include "engine/messaging/store/VXLMessageSummary.h"

#include <algorithm>

namespace {

constexpr std::int32_t kOperationAssign = 0;
constexpr std::int32_t kOperationPrint = 1;

} // namespace

std::uint32_t CVXLMediaModifyJob::stateForOperation(bool present, std::int32_t operation)
{
    if (present && operation == kOperationAssign)
        return kStateAssign;
    if (present && operation == kOperationPrint)
        return kStatePrint;
    return kStateSave;
}

std::int32_t CVXLMediaModifyJob::renditionFor(std::uint32_t wanted)
{
    switch (wanted & kMediaFilterImagesAndVideos) {
    case kMediaFilterImagesAndVideos:
        return 2;
    case kMediaFilterVideos:
        return 1;
    default:
        return 0;
    }
}

std::int32_t CVXLMediaModifyJob::requestKindFor(std::uint32_t layoutState)
{
    return layoutState == kStateAssign ? kKindNoSaveLocked : kKindNoSaveLockedNoDrm;
}

std::uint32_t CVXLMediaModifyJob::startState() const
{
    return stateForOperation(hasProperty(kPropertyOperation), property(kPropertyOperation).toInt());
}

void CVXLMediaModifyJob::init()
{
    CVXLMediaBrowseJob::init();
    modifyLocked_ = property(kPropertyModify).toInt() != 0 ? 0 : 1;
    summary_ = nullptr;
    if (hasProperty(kPropertySummary))
        summary_ = dynamic_cast<CVXLMessageSummary*>(
            static_cast<CVXLObject*>(property(kPropertySummary).reference()));
}

void CVXLMediaModifyJob::openAlbum()
{
    layout_.commitFilter();
    if (!summary_ || !mam_) {
        // Nothing to open: the flow ends instead of waiting for ever.
        VXL_LOG_INFO("media modify: no message summary to browse");
        lastResult_ = kResultFailed;
        postSignal(kSignalFailed);
        return;
    }
    mediaRequest_.reset();
    mediaRequest_.setMessage(summary_->messageId(), summary_->getTotalMediaParts());
    mediaRequest_.setOwner(renditionFor(layout_.filter()));
    mediaRequest_.setPayload(requestKindFor(layout_.state()));
    post(mam_, &mediaRequest_);
}

// The message's pictures and videos that passed the lock filter.
void CVXLMediaModifyJob::computeTotals()
{
    layout_.setCounts(static_cast<std::uint32_t>(std::max(0, mediaRequest_.getStoreIndex())),
        static_cast<std::uint32_t>(std::max(0, mediaRequest_.pictureCount())));
    if (summary_)
        layout_.setAlbumName(summary_->subject());
    total_ = layout_.filteredTotal();
}
