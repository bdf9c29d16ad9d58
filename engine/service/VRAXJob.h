#pragma once

#include "engine/core/base/VXLByteBuffer.h"
#include "engine/core/jobs/VXLEventHandler.h"
#include "engine/core/jobs/VXLEventRing.h"
#include "engine/core/jobs/VXLHsm.h"
#include "engine/core/jobs/VXLSimpleEvent.h"
#include "engine/service/VRAXBasicReply.h"
#include "engine/service/VRAXContainerReply.h"
#include "engine/service/VRAXContainerRequest.h"
#include "engine/service/VRAXContentsReply.h"
#include "engine/service/VRAXErrorInfoReply.h"
#include "engine/service/VRAXFetchBatch.h"
#include "engine/service/VRAXListChoiceAckReply.h"
#include "engine/service/VRAXListChoiceResponse.h"
#include "engine/service/VRAXListReplyParser.h"
#include "engine/service/VRAXListRequest.h"
#include "engine/service/VRAXMediaListRequest.h"
#include "engine/service/VRAXMediaReqReply.h"
#include "engine/service/VRAXMediaRequest.h"
#include "engine/service/VRAXMediaXferReply.h"
#include "engine/service/VRAXMediaXferRequest.h"
#include "engine/service/VRAXMessageXferRequest.h"
#include "engine/service/VRAXMgmtReply.h"
#include "engine/service/VRAXMgmtRequest.h"
#include "engine/service/VRAXMultipartWriter.h"
#include "engine/service/VRAXPromptEvent.h"
#include "engine/service/VRAXQueuedMessageRequest.h"
#include "engine/service/VRAXReplyPart.h"
#include "engine/service/VRAXUploadReply.h"
#include "engine/service/VRAXUriReply.h"
#include "engine/transfer/VXLOnlineUploadRequest.h"
#include "engine/transfer/VXLPushOpenRequest.h"
#include "engine/transfer/VXLPushToFileAdapterJob.h"
#include "engine/transfer/VXLPushWriteRequest.h"
#include "engine/transport/http/HTTPv2Job.h"
#include "engine/transport/http/VXLHttpRequest.h"

#include <cstdint>

class CVRAXEnvironment;
class CVRAXJobRequest;

// The engine job that carries every exchange with the service's server, one
// request at a time: it registers first when the device is not registered,
// writes the request document, posts it as a multipart body through its HTTP
// job, reads the multipart reply as it arrives and answers the request with a
// result. It asks the prompt handler (the Producer) for a list choice and for
// the password when the server no longer knows the subscriber, and stores a
// configuration file that comes with a registration reply through its file
// writer, which replaces "vxlcfg.xml" only once the part has arrived whole.
//
// An upload looks its item up first unless it needs no lookup, then sends
// the item's bytes as the body's second part, pulled from the requester in
// reads of at most kUploadReadMax bytes. A media batch fetch hands each
// media part of the reply to the slot whose Content-ID it carries, piece by
// piece as it arrives, and tells every slot when its fetch is over.
class CVRAXJob : public CVXLHsm, public CVXLEventHandler {
public:
    // Private signals, and the reply code of the job's HTTP request.
    enum Signal : std::int32_t {
        kSigGo = 4,
        kSigAlert = 5,
        kSigReauthenticate = 6,
        kSigNoData = 7,
        kSigSkip = 10,
        kSigRegistrationTimer = 8,
        kSigFailure = 19,
        kSigHttpDone = 22,
        // The upload source's answer to a read.
        kReplySourceData = 14,
        // A slot job's answer to the end of its fetch.
        kReplyFetchOver = 16,
    };
    static constexpr std::uint32_t kUploadReadMax = 51200;
    // Tells a slot's job that its fetch is over, with the fetch's result.
    static constexpr std::int32_t kFetchOverCode = 5;
    // Replies above this code that carry a failure reach the machine as
    // kSigFailure.
    static constexpr std::int32_t kLastPlainReply = 21;
    // The most of a reply held while a document or a part's headers are read
    // to their end: the largest real reply is a few tens of KiB. More ends
    // the exchange with the framing error.
    static constexpr std::uint32_t kMaxReplyHeld = 1u << 20;
    static constexpr std::uint32_t kRegistrationLifetimeMs = 3600000;
    static constexpr const char* kConfigFileName = "vxlcfg.xml";
    static constexpr const char* kBoundaryPattern = "boundary=(-+)([^-]+)";
    static constexpr int kOperationDepth = 3;

    explicit CVRAXJob(CVRAXEnvironment& environment);
    ~CVRAXJob() override;

    // Receiver of the password and choice prompts (the Producer).
    void setPromptHandler(CVXLEventHandler* handler) { promptHandler_ = handler; }
    // Receiver of the configuration reload (the Scenario Manager).
    void setScenarioManager(CVXLEventHandler* manager) { scenarioManager_ = manager; }
    // The job that opens files for the configuration file writer.
    void setFileStoreManager(CVXLEventHandler* manager) { fileStoreManager_ = manager; }
    void setDialer(CVXLEventHandler* dialer) { http_.setDialer(dialer); }
    void setHttpSettings(const CVXLHttpSettings* settings) { http_.setSettings(settings); }
    CHTTPv2Job& httpJob() { return http_; }

    void onEvent(CVXLEvent* event) override;
    void receive(CVXLEvent* event) override;
    const char* name() const override { return "VRAX Job"; }

    CVXLHsmState afterHttpLetsGo(const CVXLEvent* e, CVXLHsmState (CVRAXJob::*next)(const CVXLEvent*));
    // The states, in the order of the state table.
    CVXLHsmState Idle(const CVXLEvent* e);
    CVXLHsmState Exchange(const CVXLEvent* e);
    CVXLHsmState SendWait(const CVXLEvent* e);
    CVXLHsmState Receiving(const CVXLEvent* e);
    CVXLHsmState SendMgmtRequest(const CVXLEvent* e);
    CVXLHsmState SendListRequest(const CVXLEvent* e);
    CVXLHsmState SendContainerRequest(const CVXLEvent* e);
    CVXLHsmState SendMediaXfer(const CVXLEvent* e);
    CVXLHsmState SendMessageXfer(const CVXLEvent* e);
    CVXLHsmState SendQueuedMessage(const CVXLEvent* e);
    CVXLHsmState SendChoiceResponse(const CVXLEvent* e);
    CVXLHsmState SendMediaList(const CVXLEvent* e);
    CVXLHsmState SendMediaRequest(const CVXLEvent* e);
    CVXLHsmState SendUpload(const CVXLEvent* e);
    CVXLHsmState AwaitBodyRequest(const CVXLEvent* e);
    CVXLHsmState AwaitUploadBodyRequest(const CVXLEvent* e);
    CVXLHsmState SendUploadData(const CVXLEvent* e);
    CVXLHsmState AwaitSourceData(const CVXLEvent* e);
    CVXLHsmState AwaitReplyHeaders(const CVXLEvent* e);
    CVXLHsmState AwaitMgmtReply(const CVXLEvent* e);
    CVXLHsmState AwaitListReply(const CVXLEvent* e);
    CVXLHsmState AwaitContainerReply(const CVXLEvent* e);
    CVXLHsmState AwaitMediaXferReply(const CVXLEvent* e);
    CVXLHsmState AwaitLookupReply(const CVXLEvent* e);
    CVXLHsmState AwaitMediaReply(const CVXLEvent* e);
    CVXLHsmState ReadMediaPart(const CVXLEvent* e);
    CVXLHsmState DeliverMediaBytes(const CVXLEvent* e);
    CVXLHsmState AwaitSinkWrite(const CVXLEvent* e);
    CVXLHsmState NextMediaPart(const CVXLEvent* e);
    CVXLHsmState AwaitUploadReply(const CVXLEvent* e);
    CVXLHsmState AwaitMessageXferReply(const CVXLEvent* e);
    CVXLHsmState AwaitQueuedMessageReply(const CVXLEvent* e);
    CVXLHsmState AwaitChoiceAck(const CVXLEvent* e);
    CVXLHsmState AwaitExchangeEnd(const CVXLEvent* e);
    CVXLHsmState ChoicePrompt(const CVXLEvent* e);
    CVXLHsmState PasswordPrompt(const CVXLEvent* e);
    CVXLHsmState PromptCancelled(const CVXLEvent* e);
    CVXLHsmState AfterMgmtReply(const CVXLEvent* e);
    CVXLHsmState StoreConfigFile(const CVXLEvent* e);
    CVXLHsmState AwaitFileWriter(const CVXLEvent* e);
    CVXLHsmState FeedConfigFile(const CVXLEvent* e);
    CVXLHsmState AwaitConfigPartEnd(const CVXLEvent* e);
    CVXLHsmState AwaitFileClosed(const CVXLEvent* e);
    CVXLHsmState AwaitConfigReload(const CVXLEvent* e);
    CVXLHsmState ConfigDone(const CVXLEvent* e);
    CVXLHsmState Done(const CVXLEvent* e);
    CVXLHsmState Finish(const CVXLEvent* e);
    CVXLHsmState AwaitHttpEnd(const CVXLEvent* e);
    CVXLHsmState RerunRequest(const CVXLEvent* e);
    CVXLHsmState RepostRequest(const CVXLEvent* e);
    CVXLHsmState CancelHttp(const CVXLEvent* e);
    CVXLHsmState Stopping(const CVXLEvent* e);
    CVXLHsmState StopDone(const CVXLEvent* e);
    CVXLHsmState StopAfterReply(const CVXLEvent* e);

private:
    // Send state, receive state and completion state of one operation.
    struct Operation {
        CVXLStateHandler send = nullptr;
        CVXLStateHandler receive = nullptr;
        CVXLStateHandler completion = nullptr;
    };

    CVXLHsmState initial(const CVXLEvent* e);
    static CVXLHsmState go(CVXLStateHandler target) { return {target, CVXLHsmState::Kind::Transition}; }

    // Helpers for the longer row actions.
    CVXLHsmState takeRequest(std::int32_t code);
    CVXLHsmState startOperation(CVXLStateHandler send, CVXLStateHandler receive);
    CVXLHsmState sendState(const CVXLEvent* e, CVRAXRequest& writer);
    // Builds the writer's document into the framing and posts the request.
    void postDocument(CVRAXRequest& writer);
    CVXLHsmState takeUpload();
    std::uint32_t uploadLimit(const CVXLString& mimeType) const;
    // Hands the send buffer to the held body request.
    void handOutBody();
    void dropBodyRequest(std::int32_t result);
    CVXLHsmState readMediaPart();
    CVXLHsmState deliverMediaBytes();
    CVXLHsmState afterSinkWrite();
    CVXLHsmState nextMediaPart();
    // Tells every slot not yet done that its fetch is over with the result.
    void endFetches(std::int32_t result);
    CVXLHsmState mediaPartStep(const CVXLEvent* e, CVXLHsmState (CVRAXJob::*step)());
    CVXLHsmState receiveState(const CVXLEvent* e, CVRAXReplyParser& reader);
    CVXLHsmState checkReplyHeaders();
    // A part read that needs more bytes: waits for them, or fails when the
    // data ended (cut) or the bytes held passed kMaxReplyHeld (framing).
    CVXLHsmState needMoreReply(bool ended);
    // The reply step of a receive state: 0 the document was read and
    // succeeded; else the state's answer is in *answer.
    bool replyStep(const CVXLEvent* e, CVRAXReplyParser& reader, CVXLHsmState* answer);
    CVXLHsmState replyOutcome(std::int32_t parsed);
    CVXLHsmState onMgmtReplyRead();
    CVXLHsmState openConfigFile();
    CVXLHsmState feedConfigFile();
    CVXLHsmState configPartFailed(const CVXLEvent* e);
    CVXLHsmState afterRegistration();
    CVXLHsmState fail(std::int32_t result);
    CVXLHsmState cancel();
    void complete(std::int32_t result);
    void resetWritersAndReaders();
    void answerHttpEvent(std::int32_t result);
    void stopFileWriter();
    void setSetting(const char* key, const CVXLString& value);
    CVXLString setting(const char* key) const;
    bool isRegistered() const;
    CVRAXJobRequest* heldRequest() const;
    bool httpInProgress() const { return httpRequest_.isBusy(); }

    CVRAXEnvironment& environment_;
    CHTTPv2Job http_;
    CVXLEventHandler* promptHandler_ = nullptr;
    CVXLEventHandler* scenarioManager_ = nullptr;
    CVXLEventHandler* fileStoreManager_ = nullptr;
    CVXLPushToFileAdapterJob fileWriter_;
    CVRAXPromptEvent choicePrompt_ {kEventVraxChoicePrompt, kReplyVraxChoicePrompt};
    CVRAXPromptEvent passwordPrompt_ {kEventVraxPasswordPrompt, kReplyVraxPasswordPrompt};
    CVXLPushWriteRequest fileWrite_;
    CVXLPushOpenRequest fileOpen_;
    CVXLEvent fileClose_ {CVXLPushToFileAdapterJob::kCloseRequest, CVXLPushToFileAdapterJob::kCloseReply};
    CVXLSimpleEvent registrationTimer_ {kSigRegistrationTimer};
    CVXLEvent configReload_ {kEventScenarioReload, kReplyScenarioReload};
    CVXLHttpRequest httpRequest_ {CVXLHttpRequest::kPost, kSigHttpDone};
    CVXLByteBuffer sendBuffer_;
    CVXLByteBuffer receiveBuffer_;
    CVXLByteBuffer fileBuffer_;
    CVRAXMultipartWriter multipartWriter_;
    CVRAXReplyPart replyPart_;
    std::int32_t sequence_ = 0;
    std::uint32_t transferRemaining_ = 0;

    CVRAXListChoiceResponse choiceResponse_;
    CVRAXListRequest listRequest_;
    CVRAXContainerRequest containerRequest_;
    CVRAXMgmtRequest mgmtRequest_;
    CVRAXMessageXferRequest messageXferRequest_;
    CVRAXQueuedMessageRequest queuedMessageRequest_;
    CVRAXMediaXferRequest mediaXferRequest_;
    CVRAXMediaListRequest mediaListRequest_;
    CVRAXMediaRequest mediaRequest_;

    CVRAXContentsReply contentsReply_;
    CVRAXMgmtReply mgmtReply_;
    CVRAXBasicReply messageXferReply_;
    CVRAXUriReply uriReply_;
    CVRAXContainerReply containerReply_;
    CVRAXUploadReply uploadReply_;
    CVRAXMediaReqReply lookupReply_;
    CVRAXMediaXferReply mediaXferReply_;
    CVRAXBasicReply mediaReply_;
    CVRAXFetchBatch* batch_ = nullptr;
    CVXLPushWriteRequest sinkWrite_;
    CVXLByteBuffer sinkBuffer_;
    CVXLEvent fetchOver_[CVRAXFetchBatch::kMaxSlots];
    CVXLUploadDataRequest sourceRead_ {kReplySourceData};
    // The HTTP job's body request held while the source reads.
    CVXLEvent* bodyRequest_ = nullptr;
    CVRAXErrorInfoReply errorInfoReply_;
    CVRAXListReplyParser listReplyParser_;
    CVRAXListChoiceAckReply choiceAckReply_;

    Operation operations_[kOperationDepth];
    int currentOperation_ = 0;
    std::int32_t pendingSignal_ = 0;
    CVXLSimpleEvent slots_[4];
    CVXLEventRing ring_;
    CVXLEvent* held_ = nullptr;
    // The HTTP job's event being dispatched; answered after the dispatch
    // unless a state answered it.
    CVXLEvent* httpEvent_ = nullptr;
    CVXLEvent* pendingStop_ = nullptr;
    // The reply data has ended (its last part came or the exchange ended).
    bool dataEnded_ = false;
    // The reply being dispatched is the end of the HTTP exchange.
    bool httpEnded_ = false;
};
