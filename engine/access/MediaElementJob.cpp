#include "engine/access/MediaElementJob.h"

#include "engine/access/MediaAccessRequests.h"
#include "engine/access/MediaSelection.h"

void CMediaElementJob::onStarted()
{
    opened_ = false;
    albumId_.clear();
    mediaMask_ = CMediaAccessRequest::kDefaultMediaMask;
}

void CMediaElementJob::onRequest(CMediaAccessRequest* request)
{
    CMediaAccessRequest* origin = originOf(request);
    switch (request->requestCode()) {
    case kClose:
        opened_ = false;
        return complete(kResultSucceeded);
    case kOpen: {
        auto* open = dynamic_cast<CMediaOpenAlbumRequest*>(origin);
        if (!open)
            return complete(kResultFailed);
        opened_ = true;
        albumId_ = open->getFileName();
        mediaMask_ = open->mediaMask();
        return complete(kResultSucceeded);
    }
    case kFetch:
        if (CMediaFetchRequest* fetch = takeFetch(request, opened_, kResultOnlineListNotOpened)) {
            getItem_.containerId = albumId_;
            getItem_.mediaBits = mediaMask_;
            getItem_.index = fetch->start;
            getItem_.pageSize = fetch->count;
            getItem_.item = nullptr;
            ask(&getItem_);
        }
        return;
    case kSave:
        if ((saveItem_.item = itemToSave(request)))
            ask(&saveItem_);
        return;
    case kCopy:
    case kMove: {
        auto* move = dynamic_cast<CMediaAlbumOperationRequest*>(origin);
        if (!move)
            return complete(kResultFailed);
        return itemOperation(request, move->flag() != 0 ? kKindMove : kKindCopy);
    }
    case kDelete:
        return itemOperation(request, kKindDelete);
    default:
        return complete(kResultFailed);
    }
}

void CMediaElementJob::itemOperation(CMediaAccessRequest* request, std::int32_t kind)
{
    CMediaAccessRequest* origin = originOf(request);
    operation_.kind = kind;
    operation_.setReplyCode(kind == kKindDelete ? kReplyDelete : kReplyCopyMove);
    auto* move = dynamic_cast<CMediaAlbumOperationRequest*>(origin);
    operation_.destinationId = move && kind != kKindDelete ? move->destination : CVXLString();
    operation_.containerId = albumId_;
    operation_.wholeAlbum = origin && origin->isRefresh();
    operation_.uids.clear();
    if (!operation_.wholeAlbum && request->selection())
        for (CVXLMediaItem* item : request->selection()->items())
            operation_.uids.insertAt(item->uid(), static_cast<int>(operation_.uids.count()));
    operation_.mediaBits = origin ? origin->mediaMask() : CMediaAccessRequest::kDefaultMediaMask;
    ask(&operation_);
}

void CMediaElementJob::onReply(CVXLEvent* reply)
{
    const std::int32_t result = reply->result();
    const CVXLString text = reply->resultText();
    finishEvent(reply);
    if (reply == &getItem_) {
        CVXLMediaItem* item = getItem_.item;
        getItem_.item = nullptr;
        return answerFetch(item, result, text);
    }
    complete(result, text);
}
