#include "engine/access/MediaAccessManager.h"

#include "engine/core/base/VXLLog.h"
#include "engine/media/VXLMediaStoreManager.h"

void CMediaAccessManager::lookup(CMediaAccessQuery* query)
{
    std::vector<CVXLMediaItem*>& list = query->getResultList();
    if (current_ && (kind_ == kOnlineAlbum || kind_ == kLocalLocation || kind_ == kMessageMedia)) {
        const std::int32_t position = current_->find(query->descriptor());
        if (position >= 0) {
            CMediaCollectionEntry* entry = current_->at(position);
            current_->use(entry);
            list.clear();
            list.push_back(entry->item);
            return answer(kResultSucceeded);
        }
    }
    if (kind_ != kLocalLocation || !current_ || !local_) {
        VXL_LOG_INFO("media access: a lookup with no source to ask (kind %d) answered with failure",
            static_cast<int>(kind_));
        return answer(kResultFailed);
    }
    localItem_.setReplyCode(kReplyLocalLookup);
    localItem_.setName(query->descriptor().id);
    localItem_.packedLocation = stores_ ? stores_->locationById(current_->key().storageIndex()) : 0;
    localItem_.item = nullptr;
    state_ = kFetching;
    pendingTarget_ = local_;
    post(local_, &localItem_);
}

void CMediaAccessManager::addLocalFile(CMediaItemEvent* request)
{
    if (!current_ || !local_) {
        VXL_LOG_INFO("media access: a file added with no list open refused");
        return answer(kResultFailed);
    }
    localItem_.setReplyCode(kReplyLocalAdded);
    // A file given by its path alone (the composer's) is named by its path.
    localItem_.setName(request->name.length() ? request->name : request->path);
    localItem_.packedLocation = request->location;
    localItem_.item = nullptr;
    state_ = kFetching;
    pendingTarget_ = local_;
    post(local_, &localItem_);
}

void CMediaAccessManager::localItemReplied(CVXLEvent* reply)
{
    const std::int32_t result = reply->result();
    const CVXLString text = reply->resultText();
    const bool added = reply->replyCode() == kReplyLocalAdded;
    finishEvent(reply);
    CVXLMediaItem* item = localItem_.item;
    localItem_.item = nullptr;
    if (!serving_ || !current_ || result != kResultSucceeded || !item) {
        delete item;
        return answer(result == kResultSucceeded ? kResultFailed : result, text);
    }
    CMediaCollectionEntry* entry = current_->insert(current_->size(), item);
    if (!entry)
        return answer(kResultFailed);
    if (added) {
        selectEverywhere(*entry->item);
        return answer(result, text);
    }
    current_->use(entry);
    if (auto* query = dynamic_cast<CMediaAccessQuery*>(serving_)) {
        query->getResultList().clear();
        query->getResultList().push_back(entry->item);
    }
    answer(result, text);
}
