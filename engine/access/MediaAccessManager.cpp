#include "engine/access/MediaAccessManager.h"

#include "engine/core/base/VXLLog.h"
#include "engine/core/jobs/VXLCancelNotice.h"
#include "engine/media/VXLMediaStoreManager.h"

#include <cstdio>
#include <strings.h>

CMediaAccessManager* CMediaAccessManager::instance_ = nullptr;

namespace {

bool startsWith(const CVXLString& text, const char* prefix)
{
    return strncasecmp(text.c_str(), prefix, std::char_traits<char>::length(prefix)) == 0;
}

} // namespace

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

// ---------------------------------------------------------------- fetching

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
        VXL_LOG_INFO("media access: a fetch with no list open (kind %d) answered with failure", static_cast<int>(kind_));
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

std::int32_t CMediaAccessManager::mediaPartIndex(std::int32_t position) const
{
    if (position < 0)
        return -1;
    std::int32_t seen = 0;
    for (std::uint32_t index = 0; index < partCount_ && index < parts_.size(); ++index) {
        if (!passesLockFilter(parts_[index], lockFilter_) || mediaKindOf(parts_[index], mediaFilter_) == 0)
            continue;
        if (seen++ == position)
            return static_cast<std::int32_t>(index);
    }
    return -1;
}

void CMediaAccessManager::readPart()
{
    const std::int32_t part = mediaPartIndex(fetchPosition_);
    if (part < 0 || !inbound_) {
        VXL_LOG_INFO("media access: no media part %d in %s", static_cast<int>(fetchPosition_), messageId_.c_str());
        return answer(kResultFailed);
    }
    delete readItem_;
    readItem_ = new CVXLMediaItem();
    // The identity tells the parts of one message apart in selections.
    char id[32];
    std::snprintf(id, sizeof id, "#%d", static_cast<int>(part));
    CVXLString identity(messageId_);
    identity.append(id);
    readItem_->setId(identity);
    readPart_.messageId = messageId_;
    // The inbound manager reads the premium box as kind 4, the others as 0.
    readPart_.kind = messageId_.length() && messageId_.c_str()[0] == 'p' ? 4 : 0;
    readPart_.mediaItems = readItem_;
    readPart_.partCount = 1;
    readPart_.firstPart = static_cast<std::uint32_t>(part);
    readPart_.mediaFilter = CMessageReadRequest::kImages | CMessageReadRequest::kVideos;
    readPart_.readMode = 2;
    state_ = kReadingPart;
    pendingTarget_ = inbound_;
    post(inbound_, &readPart_);
}

void CMediaAccessManager::partRead(CVXLEvent* reply)
{
    const std::int32_t result = reply->result();
    const CVXLString text = reply->resultText();
    finishEvent(reply);
    CVXLMediaItem* item = readItem_;
    readItem_ = nullptr;
    auto* query = dynamic_cast<CMediaAccessQuery*>(serving_);
    if (!query || !current_ || state_ != kReadingPart) {
        delete item;
        return;
    }
    if (result != kResultSucceeded) {
        delete item;
        return answer(result, text);
    }
    // Stored at the asked position, so a window that does not start at 0
    // never overwrites the entries before it.
    const bool last = fetchPosition_ + 1 == totalMedia_;
    takeItem(item, isSelected(*item));
    if (last)
        return answer(kResultLastPage);
    if (query->getResultList().size() >= query->getValue())
        return answer(kResultSucceeded);
    continueFetch();
}

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

// ---------------------------------------------------------------- albums

std::size_t CMediaAccessManager::albumCount() const
{
    std::size_t count = 0;
    for (const AlbumEntry& entry : albums_)
        if (entry.album)
            ++count;
    return count;
}

const CVXLAlbum* CMediaAccessManager::cachedAlbum(std::size_t position, std::uint16_t* uses) const
{
    if (position >= albums_.size() || !albums_[position].album)
        return nullptr;
    if (uses)
        *uses = albums_[position].useCount;
    return albums_[position].album;
}

void CMediaAccessManager::albumAt(CMediaElementRequest* request)
{
    const std::int32_t position = request->data();
    if (position < 0)
        return answer(kResultFailed);
    if (static_cast<std::size_t>(position) < albums_.size() && albums_[position].album) {
        AlbumEntry& entry = albums_[position];
        ++entry.useCount;
        request->setPayloadAlbum(entry.album);
        return answer(kResultSucceeded);
    }
    albumRequest_.position = position;
    albumRequest_.album = new CVXLAlbum();
    state_ = kFetchingAlbum;
    pendingTarget_ = &summaryJob_;
    post(&summaryJob_, &albumRequest_);
}

void CMediaAccessManager::albumReplied(CVXLEvent* reply)
{
    const std::int32_t result = reply->result();
    const CVXLString text = reply->resultText();
    finishEvent(reply);
    CVXLAlbum* album = albumRequest_.album;
    albumRequest_.album = nullptr;
    if (!serving_ || (result != kResultSucceeded && result != kResultLastPage)) {
        delete album;
        return answer(result, text);
    }
    const auto position = static_cast<std::size_t>(albumRequest_.position);
    if (position >= albums_.size())
        albums_.resize(position + 1);
    delete albums_[position].album;
    albums_[position] = AlbumEntry { 1, album };
    serving_->setPayloadAlbum(album);
    answer(result, text);
}

void CMediaAccessManager::releaseAlbums()
{
    for (AlbumEntry& entry : albums_) {
        if (!entry.album)
            continue;
        if (entry.useCount > 0)
            --entry.useCount;
        if (entry.useCount == 0) {
            delete entry.album;
            entry.album = nullptr;
        }
    }
}

void CMediaAccessManager::deleteAlbums()
{
    for (AlbumEntry& entry : albums_)
        delete entry.album;
    albums_.clear();
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
    runJob(request, online ? static_cast<CMediaMemberJob*>(&elementJob_) : &localJob_, CMediaElementJob::kOpen, false);
}

void CMediaAccessManager::openMessage(CMediaAccessBasicRequest* request)
{
    if (!inbound_) {
        VXL_LOG_INFO("media access: no inbound message manager to open %s", request->messageId().c_str());
        return answer(kResultFailed);
    }
    const std::int32_t mediaFilter = static_cast<std::int32_t>(request->getOwner());
    const CMediaCollectionKey key = CMediaCollectionKey::messageMedia(
        request->messageId(), request->messageNumber(), request->getPayload(), mediaFilter);
    openCollection(key);
    messageId_ = request->messageId();
    mediaFilter_ = mediaFilter;
    lockFilter_ = request->getPayload();
    freeParts();
    partCount_ = request->partCount();
    parts_.clear();
    parts_.resize(partCount_);
    openMessage_.messageId = messageId_;
    openMessage_.partCount = partCount_;
    openMessage_.partArray = parts_.empty() ? nullptr : parts_.data();
    openMessage_.fromNetwork = 0;
    state_ = kOpeningMessage;
    kind_ = kMessageMedia;
    pendingTarget_ = inbound_;
    post(inbound_, &openMessage_);
}

void CMediaAccessManager::messageOpened(CVXLEvent* reply)
{
    const std::int32_t result = reply->result();
    const CVXLString text = reply->resultText();
    finishEvent(reply);
    if (!serving_)
        return;
    if (result != kResultSucceeded)
        return answer(kResultFailed, text);
    std::int32_t pictures = 0;
    std::int32_t videos = 0;
    countMessageMedia(&pictures, &videos);
    totalMedia_ = mediaFilter_ == 0 ? pictures : (mediaFilter_ == 1 ? videos : pictures + videos);
    serving_->setPictureCount(pictures);
    serving_->setStoreIndex(videos);
    answer(kResultSucceeded);
}

void CMediaAccessManager::freeParts()
{
    parts_.clear();
    partCount_ = 0;
    totalMedia_ = 0;
}

bool CMediaAccessManager::passesLockFilter(const CVXLHeaderMap& part, std::int32_t lockFilter)
{
    if (lockFilter == 0)
        return true;
    if ((lockFilter & kLockDrm) && part.contains("X-QV-DRM-Content-Type", true))
        return false;
    if ((lockFilter & kLockSaveLocked) && strcasecmp(part.value("X-QV-Save-Lock", 0, true).c_str(), "true") == 0)
        return false;
    return true;
}

std::int32_t CMediaAccessManager::mediaKindOf(const CVXLHeaderMap& part, std::int32_t mediaFilter)
{
    const CVXLString& type = part.value("Content-Type", 0, true);
    if ((mediaFilter == 0 || mediaFilter == 2) && startsWith(type, "image/"))
        return 1;
    if ((mediaFilter == 1 || mediaFilter == 2) && startsWith(type, "video/"))
        return 2;
    return 0;
}

void CMediaAccessManager::countMessageMedia(std::int32_t* pictures, std::int32_t* videos) const
{
    *pictures = 0;
    *videos = 0;
    for (std::uint32_t index = 0; index < partCount_ && index < parts_.size(); ++index) {
        if (!passesLockFilter(parts_[index], lockFilter_))
            continue;
        const std::int32_t kind = mediaKindOf(parts_[index], 2);
        if (kind == 1)
            ++*pictures;
        else if (kind == 2)
            ++*videos;
    }
}

void CMediaAccessManager::close()
{
    if (kind_ == kOnlineAlbum || kind_ == kLocalLocation) {
        CMediaMemberJob* job = kind_ == kOnlineAlbum ? static_cast<CMediaMemberJob*>(&elementJob_) : &localJob_;
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
        VXL_LOG_INFO("media access: request %d refused while a member job works", static_cast<int>(request->requestCode()));
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
    if (dropList && current_)
        current_->clear();
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
    if (list->isHeap())
        delete list;
    else
        list->items().clear();
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
                if (other.value == descriptor.value && other.uid == descriptor.uid && other.id == descriptor.id) {
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
    for (const auto& collection : collections_)
        collection->clear();
}

void CMediaAccessManager::deleteCollections()
{
    selectionList_.items().clear();
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
        owner_->pushUIRequestCode(kUiMediaChanged);
}
