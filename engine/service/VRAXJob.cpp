#include "engine/service/VRAXJob.h"

#include "engine/core/base/VXLLog.h"
#include "engine/core/jobs/VXLCancelNotice.h"
#include "engine/core/jobs/VXLResultCodes.h"
#include "engine/core/settings/VXLConfigItem.h"
#include "engine/core/settings/VXLPersKeys.h"
#include "engine/core/settings/VXLPersStore.h"
#include "engine/core/text/VXLRegex.h"
#include "engine/service/VRAXEnvironment.h"
#include "engine/service/VRAXJobRequest.h"
#include "engine/service/VRAXPageRequest.h"
#include "engine/transport/http/VXLHttpBodyData.h"
#include "engine/transport/http/VXLHttpBodyRequest.h"
#include "engine/transport/http/VXLHttpResponse.h"
#include "engine/transport/net/VXLHttpSettings.h"

#include <cstring>

CVRAXJob::CVRAXJob(CVRAXEnvironment& environment)
    : CVXLHsm(&CVRAXJob::initial)
    , environment_(environment)
    , choiceResponse_(environment)
    , listRequest_(environment)
    , containerRequest_(environment)
    , mgmtRequest_(environment)
    , messageXferRequest_(environment)
    , queuedMessageRequest_(environment)
    , mediaXferRequest_(environment)
    , mediaListRequest_(environment)
    , mediaRequest_(environment)
    , contentsReply_(environment)
    , mgmtReply_(environment)
    , messageXferReply_(environment)
    , uriReply_(environment)
    , containerReply_(environment)
    , uploadReply_(environment)
    , lookupReply_(environment)
    , mediaXferReply_(environment)
    , mediaReply_(environment)
    , errorInfoReply_(environment)
    , listReplyParser_(environment)
    , choiceAckReply_(environment)
    , ring_(static_cast<CVXLEventHandler*>(this), slots_, 4)
{
    replyPart_.attach(&receiveBuffer_);
    fileWrite_.buffer = &fileBuffer_;
    choicePrompt_.list = &listReplyParser_;
    containerReply_.setRequest(&containerRequest_);
    sinkWrite_.buffer = &sinkBuffer_;
    for (CVXLEvent& over : fetchOver_) {
        over.setRequestCode(kFetchOverCode);
        over.setReplyCode(kReplyFetchOver);
    }
}

CVRAXJob::~CVRAXJob() = default;

CVXLHsmState CVRAXJob::initial(const CVXLEvent*)
{
    setState(&CVRAXJob::Idle);
    return handled();
}

// Events of the HTTP job are its exchange with us: they go to the own queue,
// beside the held request that keeps the incoming queue.
void CVRAXJob::receive(CVXLEvent* event)
{
    if (event->kind() != kEventReply && event->source() == &http_) {
        event->setSource(this);
        CVXLEventHandler::receive(event);
        event->setSource(&http_);
        return;
    }
    CVXLEventHandler::receive(event);
}

void CVRAXJob::onEvent(CVXLEvent* event)
{
    const std::int32_t code = event->effectiveCode();
    if (event == &registrationTimer_) {
        finishEvent(event);
        CVXLSimpleEvent signal(kSigRegistrationTimer);
        dispatch(&signal);
        return;
    }
    if (event->kind() == kEventReply) {
        // Failures of the HTTP exchange and of the file writer reach the
        // machine as one failure signal.
        const std::int32_t result = event->result();
        CVXLSimpleEvent signal(result != kResultSucceeded && code > kLastPlainReply ? kSigFailure : code);
        signal.setResult(result);
        httpEnded_ = event == &httpRequest_;
        finishEvent(event);
        dispatch(&signal);
        return;
    }
    if (event->source() == &http_) {
        if (code == kEventHttpBodyData) {
            const auto* data = static_cast<const CVXLHttpBodyData*>(event);
            if (data->finalPart || (data->lengthKnown && data->remaining == 0))
                dataEnded_ = true;
        }
        httpEvent_ = event;
        dispatch(event);
        if (httpEvent_)
            answerHttpEvent(kResultSucceeded);
        return;
    }
    if (event->source() == static_cast<CVXLEventHandler*>(this)) {
        finishEvent(event);
        // The repost of the held request runs it again from Idle.
        if (held_ && isInProgress(held_) && held_->effectiveCode() == code) {
            dispatch(held_);
            return;
        }
        CVXLSimpleEvent signal(code);
        dispatch(&signal);
        return;
    }
    switch (code) {
    case kEventStart:
        startChild(&http_);
        startChild(&fileWriter_);
        CVXLHsm::init();
        finishEvent(event);
        return;
    case kEventStop:
        if (held_ && isIn(&CVRAXJob::Idle)) {
            pendingStop_ = event;
            dispatch(event);
            return;
        }
        finishEvent(event);
        return;
    case kEventCancelNotice:
        if (held_ && static_cast<CVXLCancelNotice*>(event)->cancelled() == held_)
            dispatch(event);
        finishEvent(event);
        return;
    default:
        break;
    }
    if (held_) {
        VXL_LOG_INFO("VRAX job: request %x refused while another is served", static_cast<unsigned>(code));
        event->setResult(kResultFailed);
        finishEvent(event);
        return;
    }
    held_ = event;
    if (CVRAXJobRequest* request = heldRequest()) {
        request->serverErrorCode = 0;
        request->serverErrorText.clear();
    } else if (code == kEventOnlineUpload) {
        static_cast<CVXLOnlineUploadRequest*>(event)->statusValue = 0;
    }
    dispatch(event);
}

// ---- States

CVXLHsmState CVRAXJob::Idle(const CVXLEvent* e)
{
    const std::int32_t s = signalOf(e);
    switch (s) {
    case kSignalEntry:
    case kSignalExit:
        return handled();
    case kSigRegistrationTimer:
        setSetting(kPersVraxRegComplete, "0");
        setSetting(kPersVraxUrl, "");
        return handled();
    case kEventStop:
    case kEventCancelNotice:
        if (held_)
            complete(kResultCancelled);
        return handled();
    }
    if (held_ && e == held_)
        return takeRequest(s);
    return super(&CVXLHsm::top);
}

CVXLHsmState CVRAXJob::Exchange(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSigFailure:
    case kSigHttpDone:
        // An exchange that ends while bytes are still owed is cut short,
        // never a success.
        return fail(e->result() != kResultSucceeded ? e->result() : kResultVraxReplyCut);
    case kSigAlert:
        operations_[1] = { toHandler(&CVRAXJob::SendChoiceResponse), toHandler(&CVRAXJob::AwaitChoiceAck),
                           toHandler(&CVRAXJob::ChoicePrompt) };
        currentOperation_ = 1;
        return transition(&CVRAXJob::ChoicePrompt);
    case kSigReauthenticate:
        return transition(&CVRAXJob::PasswordPrompt);
    case kEventStop:
    case kEventCancelNotice:
        return cancel();
    }
    return super(&CVRAXJob::Idle);
}

CVXLHsmState CVRAXJob::SendWait(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kEventStop:
    case kEventCancelNotice:
        return transition(&CVRAXJob::CancelHttp);
    case kSigHttpDone:
        held_->setResult(kResultStorageFailed);
        return transition(&CVRAXJob::Finish);
    }
    return super(&CVRAXJob::Exchange);
}

CVXLHsmState CVRAXJob::Receiving(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kEventStop:
    case kEventCancelNotice:
        return transition(&CVRAXJob::CancelHttp);
    }
    return super(&CVRAXJob::Exchange);
}

CVXLHsmState CVRAXJob::SendMgmtRequest(const CVXLEvent* e) { return sendState(e, mgmtRequest_); }
CVXLHsmState CVRAXJob::SendListRequest(const CVXLEvent* e) { return sendState(e, listRequest_); }
CVXLHsmState CVRAXJob::SendContainerRequest(const CVXLEvent* e) { return sendState(e, containerRequest_); }
CVXLHsmState CVRAXJob::SendMediaXfer(const CVXLEvent* e) { return sendState(e, mediaXferRequest_); }
CVXLHsmState CVRAXJob::SendMessageXfer(const CVXLEvent* e) { return sendState(e, messageXferRequest_); }
CVXLHsmState CVRAXJob::SendQueuedMessage(const CVXLEvent* e) { return sendState(e, queuedMessageRequest_); }
CVXLHsmState CVRAXJob::SendChoiceResponse(const CVXLEvent* e) { return sendState(e, choiceResponse_); }

CVXLHsmState CVRAXJob::SendMediaList(const CVXLEvent* e) { return sendState(e, mediaListRequest_); }
CVXLHsmState CVRAXJob::SendMediaRequest(const CVXLEvent* e) { return sendState(e, mediaRequest_); }

// The size check comes before anything is sent.
CVXLHsmState CVRAXJob::SendUpload(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry:
        ring_.postSignal(kSigGo);
        return handled();
    case kSigGo:
        break;
    default:
        return super(&CVRAXJob::Exchange);
    }
    CVXLOnlineUploadRequest* upload = mediaListRequest_.upload();
    if (!upload || !upload->item || upload->size < 0) {
        VXL_LOG_INFO("VRAX job: an upload without an item or a size; refused");
        return fail(kResultFailed);
    }
    const CVXLString mimeType = environment_.mediaFacts(*upload->item).mimeType;
    const std::uint32_t size = static_cast<std::uint32_t>(upload->size);
    if (uploadLimit(mimeType) < size) {
        VXL_LOG_INFO("VRAX job: an upload of %u bytes is over the limit of its type", static_cast<unsigned>(size));
        return fail(kResultUploadTooLarge);
    }
    multipartWriter_.reset();
    multipartWriter_.setAttachment(mimeType, CVRAXMultipartWriter::kEncoding8bit, size);
    postDocument(mediaListRequest_);
    return transition(&CVRAXJob::AwaitUploadBodyRequest);
}

CVXLHsmState CVRAXJob::AwaitBodyRequest(const CVXLEvent* e)
{
    if (signalOf(e) == kEventHttpBodyRequest) {
        static_cast<CVXLHttpBodyRequest*>(httpEvent_)->part = &sendBuffer_;
        answerHttpEvent(kResultSucceeded);
        return transition(&CVRAXJob::AwaitReplyHeaders);
    }
    return super(&CVRAXJob::SendWait);
}

CVXLHsmState CVRAXJob::AwaitUploadBodyRequest(const CVXLEvent* e)
{
    if (signalOf(e) != kEventHttpBodyRequest)
        return super(&CVRAXJob::SendWait);
    transferRemaining_ = static_cast<std::uint32_t>(mediaListRequest_.upload()->size);
    bodyRequest_ = httpEvent_;
    httpEvent_ = nullptr;
    // With nothing to send, the framing and the trailer go out together.
    if (transferRemaining_ == 0) {
        ring_.postSignal(kSigNoData);
        return transition(&CVRAXJob::SendUploadData);
    }
    handOutBody();
    return transition(&CVRAXJob::SendUploadData);
}

CVXLHsmState CVRAXJob::SendUploadData(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kEventHttpBodyRequest:
        bodyRequest_ = httpEvent_;
        httpEvent_ = nullptr;
        sourceRead_.size = static_cast<std::int32_t>(
            transferRemaining_ < kUploadReadMax ? transferRemaining_ : kUploadReadMax);
        sourceRead_.buffer.clear();
        sourceRead_.setResult(kResultSucceeded);
        post(held_->source(), &sourceRead_);
        return transition(&CVRAXJob::AwaitSourceData);
    case kSigNoData:
        const CVXLByteBuffer trailer = multipartWriter_.trailerBytes();
        sendBuffer_.append(trailer.data(), trailer.length());
        handOutBody();
        return transition(&CVRAXJob::AwaitReplyHeaders);
    }
    return super(&CVRAXJob::SendWait);
}

CVXLHsmState CVRAXJob::AwaitSourceData(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kReplySourceData:
        break;
    case kEventStop:
    case kEventCancelNotice:
        return transition(&CVRAXJob::StopAfterReply);
    default:
        return super(&CVRAXJob::Exchange);
    }
    const std::int32_t result = e->result();
    if (result != kResultSucceeded && result != kResultDataComplete)
        return fail(result);
    sendBuffer_ = sourceRead_.buffer;
    if (sendBuffer_.length() > transferRemaining_) {
        VXL_LOG_INFO("VRAX job: the upload source gave %u bytes where %u were owed",
                     static_cast<unsigned>(sendBuffer_.length()), static_cast<unsigned>(transferRemaining_));
        return fail(kResultFailed);
    }
    if (result == kResultDataComplete) {
        // A source that ended before the announced length would leave the
        // body short of its Content-Length.
        if (sendBuffer_.length() != transferRemaining_) {
            VXL_LOG_INFO("VRAX job: the upload source ended %u bytes early",
                         static_cast<unsigned>(transferRemaining_ - sendBuffer_.length()));
            return fail(kResultFailed);
        }
        transferRemaining_ = 0;
        ring_.postSignal(kSigNoData);
        return transition(&CVRAXJob::SendUploadData);
    }
    if (sendBuffer_.length() == 0) {
        VXL_LOG_INFO("VRAX job: the upload source answered a read with no bytes");
        return fail(kResultFailed);
    }
    transferRemaining_ -= sendBuffer_.length();
    handOutBody();
    return transition(&CVRAXJob::SendUploadData);
}

CVXLHsmState CVRAXJob::AwaitReplyHeaders(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kEventHttpBodyRequest:
        sendBuffer_.clear();
        static_cast<CVXLHttpBodyRequest*>(httpEvent_)->part = &sendBuffer_;
        answerHttpEvent(kResultSucceeded);
        return handled();
    case kEventHttpResponse:
        return checkReplyHeaders();
    case kEventStop:
    case kEventCancelNotice:
        return transition(&CVRAXJob::CancelHttp);
    }
    return super(&CVRAXJob::Exchange);
}

CVXLHsmState CVRAXJob::AwaitMgmtReply(const CVXLEvent* e)
{
    CVXLHsmState answer;
    if (!replyStep(e, mgmtReply_, &answer))
        return answer;
    return onMgmtReplyRead();
}

CVXLHsmState CVRAXJob::AwaitListReply(const CVXLEvent* e)
{
    CVXLHsmState answer;
    if (!replyStep(e, contentsReply_, &answer))
        return answer;
    // The reader marks a last page (68) or an empty album (23).
    const CVRAXJobRequest* request = heldRequest();
    if (request && request->page && held_)
        held_->setResult(request->page->result);
    return go(operations_[currentOperation_].completion);
}

CVXLHsmState CVRAXJob::AwaitContainerReply(const CVXLEvent* e) { return receiveState(e, containerReply_); }

CVXLHsmState CVRAXJob::AwaitMediaXferReply(const CVXLEvent* e) { return receiveState(e, uploadReply_); }

// A lookup that found no item uploads an empty part.
CVXLHsmState CVRAXJob::AwaitLookupReply(const CVXLEvent* e)
{
    CVXLHsmState answer;
    if (!replyStep(e, lookupReply_, &answer))
        return answer;
    mediaListRequest_.setMode(CVRAXMediaListRequest::kLookedUp);
    if (!lookupReply_.sawItem()) {
        mediaListRequest_.upload()->size = 0;
        mediaListRequest_.upload()->lookup = true;
    }
    return transition(&CVRAXJob::RerunRequest);
}

CVXLHsmState CVRAXJob::AwaitUploadReply(const CVXLEvent* e) { return receiveState(e, mediaXferReply_); }

CVXLHsmState CVRAXJob::AwaitMediaReply(const CVXLEvent* e)
{
    CVXLHsmState answer;
    if (!replyStep(e, mediaReply_, &answer))
        return answer;
    batch_->cursor = 0;
    return transition(&CVRAXJob::ReadMediaPart);
}

CVXLHsmState CVRAXJob::ReadMediaPart(const CVXLEvent* e)
{
    if (signalOf(e) == kSignalEntry) {
        ring_.postSignal(kSigGo);
        return handled();
    }
    return mediaPartStep(e, &CVRAXJob::readMediaPart);
}

CVXLHsmState CVRAXJob::DeliverMediaBytes(const CVXLEvent* e)
{
    return mediaPartStep(e, &CVRAXJob::deliverMediaBytes);
}

// The reply data may end while a slot takes its bytes: what is left in the
// receive buffer is read after the slot's answer.
CVXLHsmState CVRAXJob::AwaitSinkWrite(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kReplyPushWrite:
    case kSigSkip:
        return afterSinkWrite();
    case kSigFailure:
        // A broken exchange shows once the bytes already here are used up.
        if (httpEnded_ && e->result() != kResultCancelled)
            return handled();
        return fail(e->result());
    case kSigHttpDone:
    case kEventHttpBodyData:
        return handled();
    case kEventStop:
    case kEventCancelNotice:
        return transition(&CVRAXJob::StopAfterReply);
    }
    return super(&CVRAXJob::Exchange);
}

CVXLHsmState CVRAXJob::NextMediaPart(const CVXLEvent* e)
{
    return mediaPartStep(e, &CVRAXJob::nextMediaPart);
}

CVXLHsmState CVRAXJob::AwaitMessageXferReply(const CVXLEvent* e) { return receiveState(e, messageXferReply_); }

CVXLHsmState CVRAXJob::AwaitQueuedMessageReply(const CVXLEvent* e) { return receiveState(e, uriReply_); }

// A choice the server took runs the request again only where the requester
// allows it.
CVXLHsmState CVRAXJob::AwaitChoiceAck(const CVXLEvent* e)
{
    CVXLHsmState answer;
    if (!replyStep(e, choiceAckReply_, &answer))
        return answer;
    const CVRAXJobRequest* request = heldRequest();
    if (request && request->repeatPermitted)
        return transition(&CVRAXJob::RerunRequest);
    return fail(kResultUploadNotRepeated);
}

CVXLHsmState CVRAXJob::AwaitExchangeEnd(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSigHttpDone:
        ring_.postSignal(pendingSignal_);
        return handled();
    case kEventHttpBodyData:
        return handled();
    }
    return super(&CVRAXJob::Exchange);
}

CVXLHsmState CVRAXJob::ChoicePrompt(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry:
        choicePrompt_.text.clear();
        choicePrompt_.setResult(kResultSucceeded);
        if (!promptHandler_) {
            VXL_LOG_INFO("VRAX job: no prompt handler for a list choice");
            ring_.postSignal(kReplyVraxChoicePrompt);
            choicePrompt_.setResult(kResultFailed);
            return handled();
        }
        post(promptHandler_, &choicePrompt_);
        return handled();
    case kReplyVraxChoicePrompt:
        if (e->result() != kResultSucceeded || choicePrompt_.result() != kResultSucceeded) {
            complete(kResultChoiceDeclined);
            return transition(&CVRAXJob::Idle);
        }
        operations_[1].completion = operations_[0].completion;
        choiceResponse_.setChoice(choicePrompt_.text);
        choiceResponse_.setRequestId(listReplyParser_.header("id"));
        listReplyParser_.reset();
        return transition(&CVRAXJob::SendChoiceResponse);
    case kEventStop:
    case kEventCancelNotice:
        return transition(&CVRAXJob::PromptCancelled);
    }
    return super(&CVXLHsm::top);
}

CVXLHsmState CVRAXJob::PasswordPrompt(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry:
        environment_.storeVraxId(CVXLString());
        passwordPrompt_.text.clear();
        passwordPrompt_.setResult(kResultSucceeded);
        if (!promptHandler_) {
            VXL_LOG_INFO("VRAX job: no prompt handler for the password");
            passwordPrompt_.setResult(kResultFailed);
            ring_.postSignal(kReplyVraxPasswordPrompt);
            return handled();
        }
        post(promptHandler_, &passwordPrompt_);
        return handled();
    case kReplyVraxPasswordPrompt:
        if (e->result() != kResultSucceeded || passwordPrompt_.result() != kResultSucceeded) {
            complete(kResultCancelled);
            return transition(&CVRAXJob::Idle);
        }
        setSetting(kPersVraxPassword, passwordPrompt_.text);
        ring_.postSignal(held_->effectiveCode());
        return transition(&CVRAXJob::Idle);
    case kEventStop:
    case kEventCancelNotice:
        return transition(&CVRAXJob::PromptCancelled);
    }
    return super(&CVXLHsm::top);
}

CVXLHsmState CVRAXJob::PromptCancelled(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kReplyVraxChoicePrompt:
    case kReplyVraxPasswordPrompt:
        complete(kResultCancelled);
        return transition(&CVRAXJob::Idle);
    }
    return super(&CVXLHsm::top);
}

// A registration reply may be followed by the configuration file.
CVXLHsmState CVRAXJob::AfterMgmtReply(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kEventHttpBodyData:
    case kSigGo:
        switch (replyPart_.peekBoundary()) {
        case 0:
            return transition(&CVRAXJob::StoreConfigFile);
        case 2:
            if (!dataEnded_)
                return handled();
            break;
        default:
            break;
        }
        return transition(&CVRAXJob::ConfigDone);
    case kSigHttpDone:
        // Whatever was not peeked yet will not come.
        return transition(&CVRAXJob::ConfigDone);
    }
    return super(&CVRAXJob::Receiving);
}

CVXLHsmState CVRAXJob::StoreConfigFile(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry:
        ring_.postSignal(kSigGo);
        return handled();
    case kSigGo:
    case kEventHttpBodyData:
        return openConfigFile();
    }
    return super(&CVRAXJob::Receiving);
}

// The file writer's answer to an open or to a write: either asks for the
// next piece of the configuration part.
CVXLHsmState CVRAXJob::AwaitFileWriter(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSigFailure:
        return configPartFailed(e);
    case kReplyPushOpen:
    case kReplyPushWrite:
        return feedConfigFile();
    case kEventHttpBodyData:
    case kSigHttpDone:
        // Bytes wait in the receive buffer until the writer is ready.
        return handled();
    case kEventStop:
    case kEventCancelNotice:
        return transition(&CVRAXJob::StopAfterReply);
    }
    return super(&CVRAXJob::Exchange);
}

CVXLHsmState CVRAXJob::FeedConfigFile(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSigFailure:
        return configPartFailed(e);
    case kEventHttpBodyData:
        return feedConfigFile();
    }
    return super(&CVRAXJob::Receiving);
}

CVXLHsmState CVRAXJob::AwaitConfigPartEnd(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry:
        if (!httpInProgress())
            ring_.postSignal(kSigHttpDone);
        return handled();
    case kEventHttpBodyData:
        return handled();
    case kSigHttpDone:
        fileClose_.setResult(kResultSucceeded);
        post(&fileWriter_, &fileClose_);
        return transition(&CVRAXJob::AwaitFileClosed);
    }
    return super(&CVRAXJob::Receiving);
}

CVXLHsmState CVRAXJob::AwaitFileClosed(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kReplyPushClose:
        if (!scenarioManager_) {
            VXL_LOG_INFO("VRAX job: no Scenario Manager to reload the configuration");
            return transition(&CVRAXJob::ConfigDone);
        }
        post(scenarioManager_, &configReload_);
        return transition(&CVRAXJob::AwaitConfigReload);
    case kEventStop:
    case kEventCancelNotice:
        return transition(&CVRAXJob::StopAfterReply);
    }
    return super(&CVRAXJob::Exchange);
}

CVXLHsmState CVRAXJob::AwaitConfigReload(const CVXLEvent* e)
{
    if (signalOf(e) == kReplyScenarioReload) {
        if (e->result() != kResultSucceeded)
            return fail(e->result());
        return transition(&CVRAXJob::ConfigDone);
    }
    return super(&CVRAXJob::Exchange);
}

CVXLHsmState CVRAXJob::ConfigDone(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry:
        ring_.postSignal(kSigGo);
        return handled();
    case kSigGo:
        return afterRegistration();
    case kSigHttpDone:
    case kEventHttpBodyData:
        return handled();
    }
    return super(&CVRAXJob::Exchange);
}

// Goes on to `next` once the HTTP job has let go of the exchange.
CVXLHsmState CVRAXJob::afterHttpLetsGo(const CVXLEvent* e, CVXLHsmState (CVRAXJob::*next)(const CVXLEvent*))
{
    switch (signalOf(e)) {
    case kSignalEntry:
        ring_.postSignal(kSigGo);
        return handled();
    case kSigGo:
        if (!httpInProgress())
            return transition(next);
        return handled();
    case kSigHttpDone:
        return transition(next);
    case kEventHttpBodyData:
        return handled();
    }
    return super(&CVRAXJob::Exchange);
}

CVXLHsmState CVRAXJob::Done(const CVXLEvent* e)
{
    return afterHttpLetsGo(e, &CVRAXJob::Finish);
}

CVXLHsmState CVRAXJob::Finish(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry:
        ring_.postSignal(kSigGo);
        return handled();
    case kSigGo:
        complete(held_ ? held_->result() : kResultSucceeded);
        return transition(&CVRAXJob::Idle);
    }
    return super(&CVXLHsm::top);
}

CVXLHsmState CVRAXJob::AwaitHttpEnd(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSigFailure:
    case kSigHttpDone:
        return transition(&CVRAXJob::Finish);
    }
    return super(&CVXLHsm::top);
}

CVXLHsmState CVRAXJob::RerunRequest(const CVXLEvent* e)
{
    return afterHttpLetsGo(e, &CVRAXJob::RepostRequest);
}

CVXLHsmState CVRAXJob::RepostRequest(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry:
        ring_.postSignal(kSigGo);
        return handled();
    case kSigGo:
        resetWritersAndReaders();
        ring_.postSignal(held_->effectiveCode());
        return transition(&CVRAXJob::Idle);
    }
    return super(&CVXLHsm::top);
}

CVXLHsmState CVRAXJob::CancelHttp(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry:
        if (cancelEventsWith(&http_) == 0)
            ring_.postSignal(kSigGo);
        return handled();
    case kSigGo:
    case kSigFailure:
    case kSigHttpDone:
    case kEventHttpBodyRequest:
    case kEventHttpResponse:
        return cancel();
    case kEventStop:
    case kEventCancelNotice:
    case kEventHttpBodyData:
        return handled();
    }
    return super(&CVRAXJob::Exchange);
}

CVXLHsmState CVRAXJob::Stopping(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry:
        ring_.postSignal(kSigGo);
        return handled();
    case kSigGo:
        if (!httpInProgress())
            return transition(&CVRAXJob::StopDone);
        return handled();
    case kSigFailure:
    case kSigHttpDone:
        return transition(&CVRAXJob::StopDone);
    case kEventCancelNotice:
        complete(kResultCancelled);
        return transition(&CVRAXJob::Idle);
    case kEventHttpBodyData:
        answerHttpEvent(kResultStorageFailed);
        return handled();
    }
    return super(&CVXLHsm::top);
}

CVXLHsmState CVRAXJob::StopDone(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry:
        ring_.postSignal(kSigGo);
        return handled();
    case kSigGo:
        complete(kResultCancelled);
        return transition(&CVRAXJob::Idle);
    }
    return super(&CVXLHsm::top);
}

CVXLHsmState CVRAXJob::StopAfterReply(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kReplyPushOpen:
    case kReplyPushWrite:
    case kReplyPushClose:
    case kReplyScenarioReload:
    case kReplySourceData:
    case kSigSkip:
    case kSigFailure:
    case kSigHttpDone:
        return cancel();
    case kEventHttpBodyData:
        answerHttpEvent(kResultStorageFailed);
        return handled();
    case kEventStop:
    case kEventCancelNotice:
        return handled();
    }
    return super(&CVRAXJob::Exchange);
}

// ---- Row actions

CVXLHsmState CVRAXJob::takeRequest(std::int32_t code)
{
    if (code == kEventOnlineUpload)
        return takeUpload();
    CVRAXJobRequest* request = heldRequest();
    if (!request) {
        VXL_LOG_INFO("VRAX job: request %x is not served here", static_cast<unsigned>(code));
        complete(kResultFailed);
        return handled();
    }
    switch (code) {
    case kEventVraxAlbumList:
    case kEventVraxAlbumContents:
        if (!request->page)
            break;
        if (code == kEventVraxAlbumList) {
            listRequest_.setAlbumList(request->page);
            contentsReply_.setAlbumList(request->page);
        } else {
            listRequest_.setAlbumContents(request->page);
            contentsReply_.setAlbumContents(request->page);
        }
        return startOperation(toHandler(&CVRAXJob::SendListRequest), toHandler(&CVRAXJob::AwaitListReply));
    case kEventVraxRegister:
        setSetting(kPersVraxRegComplete, "0");
        return startOperation(toHandler(&CVRAXJob::SendMgmtRequest), toHandler(&CVRAXJob::AwaitMgmtReply));
    case kEventVraxMessageXfer:
        if (!request->message)
            break;
        messageXferRequest_.setMessage(request->message);
        return startOperation(toHandler(&CVRAXJob::SendMessageXfer), toHandler(&CVRAXJob::AwaitMessageXferReply));
    case kEventVraxQueuedMessage:
        if (!request->message)
            break;
        queuedMessageRequest_.setMessage(request->message);
        return startOperation(toHandler(&CVRAXJob::SendQueuedMessage),
                              toHandler(&CVRAXJob::AwaitQueuedMessageReply));
    case kEventVraxContainerOperation:
    case kEventVraxItemOperation:
        if (!request->operation)
            break;
        if (code == kEventVraxContainerOperation)
            containerRequest_.setContainerOperation(request->operation);
        else
            containerRequest_.setItemOperation(request->operation);
        return startOperation(toHandler(&CVRAXJob::SendContainerRequest),
                              toHandler(&CVRAXJob::AwaitContainerReply));
    case kEventVraxFetchMedia:
        if (!request->batch || request->batch->slotCount() == 0)
            break;
        batch_ = request->batch;
        mediaRequest_.setBatch(batch_);
        return startOperation(toHandler(&CVRAXJob::SendMediaRequest), toHandler(&CVRAXJob::AwaitMediaReply));
    case kEventVraxMediaRecord:
        if (!request->item)
            break;
        mediaXferRequest_.setItem(request->item);
        uploadReply_.setItem(request->item);
        return startOperation(toHandler(&CVRAXJob::SendMediaXfer), toHandler(&CVRAXJob::AwaitMediaXferReply));
    default:
        break;
    }
    VXL_LOG_INFO("VRAX job: request %x refused: nothing to send", static_cast<unsigned>(code));
    complete(kResultFailed);
    return handled();
}

CVXLHsmState CVRAXJob::takeUpload()
{
    auto* upload = static_cast<CVXLOnlineUploadRequest*>(held_);
    upload->lookup = false;
    if (!upload->item || !held_->source()) {
        VXL_LOG_INFO("VRAX job: an upload without an item or a source; refused");
        complete(kResultFailed);
        return handled();
    }
    // The writer keeps its mode over a rerun: a lookup done is not repeated.
    if (mediaListRequest_.upload() != upload) {
        mediaListRequest_.reset();
        mediaListRequest_.setUpload(upload);
    }
    mediaXferReply_.setUpload(upload);
    if (mediaListRequest_.needsNoLookup()) {
        mediaListRequest_.setMode(CVRAXMediaListRequest::kTransfer);
        return startOperation(toHandler(&CVRAXJob::SendUpload), toHandler(&CVRAXJob::AwaitUploadReply));
    }
    mediaListRequest_.setMode(CVRAXMediaListRequest::kLookup);
    return startOperation(toHandler(&CVRAXJob::SendMediaList), toHandler(&CVRAXJob::AwaitLookupReply));
}

// The limit of the item's kind of media; any other kind may send nothing.
std::uint32_t CVRAXJob::uploadLimit(const CVXLString& mimeType) const
{
    static const struct {
        const char* prefix;
        const char* key;
    } kLimits[] = {
        { "image", "vrax.max_image_upload_size" },
        { "video", "vrax.max_video_upload_size" },
        { "audio", "vrax.max_audio_upload_size" },
    };
    for (const auto& limit : kLimits) {
        if (std::strncmp(mimeType.c_str(), limit.prefix, 5) != 0)
            continue;
        const CVXLString value = setting(limit.key);
        std::uint32_t n = 0;
        for (std::size_t i = 0; i < value.length(); ++i) {
            const char c = value.c_str()[i];
            if (c < '0' || c > '9')
                break;
            const std::uint64_t next = std::uint64_t(n) * 10 + std::uint64_t(c - '0');
            n = next > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<std::uint32_t>(next);
        }
        return n;
    }
    return 0;
}

void CVRAXJob::handOutBody()
{
    CVXLEvent* event = bodyRequest_;
    bodyRequest_ = nullptr;
    if (!event)
        return;
    static_cast<CVXLHttpBodyRequest*>(event)->part = &sendBuffer_;
    event->setResult(kResultSucceeded);
    finishEvent(event);
}

// A held body request answered with a failure closes the exchange.
void CVRAXJob::dropBodyRequest(std::int32_t result)
{
    CVXLEvent* event = bodyRequest_;
    bodyRequest_ = nullptr;
    if (!event)
        return;
    event->setResult(result);
    finishEvent(event);
}

// The headers of the next media part, then the slot it belongs to: the
// slots are searched once from the cursor.
CVXLHsmState CVRAXJob::readMediaPart()
{
    const std::int32_t step = replyPart_.step();
    if (step == CVRAXReplyPart::kNeedMore)
        return dataEnded_ || !httpInProgress() ? fail(kResultVraxReplyCut) : handled();
    if (step != CVRAXReplyPart::kPartRead || replyPart_.isVraxDocument())
        return fail(kResultVraxFraming);
    transferRemaining_ = replyPart_.contentLength();
    sinkWrite_.expectedTotal = static_cast<std::int32_t>(transferRemaining_);
    const std::int32_t count = batch_->slotCount();
    if (batch_->cursor < 0 || batch_->cursor >= count)
        batch_->cursor = 0;
    batch_->mark = -1;
    for (std::int32_t looked = 0; looked < count && batch_->mark < 0; ++looked) {
        const std::int32_t slot = batch_->cursor;
        batch_->cursor = slot + 1 >= count ? 0 : slot + 1;
        if (batch_->slots[slot].target && batch_->slots[slot].contentId == replyPart_.contentId())
            batch_->mark = slot;
    }
    if (batch_->mark < 0) {
        VXL_LOG_INFO("VRAX job: a media part \"%s\" matches no item of the batch", replyPart_.contentId().c_str());
        return fail(kResultMissingItem);
    }
    return deliverMediaBytes();
}

// Hands what has arrived of the part to its slot, or drops it for a slot
// whose reader has gone.
CVXLHsmState CVRAXJob::deliverMediaBytes()
{
    sinkBuffer_.clear();
    const CVXLScanResult taken = replyPart_.takeContent(sinkBuffer_);
    if (taken == CVXLScanResult::Malformed)
        return fail(kResultVraxFraming);
    if (sinkBuffer_.length() > transferRemaining_)
        sinkBuffer_.truncate(transferRemaining_);
    transferRemaining_ -= sinkBuffer_.length();
    if (sinkBuffer_.length() == 0 && transferRemaining_ != 0) {
        if (dataEnded_ || !httpInProgress())
            return fail(kResultVraxReplyCut);
        return transition(&CVRAXJob::DeliverMediaBytes);
    }
    CVRAXFetchBatch::Slot& slot = batch_->slots[batch_->mark];
    if (!slot.target) {
        VXL_LOG_INFO("VRAX job: the slot of media part \"%s\" is gone", replyPart_.contentId().c_str());
        return fail(kResultMissingItem);
    }
    if (!slot.opened || sinkBuffer_.length() == 0) {
        if (!slot.opened && batch_->allIdle)
            return cancel();
        ring_.postSignal(kSigSkip);
        return transition(&CVRAXJob::AwaitSinkWrite);
    }
    sinkWrite_.setResult(kResultSucceeded);
    post(slot.target, &sinkWrite_);
    return transition(&CVRAXJob::AwaitSinkWrite);
}

CVXLHsmState CVRAXJob::afterSinkWrite()
{
    if (transferRemaining_ != 0) {
        if (receiveBuffer_.length() != 0)
            ring_.postSignal(kSigGo);
        else if (dataEnded_ || !httpInProgress())
            return fail(kResultVraxReplyCut);
        return transition(&CVRAXJob::DeliverMediaBytes);
    }
    CVRAXFetchBatch::Slot& slot = batch_->slots[batch_->mark];
    if (slot.target && !slot.done && !fetchOver_[batch_->mark].isBusy()) {
        slot.done = true;
        fetchOver_[batch_->mark].setResult(kResultSucceeded);
        post(slot.target, &fetchOver_[batch_->mark]);
    }
    ring_.postSignal(kSigGo);
    return transition(&CVRAXJob::NextMediaPart);
}

// Another part is read; the closing boundary, or the end of the data, leaves
// the items that did not come cancelled.
CVXLHsmState CVRAXJob::nextMediaPart()
{
    switch (replyPart_.peekBoundary()) {
    case 0:
        replyPart_.reset();
        return transition(&CVRAXJob::ReadMediaPart);
    case 2:
        if (!dataEnded_ && httpInProgress())
            return handled();
        break;
    default:
        break;
    }
    endFetches(kResultCancelled);
    return go(operations_[currentOperation_].completion);
}

// Runs the reading step of a media part on new data or a go signal, and on
// the end of the exchange, well or not: the bytes received then decide, so a
// reply cut inside a part fails with kResultVraxReplyCut.
CVXLHsmState CVRAXJob::mediaPartStep(const CVXLEvent* e, CVXLHsmState (CVRAXJob::*step)())
{
    switch (signalOf(e)) {
    case kSigGo:
    case kEventHttpBodyData:
        return (this->*step)();
    case kSigFailure:
        if (!httpEnded_ || e->result() == kResultCancelled)
            break;
        [[fallthrough]];
    case kSigHttpDone:
        dataEnded_ = true;
        return (this->*step)();
    }
    return super(&CVRAXJob::Receiving);
}

void CVRAXJob::endFetches(std::int32_t result)
{
    if (!batch_)
        return;
    for (std::int32_t i = 0; i < batch_->slotCount(); ++i) {
        CVRAXFetchBatch::Slot& slot = batch_->slots[i];
        if (!slot.target || slot.done || fetchOver_[i].isBusy())
            continue;
        slot.done = true;
        fetchOver_[i].setResult(result);
        post(slot.target, &fetchOver_[i]);
    }
}

CVXLHsmState CVRAXJob::startOperation(CVXLStateHandler send, CVXLStateHandler receive)
{
    if (setting(kPersVraxUrl).length() == 0)
        setSetting(kPersVraxUrl, environment_.configItem(kCfgServerUri));
    if (isRegistered()) {
        operations_[currentOperation_] = { send, receive, toHandler(&CVRAXJob::Done) };
    } else {
        setSetting(kPersVraxContext, "");
        cancelEvent(&registrationTimer_);
        postDelayed(&registrationTimer_, kRegistrationLifetimeMs);
        operations_[0] = { toHandler(&CVRAXJob::SendMgmtRequest), toHandler(&CVRAXJob::AwaitMgmtReply),
                           toHandler(&CVRAXJob::Idle) };
        operations_[2] = { send, receive, toHandler(&CVRAXJob::Done) };
        currentOperation_ = 0;
    }
    return go(operations_[currentOperation_].send);
}

CVXLHsmState CVRAXJob::sendState(const CVXLEvent* e, CVRAXRequest& writer)
{
    switch (signalOf(e)) {
    case kSignalEntry:
        ring_.postSignal(kSigGo);
        return handled();
    case kSigGo:
        break;
    default:
        return super(&CVRAXJob::Exchange);
    }
    multipartWriter_.reset();
    postDocument(writer);
    return transition(&CVRAXJob::AwaitBodyRequest);
}

void CVRAXJob::postDocument(CVRAXRequest& writer)
{
    ++sequence_;
    writer.setSequence(sequence_);
    multipartWriter_.setDocument(writer.buildDocument());
    sendBuffer_ = multipartWriter_.head();

    httpRequest_.reset(environment_.configItem(kCfgProxyUri));
    httpRequest_.setUrl(setting(kPersVraxUrl));
    CVXLString length;
    length.setUnsigned(multipartWriter_.totalLength());
    httpRequest_.setHeader("Content-Length", length);
    httpRequest_.setHeader("Content-Type", CVRAXMultipartWriter::kContentType);
    httpRequest_.setHeader("x-vxl-ver", CVXLHttpSettings::kEngineVersion);
    httpRequest_.setHeader("User-Agent", environment_.configItem(kCfgHttpUserAgent));
    httpRequest_.setHeader("Accept", "*/*");
    httpRequest_.setHeader("Cache-Control", "no-transform, private");
    replyPart_.reset();
    receiveBuffer_.clear();
    dataEnded_ = false;
    post(&http_, &httpRequest_);
}

// The receive state of the kinds whose success ends the operation.
CVXLHsmState CVRAXJob::receiveState(const CVXLEvent* e, CVRAXReplyParser& reader)
{
    CVXLHsmState answer;
    if (!replyStep(e, reader, &answer))
        return answer;
    return go(operations_[currentOperation_].completion);
}

CVXLHsmState CVRAXJob::checkReplyHeaders()
{
    auto* response = static_cast<CVXLHttpResponse*>(httpEvent_);
    if (response->statusCode() != 200)
        return fail(kResultHttpStatus);
    const CVXLString type = response->header("Content-Type");
    CVXLRegex pattern = CVXLRegex::fromPattern(kBoundaryPattern);
    if (!pattern.exec(type.c_str()))
        return fail(kResultVraxNoBoundary);
    replyPart_.setBoundary(pattern.group(2, type));
    sendBuffer_.clear();
    receiveBuffer_.clear();
    response->setSink(&receiveBuffer_);
    answerHttpEvent(kResultSucceeded);
    return go(operations_[currentOperation_].receive);
}

bool CVRAXJob::replyStep(const CVXLEvent* e, CVRAXReplyParser& reader, CVXLHsmState* answer)
{
    if (signalOf(e) != kEventHttpBodyData) {
        *answer = super(&CVRAXJob::Receiving);
        return false;
    }
    const std::int32_t step = replyPart_.step();
    if (step == CVRAXReplyPart::kNeedMore) {
        *answer = dataEnded_ ? fail(kResultVraxReplyCut) : handled();
        return false;
    }
    if (step != CVRAXReplyPart::kPartRead || !replyPart_.isVraxDocument()) {
        *answer = fail(kResultVraxFraming);
        return false;
    }
    const std::int32_t parsed = reader.parse(replyPart_.body());
    if (parsed == kVraxReplyDone) {
        replyPart_.reset();
        return true;
    }
    *answer = replyOutcome(parsed);
    replyPart_.reset();
    return false;
}

CVXLHsmState CVRAXJob::replyOutcome(std::int32_t parsed)
{
    if (parsed == kVraxReplyAlert) {
        listReplyParser_.reset();
        if (listReplyParser_.parse(replyPart_.body()) != kVraxReplyDone)
            return fail(kResultVraxBadChoiceList);
        pendingSignal_ = kSigAlert;
        return transition(&CVRAXJob::AwaitExchangeEnd);
    }
    if (parsed == kVraxReplyError) {
        errorInfoReply_.reset();
        if (errorInfoReply_.parse(replyPart_.body()) != kVraxReplyDone)
            return fail(kResultVraxBadErrorInfo);
        if (errorInfoReply_.errorId() == 266) {
            pendingSignal_ = kSigReauthenticate;
            return transition(&CVRAXJob::AwaitExchangeEnd);
        }
        // An upload carries the service's error id as its status value.
        if (held_ && held_->effectiveCode() == kEventOnlineUpload)
            static_cast<CVXLOnlineUploadRequest*>(held_)->statusValue = errorInfoReply_.errorId();
        CVRAXJobRequest* request = heldRequest();
        const CVXLHsmState answer = fail(kResultNetworkNotice);
        if (request) {
            request->serverErrorCode = errorInfoReply_.errorId();
            request->serverErrorText = errorInfoReply_.message();
        }
        return answer;
    }
    if (parsed == kVraxReplyUndecided || parsed == 4)
        return fail(kResultVraxNoResult);
    return fail(kResultStorageFailed);
}

// A reply that registered nothing would make every rerun register again.
CVXLHsmState CVRAXJob::onMgmtReplyRead()
{
    if (setting(kPersVraxId).length() == 0)
        return fail(kResultVraxNoResult);
    if (replyPart_.peekBoundary() == 0)
        return transition(&CVRAXJob::StoreConfigFile);
    return transition(&CVRAXJob::AfterMgmtReply);
}

CVXLHsmState CVRAXJob::openConfigFile()
{
    const std::int32_t step = replyPart_.step();
    if (step == CVRAXReplyPart::kNeedMore)
        return dataEnded_ ? fail(kResultVraxReplyCut) : handled();
    if (step != CVRAXReplyPart::kPartRead || replyPart_.isVraxDocument())
        return fail(kResultVraxFraming);
    if (!fileWriter_.isActive())
        startChild(&fileWriter_);
    fileWriter_.setProgressKeys(kPersDestlistProgressTotal, kPersDestlistProgressCurrent);
    fileWriter_.setSettingsStore(&environment_.settings());
    fileWriter_.setFileStoreManager(fileStoreManager_);
    transferRemaining_ = replyPart_.contentLength();
    fileOpen_.fileName = kConfigFileName;
    fileOpen_.expectedTotal = static_cast<std::int32_t>(transferRemaining_);
    fileOpen_.setResult(kResultSucceeded);
    post(&fileWriter_, &fileOpen_);
    return transition(&CVRAXJob::AwaitFileWriter);
}

// Hands what has arrived of the configuration part to the file writer, one
// write at a time.
CVXLHsmState CVRAXJob::feedConfigFile()
{
    fileBuffer_.clear();
    const CVXLScanResult taken = replyPart_.takeContent(fileBuffer_);
    if (fileBuffer_.length() > transferRemaining_)
        fileBuffer_.truncate(transferRemaining_);
    transferRemaining_ -= fileBuffer_.length();
    if (fileBuffer_.length() != 0) {
        fileWrite_.expectedTotal = fileOpen_.expectedTotal;
        fileWrite_.setResult(kResultSucceeded);
        post(&fileWriter_, &fileWrite_);
        return transition(&CVRAXJob::AwaitFileWriter);
    }
    if (taken == CVXLScanResult::Done || transferRemaining_ == 0)
        return transition(&CVRAXJob::AwaitConfigPartEnd);
    if (taken == CVXLScanResult::Malformed)
        return fail(kResultVraxFraming);
    if (dataEnded_ || !httpInProgress())
        return fail(kResultVraxReplyCut);
    return transition(&CVRAXJob::FeedConfigFile);
}

// The exchange broke off while the configuration part was owed bytes: the
// part is cut short, whatever the connection's own failure was.
CVXLHsmState CVRAXJob::configPartFailed(const CVXLEvent* e)
{
    if (!httpEnded_ || e->result() == kResultCancelled)
        return fail(e->result());
    VXL_LOG_INFO("VRAX job: the reply ended with %d inside the configuration part", static_cast<int>(e->result()));
    return fail(kResultVraxReplyCut);
}

CVXLHsmState CVRAXJob::afterRegistration()
{
    if (held_ && held_->effectiveCode() == kEventVraxRegister)
        return transition(&CVRAXJob::Done);
    return transition(&CVRAXJob::RerunRequest);
}

CVXLHsmState CVRAXJob::fail(std::int32_t result)
{
    if (held_)
        held_->setResult(result);
    environment_.setErrorCode(result);
    stopFileWriter();
    dropBodyRequest(result);
    endFetches(result);
    if (httpEvent_)
        httpEvent_->setResult(result);
    operations_[currentOperation_].completion
        = httpInProgress() ? toHandler(&CVRAXJob::AwaitHttpEnd) : toHandler(&CVRAXJob::Finish);
    return go(operations_[currentOperation_].completion);
}

CVXLHsmState CVRAXJob::cancel()
{
    if (held_)
        held_->setResult(kResultCancelled);
    environment_.setErrorCode(kResultCancelled);
    stopFileWriter();
    dropBodyRequest(kResultCancelled);
    endFetches(kResultCancelled);
    return transition(&CVRAXJob::Stopping);
}

void CVRAXJob::complete(std::int32_t result)
{
    if (held_) {
        CVXLEvent* request = held_;
        held_ = nullptr;
        request->setResult(result);
        environment_.setErrorCode(result);
        finishEvent(request);
    }
    if (pendingStop_) {
        CVXLEvent* stopEvent = pendingStop_;
        pendingStop_ = nullptr;
        finishEvent(stopEvent);
    }
    resetWritersAndReaders();
    mediaListRequest_.reset();
    mediaRequest_.setBatch(nullptr);
    batch_ = nullptr;
}

void CVRAXJob::resetWritersAndReaders()
{
    for (CVRAXRequest* writer : std::initializer_list<CVRAXRequest*> { &choiceResponse_, &listRequest_,
             &containerRequest_, &mgmtRequest_, &messageXferRequest_, &queuedMessageRequest_, &mediaXferRequest_ })
        writer->reset();
    for (CVRAXReplyParser* reader : std::initializer_list<CVRAXReplyParser*> { &contentsReply_, &mgmtReply_,
             &messageXferReply_, &uriReply_, &containerReply_, &uploadReply_, &errorInfoReply_, &listReplyParser_,
             &lookupReply_, &mediaXferReply_, &mediaReply_ })
        reader->reset();
    multipartWriter_.reset();
}

void CVRAXJob::answerHttpEvent(std::int32_t result)
{
    CVXLEvent* event = httpEvent_;
    httpEvent_ = nullptr;
    if (!event)
        return;
    if (event->result() == kResultSucceeded)
        event->setResult(result);
    finishEvent(event);
}

// The file writer drops its copy when stopped; it is started again for the
// next configuration file.
void CVRAXJob::stopFileWriter()
{
    if (fileWriter_.isActive() && (fileOpen_.isBusy() || fileWrite_.isBusy() || fileWriter_.isOpen()))
        fileWriter_.stop();
}

void CVRAXJob::setSetting(const char* key, const CVXLString& value)
{
    environment_.settings().set(key, value);
}

CVXLString CVRAXJob::setting(const char* key) const
{
    CVXLString value;
    environment_.settings().get(key, &value);
    return value;
}

bool CVRAXJob::isRegistered() const
{
    return setting(kPersVraxId).length() != 0 && setting(kPersVraxRegComplete) == "1";
}

CVRAXJobRequest* CVRAXJob::heldRequest() const
{
    if (!held_)
        return nullptr;
    const std::int32_t code = held_->effectiveCode();
    if (code < kEventVraxAlbumList || code > kEventVraxMediaRecord || code == kEventOnlineUpload
        || code == kEventOnlineUploadData)
        return nullptr;
    return static_cast<CVRAXJobRequest*>(held_);
}
