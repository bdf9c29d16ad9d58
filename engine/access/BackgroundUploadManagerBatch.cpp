#include "engine/access/BackgroundUploadManager.h"

#include "engine/core/base/VXLLog.h"
#include "engine/core/jobs/VXLResultCodes.h"
#include "engine/core/settings/VXLConfigItem.h"
#include "engine/media/VXLMediaItem.h"
#include "engine/media/VXLMediaLocation.h"
#include "engine/media/VXLMediaRef.h"

#include <cstdlib>
#include <cstring>

namespace {

bool isLocal(std::uint32_t location)
{
    const std::uint32_t kind = vxlLocationKind(location);
    return kind == kLocationKindStoreKind1 || kind == kLocationKindStoreKind2;
}

} // namespace

void CBackgroundUploadManager::continueBatch()
{
    if (wholeStore_) {
        if (appendResult_ != kResultSucceeded)
            return endBatch(appendResult_);
        if (batchFailure_ != kResultSucceeded)
            return endBatch(batchFailure_);
        return askStoreItem(false);
    }
    ++batchIndex_;
    nextBatchItem();
}

void CBackgroundUploadManager::nextBatchItem()
{
    if (!batch_)
        return;
    while (batchIndex_ < batch_->items.size() && !isLocal(batch_->items[batchIndex_].location)) {
        ++batchIndex_;
        setProgress(progress_ + 1);
    }
    if (cancel_ || batchIndex_ >= batch_->items.size())
        return endBatch(kResultSucceeded);
    const CMediaUploadItem& item = batch_->items[batchIndex_];
    resolve(item.location, item.identity);
}

void CBackgroundUploadManager::askStoreItem(bool first)
{
    if (!batch_)
        return;
    if (cancel_)
        return endBatch(kResultSucceeded);
    const std::uint16_t storeId = static_cast<std::uint16_t>(batch_->words[1]);
    CVXLLocalMediaRequest& ask = first ? firstItem_ : nextItem_;
    ask.location() = CVXLMediaLocation();
    ask.location().setByNumber(true);
    ask.location().setNumber(storeId);
    ask.setName(CVXLString());
    post(owner_->localMediaManager(), &ask);
}

void CBackgroundUploadManager::onStoreItem(CVXLEvent* reply)
{
    const std::int32_t result = reply->result();
    const CVXLString name = static_cast<CVXLLocalMediaRequest*>(reply)->name();
    finishEvent(reply);
    if (!batch_)
        return;
    // The end of the store, a failure or a cancel end the walk.
    if (result != kResultSucceeded || name.length() == 0 || cancel_)
        return endBatch(kResultSucceeded);
    resolve(owner_->storeLocation(static_cast<std::uint16_t>(batch_->words[1])), name);
}

void CBackgroundUploadManager::resolve(std::uint32_t location, const CVXLString& name)
{
    itemLocation_ = location;
    appendResult_ = kResultSucceeded;
    resolve_.setItemToImport(location, name);
    post(owner_->localMediaManager(), &resolve_);
}

// Whole-store uploads leave out videos and images above the configured
// sizes; an absent size lets none through.
bool CBackgroundUploadManager::tooLarge(const CVXLMediaItem& item)
{
    const CVXLMediaRef* ref = item.mediaRef().get();
    const char* mime = ref ? ref->getMimeType().c_str() : "";
    std::int32_t entry = 0;
    if (std::strncmp(mime, "video/", 6) == 0)
        entry = kCfgUploadAllMaxVideoSize;
    else if (std::strncmp(mime, "image/", 6) == 0)
        entry = kCfgUploadAllMaxImageSize;
    else
        return false;
    CVXLString text;
    std::int64_t limit = 0;
    if (owner_->configItem(entry, &text))
        limit = std::atoll(text.c_str());
    return item.size() > limit;
}

void CBackgroundUploadManager::onBatchResolved(CVXLEvent* reply)
{
    const std::int32_t result = reply->result();
    const CVXLString text = reply->resultText();
    CVXLMediaItem* item = resolve_.takeItem();
    finishEvent(reply);
    if (!batch_) {
        delete item;
        return;
    }
    if (result != kResultSucceeded || !item) {
        delete item;
        VXL_LOG_INFO("background upload: \"%s\" could not be resolved (%d)", resolve_.name().c_str(), result);
        if (wholeStore_)
            return endBatch(result != kResultSucceeded ? result : kResultFailed, text);
        return itemDone();
    }
    batchItem_ = item;
    if (wholeStore_ && tooLarge(*item)) {
        batch_->flags[1] = 1;
        return itemDone();
    }
    if (item->hasPendingCount())
        return itemDone();
    CUploadQueueRecord record;
    record.location = itemLocation_;
    record.name = item->descriptor().id;
    record.album = batch_->name;
    if (inFlight_.count(std::to_string(record.location) + ":" + record.name.c_str()))
        return itemDone();
    if (record.encodedSize() > CUploadQueueRecord::kReadWindow) {
        // Too long to be read back: skipped, and the batch says so.
        VXL_LOG_INFO("background upload: \"%s\" skipped: its record would take %zu bytes",
            record.name.c_str(), record.encodedSize());
        batch_->flags[1] = 1;
        return itemDone();
    }
    appendBytes_.clear();
    record.encode(&appendBytes_);
    if (upload_ == Upload::Emptying) {
        appendWaiting_ = true;
        return;
    }
    append();
}

// The batch's first record reads the file; the records after it gather in
// the copy kept here.
void CBackgroundUploadManager::append()
{
    appendWaiting_ = false;
    if (queueLoaded_)
        return addRecord();
    queueStep_ = 1;
    readForAppend_.fileName = kQueueFileName;
    readForAppend_.readStart = 0;
    readForAppend_.readLength = 0;
    readForAppend_.buffer = CVXLByteBuffer();
    post(owner_->fileStoreManager(), &readForAppend_);
}

void CBackgroundUploadManager::onReadForAppend(CVXLEvent* reply)
{
    const std::int32_t result = reply->result();
    const CVXLByteBuffer old = readForAppend_.buffer;
    readForAppend_.buffer = CVXLByteBuffer();
    finishEvent(reply);
    queueStep_ = 0;
    if (result != kResultSucceeded && result != kResultNotFound) {
        VXL_LOG_FAILURE(
            "background upload: \"%s\" could not be read (%d); item not queued", kQueueFileName, result);
        appendResult_ = result;
        return itemDone();
    }
    queueBytes_.clear();
    if (result == kResultSucceeded && !queueBytes_.append(old.data(), old.length())) {
        appendResult_ = kResultFailed;
        return itemDone();
    }
    queueLoaded_ = true;
    savedLength_ = queueBytes_.length();
    addRecord();
}

void CBackgroundUploadManager::addRecord()
{
    if (!queueBytes_.append(appendBytes_.data(), static_cast<std::uint32_t>(appendBytes_.size()))) {
        appendResult_ = kResultFailed;
        return itemDone();
    }
    QueuedItem queued;
    queued.item = batchItem_;
    queued.location = itemLocation_;
    queued.end = queueBytes_.length();
    queued.key = std::to_string(itemLocation_) + ":" + batchItem_->descriptor().id.c_str();
    inFlight_.insert(queued.key);
    unsaved_.push_back(std::move(queued));
    batchItem_ = nullptr;
    flush(false);
    itemDone();
}

// Starts the next write when none is under way and the gathered records are
// at least as long as what is on disk (any length when `all`): each write at
// least doubles the file, so the writes add up to a few times its size.
void CBackgroundUploadManager::flush(bool all)
{
    if (queueWrite_ != QueueWrite::None || saver_.writing())
        return;
    const std::uint32_t gathered = queueBytes_.length() - savedLength_;
    if (gathered == 0 || (!all && gathered < savedLength_))
        return;
    writingLength_ = queueBytes_.length();
    if (!saveQueue(QueueWrite::Append))
        onAppended(kResultFailed);
}

void CBackgroundUploadManager::onAppended(std::int32_t result)
{
    if (result == kResultSucceeded) {
        savedLength_ = writingLength_;
        ++appendSerial_;
        while (!unsaved_.empty() && unsaved_.front().end <= savedLength_) {
            onDisk_.push_back(std::move(unsaved_.front()));
            unsaved_.pop_front();
        }
        saveNextItem();
        return queueMoved();
    }
    // The file keeps what it held: the records of this write leave the copy
    // and their items stay unqueued.
    VXL_LOG_FAILURE(
        "background upload: \"%s\" could not be written (%d); item not queued", kQueueFileName, result);
    const std::uint32_t dropped = writingLength_ - savedLength_;
    queueBytes_.remove(savedLength_, dropped);
    while (!unsaved_.empty() && unsaved_.front().end <= writingLength_) {
        inFlight_.erase(unsaved_.front().key);
        delete unsaved_.front().item;
        unsaved_.pop_front();
    }
    for (QueuedItem& queued : unsaved_)
        queued.end -= dropped;
    batchFailure_ = result;
    queueMoved();
}

void CBackgroundUploadManager::saveNextItem()
{
    if (saving_.item || onDisk_.empty())
        return;
    saving_ = std::move(onDisk_.front());
    onDisk_.pop_front();
    saving_.item->bumpCounter();
    save_.item = saving_.item;
    post(owner_->localMediaManager(), &save_);
}

void CBackgroundUploadManager::onItemSaved(CVXLEvent* reply)
{
    finishEvent(reply);
    save_.item = nullptr;
    if (CVXLMediaItem* item = saving_.item) {
        owner_->updateItem(*item);
        const std::uint32_t kind = vxlLocationKind(saving_.location);
        if (kind == kLocationKindStoreKind1)
            ++countInPhone_;
        else if (kind == kLocationKindStoreKind2)
            ++countExternal_;
        saveKeys();
        inFlight_.erase(saving_.key);
        delete item;
        saving_ = QueuedItem();
    }
    saveNextItem();
    queueMoved();
}

void CBackgroundUploadManager::itemDone()
{
    delete batchItem_;
    batchItem_ = nullptr;
    setProgress(progress_ + 1);
    if (upload_ == Upload::Emptying) {
        // The queue is emptied first; the batch goes on after it.
        nextWaiting_ = true;
        if (queueWrite_ != QueueWrite::Empty)
            empty();
        return;
    }
    continueBatch();
}

void CBackgroundUploadManager::endBatch(std::int32_t result, const CVXLString& text)
{
    if (!batch_)
        return finishBatch();
    ending_ = true;
    endResult_ = result;
    endText_ = text;
    queueMoved();
}

void CBackgroundUploadManager::finishBatch()
{
    CMediaUploadRequest* batch = batch_;
    batch_ = nullptr;
    ending_ = false;
    cancel_ = false;
    wholeStore_ = false;
    if (batch) {
        batch->setResult(endResult_, endText_);
        finishEvent(batch);
    }
    endText_ = CVXLString();
    wakeUp();
}

// Nothing of a batch's appends under way: no read, no record off disk, no
// item unsaved.
bool CBackgroundUploadManager::appendDrained() const
{
    return queueStep_ == 0 && unsaved_.empty() && onDisk_.empty() && !saving_.item
        && queueWrite_ != QueueWrite::Append;
}

// After a write or an item save: the next write, the emptying that waited
// for the appends, or the batch's answer.
void CBackgroundUploadManager::queueMoved()
{
    if (!appendDrained())
        return flush(ending_ || upload_ == Upload::Emptying);
    if (upload_ == Upload::Emptying && queueWrite_ == QueueWrite::None)
        return emptyNow();
    if (ending_ && !appendWaiting_ && !nextWaiting_)
        finishBatch();
}
