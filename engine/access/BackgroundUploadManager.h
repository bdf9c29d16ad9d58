#pragma once

#include "engine/access/UploadQueueRecord.h"
#include "engine/core/jobs/VXLEventHandler.h"
#include "engine/core/jobs/VXLSimpleEvent.h"
#include "engine/core/jobs/VXLUIRequestCodes.h"
#include "engine/files/VXLFileReadRequest.h"
#include "engine/files/VXLStateFileSaver.h"
#include "engine/media/VXLLocalMediaRequest.h"
#include "engine/records/MediaUploadRequest.h"

#include <cstdint>
#include <deque>
#include <set>
#include <string>

class COutboundQueueView;
class CVXLCounterTable;
class CVXLMediaItem;
class CVXLPersStore;

// Uploads phone and memory-card media to online albums while nothing else
// goes on. Batches are appended as records to "state.uq", a queue read from
// the byte offset "pers.bkg_upload_cursor"; each record at the cursor goes
// to the Media Upload Manager and is tried at most three times. The cursor,
// the retries and the counts of records waiting per location kind are saved
// after every change, so a restart resumes at the record at the cursor.
//
// A batch goes on resolving its items while "state.uq" is written: records
// gather in a copy of the file kept here and go out in the next whole write,
// started once they are at least as many bytes as the file already holds
// (or the batch ends), so queueing n items writes O(n) bytes in all. An
// item's pending count is saved only once its record is on disk.
class CBackgroundUploadManager : public CVXLEventHandler, private CVXLStateFileSaver::Owner {
public:
    // What the manager takes from the engine root.
    class Owner {
    public:
        virtual ~Owner() = default;
        virtual CVXLPersStore& settings() = 0;
        virtual CVXLCounterTable* counters() { return nullptr; }
        virtual bool dataCommAllowed() = 0;
        virtual bool hasNoActivity() = 0;
        virtual CVXLEventHandler* fileStoreManager() = 0;
        virtual CVXLEventHandler* localMediaManager() = 0;
        virtual CVXLEventHandler* mediaUploadManager() = 0;
        // A saved item goes back to the Media Access Manager's cache.
        virtual void updateItem(const CVXLMediaItem& item) { (void)item; }
        // A configuration item's text; false when it is absent.
        virtual bool configItem(std::int32_t item, CVXLString* text)
        {
            (void)item;
            (void)text;
            return false;
        }
        // The packed location of a local store (the media store manager's).
        virtual std::uint32_t storeLocation(std::uint16_t storeId);
    };

    static constexpr const char* kQueueFileName = "state.uq";
    static constexpr std::int32_t kMaxAttempts = 3;
    static constexpr std::uint32_t kRetryDelayMs = 120000;
    // Own event codes.
    static constexpr std::int32_t kWakeUp = 1;
    static constexpr std::int32_t kRetryTimer = 2;

    enum class Upload : std::int32_t {
        Idle = 0,
        Reading = 1,
        Emptying = 2,
        GivingUp = 3,
        SavingGivenUp = 4,
        Uploading = 5,
    };

    CBackgroundUploadManager();
    ~CBackgroundUploadManager() override;

    static CBackgroundUploadManager* instance();

    void setOwner(Owner* owner) { owner_ = owner; }
    // Null: the queue is taken as empty.
    void setOutboundQueue(COutboundQueueView* queue) { queue_ = queue; }
    void onEvent(CVXLEvent* event) override;
    void onUiRequest(std::int32_t code) override;
    const char* name() const override { return "Background Upload Manager"; }

    // Posts the wake-up unless it is queued or an upload step is under way.
    void wakeUp();
    bool hasPending() const { return countInPhone_ + countExternal_ != 0; }

    std::uint32_t cursor() const { return cursor_; }
    std::int32_t retries() const { return retries_; }
    std::int32_t countInPhone() const { return countInPhone_; }
    std::int32_t countExternal() const { return countExternal_; }
    Upload uploadState() const { return upload_; }
    bool batchRunning() const { return batch_ != nullptr; }
    bool retryArmed() const { return retryTimer_.isBusy(); }

private:
    enum Reply : std::int32_t {
        kReplyWritten = 3,
        kReplySaved = 4,
        kReplyFirstItem = 6,
        kReplyNextItem = 9,
        kReplyResolved = 7,
        kReplyRead = 10,
        kReplyGivenUpResolved = 12,
        kReplyGivenUpSaved = 13,
        kReplyUploaded = 14,
        kReplyReadForAppend = 15,
    };

    void onStart(CVXLEvent* event);
    void onRequest(CVXLEvent* event);
    void onReply(CVXLEvent* reply);

    // Batches.
    void nextBatchItem();
    void askStoreItem(bool first);
    void onStoreItem(CVXLEvent* reply);
    void resolve(std::uint32_t location, const CVXLString& name);
    void onBatchResolved(CVXLEvent* reply);
    bool tooLarge(const CVXLMediaItem& item);
    void continueBatch();
    void append();
    void onReadForAppend(CVXLEvent* reply);
    void addRecord();
    void flush(bool all);
    void onAppended(std::int32_t result);
    void saveNextItem();
    void onItemSaved(CVXLEvent* reply);
    void itemDone();
    // The batch is answered once every record it queued is on disk and its
    // item saved.
    void endBatch(std::int32_t result, const CVXLString& text = CVXLString());
    void finishBatch();
    bool appendDrained() const;
    void queueMoved();

    // The queue.
    void onWakeUp();
    void onRecordRead(CVXLEvent* reply);
    void giveUp(const CUploadQueueRecord& record, std::size_t size);
    void onGivenUpResolved(CVXLEvent* reply);
    void onGivenUpSaved(CVXLEvent* reply);
    void onUploaded(CVXLEvent* reply);
    void empty();
    void emptyNow();
    void onEmptied(std::int32_t result);
    // The queue file is written whole through the saver: with the records
    // gathered since the last write, or emptied.
    enum class QueueWrite { None, Append, Empty };
    bool saveQueue(QueueWrite what);
    // A copy of its own, so records added while it is written do not copy
    // the whole queue again.
    void writeState(CVXLByteBuffer& out) override { out.append(queueBytes_.data(), queueBytes_.length()); }
    void stateSaved() override { queueWritten(kResultSucceeded); }
    void stateNotSaved(std::int32_t result) override { queueWritten(result); }
    void queueWritten(std::int32_t result);
    void resumeBatch();

    void loadKeys();
    void saveKeys();
    void zeroKeys();
    void lowerCount(std::uint32_t location);
    void setProgress(std::int32_t value);
    void armRetry();

    Owner* owner_ = nullptr;
    COutboundQueueView* queue_ = nullptr;
    bool dataCommAllowed_ = false;
    bool rescan_ = true;
    bool cancel_ = false;
    std::uint32_t cursor_ = 0;
    std::int32_t retries_ = 0;
    std::int32_t countInPhone_ = 0;
    std::int32_t countExternal_ = 0;
    std::uint32_t pendingAdvance_ = 0;

    // The batch being appended (the request stays unanswered until its end).
    CMediaUploadRequest* batch_ = nullptr;
    std::size_t batchIndex_ = 0;
    // A whole local store is walked, item by item.
    bool wholeStore_ = false;
    std::uint32_t itemLocation_ = 0;
    std::int32_t appendResult_ = 0;
    std::int32_t progress_ = 0;
    CVXLMediaItem* batchItem_ = nullptr;
    // 1 while the queue file is read for the batch's first record.
    std::int32_t queueStep_ = 0;
    std::string appendBytes_;
    // A queued item whose record ends at `end` of queueBytes_.
    struct QueuedItem {
        CVXLMediaItem* item = nullptr;
        std::uint32_t location = 0;
        std::uint32_t end = 0;
        std::string key;
    };
    // Records not yet on disk, records on disk whose item waits for its save,
    // and the item being saved.
    std::deque<QueuedItem> unsaved_;
    std::deque<QueuedItem> onDisk_;
    QueuedItem saving_;
    // Location and name of every item above: a batch naming one twice
    // queues it once, as its pending count would say once saved.
    std::set<std::string> inFlight_;
    // queueBytes_ holds the file and the records gathered after it; the
    // first savedLength_ bytes are on disk, writingLength_ are being written.
    bool queueLoaded_ = false;
    std::uint32_t savedLength_ = 0;
    std::uint32_t writingLength_ = 0;
    bool ending_ = false;
    std::int32_t endResult_ = 0;
    CVXLString endText_;
    // A write of gathered records failed: a whole-store walk ends.
    std::int32_t batchFailure_ = 0;
    // A batch that waits while the queue file is emptied.
    bool appendWaiting_ = false;
    bool nextWaiting_ = false;
    // Appends made since the last read at the cursor began.
    std::uint32_t appendSerial_ = 0;
    std::uint32_t readSerial_ = 0;

    Upload upload_ = Upload::Idle;
    CUploadQueueRecord record_;
    CVXLMediaItem* givenUpItem_ = nullptr;

    CVXLSimpleEvent wake_ {kWakeUp};
    CVXLSimpleEvent retryTimer_ {kRetryTimer};
    CVXLLocalMediaRequest firstItem_ {kEventLocalMediaRequest, kReplyFirstItem};
    CVXLLocalMediaRequest nextItem_ {kEventLocalNextItemName, kReplyNextItem};
    CVXLLocalMediaRequest resolve_ {kEventLocalImportByName, kReplyResolved};
    CVXLLocalMediaRequest save_ {kEventMediaItemSave, kReplySaved};
    CVXLLocalMediaRequest givenUpResolve_ {kEventLocalImportByName, kReplyGivenUpResolved};
    CVXLLocalMediaRequest givenUpSave_ {kEventMediaItemSave, kReplyGivenUpSaved};
    CVXLFileReadRequest read_ {kReplyRead};
    CVXLFileReadRequest readForAppend_ {kReplyReadForAppend};
    CVXLByteBuffer queueBytes_;
    QueueWrite queueWrite_ = QueueWrite::None;
    CVXLStateFileSaver saver_ {*this, *this, kQueueFileName, kReplyWritten};
    CMediaUploadRequest uploadRequest_ {kReplyUploaded};
};
