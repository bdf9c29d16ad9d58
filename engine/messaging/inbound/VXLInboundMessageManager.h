#pragma once

#include "engine/core/base/VXLString.h"
#include "engine/core/jobs/VXLEventHandler.h"
#include "engine/messaging/inbound/InboundCountJob.h"
#include "engine/messaging/inbound/InboundListJob.h"
#include "engine/messaging/inbound/InboundOpenJob.h"
#include "engine/messaging/inbound/InboundReadJob.h"
#include "engine/messaging/inbound/InboundReceiveJob.h"
#include "engine/messaging/inbound/InboundRelayJob.h"
#include "engine/messaging/inbound/InboundSendJob.h"
#include "engine/records/VXLInboundRequests.h"
#include "engine/transport/http/VXLHttpProcessor.h"
#include "engine/transport/mms/VXLMMSMimeParserJob.h"
#include "engine/transport/mms/VXLMMSProcessor.h"
#include "engine/transport/mms/VXLMMSSmsProcessor.h"
#include "engine/transport/mms/VXLWspDecode.h"
#include "engine/transport/mms/VXLWspEncode.h"
#include "engine/transport/storage/VXLStorageProcessor.h"
#include "engine/transport/tasks/VXLTaskProcessor.h"

#include <cstdint>
#include <deque>

class CPremiumInboxManager;
class CVXLMmsPdu;
class CVXLPlatformStore;
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
// processor. Each kind of request is served by a member job of its own, one
// request at a time; a request of a kind whose job is busy is refused.
class CVXLInboundMessageManager : public CVXLEventHandler {
public:
    // Push request (code 0) and its reply code.
    static constexpr std::int32_t kRequestPush = 0;
    static constexpr std::int32_t kReplyPush = 7;
    static constexpr std::int32_t kRequestCount = 1;
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

    // What the member jobs share.
    CVXLEventHandler* storeTarget() const { return storeTarget_; }
    CVXLEventHandler* producer() const { return producer_; }
    CVXLEventHandler* outboundQueue() const { return outboundQueue_; }
    CInboundServices* services() const { return services_; }
    CPremiumInboxManager* premiumInbox() const { return premium_; }
    CVXLPlatformStore* platformStore() const { return platformStore_; }
    CVXLMMSMimeParserJob& parser() { return parser_; }
    // The prefix ("MMS-", or "001" for a send), item 7, "-" and a number
    // that no earlier run gave: the first of a run is the clock's seconds
    // times kTransactionsPerSecond, plus one.
    CVXLString nextTransactionId(const char* prefix);
    static constexpr std::uint64_t kTransactionsPerSecond = 1000;
    // One whole-message fetch at a time: the retrieved body lies in the
    // transfer file until its message is stored. The job is granted the
    // fetch now or after the ones before it.
    void requestFetch(CInboundJob* job);
    // The job's fetch has ended, or the job no longer waits for one.
    void releaseFetch(CInboundJob* job);

    // 0 an e-mail address (an at sign after the first character), 1 a phone
    // number (digits and "-", or a leading "+"), 2 anything else.
    static std::int32_t classifyAddress(const CVXLString& address);
    // The store box of an id by its first letter: "m" 1, "p" 2, "s" 3,
    // "t" 4, else 0.
    static std::uint32_t boxOfId(const CVXLString& id);
    // At most 499 bytes of the text, cut before a UTF-8 character that would
    // not fit whole; the space, the listed marks and every byte outside
    // printable ASCII as "%" and two upper-case hexadecimal digits.
    static CVXLString encodeForwardSubject(const CVXLString& subject);
    // To, Cc and Bcc of the comma-separated lists, one header per entry.
    static void addRecipients(
        CVXLMmsPdu* pdu, const CVXLString& to, const CVXLString& cc, const CVXLString& bcc);

    bool notificationBusy() const { return receive_.held() != nullptr; }

private:
    // The member job that serves the request code; null for none.
    CInboundJob* jobFor(std::int32_t code);
    void onCancel(CVXLEvent* event);

    CVXLEventHandler* storeTarget_ = nullptr;
    CVXLEventHandler* producer_ = nullptr;
    CVXLEventHandler* outboundQueue_ = nullptr;
    CInboundServices* services_ = nullptr;
    CPremiumInboxManager* premium_ = nullptr;
    CVXLPlatformStore* platformStore_ = nullptr;
    // The number of the last transaction id; 0 before the first of the run.
    std::uint64_t transactionSequence_ = 0;

    CVXLTaskProcessor tasks_;
    CVXLMMSProcessor mms_;
    CVXLMMSSmsProcessor mmsSms_;
    CVXLHttpProcessor http_;
    CVXLWspEncode encoder_;
    CVXLWspDecode decoder_;
    CVXLStorageProcessor storage_;
    CVXLMMSMimeParserJob parser_;

    CInboundJob* fetchOwner_ = nullptr;
    std::deque<CInboundJob*> fetchWaiting_;

    CInboundReceiveJob receive_ {*this};
    CInboundOpenJob open_ {*this};
    CInboundReadJob read_ {*this};
    CInboundCountJob count_ {*this};
    CInboundListJob list_ {*this};
    CInboundRelayJob forward_ {*this, CInboundRelayJob::kForward};
    CInboundRelayJob save_ {*this, CInboundRelayJob::kSave};
    CInboundRelayJob delete_ {*this, CInboundRelayJob::kDelete};
    CInboundSendJob send_ {*this};
};
