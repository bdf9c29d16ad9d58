#include "engine/access/MediaAccessManager.h"

#include "engine/core/base/VXLLog.h"
#include "engine/core/jobs/VXLCancelNotice.h"

CMediaAccessManager* CMediaAccessManager::instance_ = nullptr;

CMediaAccessManager::CMediaAccessManager() = default;

CMediaAccessManager::~CMediaAccessManager()
{
    if (instance_ == this)
        instance_ = nullptr;
    delete readItem_;
    releaseCaches();
}

CMediaAccessManager* CMediaAccessManager::instance()
{
    return instance_;
}

void CMediaAccessManager::setInstance(CMediaAccessManager* manager)
{
    instance_ = manager;
}

void CMediaAccessManager::releaseCaches()
{
    selectionList_.items().clear();
    for (const auto& collection : collections_)
        detachLists(collection.get());
    collections_.clear();
    current_ = nullptr;
    deleteAlbums();
    freeParts();
}

// ---------------------------------------------------------------- events

void CMediaAccessManager::onEvent(CVXLEvent* event)
{
    const std::int32_t code = event->effectiveCode();
    if (code == kEventStart)
        return onStart(event);
    if (code == kEventStop) {
        if (CVXLEventHandler* target = trafficTarget())
            cancelEventsWith(target);
        answer(kResultCancelled);
        return CVXLEventHandler::onEvent(event);
    }
    if (code == kEventCancelNotice) {
        const CVXLEvent* cancelled = static_cast<CVXLCancelNotice*>(event)->cancelled();
        finishEvent(event);
        return onCancel(cancelled);
    }
    if (event->kind() == kEventReply)
        return onReply(event);
    auto* request = dynamic_cast<CMediaAccessRequest*>(event);
    if (!request) {
        VXL_LOG_INFO("media access: request %x is not a media access request", static_cast<unsigned>(code));
        event->setResult(kResultFailed);
        return finishEvent(event);
    }
    serving_ = request;
    onRequest(request);
}

void CMediaAccessManager::onStart(CVXLEvent* event)
{
    CVXLEventHandler* online = nullptr;
    if (owner_) {
        online = owner_->onlineMediaManager();
        local_ = owner_->localMediaManager();
        inbound_ = owner_->inboundMessageManager();
        stores_ = owner_->mediaStoreManager();
        localJob_.setSettings(owner_->settings());
    }
    elementJob_.setMediaManager(online);
    summaryJob_.setMediaManager(online);
    localJob_.setMediaManager(local_);
    localJob_.setStores(stores_);
    jobRequest_.setReplyCode(kReplyJob);
    current_ = nullptr;
    kind_ = kNone;
    state_ = kIdle;
    startChild(&elementJob_);
    startChild(&localJob_);
    startChild(&summaryJob_);
    event->setResult(kResultSucceeded);
    finishEvent(event);
}

void CMediaAccessManager::answer(std::int32_t result, const CVXLString& text)
{
    CMediaAccessRequest* request = serving_;
    serving_ = nullptr;
    state_ = kIdle;
    pendingTarget_ = nullptr;
    if (!request)
        return;
    request->setResult(result, text);
    finishEvent(request);
}

CVXLEventHandler* CMediaAccessManager::trafficTarget()
{
    switch (kind_) {
    case kOnlineAlbum:
        return &elementJob_;
    case kLocalLocation:
        return &localJob_;
    case kAlbumList:
        return &summaryJob_;
    case kMessageMedia:
        return inbound_;
    default:
        return pendingTarget_;
    }
}

// Only the request being served has traffic to end; a notice for one
// already answered changes nothing.
void CMediaAccessManager::onCancel(const CVXLEvent* cancelled)
{
    if (!serving_ || cancelled != serving_)
        return;
    if (CVXLEventHandler* target = pendingTarget_ ? pendingTarget_ : trafficTarget())
        cancelEventsWith(target);
    answer(kResultCancelled);
}

void CMediaAccessManager::onRequest(CMediaAccessRequest* request)
{
    switch (request->requestCode()) {
    case kMediaFetch:
        if (auto* query = dynamic_cast<CMediaAccessQuery*>(request))
            return query->isLookup() ? lookup(query) : fetch(query);
        break;
    case kMediaRelease:
        if (current_)
            current_->releaseAll();
        return answer(kResultSucceeded);
    case kMediaAlbumAt:
        if (auto* album = dynamic_cast<CMediaElementRequest*>(request))
            return albumAt(album);
        break;
    case kMediaReleaseAlbums:
        releaseAlbums();
        return answer(kResultSucceeded);
    case kMediaOpenAlbum:
    case kMediaOpenLocation:
        return open(request);
    case kMediaOpenMessage:
        if (auto* message = dynamic_cast<CMediaAccessBasicRequest*>(request))
            return openMessage(message);
        break;
    case kMediaAlbumList:
        savedKind_ = kind_;
        savedState_ = state_;
        kind_ = kAlbumList;
        return runJob(request, &summaryJob_, CAlbumSummaryJob::kList, false);
    case kMediaClose:
        return close();
    case kMediaAlbumListEnd:
        kind_ = savedKind_;
        answer(kResultSucceeded);
        state_ = savedState_;
        return;
    case kMediaCreateAlbum:
        return runJob(request, &summaryJob_, CAlbumSummaryJob::kCreate, false);
    case kMediaRenameAlbum:
        return runJob(request, &summaryJob_, CAlbumSummaryJob::kRename, false);
    case kMediaDeleteAlbum:
        return runJob(request, &summaryJob_, CAlbumSummaryJob::kDelete, false);
    case kMediaCopyItems:
        return runJob(request, &elementJob_, CMediaElementJob::kCopy, true);
    case kMediaMoveItems:
        return runJob(request, &elementJob_, CMediaElementJob::kMove, true);
    case kMediaSaveItem: {
        const CVXLMediaItem* item = request->payloadItem();
        if (item && !item->online())
            return runJob(request, &localJob_, CLocalMediaElementJob::kSave, false);
        return runJob(request, &elementJob_, CMediaElementJob::kSave, false);
    }
    case kMediaDeleteOnlineItems:
        return runJob(request, &elementJob_, CMediaElementJob::kDelete, true);
    case kMediaDeleteLocalItems:
        return runJob(request, &localJob_, CLocalMediaElementJob::kDelete, true);
    case kMediaAddLocalFile:
        if (auto* add = dynamic_cast<CMediaItemEvent*>(request))
            return addLocalFile(add);
        break;
    default:
        break;
    }
    // 18, the codes from 28 up and requests of the wrong class: a sender
    // must never wait for ever.
    VXL_LOG_INFO("media access: request %d has no operation", static_cast<int>(request->requestCode()));
    answer(kResultFailed);
}

void CMediaAccessManager::onReply(CVXLEvent* reply)
{
    switch (reply->replyCode()) {
    case kReplyJob:
        return jobReplied(reply);
    case kReplyAlbum:
        return albumReplied(reply);
    case kReplyOnlineFetch:
    case kReplyLocalFetch: {
        auto& fetch = reply == &onlineFetch_ ? onlineFetch_ : localFetch_;
        finishEvent(reply);
        return fetchReplied(fetch, reply == &onlineFetch_);
    }
    case kReplyMessageOpened:
        return messageOpened(reply);
    case kReplyPartRead:
        return partRead(reply);
    case kReplyLocalAdded:
    case kReplyLocalLookup:
        return localItemReplied(reply);
    default:
        return finishEvent(reply);
    }
}

// ---------------------------------------------------------------- lists

// The first collection with an equal key becomes current, else a new one.
void CMediaAccessManager::openCollection(const CMediaCollectionKey& key)
{
    current_ = nullptr;
    for (const auto& collection : collections_)
        if (collection->key() == key) {
            current_ = collection.get();
            break;
        }
    if (!current_) {
        collections_.push_back(std::make_unique<CMediaCollection>(key));
        current_ = collections_.back().get();
    }
    current_->open();
}

void CMediaAccessManager::open(CMediaAccessRequest* request)
{
    const bool online = request->requestCode() == kMediaOpenAlbum;
    CMediaCollectionKey key;
    if (online) {
        auto* album = dynamic_cast<CMediaOpenAlbumRequest*>(request);
        if (!album)
            return answer(kResultFailed);
        key = CMediaCollectionKey::onlineAlbum(album->getFileName(), album->mediaMask());
    } else {
        key = CMediaCollectionKey::localLocation(
            static_cast<std::uint16_t>(request->getStoreIndex() & 0xFFFF), request->mediaMask());
    }
    openCollection(key);
    kind_ = online ? kOnlineAlbum : kLocalLocation;
    runJob(request, online ? static_cast<CMediaMemberJob*>(&elementJob_) : &localJob_,
        CMediaElementJob::kOpen, false);
}

void CMediaAccessManager::close()
{
    if (kind_ == kOnlineAlbum || kind_ == kLocalLocation) {
        CMediaMemberJob* job
            = kind_ == kOnlineAlbum ? static_cast<CMediaMemberJob*>(&elementJob_) : &localJob_;
        if (!closeList_.isBusy()) {
            closeList_.setRequestCode(CMediaElementJob::kClose);
            post(job, &closeList_);
        }
    } else if (kind_ == kMessageMedia) {
        freeParts();
    }
    if (current_)
        current_->close();
    current_ = nullptr;
    kind_ = kNone;
    answer(kResultSucceeded);
}

// ---------------------------------------------------------------- member jobs

void CMediaAccessManager::runJob(
    CMediaAccessRequest* request, CMediaMemberJob* job, std::int32_t operation, bool withSelection)
{
    if (jobRequest_.isBusy()) {
        VXL_LOG_INFO("media access: request %d refused while a member job works",
            static_cast<int>(request->requestCode()));
        return answer(kResultFailed);
    }
    jobRequest_.setRequestCode(operation);
    jobRequest_.setOrigin(request);
    jobRequest_.setOwner(request->requestCode());
    jobRequest_.setSelection(nullptr);
    jobSelection_ = nullptr;
    state_ = kJobRunning;
    if (withSelection && !request->isRefresh()) {
        if (request->selection()) {
            jobRequest_.setSelection(request->selection());
        } else {
            jobSelection_ = getSelectedItems();
            jobRequest_.setSelection(jobSelection_);
            state_ = kJobWithSelectionRunning;
        }
    }
    pendingTarget_ = job;
    post(job, &jobRequest_);
}

void CMediaAccessManager::jobReplied(CVXLEvent* reply)
{
    const std::int32_t result = reply->result();
    const CVXLString text = reply->resultText();
    finishEvent(reply);
    if (jobSelection_) {
        CMediaSelection* list = jobSelection_;
        jobSelection_ = nullptr;
        releaseItemList(list);
    }
    jobRequest_.setSelection(nullptr);
    CMediaAccessRequest* origin = jobRequest_.origin();
    jobRequest_.setOrigin(nullptr);
    // Changes at the server make the cached albums and media stale; a local
    // delete empties the caches whatever its result, also when its sender
    // cancelled it, as some files may be gone.
    const auto code = static_cast<std::int32_t>(jobRequest_.getOwner());
    const bool succeeded = result == kResultSucceeded && origin == serving_;
    bool dropAlbums = code == kMediaDeleteLocalItems;
    bool dropList = code == kMediaDeleteLocalItems;
    if (succeeded && code >= kMediaCreateAlbum && code <= kMediaCopyItems)
        dropAlbums = true;
    if (succeeded && (code == kMediaMoveItems || code == kMediaDeleteOnlineItems))
        dropAlbums = dropList = true;
    if (dropAlbums)
        deleteAlbums();
    // The emptied list counts as not open: items fetched into it again go
    // when their last use does.
    if (dropList && current_) {
        detachLists(current_);
        current_->clear();
    }
    if (!serving_ || origin != serving_)
        return;
    answer(result, text);
}

// ---------------------------------------------------------------- selection

std::uint32_t CMediaAccessManager::countSelected() const
{
    return current_ ? current_->countSelected() : 0;
}

CMediaSelection* CMediaAccessManager::getSelectedItems()
{
    auto* list = new CMediaSelection(this, current_, true);
    if (!current_)
        return list;
    handedOut_.push_back(list);
    for (std::int32_t position : current_->selectedPositions()) {
        CMediaCollectionEntry* entry = current_->at(position);
        current_->use(entry);
        list->items().push_back(entry->item);
    }
    return list;
}

CMediaCollection* CMediaAccessManager::owningCollection(const CMediaSelection* list) const
{
    for (const auto& collection : collections_)
        if (collection.get() == list->collection())
            return collection.get();
    return nullptr;
}

void CMediaAccessManager::releaseItemList(CMediaSelection* list)
{
    if (!list)
        return;
    // Only a list made by getSelectedItems holds uses, in the collection it
    // came from; the entries may be gone since.
    if (CMediaCollection* collection = owningCollection(list))
        for (CVXLMediaItem* item : list->items())
            collection->release(collection->find(item));
    if (!list->isHeap()) {
        list->items().clear();
        return;
    }
    std::erase(handedOut_, list);
    delete list;
}

// The lists handed out of a collection about to be emptied lose its items,
// and the manager's own list those of them it holds: a holder that keeps a
// list across the request finds it empty instead of naming freed items.
void CMediaAccessManager::detachLists(CMediaCollection* collection)
{
    std::erase_if(handedOut_, [collection](CMediaSelection* list) {
        if (list->collection() != collection)
            return false;
        list->items().clear();
        list->setCollection(nullptr);
        return true;
    });
    std::erase_if(
        selectionList_.items(), [collection](CVXLMediaItem* item) { return collection->find(item) >= 0; });
}

CMediaSelection* CMediaAccessManager::getSelectionList()
{
    selectionList_.items() = selectedMedia();
    selectionList_.reset();
    return &selectionList_;
}

std::vector<CVXLMediaItem*> CMediaAccessManager::selectedMedia()
{
    std::vector<CVXLMediaItem*> items;
    for (const auto& collection : collections_) {
        for (CVXLMediaItem* item : collection->selectedItems()) {
            const CVXLMediaDescriptor descriptor = item->descriptor();
            bool seen = false;
            for (const CVXLMediaItem* held : items) {
                const CVXLMediaDescriptor other = held->descriptor();
                if (other.value == descriptor.value && other.uid == descriptor.uid
                    && other.id == descriptor.id) {
                    seen = true;
                    break;
                }
            }
            if (!seen)
                items.push_back(item);
        }
    }
    return items;
}

void CMediaAccessManager::clearAllSelections()
{
    for (const auto& collection : collections_)
        collection->clearSelections();
}

void CMediaAccessManager::toggleSelection(const CVXLMediaItem& item)
{
    const CVXLMediaDescriptor descriptor = item.descriptor();
    for (const auto& collection : collections_) {
        const std::int32_t position = collection->find(descriptor);
        if (CMediaCollectionEntry* entry = collection->at(position))
            entry->selected = !entry->selected;
    }
}

void CMediaAccessManager::selectEverywhere(const CVXLMediaItem& item)
{
    toggleSelection(item);
    if (!isSelected(item))
        toggleSelection(item);
}

bool CMediaAccessManager::isSelected(const CVXLMediaItem& item) const
{
    const CVXLMediaDescriptor descriptor = item.descriptor();
    for (const auto& collection : collections_) {
        if (collection->wholeSelection())
            return true;
        const CMediaCollectionEntry* entry = collection->at(collection->find(descriptor));
        if (entry && entry->selected)
            return true;
    }
    return false;
}

bool CMediaAccessManager::selectionFlag() const
{
    return current_ && current_->wholeSelection();
}

void CMediaAccessManager::setSelectionFlag(bool whole)
{
    if (current_)
        current_->setWholeSelection(whole);
}

// ---------------------------------------------------------------- direct cache work

void CMediaAccessManager::releaseElement(std::int32_t position)
{
    if (kind_ == kNone)
        return;
    if (kind_ == kAlbumList) {
        if (position < 0 || static_cast<std::size_t>(position) >= albums_.size() || !albums_[position].album)
            return;
        AlbumEntry& entry = albums_[position];
        if (entry.useCount > 0)
            --entry.useCount;
        if (entry.useCount == 0) {
            delete entry.album;
            entry.album = nullptr;
        }
        return;
    }
    if (current_)
        current_->release(position);
}

void CMediaAccessManager::releaseAll()
{
    if (kind_ == kNone)
        return;
    if (kind_ == kAlbumList)
        return releaseAlbums();
    if (current_)
        current_->releaseAll();
}

void CMediaAccessManager::clearElements()
{
    deleteAlbums();
    selectionList_.items().clear();
    for (const auto& collection : collections_) {
        detachLists(collection.get());
        collection->clear();
    }
}

void CMediaAccessManager::deleteCollections()
{
    selectionList_.items().clear();
    for (const auto& collection : collections_)
        detachLists(collection.get());
    collections_.clear();
    current_ = nullptr;
}

void CMediaAccessManager::updateItem(const CVXLMediaItem& item)
{
    // Updates first, releases after: a release may delete the item given.
    const CVXLString identity = item.id();
    bool updated = false;
    std::vector<std::pair<CMediaCollection*, std::int32_t>> used;
    for (const auto& collection : collections_) {
        for (std::int32_t position = 0; position < collection->size(); ++position) {
            CMediaCollectionEntry* entry = collection->at(position);
            if (!entry)
                continue;
            collection->use(entry);
            used.emplace_back(collection.get(), position);
            if (entry->item != &item && entry->item->id() == identity && entry->item->updateFrom(item))
                updated = true;
        }
    }
    for (const auto& [collection, position] : used)
        collection->release(position);
    if (updated && owner_)
        owner_->pushUIRequestCode(kUIRequestMediaChanged);
}
