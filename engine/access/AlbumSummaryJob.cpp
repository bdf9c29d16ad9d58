#include "engine/access/AlbumSummaryJob.h"

#include "engine/access/MediaAccessRequests.h"

void CAlbumSummaryJob::onRequest(CMediaAccessRequest* request)
{
    CMediaAccessRequest* origin = originOf(request);
    auto* text = dynamic_cast<CMediaAlbumTextRequest*>(origin);
    switch (request->requestCode()) {
    case kDelete:
        if (!text)
            return complete(kResultFailed);
        delete_.text = text->text;
        ask(&delete_);
        return;
    case kCreate:
        if (!text)
            return complete(kResultFailed);
        create_.text = text->text;
        ask(&create_);
        return;
    case kRename:
        if (!origin || !origin->payloadAlbum())
            return complete(kResultFailed);
        rename_.renamed = origin->payloadAlbum();
        ask(&rename_);
        return;
    case kList:
        list_.total = 0;
        ask(&list_);
        return;
    case kAlbumAt: {
        auto* fetch = dynamic_cast<CMediaAlbumFetchRequest*>(request);
        if (!fetch || !fetch->album)
            return complete(kResultFailed);
        albumAt_.index = fetch->position;
        ask(&albumAt_);
        return;
    }
    default:
        return complete(kResultFailed);
    }
}

void CAlbumSummaryJob::onReply(CVXLEvent* reply)
{
    const std::int32_t result = reply->result();
    const CVXLString text = reply->resultText();
    finishEvent(reply);
    CMediaAccessRequest* request = current();
    CMediaAccessRequest* origin = originOf(request);
    if (reply == &list_ && origin)
        origin->setOwner(list_.total);
    else if (reply == &create_ && result == kResultSucceeded)
        if (auto* created = dynamic_cast<CMediaAlbumTextRequest*>(origin))
            created->answer = create_.text;
    if (reply == &albumAt_)
        if (auto* fetch = dynamic_cast<CMediaAlbumFetchRequest*>(request))
            *fetch->album = albumAt_.album;
    complete(result, text);
}
