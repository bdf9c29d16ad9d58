#pragma once

#include "engine/core/base/VXLString.h"
#include "engine/core/jobs/VXLCallbackEvent.h"
#include "engine/core/jobs/VXLEventHandler.h"
#include "engine/messaging/store/VXLStoreRequests.h"
#include "engine/transport/mime/VXLMessage.h"
#include "engine/transport/mms/VXLMimeParseRequest.h"
#include "engine/transport/mms/VXLPduRef.h"

#include <cstdint>
#include <vector>

class CInboundServices;
class CVXLInboundMessageManager;
class CVXLMmsPdu;
class CVXLTransaction;
class CVXLTransactionListenerRef;

// One conversation of the inbound message manager, a member job of it: it
// serves one request at a time, and every transaction, store request and
// parse of its steps is its own, so an answer reaches only the conversation
// that asked. The manager hands a request over with take() and keeps the
// rule of one request per kind.
class CInboundJob : public CVXLEventHandler {
public:
    // Transaction steps: the code of the job's callback names the step that
    // continues.
    enum Step : std::int32_t {
        kStepDecoded = 10,
        kStepNotifyResponse = 11,
        kStepPreview = 12,
        kStepRetrieved = 14,
        kStepMmboxView = 17,
        kStepMmboxPreview = 18,
        kStepRelayDelete = 20,
        kStepForward = 22,
        kStepSend = 24,
        kStepMmboxStore = 26,
        kStepTempDeleted = 31,
        kStepBodyDeleted = 32,
    };

    explicit CInboundJob(CVXLInboundMessageManager& manager);
    ~CInboundJob() override;

    void onEvent(CVXLEvent* event) override;

    // The manager passes the request on to this job.
    void take(CVXLEvent* request);
    // From the hand-over until the request is answered and every event and
    // transaction of its steps is back.
    bool busy() const;
    const CVXLEvent* held() const { return held_; }
    // Ends the traffic of the steps and answers the request held with 24.
    void cancel();
    // The manager's one whole-message fetch is this job's turn now.
    void fetchGranted();

protected:
    // The request handed over; it is answered once, through answer().
    virtual void begin(CVXLEvent* request) = 0;
    // A transaction of the step ended; transaction() is it until return.
    virtual void onStep(std::int32_t step, std::int32_t result);
    // A reply to one of this job's requests, finished after the call
    // unless posted again.
    virtual void onReply(CVXLEvent* reply);
    // The end of fetchWhole: 0 when the message is stored whole, else the
    // failure as it came (a transport failure stays 2).
    virtual void wholeStored(std::int32_t result, const CVXLString& text);
    // Lets go of what the steps hold, after a cancel.
    virtual void dropSteps() { }
    // The stage of a received notification (counter 13); only the receive
    // keeps it.
    virtual void fetchStage(std::uint32_t stage) { (void)stage; }

    // Answers the request held and lets it go; 2 becomes 74.
    void answer(std::int32_t result, const CVXLString& text = CVXLString());
    // Answers with the result as given.
    void answerAs(std::int32_t result, const CVXLString& text = CVXLString());
    // Events of the job's own that must be back before the next request.
    void addMember(CVXLEvent* event);

    CVXLEventHandler* storeTarget() const;
    CInboundServices* services() const;
    CVXLInboundMessageManager& manager() const { return manager_; }
    void postToStore(CVXLEvent* event);
    void postRead(CStoreReadRequest& read, std::uint32_t mode, const CVXLString& id);
    std::uint32_t nowSeconds() const;
    CVXLString userId() const;
    CVXLString relayUrl() const;

    // False, and the transaction deleted, when it cannot be submitted or the
    // job's previous transaction is still out.
    bool submit(std::int32_t step, CVXLTransaction* transaction);
    CVXLTransactionListenerRef listener();
    // A GET of the location followed by "&thumbnail=true" into the file.
    bool submitGet(std::int32_t step, const CVXLString& location, const char* file);
    // replyLength: the reply's announced length, 0 when none was.
    bool submitMms(std::int32_t step, CVXLMmsPdu* pdu, const CVXLString& url, const char* file,
        std::uint32_t replyLength = 0);
    // An m-mbox-view-req of the relay folder (kinds 1 and 2).
    bool submitMmboxView(std::uint32_t kind, std::uint32_t start, std::uint32_t size);
    CVXLTransaction* transaction() const { return current_; }
    // The relay's replies to operations share one file, deleted after each.
    void deleteRelayTransferFile();
    // The relay's reply to the operation just ended, its file deleted. A
    // success without a reply becomes a transport failure, a reply with a
    // status other than Ok a relay-status failure with the relay's text.
    CVXLPduRef relayReply(std::int32_t& result, CVXLString& text);

    // Fetches the whole message from the relay and stores it under the id,
    // when the manager's one fetch is free; ends in wholeStored. The size its
    // notification announced (0 none) lets a large one take its time.
    void fetchWhole(const CVXLString& url, const CVXLString& id, std::uint32_t targetBox,
        std::uint32_t announcedSize = 0);
    bool fetching() const { return fetch_ != FetchState::kIdle; }

    static std::int32_t transportResult(std::int32_t result);
    static void copyHeaders(const CVXLMessage& from, CVXLMessage& to);

    CVXLEvent* held_ = nullptr;

private:
    enum class FetchState { kIdle, kWaiting, kRetrieving, kParsing, kStoring };

    void onTransaction(CVXLCallbackEvent* callback);
    void retrieved(std::int32_t result);
    void parsed(std::int32_t result, const CVXLString& text);
    void endFetch(std::int32_t result, const CVXLString& text);
    const char* fetchFile() const;

    CVXLInboundMessageManager& manager_;
    std::vector<CVXLEvent*> members_;
    CVXLCallbackEvent callback_ {this, 0};
    // The transaction out, and the one whose step is being continued.
    CVXLTransaction* transaction_ = nullptr;
    CVXLTransaction* current_ = nullptr;
    // A transaction cancelled with its request: its end continues nothing.
    bool abandoned_ = false;
    CVXLCallbackEvent tempDeleted_ {this, kStepTempDeleted};
    // A failed fetch's body file goes, so nothing it received stays behind.
    CVXLCallbackEvent bodyDeleted_ {this, kStepBodyDeleted};

    FetchState fetch_ = FetchState::kIdle;
    CVXLString fetchUrl_;
    CVXLString fetchId_;
    std::uint32_t fetchBox_ = 0;
    std::uint32_t fetchSize_ = 0;
    CVXLPduRef retrieved_;
    CVXLMimeParseRequest parseRequest_;
    CStoreMessageRequest storeWhole_;
};
