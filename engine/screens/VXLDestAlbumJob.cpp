#include "engine/screens/VXLDestAlbumJob.h"

#include "engine/access/MediaAccessManager.h"
#include "engine/core/base/VXLLog.h"
#include "engine/core/jobs/VXLResultCodes.h"

void CVXLDestAlbumJob::onStart()
{
    noticeShown_ = false;
    CVXLScreenServices* screen = services();
    CMediaAccessManager* media = screen ? screen->mediaAccess() : nullptr;
    CVXLEventHandler* uploads = screen ? screen->backgroundUpload() : nullptr;
    if (!media || media->countSelected() == 0) {
        VXL_LOG_INFO("destination album job: no media selected");
        notifyOwner(kEndBack);
        return;
    }
    upload_.reset();
    upload_.name = property(kPropertyAlbum).toString();
    upload_.addSelection(media->getSelectedItems());
    if (!uploads) {
        upload_.reset();
        noticeShown_ = true;
        showError(kResultFailed);
        return;
    }
    post(uploads, &upload_);
}

void CVXLDestAlbumJob::onReply(CVXLEvent* reply)
{
    const std::int32_t result = reply->result();
    finishEvent(reply);
    if (reply != &upload_)
        return;
    noticeShown_ = true;
    if (result == kResultSucceeded)
        showInfo(kNoticeQueued, 0, 1);
    else
        showEventError(upload_);
    upload_.reset();
}

// Cancel is taken as Back: the notice has nothing left to cancel.
void CVXLDestAlbumJob::onSignal(std::int32_t signal)
{
    if (!noticeShown_ || signal < kChildContinue || signal > kChildExit)
        return;
    noticeShown_ = false;
    notifyOwner(signal == kChildExit ? kEndExit : kEndBack);
}

std::int32_t CVXLDestAlbumJob::onFinished()
{
    // A request still out keeps its items until its answer.
    if (!upload_.isBusy())
        upload_.reset();
    return CVXLHandOverJob::onFinished();
}
