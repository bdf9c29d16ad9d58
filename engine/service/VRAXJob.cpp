#include "engine/service/VRAXJob.h"

#include "engine/core/base/VXLLog.h"
#include "engine/core/jobs/VXLCancelNotice.h"
#include "engine/core/jobs/VXLResultCodes.h"
#include "engine/core/settings/VXLConfigItem.h"
#include "engine/core/settings/VXLPersKeys.h"
#include "engine/core/text/VXLRegex.h"
#include "engine/service/VRAXEnvironment.h"
#include "engine/service/VRAXJobRequest.h"
#include "engine/service/VRAXPageRequest.h"
#include "engine/transport/http/VXLHttpBodyData.h"
#include "engine/transport/http/VXLHttpBodyRequest.h"
#include "engine/transport/http/VXLHttpResponse.h"
#include "engine/transport/net/VXLHttpSettings.h"

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
        operations_[1] = {toHandler(&CVRAXJob::SendChoiceResponse), toHandler(&CVRAXJob::AwaitChoiceAck),
            toHandler(&CVRAXJob::ChoicePrompt)};
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

CVXLHsmState CVRAXJob::SendMgmtRequest(const CVXLEvent* e)
{
    return sendState(e, mgmtRequest_);
}
CVXLHsmState CVRAXJob::SendListRequest(const CVXLEvent* e)
{
    return sendState(e, listRequest_);
}
CVXLHsmState CVRAXJob::SendContainerRequest(const CVXLEvent* e)
{
    return sendState(e, containerRequest_);
}
CVXLHsmState CVRAXJob::SendMediaXfer(const CVXLEvent* e)
{
    return sendState(e, mediaXferRequest_);
}
CVXLHsmState CVRAXJob::SendMessageXfer(const CVXLEvent* e)
{
    return sendState(e, messageXferRequest_);
}
CVXLHsmState CVRAXJob::SendQueuedMessage(const CVXLEvent* e)
{
    return sendState(e, queuedMessageRequest_);
}
CVXLHsmState CVRAXJob::SendChoiceResponse(const CVXLEvent* e)
{
    return sendState(e, choiceResponse_);
}

CVXLHsmState CVRAXJob::SendMediaList(const CVXLEvent* e)
{
    return sendState(e, mediaListRequest_);
}
CVXLHsmState CVRAXJob::SendMediaRequest(const CVXLEvent* e)
{
    return sendState(e, mediaRequest_);
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

CVXLHsmState CVRAXJob::AwaitContainerReply(const CVXLEvent* e)
{
    return receiveState(e, containerReply_);
}

CVXLHsmState CVRAXJob::AwaitMediaXferReply(const CVXLEvent* e)
{
    return receiveState(e, uploadReply_);
}

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

CVXLHsmState CVRAXJob::AwaitUploadReply(const CVXLEvent* e)
{
    return receiveState(e, mediaXferReply_);
}

CVXLHsmState CVRAXJob::AwaitMessageXferReply(const CVXLEvent* e)
{
    return receiveState(e, messageXferReply_);
}

CVXLHsmState CVRAXJob::AwaitQueuedMessageReply(const CVXLEvent* e)
{
    return receiveState(e, uriReply_);
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
        return startOperation(
            toHandler(&CVRAXJob::SendMessageXfer), toHandler(&CVRAXJob::AwaitMessageXferReply));
    case kEventVraxQueuedMessage:
        if (!request->message)
            break;
        queuedMessageRequest_.setMessage(request->message);
        return startOperation(
            toHandler(&CVRAXJob::SendQueuedMessage), toHandler(&CVRAXJob::AwaitQueuedMessageReply));
    case kEventVraxContainerOperation:
    case kEventVraxItemOperation:
        if (!request->operation)
            break;
        if (code == kEventVraxContainerOperation)
            containerRequest_.setContainerOperation(request->operation);
        else
            containerRequest_.setItemOperation(request->operation);
        return startOperation(
            toHandler(&CVRAXJob::SendContainerRequest), toHandler(&CVRAXJob::AwaitContainerReply));
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

CVXLHsmState CVRAXJob::startOperation(CVXLStateHandler send, CVXLStateHandler receive)
{
    if (setting(kPersVraxUrl).length() == 0)
        setSetting(kPersVraxUrl, environment_.configItem(kCfgServerUri));
    if (isRegistered()) {
        operations_[currentOperation_] = {send, receive, toHandler(&CVRAXJob::Done)};
    } else {
        setSetting(kPersVraxContext, "");
        cancelEvent(&registrationTimer_);
        postDelayed(&registrationTimer_, kRegistrationLifetimeMs);
        operations_[0] = {toHandler(&CVRAXJob::SendMgmtRequest), toHandler(&CVRAXJob::AwaitMgmtReply),
            toHandler(&CVRAXJob::Idle)};
        operations_[2] = {send, receive, toHandler(&CVRAXJob::Done)};
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

CVXLHsmState CVRAXJob::needMoreReply(bool ended)
{
    if (ended)
        return fail(kResultVraxReplyCut);
    if (receiveBuffer_.length() <= kMaxReplyHeld)
        return handled();
    VXL_LOG_FAILURE("VRAX job: a reply part runs past %u bytes: refused", kMaxReplyHeld);
    receiveBuffer_.clear();
    return fail(kResultVraxFraming);
}

bool CVRAXJob::replyStep(const CVXLEvent* e, CVRAXReplyParser& reader, CVXLHsmState* answer)
{
    if (signalOf(e) != kEventHttpBodyData) {
        *answer = super(&CVRAXJob::Receiving);
        return false;
    }
    const std::int32_t step = replyPart_.step();
    if (step == CVRAXReplyPart::kNeedMore) {
        *answer = needMoreReply(dataEnded_);
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
    if (parsed == kVraxReplyFraming)
        return fail(kResultVraxFraming);
    if (parsed == kVraxReplyUndecided || parsed == 4)
        return fail(kResultVraxNoResult);
    return fail(kResultStorageFailed);
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
    for (CVRAXRequest* writer :
        std::initializer_list<CVRAXRequest*> {&choiceResponse_, &listRequest_, &containerRequest_,
            &mgmtRequest_, &messageXferRequest_, &queuedMessageRequest_, &mediaXferRequest_})
        writer->reset();
    for (CVRAXReplyParser* reader : std::initializer_list<CVRAXReplyParser*> {&contentsReply_, &mgmtReply_,
             &messageXferReply_, &uriReply_, &containerReply_, &uploadReply_, &errorInfoReply_,
             &listReplyParser_, &lookupReply_, &mediaXferReply_, &mediaReply_})
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
