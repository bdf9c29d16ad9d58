#include "engine/media/LocalMediaManager.h"

#include "engine/core/base/VXLLog.h"
#include "engine/core/jobs/VXLCancelNotice.h"
#include "engine/core/jobs/VXLNamedRequest.h"
#include "engine/core/platform/VXLPlatformMediaSource.h"
#include "engine/core/platform/VXLPlatformStatus.h"
#include "engine/media/VXLAlbumSummaryRequest.h"
#include "engine/media/VXLLocalMediaRequest.h"
#include "engine/media/VXLMediaItem.h"
#include "engine/media/VXLMediaItemRecord.h"
#include "engine/media/VXLMediaStoreManager.h"

#include <cstdio>

namespace {

// Listing options: every bit of the flags word enables one option.
constexpr std::uint32_t kAllOptions = 7;

CVXLString hexLocation(std::uint32_t packed)
{
    char text[16];
    std::snprintf(text, sizeof text, "%X", packed);
    return CVXLString(text);
}

CVXLString joinName(const CVXLString& itemName, const CVXLString& location, const char* suffix)
{
    CVXLString name(itemName);
    name.append("-");
    name.append(location);
    name.append(suffix);
    return name;
}

} // namespace

void CLocalMediaManager::AlbumSink::albumFound(const char* name, std::uint32_t, std::uint32_t, std::uint32_t)
{
    name_ = name ? name : "";
}

void CLocalMediaManager::AlbumSink::summary(
    std::uint32_t first, std::uint32_t second, std::uint32_t, std::uint32_t, std::uint32_t)
{
    images_ = first;
    videos_ = second;
}

void CLocalMediaManager::AlbumSink::clear()
{
    name_ = CVXLString();
    images_ = 0;
    videos_ = 0;
}

void CLocalMediaManager::DetailsSink::clear()
{
    name_ = CVXLString();
    size_ = 0;
    mimeType_ = CVXLString();
}

CLocalMediaManager::CLocalMediaManager() = default;

CLocalMediaManager::~CLocalMediaManager()
{
    delete building_;
}

CVXLString CLocalMediaManager::recordName(
    const CVXLString& itemName, std::uint32_t packedLocation, const char* suffix)
{
    return joinName(itemName, hexLocation(packedLocation), suffix);
}

void CLocalMediaManager::onEvent(CVXLEvent* event)
{
    const std::int32_t code = event->effectiveCode();
    if (code == kEventStart)
        return onStart(event);
    if (code == kEventStop || code == kEventCancelNotice) {
        dropWaitingLends(code == kEventStop ? nullptr : static_cast<CVXLCancelNotice*>(event)->cancelled());
        return CVXLEventHandler::onEvent(event);
    }
    if (event->kind() == kEventReply)
        return onFileReply(event);
    if (event->source() == this && event == &poolReturn_) {
        finishEvent(event);
        if (stopRequested())
            return dropWaitingLends(nullptr);
        if (current_ || waitingLends_.empty() || freeJobs_ == 0)
            return;
        current_ = waitingLends_.front();
        waitingLends_.pop_front();
        return tryLend();
    }
    if (event->source() == this && event == &callback_)
        return onStep(event);
    onRequest(event);
}

void CLocalMediaManager::onStart(CVXLEvent* event)
{
    if (owner_) {
        source_ = owner_->mediaSource();
        stores_ = owner_->mediaStoreManager();
        files_ = owner_->fileStoreManager();
    }
    event->setResult(kResultSucceeded);
    finishEvent(event);
}

void CLocalMediaManager::complete(std::int32_t result, const CVXLString& text)
{
    CVXLEvent* request = current_;
    current_ = nullptr;
    step_ = kStepNone;
    if (request) {
        request->setResult(result, text);
        finishEvent(request);
    }
    if (!waitingLends_.empty() && freeJobs_ > 0 && !poolReturn_.isBusy())
        post(this, &poolReturn_);
}

// A stop answers every waiting lend; a requester's cancel its own.
void CLocalMediaManager::dropWaitingLends(const CVXLEvent* only)
{
    for (auto at = waitingLends_.begin(); at != waitingLends_.end();) {
        if (only && *at != only) {
            ++at;
            continue;
        }
        CVXLEvent* request = *at;
        at = waitingLends_.erase(at);
        request->setResult(kResultCancelled);
        finishEvent(request);
    }
}

void CLocalMediaManager::onRequest(CVXLEvent* event)
{
    current_ = event;
    const std::int32_t code = event->requestCode();
    if (code == kEventFileStoreOpenForReading) {
        if (!dynamic_cast<CVXLNamedRequest*>(event))
            return complete(kResultFailed);
        return tryLend();
    }
    if (code == CVXLAlbumSummaryRequest::kRequestCode) {
        auto* summary = dynamic_cast<CVXLAlbumSummaryRequest*>(event);
        if (!summary)
            return complete(kResultFailed);
        summary->setSummary(nullptr, 0);
        CVXLMediaLocation selector(summary->location());
        return listAlbums(kStepAlbumBySelector, &selector);
    }
    auto* request = dynamic_cast<CVXLLocalMediaRequest*>(event);
    if (!request || (!source_ && code != kEventMediaCount)) {
        VXL_LOG_INFO("local media: request %x refused: %s", static_cast<unsigned>(code),
            request ? "no media source" : "not a local media request");
        return complete(kResultFailed);
    }
    switch (code) {
    case kEventMediaCount:
        request->value = stores_ ? stores_->getStoreCount() : 0;
        return complete(kResultSucceeded);
    case kEventLocalFirstStore:
        return storeRequest(request, true);
    case kEventLocalNextStore:
        return storeRequest(request, false);
    case kEventMediaAlbumAt:
        return albumByIndex(request);
    case kEventLocalAlbumBySelector:
        setOptions(request->flags());
        return listAlbums(kStepAlbumBySelector, &request->location());
    case kEventLocalMediaRequest:
        return askName(kStepFirstName, &request->location(), request->flags());
    case kEventLocalNextItemName:
        return askName(kStepNextName, nullptr, 0);
    case kEventLocalItemInfo:
        return askInfo(request->name());
    case kEventMediaItemAt:
        return startImport(request);
    case kEventLocalImportByName:
        return importByName(request);
    case kEventLocalDeleteItem:
        return deleteItem(request);
    case kEventMediaItemSave:
        return saveRecord(request);
    default:
        // Not served (0x8000052 among them): answered, never left waiting.
        VXL_LOG_INFO("local media: request %x is not served here", static_cast<unsigned>(code));
        return complete(kResultFailed);
    }
}

void CLocalMediaManager::storeRequest(CVXLLocalMediaRequest* request, bool first)
{
    const bool found = stores_
        && (first ? stores_->firstStore(&request->location()) : stores_->nextStore(&request->location()));
    complete(found ? kResultSucceeded : kResultFailed);
}

void CLocalMediaManager::selectStore(std::uint16_t storeId)
{
    selectedLocation_ = stores_ ? stores_->locationById(storeId) : 0;
    source_->selectStore(storeId);
    position_ = kNoPosition;
}

void CLocalMediaManager::setOptions(std::uint32_t flags)
{
    source_->setListingOptions(flags);
    for (std::uint32_t bit = 0; bit < 3; ++bit)
        if (flags & (1u << bit))
            source_->enableOption(bit + 1);
}

bool CLocalMediaManager::call(Step step)
{
    step_ = step;
    callback_.setRequestCode(step);
    return true;
}

void CLocalMediaManager::listAlbums(Step step, const CVXLMediaLocation* selector)
{
    if (!source_)
        return complete(kResultFailed);
    if (selector)
        selectStore(stores_ ? stores_->resolve(*selector) : 0);
    if (current_ && current_->requestCode() == CVXLAlbumSummaryRequest::kRequestCode)
        setOptions(CVXLLocalMediaRequest().flags());
    albums_.clear();
    call(step);
    // A source that neither lists nor reports would leave the request waiting.
    if (!source_->listAlbums(&albums_) && !callback_.isBusy())
        complete(kResultFailed);
}

void CLocalMediaManager::albumByIndex(CVXLLocalMediaRequest* request)
{
    const std::uint32_t count = stores_ ? stores_->getStoreCount() : 0;
    if (request->index < 0 || static_cast<std::uint32_t>(request->index) >= count)
        return complete(kResultAlbumEmpty);
    selectStore(stores_->storeIdAt(request->index));
    setOptions(kAllOptions);
    listAlbums(kStepAlbumByIndex, nullptr);
}

void CLocalMediaManager::onStep(CVXLEvent* callback)
{
    const std::int32_t status = callback->result();
    const CVXLString text = callback->resultText();
    const std::int32_t step = callback->requestCode();
    finishEvent(callback);
    if (step != step_)
        return;
    step_ = kStepNone;
    switch (step) {
    case kStepDeleteItem: {
        deleteResult_ = status;
        deleteText_ = text;
        // An item that stays keeps its records.
        if (status != kResultSucceeded || !files_)
            return complete(status, text);
        return removeFile(&audioDelete_, CVXLMediaItemRecord::kAudioSuffix);
    }
    case kStepAlbumByIndex:
    case kStepAlbumBySelector:
        return albumDone(status);
    case kStepItemInfo:
        return infoDone(status, text);
    case kStepFirstName:
    case kStepNextName:
        return nameDone(status, text);
    default:
        return;
    }
}

void CLocalMediaManager::albumDone(std::int32_t status)
{
    const std::int32_t index = stores_ ? static_cast<std::int32_t>(stores_->getStoreCount()) : 0;
    auto fillAlbum = [&](CVXLAlbum& album, std::uint32_t location) {
        for (std::uint32_t counter = 3; counter <= 6; ++counter)
            album.setCounter(counter, 0);
        album.setCounter(1, static_cast<std::int32_t>(albums_.images_));
        album.setCounter(2, static_cast<std::int32_t>(albums_.videos_));
        album.setLocation(location);
        album.setName(stores_ ? stores_->storeNameById(vxlLocationStoreId(location)) : CVXLString(), true);
    };
    if (auto* summary = dynamic_cast<CVXLAlbumSummaryRequest*>(current_)) {
        if (status == kResultSucceeded) {
            fillAlbum(summary->album(), selectedLocation_);
            summary->setSummary(&summary->album(), albums_.images_ + albums_.videos_);
        }
        return complete(status);
    }
    auto* request = dynamic_cast<CVXLLocalMediaRequest*>(current_);
    if (!request)
        return complete(status);
    if (request->requestCode() == kEventMediaAlbumAt) {
        fillAlbum(request->album, selectedLocation_);
        if (status == kResultSucceeded && request->index == index - 1)
            return complete(kResultLastPage);
        return complete(status);
    }
    request->imageCount = albums_.images_;
    request->videoCount = albums_.videos_;
    complete(status);
}

void CLocalMediaManager::askName(Step step, const CVXLMediaLocation* selector, std::uint32_t options)
{
    if (step == kStepFirstName) {
        selectStore(stores_ && selector ? stores_->resolve(*selector) : 0);
        setOptions(options);
    } else if (!importing_) {
        // Another job moves the enumeration: an import starts over.
        position_ = kNoPosition;
    }
    names_.name_ = CVXLString();
    call(step);
    if (step == kStepFirstName)
        source_->firstItemName(&names_);
    else
        source_->nextItemName(&names_);
}

void CLocalMediaManager::nameDone(std::int32_t status, const CVXLString& text)
{
    if (!importing_) {
        if (auto* request = dynamic_cast<CVXLLocalMediaRequest*>(current_))
            request->setName(names_.name_);
        return complete(status, text);
    }
    if (status != kResultSucceeded) {
        position_ = kNoPosition;
        return finishImport(status, text);
    }
    if (position_ < target_) {
        ++position_;
        return askName(kStepNextName, nullptr, 0);
    }
    askInfo(names_.name_);
}

void CLocalMediaManager::askInfo(const CVXLString& name)
{
    details_.clear();
    details_.name_ = name;
    call(kStepItemInfo);
    source_->itemInfo(name.c_str(), &details_, 0);
}

void CLocalMediaManager::infoDone(std::int32_t status, const CVXLString& text)
{
    if (!importing_) {
        if (auto* request = dynamic_cast<CVXLLocalMediaRequest*>(current_)) {
            request->size = details_.size_;
            request->mimeType = details_.mimeType_;
        }
        return complete(status, text);
    }
    if (status != kResultSucceeded)
        return finishImport(status, text);
    if (!files_)
        return finishImport(kResultFailed);
    recordRead_.fileName = recordName(details_.name_, selectedLocation_, CVXLMediaItemRecord::kRecordSuffix);
    recordRead_.readLength = 0;
    recordRead_.readStart = 0;
    recordRead_.buffer = CVXLByteBuffer();
    post(files_, &recordRead_);
}

void CLocalMediaManager::startImport(CVXLLocalMediaRequest* request)
{
    importing_ = true;
    target_ = request->index;
    if (target_ < 0)
        return finishImport(kResultFailed);
    if (position_ != kNoPosition && target_ == position_ + 1) {
        ++position_;
        return askName(kStepNextName, nullptr, 0);
    }
    askName(kStepFirstName, &request->location(), request->flags());
    position_ = 0;
}

void CLocalMediaManager::importByName(CVXLLocalMediaRequest* request)
{
    importing_ = true;
    selectStore(vxlLocationStoreId(request->packedLocation));
    askInfo(request->name());
}

void CLocalMediaManager::onFileReply(CVXLEvent* reply)
{
    if (recordSaver_.onWritten(reply))
        return;
    const std::int32_t code = reply->replyCode();
    if (code == kReplyRecordRead)
        return recordRead(reply);
    finishEvent(reply);
    switch (code) {
    case kReplyAudioRemoved:
        return removeFile(&recordDelete_, CVXLMediaItemRecord::kRecordSuffix);
    case kReplyRecordRemoved:
        return complete(deleteResult_, deleteText_);
    default:
        return;
    }
}

void CLocalMediaManager::recordRead(CVXLEvent* reply)
{
    const std::int32_t result = reply->result();
    const CVXLString text = reply->resultText();
    const CVXLByteBuffer bytes = recordRead_.buffer;
    finishEvent(reply);
    recordRead_.buffer = CVXLByteBuffer();
    // A new item has no record yet: it starts from the defaults.
    if (result != kResultSucceeded && result != kResultNotFound)
        return finishImport(result, text);
    auto* item = new CVXLMediaItem();
    if (!item)
        return finishImport(kResultFailed);
    if (result == kResultSucceeded && !CVXLMediaItemRecord::load(bytes, item))
        VXL_LOG_INFO("local media: record \"%s\" is damaged; the item starts from the defaults",
            recordRead_.fileName.c_str());
    // What the platform says of the item holds over its record.
    item->setId(details_.name_);
    item->setName(details_.name_);
    item->setLocation(hexLocation(selectedLocation_));
    item->setFirstAuxFlag(true);
    item->setSecondAuxFlag(true);
    item->setIsImage(details_.mimeType_.c_str());
    item->setSize(static_cast<std::int32_t>(details_.size_ > 0x7FFFFFFFu ? 0x7FFFFFFFu : details_.size_));
    item->setOwner(this);
    CVXLMediaRefHandle handle;
    handle.addEntry(details_.name_, details_.mimeType_, this, -1, -1, item->size(), true);
    handle.setMimeType(details_.mimeType_.c_str());
    item->setMediaRef(handle);
    if (!owner_ || !owner_->uploadsPending())
        item->clearCounter();
    item->commit();
    building_ = item;
    finishImport(kResultSucceeded);
}

void CLocalMediaManager::finishImport(std::int32_t result, const CVXLString& text)
{
    if (auto* request = dynamic_cast<CVXLLocalMediaRequest*>(current_))
        request->item = building_;
    else
        delete building_;
    building_ = nullptr;
    importing_ = false;
    details_.clear();
    complete(result, text);
}

void CLocalMediaManager::deleteItem(CVXLLocalMediaRequest* request)
{
    deleteResult_ = kResultSucceeded;
    deleteText_ = CVXLString();
    selectStore(vxlLocationStoreId(request->packedLocation));
    call(kStepDeleteItem);
    source_->deleteItem(request->name().c_str(), &callback_);
}

void CLocalMediaManager::removeFile(CVXLFileDeleteRequest* remove, const char* suffix)
{
    auto* request = dynamic_cast<CVXLLocalMediaRequest*>(current_);
    if (!request)
        return complete(deleteResult_, deleteText_);
    remove->fileName = recordName(request->name(), request->packedLocation, suffix);
    post(files_, remove);
}

void CLocalMediaManager::saveRecord(CVXLLocalMediaRequest* request)
{
    if (!request->item || !files_ || request->item->id().length() == 0)
        return complete(kResultFailed);
    const CVXLByteBuffer bytes = CVXLMediaItemRecord::save(*request->item);
    if (bytes.length() == 0)
        return complete(kResultFailed);
    recordSaver_.setFileStoreManager(files_);
    recordSaver_.setFileName(
        joinName(request->item->id(), request->item->location(), CVXLMediaItemRecord::kRecordSuffix));
    recordBytes_ = bytes;
    if (recordSaver_.save() == 0)
        recordWritten(kResultFailed);
}

void CLocalMediaManager::recordWritten(std::int32_t result)
{
    recordBytes_ = CVXLByteBuffer();
    auto* request = dynamic_cast<CVXLLocalMediaRequest*>(current_);
    // A record that was not written leaves the item changed, to be saved again.
    if (request && request->item && result == kResultSucceeded)
        request->item->commit();
    complete(result);
}

void CLocalMediaManager::tryLend()
{
    auto* request = static_cast<CVXLNamedRequest*>(current_);
    request->job = nullptr;
    if (!source_)
        return complete(kResultFailed);
    int slot = 0;
    while (slot < kPoolSize && poolBusy_[slot])
        ++slot;
    if (slot == kPoolSize) {
        // Served when a lent job comes back; other requests go on meanwhile.
        waitingLends_.push_back(current_);
        current_ = nullptr;
        resume();
        return;
    }
    CVXLPlatformFileStream* stream = source_->openStream();
    if (!stream)
        return complete(kResultNoStream);
    CVXLFileStreamSourceJob& job = pool_[slot];
    poolBusy_[slot] = true;
    --freeJobs_;
    job.restart();
    job.setAnnouncedTotal(-1);
    job.setFileStore(stream);
    job.setPath(request->fileName);
    startChild(&job);
    request->job = &job;
    complete(kResultSucceeded);
}

void CLocalMediaManager::childFinished(CVXLEventHandler* child)
{
    for (int slot = 0; slot < kPoolSize; ++slot) {
        if (child != &pool_[slot] || !poolBusy_[slot])
            continue;
        if (source_)
            source_->closeStream(pool_[slot].fileStore());
        pool_[slot].setFileStore(nullptr);
        poolBusy_[slot] = false;
        ++freeJobs_;
        if (stopRequested())
            dropWaitingLends(nullptr);
        else if (!poolReturn_.isBusy())
            post(this, &poolReturn_);
    }
}
