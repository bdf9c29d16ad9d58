#pragma once

#include "engine/core/base/VXLByteBuffer.h"
#include "engine/core/base/VXLString.h"
#include "engine/core/base/VXLStringArray.h"
#include "engine/core/jobs/VXLCallbackEvent.h"
#include "engine/core/jobs/VXLEventHandler.h"
#include "engine/core/jobs/VXLSimpleEvent.h"
#include "engine/records/VXLInboundRequests.h"
#include "engine/messaging/VXLMessageHeaders.h"
#include "engine/messaging/VXLStoreRequests.h"
#include "engine/transport/http/VXLHttpProcessor.h"
#include "engine/transport/mime/VXLEntityRef.h"
#include "engine/transport/mime/VXLMessage.h"
#include "engine/transport/mms/VXLMMSMimeParserJob.h"
#include "engine/transport/mms/VXLMMSProcessor.h"
#include "engine/transport/mms/VXLMMSSmsProcessor.h"
#include "engine/transport/mms/VXLMimeParseRequest.h"
#include "engine/transport/mms/VXLPduRef.h"
#include "engine/transport/mms/VXLWspDecode.h"
#include "engine/transport/mms/VXLWspEncode.h"
#include "engine/transport/storage/VXLStorageProcessor.h"
#include "engine/transport/tasks/VXLTaskProcessor.h"

#include <cstdint>
#include <vector>

class CPremiumInboxManager;
class CVXLMmsPdu;
class CVXLTransaction;

// What the inbound manager needs of the Client.
class CInboundServices {
public:
    virtual ~CInboundServices() = default;
    // Configuration items 3 (the relay's URL) and 7 (the user id).
    virtual CVXLString relayUrl() = 0;
    virtual CVXLString userId() = 0;
    virtual std::uint32_t nowSeconds() = 0;
    virtual void pushUIRequestCode(std::int32_t code) = 0;
    virtual void processPendingPush() = 0;
    // Counter 13: the stage of the notification being received.
    virtual void setStage(std::uint32_t stage) = 0;
};

// The engine's MMS side: receives a pushed notification (decode, preview,
// whole message, notification response) and has the message store keep what
// arrived; opens, counts, lists and deletes stored messages for the screens.
// It owns the transport: every transaction of the engine goes to its task
// processor. One request of each kind at a time; every request is answered.
class CVXLInboundMessageManager : public CVXLEventHandler {
public:
    // Push request (code 0) and its reply code.
    static constexpr std::int32_t kRequestPush = 0;
    static constexpr std::int32_t kReplyPush = 7;
    static constexpr std::int32_t kRequestCount = 1;
    // Callback and reply codes: the step that continues.
    enum Step : std::int32_t {
        kStepSendOpened = 6,
        kStepDecision = 8,
        kStepDecoded = 10,
        kStepNotifyResponse = 11,
        kStepPreview = 12,
        kStepFetch = 13,
        kStepRetrieved = 14,
        kStepMmboxView = 17,
        kStepMmboxPreview = 18,
        kStepRelayDeleteRead = 19,
        kStepRelayDelete = 20,
        kStepForwardRead = 21,
        kStepForward = 22,
        kStepSendPartRead = 23,
        kStepSend = 24,
        kStepMmboxStoreRead = 25,
        kStepMmboxStore = 26,
        kStepOpenRead = 28,
        kMmboxReadBack = 30,
        kMmboxPreviewStored = 32,
        kPartRead = 33,
        kCrashIdList = 34,
        kCrashRead = 35,
        kCrashWhole = 36,
        kStepChargedStored = 29,
        kStepTempDeleted = 31,
    };
    // Stages kept in counter 13.
    enum Stage : std::uint32_t {
        kStageAccepted = 1,
        kStageDecoded = 2,
        kStagePreviewRequested = 3,
        kStagePreviewReceived = 4,
        kStageWholeRequested = 5,
        kStageStored = 6,
        kStageParsed = 8,
        kStageDone = 9,
    };

    CVXLInboundMessageManager();
    ~CVXLInboundMessageManager() override;

    static CVXLInboundMessageManager* instance();

    void init() override;
    void onEvent(CVXLEvent* event) override;
    void onUiRequest(std::int32_t code) override;
    const char* name() const override { return "CVXLInboundMessageManager"; }

    // The message store also opens the HTTP response files, making room
    // for them first.
    void setStoreTarget(CVXLEventHandler* store)
    {
        storeTarget_ = store;
        http_.setFileRequestTarget(store);
    }
    void setProducer(CVXLEventHandler* producer) { producer_ = producer; }
    // Request 39 goes here; nothing is sent without one.
    void setOutboundQueue(CVXLEventHandler* queue) { outboundQueue_ = queue; }
    void setServices(CInboundServices* services) { services_ = services; }
    // Offered every stored preview that carries a premium descriptor.
    void setPremiumInbox(CPremiumInboxManager* premium) { premium_ = premium; }
    void setDialer(CVXLEventHandler* dialer) { http_.setDialer(dialer); }
    void setHttpSettings(const CVXLHttpSettings* settings) { http_.setSettings(settings); }
    void setSettingsStore(CVXLPersStore* settings) { http_.setSettingsStore(settings); }
    void setMessageStore(CVXLPlatformStore* store);
    // Lets go of every stream on the message store before it goes.
    void releaseMessageStore();

    // Hands the transaction to the task processor: 1, or 0 when no
    // processor is registered.
    int submitTransaction(CVXLTransaction* transaction);
    CVXLTaskProcessor& taskProcessor() { return tasks_; }

    // 0 an e-mail address (an at sign after the first character), 1 a phone
    // number (digits and "-", or a leading "+"), 2 anything else.
    static std::int32_t classifyAddress(const CVXLString& address);
    // The store box of an id by its first letter: "m" 1, "p" 2, "s" 3,
    // "t" 4, else 0.
    static std::uint32_t boxOfId(const CVXLString& id);

    bool notificationBusy() const { return pushRequest_ != nullptr; }

private:
    struct RequestRow {
        std::int32_t code;
        void (CVXLInboundMessageManager::*handler)(CVXLEvent*);
    };
    struct ReplyRow {
        std::int32_t code;
        void (CVXLInboundMessageManager::*handler)(CVXLEvent*);
    };
    static const RequestRow kRequests[];
    static const ReplyRow kReplies[];

    // Requests.
    void onPush(CVXLEvent* event);
    void onCount(CVXLEvent* event);
    void onOpen(CVXLEvent* event);
    void onRead(CVXLEvent* event);
    void onUnserved(CVXLEvent* event);
    void onForward(CVXLEvent* event);
    void onMmboxStore(CVXLEvent* event);
    void onSend(CVXLEvent* event);
    void onList(CVXLEvent* event);
    void onItem(CVXLEvent* event);
    void onCancel(CVXLEvent* event);
    void onFrame(CVXLEvent* event);
    // The event is one of the requests held in a slot.
    bool holds(const CVXLEvent* event) const;

    // Steps and replies.
    void onStep(std::int32_t step, std::int32_t result);
    void decoded(std::int32_t result);
    void onDecision(CVXLEvent* event);
    void requestPreview();
    void previewReceived(std::int32_t result);
    void onStored(CVXLEvent* event);
    void onChargedStored(CVXLEvent* event);
    bool refusedByPremiumInbox(const CVXLString& id);
    void onFetch(CVXLEvent* event);
    void retrieved(std::int32_t result);
    void onParsed(CVXLEvent* event);
    void notifyResponded(std::int32_t result);
    void onOpenRead(CVXLEvent* event);
    void onPartsDone(CVXLEvent* event);
    void onCountDone(CVXLEvent* event);
    void onIdListDone(CVXLEvent* event);
    void onListRead(CVXLEvent* event);
    void onDeleteDone(CVXLEvent* event);
    void onRewriteDone(CVXLEvent* event);
    void onTempDeleted(CVXLEvent* event) { (void)event; }
    // Relay operations on one stored message: its headers give the relay's
    // location, then the request goes out.
    void readRelayHeaders(CStoreReadRequest& read, const CVXLString& id);
    void onRelayHeaders(CVXLEvent* event);
    void relayAnswered(std::int32_t step, std::int32_t result);
    void onMmboxPurged(CVXLEvent* event);
    void sendMmboxView(std::uint32_t kind, std::uint32_t start, std::uint32_t size);
    void mmboxViewed(std::int32_t result);
    void fetchNextMmboxPreview();
    void mmboxPreviewReceived(std::int32_t result);
    void readNextMmboxStored();
    void onMmboxRead(CVXLEvent* event);
    void onMmboxPreviewStored(CVXLEvent* event);
    void onSendOpened(CVXLEvent* event);
    void readNextPart();
    void onPartRead(CVXLEvent* event);
    // After an unclean end: the newest stored messages are searched for the
    // notification's location, and the receive goes on from the one found.
    void onCrashIds(CVXLEvent* event);
    void onCrashRead(CVXLEvent* event);
    void onCrashWhole(CVXLEvent* event);
    void continueNotification();
    void readNextSendPart();
    void onSendPart(CVXLEvent* event);
    // "MMS-", item 7, "-" and a sequence number of this engine.
    CVXLString nextTransactionId(const char* prefix);
    void deleteRelayTransferFile();

    // Whole message from the relay into "temp_mms.raw" (or the relay
    // mailbox file for an "m" id); false when it cannot be submitted.
    bool fetch(const CVXLString& url);
    bool submitStep(std::int32_t step, CVXLTransaction* transaction);
    // A GET of the location followed by "&thumbnail=true" into the file.
    bool submitGet(std::int32_t step, const CVXLString& location, const char* file);
    bool submitMms(std::int32_t step, CVXLMmsPdu* pdu, const CVXLString& url, const char* file);
    void postRead(CStoreReadRequest& read, std::uint32_t mode, const CVXLString& id);
    static void copyHeaders(const CVXLMessage& from, CVXLMessage& to);
    // The index-th m-mbox-descr of the view confirmation held; null past them.
    CVXLMmsPdu* descriptorAt(std::uint32_t index) const;
    CVXLString relayUrl() const;
    CVXLTransactionListenerRef listener(std::int32_t step);
    void dropTransactions();
    void sendNotifyResponse();
    void readNextListed();

    // Answers and clears the slot; 2 becomes 74.
    void answer(CVXLEvent*& slot, std::int32_t result, const CVXLString& text = CVXLString());
    void answerPush(std::int32_t result, const CVXLString& text = CVXLString());
    void tellArrived(const CVXLString& id, std::int32_t box);
    void stage(std::uint32_t value);
    void post(CVXLEventHandler* target, CVXLEvent* event);
    static std::int32_t transportResult(std::int32_t result);

public:
    // At most 499 bytes of the text, cut before a UTF-8 character that would
    // not fit whole; the space, the listed marks and every byte outside
    // printable ASCII as "%" and two upper-case hexadecimal digits.
    static CVXLString encodeForwardSubject(const CVXLString& subject);

private:

    CVXLEventHandler* storeTarget_ = nullptr;
    CVXLEventHandler* producer_ = nullptr;
    CVXLEventHandler* outboundQueue_ = nullptr;
    CInboundServices* services_ = nullptr;
    CPremiumInboxManager* premium_ = nullptr;
    // The stored preview's "X-QV-Folder".
    CVXLString folder_;

    CVXLTaskProcessor tasks_;
    CVXLMMSProcessor mms_;
    CVXLMMSSmsProcessor mmsSms_;
    CVXLHttpProcessor http_;
    CVXLWspEncode encoder_;
    CVXLWspDecode decoder_;
    CVXLStorageProcessor storage_;

    CVXLPduRef notificationPdu_;
    // One callback and one transaction per transaction step, so the steps of
    // different requests never share a record.
    static constexpr std::int32_t kTransactionSteps[] = { kStepDecoded, kStepNotifyResponse, kStepPreview,
        kStepRetrieved, kStepMmboxView, kStepMmboxPreview, kStepRelayDelete, kStepForward, kStepSend,
        kStepMmboxStore };
    static constexpr int kSlotCount = sizeof(kTransactionSteps) / sizeof(kTransactionSteps[0]);
    static int slotOf(std::int32_t step);
    CVXLCallbackEvent callbacks_[kSlotCount] { { this, kStepDecoded }, { this, kStepNotifyResponse },
        { this, kStepPreview }, { this, kStepRetrieved }, { this, kStepMmboxView }, { this, kStepMmboxPreview },
        { this, kStepRelayDelete }, { this, kStepForward }, { this, kStepSend }, { this, kStepMmboxStore } };
    CVXLTransaction* transactions_[kSlotCount] = {};
    // The transaction whose step is being continued; deleted after it.
    CVXLTransaction* transaction_ = nullptr;
    CVXLSimpleEvent selfEvent_ { kStepFetch };
    CVXLString messageId_;
    CVXLMessageHeaders openHeaders_;
    CVXLMimeParseRequest parseRequest_;
    CVXLMMSMimeParserJob parser_;
    // The message being stored: preview or whole.
    CVXLMessage stored_;
    CVXLPduRef retrieved_;

    CVXLEvent* pushRequest_ = nullptr;
    CVXLEvent* countRequest_ = nullptr;
    CVXLEvent* listRequest_ = nullptr;
    CVXLEvent* readRequest_ = nullptr;
    CVXLEvent* itemRequest_ = nullptr;
    CVXLEvent* openRequest_ = nullptr;
    CVXLEvent* forwardRequest_ = nullptr;
    CVXLEvent* sendRequest_ = nullptr;
    CVXLEvent* storeRequest_ = nullptr;
    // A relay delete of an item request (kinds 1 and 2).
    bool itemAtRelay_ = false;
    CMessageDecisionEvent* decision_ = nullptr;
    // The decision is with the Producer: its reply has not come back.
    bool decisionOut_ = false;
    CVXLByteBuffer pushed_;

    CStoreMessageRequest storeMessageRequest_;
    CStoreCountQuery countQuery_;
    CStoreIdListQuery idListQuery_;
    CStoreReadRequest messageReadRequest_;
    CStoreDeleteRequest deleteRequest_;
    CStorePartsQuery partsQuery_;
    CStoreSummaryRewriteRequest rewriteRequest_;
    CStoreReadRequest forwardRead_ { kStepForwardRead };
    CStoreReadRequest mmboxStoreRead_ { kStepMmboxStoreRead };
    CStoreReadRequest relayDeleteRead_ { kStepRelayDeleteRead };
    CStoreReadRequest sendRead_ { kStepSendPartRead };
    CStoreReadRequest mmboxRead_ { kMmboxReadBack };
    CStoreReadRequest partRead_ { kPartRead };
    CStoreIdListQuery crashIds_ { kCrashIdList };
    CStoreReadRequest crashRead_ { kCrashRead };
    std::uint32_t crashIndex_ = 0;
    // The read request waits for its message's body from the relay.
    bool readAfterFetch_ = false;
    CStoreMmboxPurgeRequest purgeRequest_;
    CStoreMessageRequest mmboxStoreMessage_ { kMmboxPreviewStored };
    CStorePartsQuery sendPartsQuery_ { kStepSendOpened };
    CVXLCallbackEvent tempDeleted_ { this, kStepTempDeleted };
    CVXLPlatformStore* platformStore_ = nullptr;
    std::uint32_t transactionSequence_ = 0;

    // The relay folder listing.
    CVXLPduRef mmboxViewPdu_;
    CVXLMessage mmboxStored_;
    std::uint32_t mmboxIndex_ = 0;
    std::uint32_t mmboxCount_ = 0;
    // The send: its parts and the body being built.
    std::vector<CVXLHeaderMap> sendParts_;
    std::uint32_t partIndex_ = 0;
    std::uint32_t partCount_ = 0;
    CVXLEntityRef sendBody_;

    CVXLStringArray idArray_;
    std::uint32_t listIndex_ = 0;
    std::uint32_t listCount_ = 0;
    std::uint32_t notValidBefore_ = 0;
    std::uint32_t targetBox_ = 0;
    std::uint32_t fullMessage_ = 0;
    std::uint8_t fromMmbox_ = 0;
};
