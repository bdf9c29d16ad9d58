#include "engine/access/MediaAccessManager.h"

#include "engine/core/base/VXLLog.h"

void CMediaAccessManager::fetch(CMediaAccessQuery* query)
{
    fetchPosition_ = query->getPayload();
    if (fetchPosition_ < 0) {
        VXL_LOG_INFO("media access: a fetch from position %d refused", static_cast<int>(fetchPosition_));
        return answer(kResultFailed);
    }
    continueFetch();
}

void CMediaAccessManager::continueFetch()
{
    auto* query = static_cast<CMediaAccessQuery*>(serving_);
    std::vector<CVXLMediaItem*>& list = query->getResultList();
    const std::size_t wanted = query->getValue();
    while (list.size() < wanted && current_) {
        CMediaCollectionEntry* entry = current_->at(fetchPosition_);
        if (!entry)
            break;
        current_->use(entry);
        list.push_back(entry->item);
        ++fetchPosition_;
    }
    if (list.size() >= wanted)
        return answer(kResultSucceeded);
    state_ = kFetching;
    switch (kind_) {
    case kOnlineAlbum:
        onlineFetch_.start = fetchPosition_;
        onlineFetch_.count = static_cast<std::int32_t>(wanted);
        onlineFetch_.caller = query->caller();
        onlineFetch_.item = nullptr;
        pendingTarget_ = &elementJob_;
        return post(&elementJob_, &onlineFetch_);
    case kLocalLocation:
        localFetch_.start = fetchPosition_;
        localFetch_.count = static_cast<std::int32_t>(wanted);
        localFetch_.caller = query->caller();
        localFetch_.item = nullptr;
        pendingTarget_ = &localJob_;
        return post(&localJob_, &localFetch_);
    case kMessageMedia:
        return readPart();
    default:
        VXL_LOG_INFO("media access: a fetch with no list open (kind %d) answered with failure",
            static_cast<int>(kind_));
        return answer(kResultFailed);
    }
}

// Takes a fetched item at the fetch position of the current collection and
// hands it to the query.
void CMediaAccessManager::takeItem(CVXLMediaItem* item, bool markSelected)
{
    auto* query = static_cast<CMediaAccessQuery*>(serving_);
    CMediaCollectionEntry* entry = current_->insert(fetchPosition_, item);
    if (!entry)
        return;
    if (markSelected)
        entry->selected = true;
    current_->use(entry);
    query->getResultList().push_back(entry->item);
    ++fetchPosition_;
}

void CMediaAccessManager::fetchReplied(CMediaFetchRequest& fetch, bool online)
{
    CVXLMediaItem* item = fetch.item;
    fetch.item = nullptr;
    const std::int32_t result = fetch.result();
    auto* query = dynamic_cast<CMediaAccessQuery*>(serving_);
    if (!query || !current_ || state_ != kFetching) {
        delete item;
        return;
    }
    if ((result != kResultSucceeded && result != kResultLastPage) || !item) {
        delete item;
        return answer(result == kResultSucceeded ? kResultFailed : result, fetch.resultText());
    }
    takeItem(item, isSelected(*item));
    // The source said this item is its last: nothing further to ask for.
    if (result == kResultLastPage)
        return answer(online ? kResultSucceeded : result);
    if (query->getResultList().size() >= query->getValue())
        return answer(online ? kResultSucceeded : result);
    continueFetch();
}
