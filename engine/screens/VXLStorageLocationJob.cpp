#include "engine/screens/VXLStorageLocationJob.h"

#include "engine/access/MediaAccessManager.h"
#include "engine/core/base/VXLLog.h"
#include "engine/core/jobs/VXLResultCodes.h"
#include "engine/media/VXLMediaLocation.h"

namespace {

CMediaAccessManager* mediaAccess(CVXLScreenServices* screen)
{
    return screen ? screen->mediaAccess() : nullptr;
}

} // namespace

std::uint16_t CVXLStorageLocationJob::storeIdOf(std::int32_t value)
{
    const auto word = static_cast<std::uint32_t>(value);
    if (word <= 0xFFFFu)
        return static_cast<std::uint16_t>(word);
    return vxlLocationStoreId(word);
}

void CVXLStorageLocationJob::onStart()
{
    opened_ = false;
    failed_ = false;
    CMediaAccessManager* media = mediaAccess(services());
    if (!media) {
        VXL_LOG_INFO("storage location job: no Media Access Manager");
        failed_ = true;
        showError(kResultFailed);
        return;
    }
    open_.reset();
    open_.setStoreIndex(storeIdOf(property(kPropertyLocation).toInt()));
    post(media, &open_);
}

void CVXLStorageLocationJob::onReply(CVXLEvent* reply)
{
    if (reply == &end_) {
        finishEvent(reply);
        opened_ = false;
        finishHeldStop();
        return;
    }
    if (reply != &open_) {
        finishEvent(reply);
        return;
    }
    const bool ok = reply->succeeded();
    finishEvent(reply);
    if (stopHeld())
        return;
    if (ok) {
        opened_ = true;
        notifyOwner(kEndDone);
        return;
    }
    failed_ = true;
    showEventError(open_);
}

void CVXLStorageLocationJob::onSignal(std::int32_t signal)
{
    if (failed_ && signal >= kChildContinue && signal <= kChildExit) {
        failed_ = false;
        notifyOwner(kEndFailed);
    }
}

bool CVXLStorageLocationJob::onStop()
{
    CMediaAccessManager* media = mediaAccess(services());
    if (!media || (!opened_ && !open_.isBusy()))
        return false;
    if (open_.isBusy()) {
        // The open still out: its answer comes before the end.
        opened_ = true;
    }
    end_.reset();
    post(media, &end_);
    return true;
}
