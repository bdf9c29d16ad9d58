#include "engine/access/BackgroundUploadManager.h"

#include "engine/core/base/VXLLog.h"
#include "engine/core/jobs/VXLCounterTable.h"
#include "engine/core/jobs/VXLEventCodes.h"
#include "engine/core/jobs/VXLResultCodes.h"
#include "engine/core/jobs/VXLUIRequestCodes.h"
#include "engine/core/settings/VXLPersKeys.h"
#include "engine/core/settings/VXLPersStore.h"
#include "engine/files/VXLFileStoreCodes.h"
#include "engine/media/VXLMediaItem.h"
#include "engine/media/VXLMediaLocation.h"
#include "engine/media/VXLMediaStoreManager.h"
#include "engine/records/OutboundQueueView.h"

#include <cstdio>
#include <string>

namespace {

CBackgroundUploadManager* gInstance = nullptr;

// The upload service's answer that drops everything queued, with 52.
constexpr std::int32_t kStatusDropQueue = 274;
constexpr std::int32_t kStatusItemRefused = 273;

// A saved key: decimal digits, anything else reads as 0.
std::uint32_t readKey(const CVXLPersStore& store, const char* key)
{
    CVXLString text;
    if (!store.get(key, &text))
        return 0;
    std::uint64_t value = 0;
    for (std::uint32_t i = 0; i < text.length(); ++i) {
        const char c = text.c_str()[i];
        if (c < '0' || c > '9')
            return 0;
        value = value * 10 + std::uint64_t(c - '0');
        if (value > 0x7FFFFFFF)
            return 0;
    }
    return static_cast<std::uint32_t>(value);
}

CVXLString decimal(std::uint32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%u", value);
    return CVXLString(text);
}

} // namespace

std::uint32_t CBackgroundUploadManager::Owner::storeLocation(std::uint16_t storeId)
{
    const CVXLMediaStoreManager* stores = CVXLMediaStoreManager::instance();
    return stores ? stores->locationById(storeId) : 0;
}

CBackgroundUploadManager::CBackgroundUploadManager()
{
    gInstance = this;
}

CBackgroundUploadManager::~CBackgroundUploadManager()
{
    if (gInstance == this)
        gInstance = nullptr;
    delete batchItem_;
    delete givenUpItem_;
    for (const QueuedItem& queued : unsaved_)
        delete queued.item;
    for (const QueuedItem& queued : onDisk_)
        delete queued.item;
    delete saving_.item;
}

CBackgroundUploadManager* CBackgroundUploadManager::instance()
{
    return gInstance;
}

void CBackgroundUploadManager::wakeUp()
{
    if (wake_.isBusy() || upload_ != Upload::Idle || stopRequested())
        return;
    post(this, &wake_);
}

void CBackgroundUploadManager::onUiRequest(std::int32_t code)
{
    switch (code) {
    case kUIRequestDataCommOff:
    case kUIRequestDataCommOn:
        dataCommAllowed_ = owner_ && owner_->dataCommAllowed();
        if (dataCommAllowed_)
            wakeUp();
        break;
    case kUIRequestActivityBegan:
    case kUIRequestActivityEnded:
        if (owner_ && owner_->hasNoActivity())
            wakeUp();
        break;
    default:
        break;
    }
}

void CBackgroundUploadManager::onEvent(CVXLEvent* event)
{
    const std::int32_t code = event->effectiveCode();
    if (event->kind() == kEventReply)
        return onReply(event);
    if (event == &wake_) {
        finishEvent(event);
        return onWakeUp();
    }
    if (event == &retryTimer_) {
        finishEvent(event);
        return wakeUp();
    }
    switch (code) {
    case kEventStart:
        return onStart(event);
    case kEventStop:
        if (batch_) {
            CMediaUploadRequest* batch = batch_;
            batch_ = nullptr;
            ending_ = false;
            batch->setResult(kResultCancelled);
            finishEvent(batch);
        }
        cancelEvent(&retryTimer_);
        return CVXLEventHandler::onEvent(event);
    case kEventCancelNotice:
        cancel_ = true;
        return CVXLEventHandler::onEvent(event);
    case kWakeUp:
        // Posted by another job (the outbound queue when it has nothing to send).
        finishEvent(event);
        return wakeUp();
    default:
        return onRequest(event);
    }
}

void CBackgroundUploadManager::onStart(CVXLEvent* event)
{
    dataCommAllowed_ = owner_ && owner_->dataCommAllowed();
    loadKeys();
    rescan_ = true;
    event->setResult(kResultSucceeded);
    finishEvent(event);
    wakeUp();
}

void CBackgroundUploadManager::onRequest(CVXLEvent* event)
{
    auto* request
        = event->requestCode() == kEventMediaUpload ? dynamic_cast<CMediaUploadRequest*>(event) : nullptr;
    if (!request || !owner_) {
        VXL_LOG_INFO(
            "background upload: request %x is not served here", static_cast<unsigned>(event->requestCode()));
        event->setResult(kResultFailed);
        return finishEvent(event);
    }
    // Batches come one at a time: the next one waits in the incoming queue
    // until this one is answered.
    batch_ = request;
    batchIndex_ = 0;
    cancel_ = false;
    // The file is read again for each batch.
    queueLoaded_ = false;
    batchFailure_ = 0;
    wholeStore_ = request->isWholeCollection();
    setProgress(0);
    if (wholeStore_)
        return askStoreItem(true);
    nextBatchItem();
}

void CBackgroundUploadManager::onWakeUp()
{
    if (!appendDrained() || batch_ || upload_ != Upload::Idle || !dataCommAllowed_ || !owner_)
        return;
    if (!owner_->hasNoActivity() || retryTimer_.isBusy() || (queue_ && queue_->countQueued() != 0))
        return;
    if (!hasPending() && !rescan_)
        return;
    upload_ = Upload::Reading;
    readSerial_ = appendSerial_;
    read_.fileName = kQueueFileName;
    read_.readStart = static_cast<std::int32_t>(cursor_);
    read_.readLength = static_cast<std::int32_t>(CUploadQueueRecord::kReadWindow);
    read_.buffer = CVXLByteBuffer();
    post(owner_->fileStoreManager(), &read_);
}

void CBackgroundUploadManager::onRecordRead(CVXLEvent* reply)
{
    const std::int32_t result = reply->result();
    const CVXLByteBuffer bytes = read_.buffer;
    read_.buffer = CVXLByteBuffer();
    finishEvent(reply);
    rescan_ = false;
    upload_ = Upload::Idle;
    const bool nothing = result == kResultNotFound || result == kResultDataComplete
        || (result == kResultSucceeded && bytes.length() == 0);
    if (!nothing && result != kResultSucceeded) {
        // The keys stay; the read is tried again later.
        VXL_LOG_FAILURE(
            "background upload: \"%s\" could not be read at %u (%d)", kQueueFileName, cursor_, result);
        return armRetry();
    }
    if (nothing) {
        if (readSerial_ != appendSerial_ || !appendDrained())
            return wakeUp();
        // No file: nothing to empty.
        if (result == kResultNotFound)
            return zeroKeys();
        // Every record is done: the file starts again from nothing.
        return empty();
    }
    CUploadQueueRecord record;
    const std::size_t size = record.decode(bytes.data(), bytes.length());
    if (size == 0) {
        VXL_LOG_FAILURE("background upload: no valid record at %u of \"%s\"; the queue is dropped", cursor_,
            kQueueFileName);
        return empty();
    }
    if (retries_ >= kMaxAttempts)
        return giveUp(record, size);
    ++retries_;
    saveKeys();
    pendingAdvance_ = static_cast<std::uint32_t>(size);
    record_ = record;
    upload_ = Upload::Uploading;
    uploadRequest_.reset();
    uploadRequest_.name = record.album;
    uploadRequest_.addItem({record.location, CVXLString(), record.name});
    uploadRequest_.flags[2] = 1;
    uploadRequest_.statusValue = 0;
    post(owner_->mediaUploadManager(), &uploadRequest_);
}

void CBackgroundUploadManager::giveUp(const CUploadQueueRecord& record, std::size_t size)
{
    VXL_LOG_INFO("background upload: \"%s\" given up after %d attempts", record.name.c_str(), retries_);
    cursor_ += static_cast<std::uint32_t>(size);
    retries_ = 0;
    lowerCount(record.location);
    saveKeys();
    upload_ = Upload::GivingUp;
    givenUpResolve_.setItemToImport(record.location, record.name);
    post(owner_->localMediaManager(), &givenUpResolve_);
}

void CBackgroundUploadManager::onGivenUpResolved(CVXLEvent* reply)
{
    const std::int32_t result = reply->result();
    CVXLMediaItem* item = givenUpResolve_.takeItem();
    finishEvent(reply);
    if (result != kResultSucceeded || !item) {
        delete item;
        upload_ = Upload::Idle;
        return wakeUp();
    }
    givenUpItem_ = item;
    upload_ = Upload::SavingGivenUp;
    item->decCounter();
    givenUpSave_.item = item;
    post(owner_->localMediaManager(), &givenUpSave_);
}

void CBackgroundUploadManager::onGivenUpSaved(CVXLEvent* reply)
{
    finishEvent(reply);
    givenUpSave_.item = nullptr;
    if (givenUpItem_)
        owner_->updateItem(*givenUpItem_);
    delete givenUpItem_;
    givenUpItem_ = nullptr;
    upload_ = Upload::Idle;
    wakeUp();
}

void CBackgroundUploadManager::onUploaded(CVXLEvent* reply)
{
    const std::int32_t result = reply->result();
    const std::int32_t status = uploadRequest_.statusValue;
    finishEvent(reply);
    uploadRequest_.reset();
    upload_ = Upload::Idle;
    if (result == kResultSucceeded) {
        cursor_ += pendingAdvance_;
        retries_ = 0;
        pendingAdvance_ = 0;
        lowerCount(record_.location);
        if (!hasPending())
            rescan_ = true;
        saveKeys();
        return wakeUp();
    }
    pendingAdvance_ = 0;
    if (result == kResultNetworkNotice && status == kStatusDropQueue) {
        VXL_LOG_INFO("background upload: the service dropped the queue (274)");
        return empty();
    }
    if ((result == kResultNetworkNotice && status == kStatusItemRefused) || result == kResultUploadTooLarge) {
        retries_ = kMaxAttempts;
        saveKeys();
        return wakeUp();
    }
    armRetry();
}

// Truncates "state.uq" to nothing; once done the keys are zeroed. The
// records a batch has gathered go to disk first.
void CBackgroundUploadManager::empty()
{
    upload_ = Upload::Emptying;
    queueMoved();
}

void CBackgroundUploadManager::emptyNow()
{
    queueBytes_.clear();
    savedLength_ = 0;
    if (!saveQueue(QueueWrite::Empty))
        onEmptied(kResultFailed);
}

void CBackgroundUploadManager::onEmptied(std::int32_t result)
{
    upload_ = Upload::Idle;
    if (result != kResultSucceeded) {
        VXL_LOG_FAILURE("background upload: \"%s\" could not be emptied (%d)", kQueueFileName, result);
        // The file keeps its records: a batch reads it again.
        queueLoaded_ = false;
        armRetry();
        return resumeBatch();
    }
    zeroKeys();
    resumeBatch();
}

bool CBackgroundUploadManager::saveQueue(QueueWrite what)
{
    saver_.setFileStoreManager(owner_->fileStoreManager());
    queueWrite_ = what;
    if (saver_.save() != 0)
        return true;
    queueWrite_ = QueueWrite::None;
    return false;
}

void CBackgroundUploadManager::queueWritten(std::int32_t result)
{
    const QueueWrite what = queueWrite_;
    queueWrite_ = QueueWrite::None;
    if (what == QueueWrite::Append)
        onAppended(result);
    else if (what == QueueWrite::Empty)
        onEmptied(result);
}

void CBackgroundUploadManager::resumeBatch()
{
    if (appendWaiting_)
        return append();
    if (nextWaiting_) {
        nextWaiting_ = false;
        return continueBatch();
    }
    queueMoved();
}

void CBackgroundUploadManager::onReply(CVXLEvent* reply)
{
    if (saver_.onWritten(reply))
        return;
    switch (reply->replyCode()) {
    case kReplyFirstItem:
    case kReplyNextItem:
        return onStoreItem(reply);
    case kReplyResolved:
        return onBatchResolved(reply);
    case kReplyReadForAppend:
        return onReadForAppend(reply);
    case kReplySaved:
        return onItemSaved(reply);
    case kReplyRead:
        return onRecordRead(reply);
    case kReplyGivenUpResolved:
        return onGivenUpResolved(reply);
    case kReplyGivenUpSaved:
        return onGivenUpSaved(reply);
    case kReplyUploaded:
        return onUploaded(reply);
    default:
        return finishEvent(reply);
    }
}

void CBackgroundUploadManager::loadKeys()
{
    if (!owner_)
        return;
    const CVXLPersStore& store = owner_->settings();
    cursor_ = readKey(store, kPersBkgUploadCursor);
    retries_ = static_cast<std::int32_t>(readKey(store, kPersBkgUploadRetries));
    if (retries_ > kMaxAttempts)
        retries_ = kMaxAttempts;
    countInPhone_ = static_cast<std::int32_t>(readKey(store, kPersBkgUploadCountInphone));
    countExternal_ = static_cast<std::int32_t>(readKey(store, kPersBkgUploadCountExternal));
    if (CVXLCounterTable* counters = owner_->counters()) {
        counters->set(kCounterInPhone, countInPhone_);
        counters->set(kCounterExternal, countExternal_);
        counters->set(kCounterRetries, retries_);
    }
}

void CBackgroundUploadManager::saveKeys()
{
    if (!owner_)
        return;
    CVXLPersStore& store = owner_->settings();
    const char* const names[] = {
        kPersBkgUploadCursor, kPersBkgUploadRetries, kPersBkgUploadCountInphone, kPersBkgUploadCountExternal};
    const std::uint32_t values[] = {cursor_, static_cast<std::uint32_t>(retries_),
        static_cast<std::uint32_t>(countInPhone_), static_cast<std::uint32_t>(countExternal_)};
    // The four keys are written together when one changes; absent keys read
    // as 0, so a fresh device gets no settings write.
    bool changed = false;
    for (int i = 0; i < 4; ++i)
        changed = changed || readKey(store, names[i]) != values[i];
    for (int i = 0; changed && i < 4; ++i)
        store.set(names[i], decimal(values[i]));
    if (CVXLCounterTable* counters = owner_->counters()) {
        counters->set(kCounterInPhone, countInPhone_);
        counters->set(kCounterExternal, countExternal_);
        counters->set(kCounterRetries, retries_);
    }
}

void CBackgroundUploadManager::zeroKeys()
{
    cursor_ = 0;
    retries_ = 0;
    countInPhone_ = 0;
    countExternal_ = 0;
    pendingAdvance_ = 0;
    saveKeys();
}

void CBackgroundUploadManager::lowerCount(std::uint32_t location)
{
    const std::uint32_t kind = vxlLocationKind(location);
    if (kind == kLocationKindStoreKind1 && countInPhone_ > 0)
        --countInPhone_;
    else if (kind == kLocationKindStoreKind2 && countExternal_ > 0)
        --countExternal_;
}

void CBackgroundUploadManager::setProgress(std::int32_t value)
{
    progress_ = value;
    if (!owner_)
        return;
    char text[16];
    std::snprintf(text, sizeof text, "%d", value);
    owner_->settings().set(kPersProgressCurrent, text);
}

void CBackgroundUploadManager::armRetry()
{
    if (!retryTimer_.isBusy())
        postDelayed(&retryTimer_, kRetryDelayMs);
}
