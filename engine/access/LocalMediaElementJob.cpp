#include "engine/access/LocalMediaElementJob.h"

#include "engine/access/MediaAccessRequests.h"
#include "engine/access/MediaSelection.h"
#include "engine/core/base/VXLLog.h"
#include "engine/core/platform/VXLPlatformStatus.h"
#include "engine/core/settings/VXLPersKeys.h"
#include "engine/core/settings/VXLPersStore.h"
#include "engine/media/VXLMediaStoreManager.h"

#include <cstdio>

void CLocalMediaElementJob::onStarted()
{
    opened_ = false;
    storageIndex_ = 0;
    mediaMask_ = CMediaAccessRequest::kDefaultMediaMask;
    walk_ = Walk::None;
    cancelWalk_ = false;
}

void CLocalMediaElementJob::setLocation(CVXLLocalMediaRequest& request) const
{
    request.location() = CVXLMediaLocation();
    request.location().setByNumber(true);
    request.location().setNumber(storageIndex_);
    request.setFlags(mediaMask_);
}

void CLocalMediaElementJob::onRequest(CMediaAccessRequest* request)
{
    CMediaAccessRequest* origin = originOf(request);
    switch (request->requestCode()) {
    case kClose:
        opened_ = false;
        return complete(kResultSucceeded);
    case kOpen:
        if (!origin)
            return complete(kResultFailed);
        opened_ = true;
        storageIndex_ = static_cast<std::uint16_t>(origin->getStoreIndex() & 0xFFFF);
        mediaMask_ = origin->mediaMask();
        return complete(kResultSucceeded);
    case kFetch:
        if (CMediaFetchRequest* fetch = takeFetch(request, opened_, kResultLocalListNotOpened)) {
            setLocation(getItem_);
            getItem_.index = fetch->start;
            getItem_.item = nullptr;
            ask(&getItem_);
        }
        return;
    case kSave:
        if ((saveItem_.item = itemToSave(request)))
            ask(&saveItem_);
        return;
    case kDelete:
        return startWalk(request);
    default:
        return complete(kResultFailed);
    }
}

void CLocalMediaElementJob::counted()
{
    ++progress_;
    if (!settings_)
        return;
    char text[16];
    std::snprintf(text, sizeof text, "%u", progress_);
    settings_->set(kPersProgressCurrent, text);
}

void CLocalMediaElementJob::startWalk(CMediaAccessRequest* request)
{
    progress_ = 0;
    cancelWalk_ = false;
    lastName_.clear();
    if (settings_)
        settings_->set(kPersProgressCurrent, "0");
    CMediaAccessRequest* origin = originOf(request);
    if (origin && origin->isRefresh()) {
        if (!opened_)
            return complete(kResultLocalListNotOpened);
        walk_ = Walk::Location;
        return askFirstItem();
    }
    walk_ = Walk::Selection;
    nextSelected_ = 0;
    deleteNextSelected();
}

void CLocalMediaElementJob::deleteNextSelected()
{
    const CMediaSelection* list = current() ? current()->selection() : nullptr;
    if (cancelWalk_)
        return endWalk(kResultCancelled);
    if (!list || nextSelected_ >= list->size())
        return endWalk(kResultSucceeded);
    const CVXLMediaItem* item = list->items()[nextSelected_];
    deleteItem(item->name(), CMediaSelection::packedLocationOf(*item), kReplyDeleted);
}

void CLocalMediaElementJob::askFirstItem()
{
    setLocation(firstItem_);
    firstItem_.setName(CVXLString());
    ask(&firstItem_);
}

void CLocalMediaElementJob::deleteItem(
    const CVXLString& name, std::uint32_t packedLocation, std::int32_t replyCode)
{
    delete_.setName(name);
    delete_.packedLocation = packedLocation;
    delete_.setReplyCode(replyCode);
    ask(&delete_);
}

void CLocalMediaElementJob::endWalk(std::int32_t result, const CVXLString& text)
{
    walk_ = Walk::None;
    cancelWalk_ = false;
    complete(result, text);
}

void CLocalMediaElementJob::onCancel()
{
    // The item under way is deleted and counted before the walk ends.
    if (walk_ != Walk::None) {
        cancelWalk_ = true;
        return;
    }
    CMediaMemberJob::onCancel();
}

void CLocalMediaElementJob::onReply(CVXLEvent* reply)
{
    const std::int32_t result = reply->result();
    const CVXLString text = reply->resultText();
    finishEvent(reply);
    if (reply == &getItem_) {
        CVXLMediaItem* item = getItem_.item;
        getItem_.item = nullptr;
        return answerFetch(item, result, text);
    }
    if (reply == &saveItem_)
        return complete(result, text);
    if (reply == &firstItem_) {
        if (cancelWalk_)
            return endWalk(kResultCancelled);
        // A location with nothing left is the end of the walk, not a failure.
        if (result == static_cast<std::int32_t>(kPlatformNoMoreEntries))
            return endWalk(kResultSucceeded);
        if (result != kResultSucceeded)
            return endWalk(result, text);
        // The source said the item went, but it is still listed: the walk
        // cannot get past it, and the location is not empty.
        if (firstItem_.name() == lastName_) {
            VXL_LOG_FAILURE(
                "local media: \"%s\" is still there after its delete; the walk fails", lastName_.c_str());
            return endWalk(kResultFailed);
        }
        lastName_ = firstItem_.name();
        const std::uint32_t location = stores_ ? stores_->locationById(storageIndex_) : 0;
        return deleteItem(lastName_, location, kReplyLocationItemDeleted);
    }
    if (reply != &delete_)
        return;
    // A failed delete ends the walk with its result and is never counted.
    if (result != kResultSucceeded)
        return endWalk(result, text);
    counted();
    if (walk_ == Walk::Selection) {
        ++nextSelected_;
        return deleteNextSelected();
    }
    if (cancelWalk_)
        return endWalk(kResultCancelled);
    askFirstItem();
}
