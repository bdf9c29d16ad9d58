#include "engine/access/MediaMemberJob.h"

#include "engine/access/MediaAccessRequests.h"
#include "engine/core/base/VXLLog.h"
#include "engine/core/jobs/VXLCancelNotice.h"

void CMediaMemberJob::onEvent(CVXLEvent* event)
{
    const std::int32_t code = event->effectiveCode();
    if (code == kEventStart) {
        current_ = nullptr;
        onStarted();
        event->setResult(kResultSucceeded);
        return finishEvent(event);
    }
    if (code == kEventStop) {
        if (mediaManager_)
            cancelEventsWith(mediaManager_);
        if (current_)
            complete(kResultCancelled);
        return CVXLEventHandler::onEvent(event);
    }
    if (code == kEventCancelNotice) {
        const CVXLEvent* cancelled = static_cast<CVXLCancelNotice*>(event)->cancelled();
        finishEvent(event);
        if (current_ && cancelled == current_)
            onCancel();
        else if (mediaManager_)
            cancelEventsWith(mediaManager_);
        return;
    }
    if (event->kind() == kEventReply)
        return onReply(event);
    auto* request = dynamic_cast<CMediaAccessRequest*>(event);
    if (!request || current_) {
        VXL_LOG_INFO("%s: request %x not served", name(), static_cast<unsigned>(event->requestCode()));
        event->setResult(kResultFailed);
        return finishEvent(event);
    }
    current_ = request;
    onRequest(request);
}

void CMediaMemberJob::onCancel()
{
    if (mediaManager_)
        cancelEventsWith(mediaManager_);
    complete(kResultCancelled);
}

void CMediaMemberJob::complete(std::int32_t result, const CVXLString& text)
{
    CMediaAccessRequest* request = current_;
    current_ = nullptr;
    if (!request)
        return;
    request->setResult(result, text);
    finishEvent(request);
}

bool CMediaMemberJob::ask(CVXLEvent* request)
{
    if (!mediaManager_) {
        VXL_LOG_INFO("%s: no media manager to ask", name());
        complete(kResultFailed);
        return false;
    }
    post(mediaManager_, request);
    return true;
}

CMediaAccessRequest* CMediaMemberJob::originOf(CMediaAccessRequest* request)
{
    auto* job = dynamic_cast<CMediaAccessBasicRequest*>(request);
    return job ? job->origin() : nullptr;
}

CMediaFetchRequest* CMediaMemberJob::takeFetch(
    CMediaAccessRequest* request, bool opened, std::int32_t notOpened)
{
    auto* fetch = dynamic_cast<CMediaFetchRequest*>(request);
    if (!fetch)
        complete(kResultFailed);
    else if (!opened)
        complete(notOpened);
    return fetch && opened ? fetch : nullptr;
}

CVXLMediaItem* CMediaMemberJob::itemToSave(CMediaAccessRequest* request)
{
    CMediaAccessRequest* origin = originOf(request);
    if (!origin || !origin->payloadItem()) {
        complete(kResultFailed);
        return nullptr;
    }
    return origin->payloadItem();
}

void CMediaMemberJob::answerFetch(CVXLMediaItem* item, std::int32_t result, const CVXLString& text)
{
    if (auto* fetch = dynamic_cast<CMediaFetchRequest*>(current()))
        fetch->item = item;
    else
        delete item;
    complete(result, text);
}
