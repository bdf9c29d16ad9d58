#pragma once

#include "engine/core/base/VXLByteBuffer.h"
#include "engine/core/base/VXLString.h"
#include "engine/core/jobs/VXLCounterTable.h"
#include "engine/core/jobs/VXLEventHandler.h"
#include "engine/core/jobs/VXLUIRequestCodes.h"
#include "engine/files/VXLFileDeleteRequest.h"
#include "engine/files/VXLFileReadRequest.h"
#include "engine/files/VXLFileWriteRequest.h"
#include "engine/files/VXLStateFileSaver.h"
#include "engine/media/VXLLocalMediaRequest.h"
#include "engine/messaging/threads/VXLThreadRequests.h"
#include "engine/records/FailedMessageReport.h"
#include "engine/records/OutboundItem.h"
#include "engine/records/OutboundQueueRequests.h"
#include "engine/records/OutboundQueueView.h"
#include "engine/records/OutboundSendRequest.h"
#include "engine/records/OutboundSummary.h"
#include "engine/transfer/VXLByteBufferSink.h"
#include "engine/transfer/VXLOemXferSourceAdapter.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

class CMediaSelectionSource;
class CVXLMediaItem;
class CVXLPlatformStore;

// One slot of the outbound queue.
struct COutboundQueueEntry {
    std::uint32_t kind = 0; // 0 free
    std::uint32_t itemNumber = 0;
    std::uint32_t attempts = 0;
    std::uint8_t rejected = 0;
    std::uint8_t sentKept = 0;
    std::uint8_t toRecipients = 0;
    std::uint8_t sending = 0; // never saved
    std::uint8_t displaced = 0;
    COutboundSummary summary;

    // 1 queued, 2 sending, 3 failed, 4 rejected, 5 sent, 6 displaced.
    std::uint32_t status() const;
    bool active() const { return (kind == 1 || kind == 2) && !displaced; }
};

// Keeps the messages the subscriber sent until they have left the phone: at
// most 22, in "state.oq" with an item file ("item_N.oq") and, for a voice
// memo, an audio file ("audio_N.oq") each. A submit writes the item and
// audio files whole before "state.oq" names the entry; a delete rewrites
// "state.oq" before removing the files; the loader takes only a whole file.
// When the engine is idle and data may flow, the next entry goes to the
// sender member job; its result deletes, keeps or retries the entry (at most
// three attempts) and failures go to the Producer.
//
// A damaged "state.oq" is kept aside as "state.oq.bad".
//
// "state.oq": format 6, nextItemNumber (32), count (32), currentIndex (8),
// then per entry kind (8), itemNumber (32), attempts (8), rejected,
// sentKept, toRecipients, displaced (8 each) and the summary; little-endian.
class COutboundQueueManager : public CVXLEventHandler,
                              public COutboundQueueView,
                              private CVXLStateFileSaver::Owner {
public:
    // What the outbound queue needs of the Client.
    class Services {
    public:
        virtual ~Services() = default;
        virtual std::uint32_t nowSeconds() = 0;
        // "int.datacomm_active".
        virtual bool dataCommAllowed() = 0;
        virtual bool hasNoActivity() = 0;
        // Configuration item 7: the subscriber's own address.
        virtual CVXLString ownNumber() = 0;
        // Configuration item 53: sent messages are deleted rather than kept, and
        // none is recorded in the thread database at submit.
        virtual bool deleteSentMessages() = 0;
        virtual void pushUIRequestCode(std::int32_t code) = 0;
        // The engine counters; null for none.
        virtual CVXLCounterTable* counters() = 0;
    };

    static constexpr const char* kStateFileName = "state.oq";
    static constexpr std::uint8_t kFormat = 6;
    static constexpr std::uint32_t kMaxEntries = 22;
    // A submit beyond this many active entries displaces queued ones.
    static constexpr std::uint32_t kMaxActive = 20;
    static constexpr std::uint32_t kMaxAttempts = 3;
    static constexpr std::uint32_t kRetryDelayMs = 120000;

    // Send states: what the send or delete chain waits for.
    enum SendState : std::int32_t {
        kSendIdle = 0,
        kSendWritingBeforeSend = 1,
        kSendLoading = 2,
        kSendWritingAfterFailure = 3,
        kSendWritingAfterRejection = 4,
        kSendWritingAfterResult = 5,
        kSendDeletingAudio = 6,
        kSendWritingAfterRemoval = 7,
    };
    enum SubmitState : std::int32_t {
        kSubmitIdle = 0,
        kSubmitPreparingMedia = 1,
        kSubmitThreadDatabase = 2,
        kSubmitWritingState = 3,
        kSubmitWritingItem = 4,
        kSubmitWritingAudio = 5,
        kSubmitCopyingMemo = 6,
        kSubmitUndoing = 8,
        kSubmitWritingRetry = 10,
    };
    // Reasons in failed-message reports.
    static constexpr std::uint8_t kReasonAttemptsUsed = 64;
    static constexpr std::uint8_t kReasonRelay = 75;
    static constexpr std::uint8_t kReasonMediaMissing = 83;
    static constexpr std::uint8_t kReasonRefused = 85;
    static constexpr std::uint8_t kReasonNotQueuedAtStart = 97;
    // The Background Upload Manager's wake-up request.
    static constexpr std::int32_t kBackgroundWakeUp = 1;
    // Engine counters kept: 1 and 3 to 10 (VXLCounterTable.h).

    // The sender gets request 0x800006d and answers with 0x800006f; null
    // leaves every entry queued.
    explicit COutboundQueueManager(std::unique_ptr<CVXLEventHandler> sender = nullptr);
    ~COutboundQueueManager() override;

    static COutboundQueueManager* instance();

    void onEvent(CVXLEvent* event) override;
    void onUiRequest(std::int32_t code) override;
    const char* name() const override { return "Outbound Queue Manager"; }

    void setServices(Services* services) { services_ = services; }
    void setFileStoreManager(CVXLEventHandler* files)
    {
        files_ = files;
        saver_.setFileStoreManager(files);
    }
    // The folder the file store manager works on, listed at load to remove
    // item and audio files that no entry names; null skips that.
    void setPlatformStore(CVXLPlatformStore* store) { store_ = store; }
    void setThreadDatabase(CVXLEventHandler* threads) { threads_ = threads; }
    void setLocalMediaManager(CVXLEventHandler* localMedia) { localMedia_ = localMedia; }
    void setProducer(CVXLEventHandler* producer) { producer_ = producer; }
    void setBackgroundUploader(CVXLEventHandler* uploader) { uploader_ = uploader; }
    void setSelectionSource(CMediaSelectionSource* selection) { selection_ = selection; }
    // The owners that serve the outbox listing's media references.
    void setOnlineMediaManager(CVXLEventHandler* online) { onlineMedia_ = online; }
    CVXLEventHandler* sender() const { return sender_.get(); }

    // COutboundQueueView.
    std::uint32_t countQueued() const override;
    bool isFull() const override { return count_ >= kMaxEntries; }

    std::uint32_t count() const { return count_; }
    const COutboundQueueEntry& entryAt(std::uint32_t index) const { return entries_[index]; }
    std::uint32_t nextItemNumber() const { return nextItemNumber_; }
    std::int32_t sendState() const { return sendState_; }
    std::int32_t submitState() const { return submitState_; }
    bool loaded() const { return sendState_ != kSendLoading && started_; }
    bool retryTimerRunning() const { return retryTimer_.isBusy(); }
    std::uint32_t permanentFailures() const { return permanentFailures_; }
    std::uint32_t transientFailures() const { return transientFailures_; }

    static CVXLString itemFileName(std::uint32_t itemNumber);
    static CVXLString audioFileName(std::uint32_t itemNumber);

    // "state.oq" of the entries given, and its reader: true only for one
    // whole file of this format with at most 22 entries; otherwise the
    // output is left empty.
    static void serialise(const COutboundQueueEntry* entries, std::uint32_t count,
        std::uint32_t nextItemNumber, std::int32_t currentIndex, CVXLByteBuffer& out);
    struct Loaded {
        std::uint32_t nextItemNumber = 0;
        std::int32_t currentIndex = -1;
        std::vector<COutboundQueueEntry> entries;
    };
    static bool parse(const CVXLByteBuffer& bytes, Loaded& out);

private:
    // Reply codes of the manager's own requests.
    enum Reply : std::int32_t {
        kReplyMediaSaved = 44,
        kReplyStateAfterSubmit = 45,
        kReplyItemWritten = 46,
        kReplyAudioWritten = 47,
        kReplyMemoCopied = 48,
        kReplyDeleteItem = 50,
        kReplyDeleteAudio = 51,
        kReplyStateAfterDelete = 52,
        kReplyStateAfterRetry = 53,
        kReplyStateNoted = 54,
        kReplyStateRead = 55,
        kReplyStateAfterSend = 56,
        kReplyUndoItem = 57,
        kReplyUndoAudio = 58,
        kReplySendDone = 59,
        // Answers nothing waits for: orphan removals, a failed submit's
        // thread record.
        kReplyUnawaited = 60,
        kReplyThreadAdd = 67,
        kReplyThreadRemove = 68,
        kReplyReconcile = 70,
        kReplyThreadReAdd = 71,
        kReplyReported = 72,
        kReplyUploaderWoken = 73,
        kReplyStateWritten = 74,
    };
    // Why a delete runs: what is answered when it ends.
    enum class DeleteCause { WakeUp, SentCopy, SendResult, ItemRequest, All };
    // The location kind of a medium online.
    static constexpr std::uint32_t kLocationOnline = 1;

    void onStart(CVXLEvent* event);
    void onStop(CVXLEvent* event);
    void onStateRead(CVXLEvent* reply);
    void onReconciled(CVXLEvent* reply);
    void sweepOrphanFiles();
    void reportNotQueuedAtStart();

    // Requests that wait while other work of the manager runs.
    bool dispatchRequest(CVXLEvent* event);
    void runDeferred();

    void onSubmit(CVXLEvent* event);
    void onSubmitPrepared(CVXLEvent* event);
    void collectSelection(COutboundItem& item);
    void continueSubmit();
    void onMediaSaved(CVXLEvent* reply);
    void startSubmitWrites();
    void onMemoCopied(CVXLEvent* reply);
    void writeItemFile();
    void onItemWritten(CVXLEvent* reply);
    void onAudioWritten(CVXLEvent* reply);
    void appendEntry();
    void onStateAfterSubmit(std::int32_t result);
    void undoSubmit(std::int32_t result, std::int32_t memoStep);
    void onUndoStep(CVXLEvent* reply);
    void completeSubmit(std::int32_t result);

    void onRetry(CVXLEvent* event);
    void onStateAfterRetry(std::int32_t result);
    void onRefresh(CVXLEvent* event);
    void onList(CVXLEvent* event);
    void fillRecord(const COutboundQueueEntry& entry, CVXLMessageSummary& record, bool refresh) const;

    void postWakeUp();
    void onWakeUp(CVXLEvent* event);
    void finishWakeUpIfPending();
    void startSend(int index);
    void onStateBeforeSend(std::int32_t result);
    void onSendResult(CVXLEvent* event);
    void onStateAfterResult(std::int32_t result);
    void endSend(std::int32_t result, const CVXLString& text, std::uint8_t reason);
    void report(
        std::uint8_t kind, const COutboundQueueEntry& entry, std::uint8_t reason, const CVXLString& text);

    void onSentCopy(CVXLEvent* event);
    void onItemDelete(CVXLEvent* event);
    void onDeleteAll(CVXLEvent* event);
    void nextDeleteAll();
    void startDelete(std::uint32_t itemNumber, bool withThreads, DeleteCause cause);
    void onDeleteStep(CVXLEvent* reply);
    void onStateAfterDelete(std::int32_t result);
    void removeEntry(std::uint32_t itemNumber);
    void endDelete(CVXLEvent* reply);

    int findById(const CVXLString& id) const;
    int findByItemNumber(std::uint32_t itemNumber) const;
    int findSending() const;
    CVXLString newMessageId();
    // Saves "state.oq"; the step named by the reply code follows once the
    // change is on disk (or failed to get there).
    void saveState(std::int32_t replyCode);
    void onStateWritten(std::int32_t replyCode, std::int32_t result);
    void writeState(CVXLByteBuffer& out) override;
    void stateSaved() override { stateWritten(); }
    void stateNotSaved(std::int32_t) override { stateWritten(); }
    void stateWritten();
    void postFileWrite(const CVXLString& name, const CVXLByteBuffer& bytes, std::int32_t replyCode);
    void postFileDelete(const CVXLString& name, std::int32_t replyCode);
    void answerFailed(std::int32_t replyCode);
    void refreshCounters();
    bool readDataComm() const;

    std::unique_ptr<CVXLEventHandler> sender_;
    Services* services_ = nullptr;
    CVXLEventHandler* files_ = nullptr;
    CVXLPlatformStore* store_ = nullptr;
    CVXLEventHandler* threads_ = nullptr;
    CVXLEventHandler* localMedia_ = nullptr;
    CVXLEventHandler* producer_ = nullptr;
    CVXLEventHandler* uploader_ = nullptr;
    CMediaSelectionSource* selection_ = nullptr;
    CVXLEventHandler* onlineMedia_ = nullptr;

    COutboundQueueEntry entries_[kMaxEntries];
    std::uint32_t count_ = 0;
    std::uint32_t nextItemNumber_ = 0;
    std::int32_t currentIndex_ = -1;
    std::int32_t sendState_ = kSendIdle;
    std::int32_t submitState_ = kSubmitIdle;
    std::int32_t submitKind_ = 0;
    bool started_ = false;
    std::uint8_t dataCommAllowed_ = 0;
    std::uint32_t permanentFailures_ = 0;
    std::uint32_t transientFailures_ = 0;
    std::uint32_t idCounter_ = 0;

    // The submit under way.
    CVXLEvent* pendingSubmit_ = nullptr;
    COutboundItem item_;
    CVXLByteBuffer itemStream_;
    COutboundSummary summary_;
    COutboundVoiceMemo* memo_ = nullptr;
    CVXLByteBuffer memoBytes_;
    std::uint32_t submitItemNumber_ = 0;
    bool submitToRecipients_ = false;
    bool submitAppended_ = false;
    std::int32_t undoResult_ = 0;
    std::vector<CVXLMediaItem*> pendingMedia_;
    std::size_t nextLocalMedium_ = 0;
    CThreadAddRequest threadAdd_ {kReplyThreadAdd};
    CVXLLocalMediaRequest mediaSave_ {kEventMediaItemSave, kReplyMediaSaved};
    CVXLOemXferSourceAdapter memoAdapter_;
    CVXLByteBufferSink memoSink_;
    CVXLEvent memoRun_ {kEventXferRun, kReplyMemoCopied};

    // The send or delete under way.
    CVXLEvent wakeUp_ {kOutboundRequestWakeUp, -1};
    CVXLEvent retryTimer_ {kOutboundRequestRetryTimer, -1};
    COutboundSendRequest sendRequest_ {kReplySendDone};
    std::uint32_t sendItemNumber_ = 0;
    // The result being handled waits for the state write.
    std::int32_t resultCode_ = 0;
    CVXLString resultText_;
    std::uint32_t deleteItemNumber_ = 0;
    bool deleteWithThreads_ = false;
    DeleteCause deleteCause_ = DeleteCause::WakeUp;
    CVXLEvent* deleteRequest_ = nullptr;
    CThreadRemoveRequest threadRemove_ {kReplyThreadRemove};
    CThreadReconcileRequest reconcile_ {kReplyReconcile};
    std::vector<std::uint32_t> reAddPending_;
    CVXLFileReadRequest stateRead_ {kReplyStateRead};
    std::deque<CVXLEvent*> deferred_;

    // The saves of "state.oq" that the submit chain and the send or delete
    // chain wait for: the save's number and the step that follows.
    struct AwaitedSave {
        std::uint32_t number = 0;
        std::int32_t replyCode = 0;
    };
    AwaitedSave submitSave_;
    AwaitedSave sendSave_;
    CVXLStateFileSaver saver_ {*this, *this, kStateFileName, kReplyStateWritten};
};
