#include "engine/messaging/VXLInboundMessageManager.h"

#include "engine/core/base/VXLLog.h"
#include "engine/core/jobs/VXLResultCodes.h"
#include "engine/messaging/VXLMessageSummary.h"
#include "engine/transport/http/VXLHttpTransaction.h"
#include "engine/transport/mime/VXLMimeEntity.h"
#include "engine/transport/mms/VXLMmsPdu.h"
#include "engine/transport/mms/VXLMmsSmsTransaction.h"
#include "engine/transport/mms/VXLMmsTransaction.h"
#include "engine/transport/mms/VXLSimpleRequestPdu.h"

namespace {

CVXLInboundMessageManager* gInstance = nullptr;

constexpr const char* kPushContentType = "application/vnd.wap.multipart.mixed";
constexpr const char* kPreviewFile = "temp_not.raw";
constexpr const char* kMessageFile = "temp_mms.raw";
constexpr const char* kMmboxMessageFile = "temp_mmboxmms.raw";
constexpr const char* kNotifyResponseFile = "not_ind_resp.raw";
constexpr std::int32_t kUiNotificationStored = 11;
constexpr std::int32_t kUiFetchStarted = 12;
constexpr std::int32_t kUiCancel = 8;
// The codec's numbered values: X-Mms-Recommended-Retrieval-Mode Manual,
// X-Mms-Status Retrieved.
constexpr std::int32_t kRetrievalManual = 1;
constexpr std::int32_t kStatusRetrieved = 2;
constexpr std::int32_t kRetrievalModeField = 52;

// The request's own kinds: 0 inbox, 4 and 5 the premium box.
bool isLocalListKind(std::uint32_t kind) { return kind == 0 || kind == 4 || kind == 5; }

CVXLString hex(std::uint32_t value) { return CVXLString(static_cast<int>(value), 16); }

} // namespace

const CVXLInboundMessageManager::RequestRow CVXLInboundMessageManager::kRequests[] = {
    { kRequestPush, &CVXLInboundMessageManager::onPush },
    { kRequestCount, &CVXLInboundMessageManager::onCount },
    { kInboundRequestOpen, &CVXLInboundMessageManager::onOpen },
    { kInboundRequestRead, &CVXLInboundMessageManager::onRead },
    { kInboundRequestNetworkMessage, &CVXLInboundMessageManager::onUnserved },
    { kInboundRequestMmsSend, &CVXLInboundMessageManager::onUnserved },
    { kInboundRequestMmboxStore, &CVXLInboundMessageManager::onUnserved },
    { kEventMessageBoxList, &CVXLInboundMessageManager::onList },
    { kEventMessageItem, &CVXLInboundMessageManager::onItem },
    { kEventCancelNotice, &CVXLInboundMessageManager::onCancel },
    { kEventStart, &CVXLInboundMessageManager::onFrame },
    { kEventStop, &CVXLInboundMessageManager::onFrame },
};

const CVXLInboundMessageManager::ReplyRow CVXLInboundMessageManager::kReplies[] = {
    { kStepDecision, &CVXLInboundMessageManager::onDecision },
    { kEventStoreMessageDone, &CVXLInboundMessageManager::onStored },
    { kStepChargedStored, &CVXLInboundMessageManager::onChargedStored },
    { kEventMimeParseDone, &CVXLInboundMessageManager::onParsed },
    { kStepOpenRead, &CVXLInboundMessageManager::onOpenRead },
    { kEventStorePartsDone, &CVXLInboundMessageManager::onPartsDone },
    { kEventStoreCountDone, &CVXLInboundMessageManager::onCountDone },
    { kEventStoreIdListDone, &CVXLInboundMessageManager::onIdListDone },
    { kEventStoreReadDone, &CVXLInboundMessageManager::onListRead },
    { kEventStoreDeleteDone, &CVXLInboundMessageManager::onDeleteDone },
    { kEventStoreSummaryRewriteDone, &CVXLInboundMessageManager::onRewriteDone },
    { kStepTempDeleted, &CVXLInboundMessageManager::onTempDeleted },
};

CVXLInboundMessageManager::CVXLInboundMessageManager()
{
    gInstance = this;
    mms_.setTaskProcessor(&tasks_);
    mmsSms_.setTaskProcessor(&tasks_);
    storeMessageRequest_.setHeapAllocated(false);
    countQuery_.setHeapAllocated(false);
    idListQuery_.setHeapAllocated(false);
    messageReadRequest_.setHeapAllocated(false);
    deleteRequest_.setHeapAllocated(false);
    partsQuery_.setHeapAllocated(false);
    rewriteRequest_.setHeapAllocated(false);
    parseRequest_.setHeapAllocated(false);
    selfEvent_.setHeapAllocated(false);
    for (CVXLCallbackEvent& callback : callbacks_)
        callback.setHeapAllocated(false);
}

CVXLInboundMessageManager::~CVXLInboundMessageManager()
{
    dropTransactions();
    delete decision_;
    if (gInstance == this)
        gInstance = nullptr;
}

CVXLInboundMessageManager* CVXLInboundMessageManager::instance() { return gInstance; }

void CVXLInboundMessageManager::setMessageStore(CVXLPlatformStore* store)
{
    http_.setMessageStore(store);
    encoder_.setMessageStore(store);
    decoder_.setMessageStore(store);
    parser_.setMessageStore(store);
}

void CVXLInboundMessageManager::releaseMessageStore()
{
    parser_.releaseStream();
    setMessageStore(nullptr);
}

void CVXLInboundMessageManager::init()
{
    CVXLEventHandler::init();
    startChild(&tasks_);
    tasks_.registerProcessor(&mms_);
    tasks_.registerProcessor(&mmsSms_);
    tasks_.registerProcessor(&http_);
    tasks_.registerProcessor(&encoder_);
    tasks_.registerProcessor(&decoder_);
    startChild(&parser_);
}

int CVXLInboundMessageManager::submitTransaction(CVXLTransaction* transaction)
{
    return tasks_.addTransaction(transaction);
}

std::int32_t CVXLInboundMessageManager::classifyAddress(const CVXLString& address)
{
    if (address.findChar('@') > 0)
        return 0;
    const char* text = address.c_str();
    if (text[0] == '+')
        return 1;
    bool digits = text[0] != 0;
    for (const char* c = text; *c; ++c)
        digits = digits && ((*c >= '0' && *c <= '9') || *c == '-');
    return digits ? 1 : 2;
}

std::uint32_t CVXLInboundMessageManager::boxOfId(const CVXLString& id)
{
    switch (id.c_str()[0]) {
    case 'm':
        return 1;
    case 'p':
        return 2;
    case 's':
        return 3;
    case 't':
        return 4;
    default:
        return 0;
    }
}

// ---------------------------------------------------------------- dispatch

void CVXLInboundMessageManager::onEvent(CVXLEvent* event)
{
    for (int i = 0; i < kSlotCount; ++i) {
        if (event != &callbacks_[i])
            continue;
        transaction_ = transactions_[i];
        transactions_[i] = nullptr;
        onStep(callbacks_[i].requestCode(), callbacks_[i].result());
        delete transaction_;
        transaction_ = nullptr;
        return;
    }
    if (event == &selfEvent_)
        return onFetch(event);
    if (!event->isRequest()) {
        for (const ReplyRow& row : kReplies) {
            if (row.code == event->replyCode())
                return (this->*row.handler)(event);
        }
        VXL_LOG_INFO("inbound manager: reply %d dropped", event->replyCode());
        return;
    }
    for (const RequestRow& row : kRequests) {
        if (row.code != event->requestCode())
            continue;
        (this->*row.handler)(event);
        // A request kept in its slot leaves room for the other kinds.
        if (isInProgress(event))
            resume();
        return;
    }
    VXL_LOG_INFO("inbound manager: request %d refused", event->requestCode());
    event->setResult(kResultFailed);
    finishEvent(event);
}

void CVXLInboundMessageManager::onFrame(CVXLEvent* event) { finishEvent(event); }

void CVXLInboundMessageManager::onUiRequest(std::int32_t code)
{
    if (code != kUiCancel)
        return;
    auto* cancel = new CVXLSimpleEvent(kEventCancelNotice);
    post(this, cancel);
}

void CVXLInboundMessageManager::onCancel(CVXLEvent* event)
{
    if (storeTarget_)
        cancelEventsWith(storeTarget_);
    cancelEventsWith(&parser_);
    for (CVXLTransaction* transaction : transactions_) {
        if (transaction)
            transaction->cancel();
    }
    finishEvent(event);
}

void CVXLInboundMessageManager::onUnserved(CVXLEvent* event)
{
    VXL_LOG_INFO("inbound manager: request %d not served", event->requestCode());
    event->setResult(kResultFailed);
    finishEvent(event);
}

void CVXLInboundMessageManager::post(CVXLEventHandler* target, CVXLEvent* event)
{
    CVXLEventHandler::post(target, event);
}

std::int32_t CVXLInboundMessageManager::transportResult(std::int32_t result)
{
    return result == kResultTransactionFailed ? kResultMmsTransport : result;
}

void CVXLInboundMessageManager::answer(CVXLEvent*& slot, std::int32_t result, const CVXLString& text)
{
    if (!slot)
        return;
    CVXLEvent* event = slot;
    slot = nullptr;
    if (text.length())
        event->setResult(transportResult(result), text);
    else
        event->setResult(transportResult(result));
    finishEvent(event);
}

void CVXLInboundMessageManager::answerPush(std::int32_t result, const CVXLString& text)
{
    notificationPdu_.reset();
    answer(pushRequest_, result, text);
}

void CVXLInboundMessageManager::stage(std::uint32_t value)
{
    if (services_)
        services_->setStage(value);
}

void CVXLInboundMessageManager::tellArrived(const CVXLString& id, std::int32_t box)
{
    if (!producer_)
        return;
    auto* arrived = new CMessageArrivedEvent();
    arrived->messageId = id;
    arrived->setValue(box);
    post(producer_, arrived);
}

int CVXLInboundMessageManager::slotOf(std::int32_t step)
{
    for (int i = 0; i < kSlotCount; ++i) {
        if (kTransactionSteps[i] == step)
            return i;
    }
    return -1;
}

CVXLTransactionListenerRef CVXLInboundMessageManager::listener(std::int32_t step)
{
    return CVXLTransactionListenerRef(&callbacks_[slotOf(step)]);
}

// False, and the transaction deleted, when it cannot be submitted or its
// step still has one out.
bool CVXLInboundMessageManager::submitStep(std::int32_t step, CVXLTransaction* transaction)
{
    const int slot = slotOf(step);
    if (slot < 0 || transactions_[slot]) {
        VXL_LOG_INFO("inbound manager: step %d still has a transaction out", step);
        delete transaction;
        return false;
    }
    transactions_[slot] = transaction;
    if (submitTransaction(transaction) == 1)
        return true;
    transactions_[slot] = nullptr;
    delete transaction;
    return false;
}

void CVXLInboundMessageManager::dropTransactions()
{
    for (CVXLTransaction*& transaction : transactions_) {
        delete transaction;
        transaction = nullptr;
    }
}

// ---------------------------------------------------------------- receiving

void CVXLInboundMessageManager::onPush(CVXLEvent* event)
{
    if (pushRequest_) {
        event->setResult(kResultNotificationBusy);
        return finishEvent(event);
    }
    auto* push = dynamic_cast<CPushRequest*>(event);
    if (!push) {
        event->setResult(kResultFailed);
        return finishEvent(event);
    }
    pushRequest_ = event;
    stage(kStageAccepted);
    pushed_ = push->data;
    auto* entity = new CVXLMimeEntity();
    entity->setContentType(kPushContentType);
    entity->setBodyBuffer(pushed_);
    CVXLMessage message;
    message.setBody(CVXLEntityRef(entity));
    auto* decode = new CVXLMmsSmsTransaction(listener(kStepDecoded));
    decode->setMessage(message);
    if (!submitStep(kStepDecoded, decode))
        answerPush(kResultStoreFull);
}

void CVXLInboundMessageManager::onStep(std::int32_t step, std::int32_t result)
{
    switch (step) {
    case kStepDecoded:
        return decoded(result);
    case kStepPreview:
        return previewReceived(result);
    case kStepRetrieved:
        return retrieved(result);
    case kStepNotifyResponse:
        return notifyResponded(result);
    default:
        VXL_LOG_INFO("inbound manager: step %d ended with %d", step, result);
    }
}

void CVXLInboundMessageManager::decoded(std::int32_t result)
{
    stage(kStageDecoded);
    auto* decode = static_cast<CVXLMmsSmsTransaction*>(transaction_);
    CVXLPduRef pdu = decode ? decode->getPdu() : CVXLPduRef();
    if (result != kResultSucceeded || pdu.isEmpty() || !pushRequest_) {
        if (result == kResultSucceeded)
            result = kResultMalformed;
        VXL_LOG_INFO("inbound manager: a pushed notification was not decoded (%d)", result);
        return answerPush(result);
    }
    notificationPdu_ = pdu;
    auto* push = static_cast<CPushRequest*>(pushRequest_);
    if (pdu->field(kRetrievalModeField).toInt() == kRetrievalManual && push->fetchNow != 1 && producer_) {
        delete decision_;
        decision_ = new CMessageDecisionEvent(kStepDecision);
        decision_->setHeapAllocated(false);
        auto* summary = new CVXLMessageSummary();
        summary->setSubject(pdu->subject());
        CVXLString from = pdu->fromAddress();
        const int type = from.find("/TYPE");
        if (type >= 0)
            from = from.substr(0, static_cast<std::uint32_t>(type));
        summary->setFromAddress(from);
        summary->setExpiryTime(static_cast<std::uint32_t>(pdu->expiry().toInt()));
        decision_->summary = summary;
        decision_->pushedData = pushed_.data();
        decision_->pushedLength = pushed_.length();
        return post(producer_, decision_);
    }
    requestPreview();
}

void CVXLInboundMessageManager::onDecision(CVXLEvent* event)
{
    auto* decision = static_cast<CMessageDecisionEvent*>(event);
    delete decision->summary;
    decision->summary = nullptr;
    const std::int32_t result = decision->result();
    const std::uint32_t choice = decision->decision;
    const CVXLString text = decision->resultText();
    if (!pushRequest_)
        return;
    if (result != kResultSucceeded)
        return answerPush(result, text);
    if (choice != CMessageDecisionEvent::kFetch)
        return answerPush(kResultSucceeded);
    requestPreview();
}

void CVXLInboundMessageManager::requestPreview()
{
    stage(kStagePreviewRequested);
    auto* get = new CVXLHttpTransaction(listener(kStepPreview));
    get->setMethod(CVXLHttpTransaction::kMethodGet);
    CVXLString url = notificationPdu_->contentLocation();
    url += "&thumbnail=true";
    get->setUrl(url);
    auto* sink = new CVXLMimeEntity();
    sink->setFileName(kPreviewFile);
    get->responseMessage().setBody(CVXLEntityRef(sink));
    if (!submitStep(kStepPreview, get))
        answerPush(kResultStoreFull);
}

void CVXLInboundMessageManager::previewReceived(std::int32_t result)
{
    stage(kStagePreviewReceived);
    auto* get = static_cast<CVXLHttpTransaction*>(transaction_);
    CVXLMessage response;
    if (get)
        response.assign(get->responseMessage());
    if (!pushRequest_)
        return;
    if (result != kResultSucceeded)
        return answerPush(result);
    CVXLMessageHeaders headers;
    headers.messageHeaders = response.messageHeaders();
    const bool sent = headers.getMessageType() == "Sent";
    const bool addressed = sent
        ? (headers.getToAddressList().length() || headers.getCcAddressList().length()
              || headers.getBccAddressList().length())
        : headers.getFromAddress().length() != 0;
    if (!addressed) {
        VXL_LOG_INFO("inbound manager: a preview without its addresses dropped");
        return answerPush(kResultMmsTransport);
    }
    // The notification's fields first, then the preview's own headers.
    stored_ = CVXLMessage();
    for (std::uint32_t i = 0; i < notificationPdu_->headerCount(); ++i) {
        const CVXLString name = notificationPdu_->headerName(static_cast<int>(i));
        for (std::uint32_t n = 0; n < notificationPdu_->valueCount(name); ++n)
            stored_.addHeader(name, notificationPdu_->headerValue(name, static_cast<int>(n)));
    }
    stored_.addHeader("X-QV-Received-Time", hex(services_ ? services_->nowSeconds() : 0));
    for (std::uint32_t i = 0; i < response.headerCount(); ++i) {
        const CVXLString name = response.headerName(static_cast<int>(i));
        for (std::uint32_t n = 0; n < response.valueCount(name); ++n)
            stored_.addHeader(name, response.headerValue(name, static_cast<int>(n)));
    }
    stored_.headers().remove(CVXLString(kRetrievalModeField));
    stored_.setBody(response.body());
    const CVXLString folder = response.messageHeaders().value("X-QV-Folder", 0, true);
    notValidBefore_ = static_cast<std::uint32_t>(response.messageHeaders().value("X-QV-Not-Valid-Before", 0, true).toInt(16));
    targetBox_ = sent ? 3 : (folder.length() && folder.compare(CVXLString("Inbox"), false) != 0 ? 2 : 0);
    fullMessage_ = 0;
    fromMmbox_ = 0;
    stage(kStageStored);
    storeMessageRequest_.setReplyCode(headers.getChargeText().length() ? std::int32_t { kStepChargedStored } : std::int32_t { kEventStoreMessageDone });
    storeMessageRequest_.messageId = CVXLString();
    storeMessageRequest_.fullMessage = 0;
    storeMessageRequest_.message = &stored_;
    storeMessageRequest_.notValidBefore = notValidBefore_;
    storeMessageRequest_.fromMmbox = 0;
    storeMessageRequest_.targetBox = targetBox_;
    post(storeTarget_, &storeMessageRequest_);
}

void CVXLInboundMessageManager::onStored(CVXLEvent* event)
{
    auto* reply = static_cast<CStoreMessageRequest*>(event);
    reply->message = nullptr;
    if (reply->result() != kResultSucceeded) {
        const std::int32_t result = reply->result();
        const CVXLString text = reply->resultText();
        if (pushRequest_)
            return answerPush(result, text);
        if (openRequest_)
            return answer(openRequest_, result, text);
        return answer(listRequest_, result, text);
    }
    if (reply->fullMessage == 1) {
        // The whole message is in.
        if (pushRequest_ && fromMmbox_ == 0)
            return sendNotifyResponse();
        if (openRequest_) {
            partsQuery_.messageId = messageId_;
            auto* open = static_cast<CMessageOpenRequest*>(openRequest_);
            partsQuery_.partCount = open->partCount;
            partsQuery_.parts = static_cast<CVXLHeaderMap*>(open->partArray);
            return post(storeTarget_, &partsQuery_);
        }
        return;
    }
    if (!pushRequest_)
        return;
    if (services_)
        services_->pushUIRequestCode(kUiNotificationStored);
    if (targetBox_ == 3) {
        CVXLMessageHeaders headers;
        headers.messageHeaders = stored_.messageHeaders();
        if (outboundQueue_) {
            auto* copy = new CSentCopyReceivedEvent();
            copy->clientMessageId = headers.getClientMessageId();
            post(outboundQueue_, copy);
        }
        stage(kStageDone);
        return answerPush(kResultSucceeded);
    }
    stage(kStageWholeRequested);
    messageId_ = reply->messageId;
    post(this, &selfEvent_);
}

void CVXLInboundMessageManager::onChargedStored(CVXLEvent* event)
{
    auto* reply = static_cast<CStoreMessageRequest*>(event);
    reply->message = nullptr;
    if (reply->result() == kResultSucceeded && services_)
        services_->pushUIRequestCode(kUiNotificationStored);
    messageId_ = reply->messageId;
    const std::int32_t result = reply->result();
    const CVXLString text = reply->resultText();
    answerPush(result, text);
    if (result == kResultSucceeded)
        tellArrived(messageId_, static_cast<std::int32_t>(targetBox_));
}

void CVXLInboundMessageManager::onFetch(CVXLEvent* event)
{
    (void)event;
    if (!pushRequest_ || notificationPdu_.isEmpty())
        return;
    if (!fetch(notificationPdu_->contentLocation()))
        answerPush(kResultStoreFull);
}

bool CVXLInboundMessageManager::fetch(const CVXLString& url)
{
    if (services_)
        services_->pushUIRequestCode(kUiFetchStarted);
    auto* retrieve = new CVXLMmsTransaction(listener(kStepRetrieved));
    retrieve->setRequestPdu(CVXLPduRef(new CVXLSimpleRequestPdu(kMmsRetrieve, "")));
    retrieve->setUrl(url);
    retrieve->setResponseFileName(boxOfId(messageId_) == 1 ? kMmboxMessageFile : kMessageFile);
    retrieve->setOwner(this);
    return submitStep(kStepRetrieved, retrieve);
}

void CVXLInboundMessageManager::retrieved(std::int32_t result)
{
    auto* retrieve = static_cast<CVXLMmsTransaction*>(transaction_);
    CVXLPduRef reply = retrieve ? retrieve->replyPdu() : CVXLPduRef();
    CVXLString text;
    if (result == kResultSucceeded && reply.isEmpty())
        result = kResultMalformed;
    // Only a status other than Ok (0) fails the retrieval.
    if (result == kResultSucceeded && reply->field(25).length() && reply->retrieveStatus() != 0) {
        result = kResultMmsRelayStatus;
        text = reply->retrieveText();
    }
    if (result != kResultSucceeded) {
        if (openRequest_)
            return answer(openRequest_, result, text);
        if (pushRequest_) {
            // The preview stays stored.
            VXL_LOG_INFO("inbound manager: the whole message of %s was not fetched (%d)", messageId_.c_str(), result);
            answerPush(kResultSucceeded);
            tellArrived(messageId_, static_cast<std::int32_t>(boxOfId(messageId_)));
        }
        return;
    }
    stage(kStageStored);
    retrieved_ = reply;
    parseRequest_.message = reply;
    post(&parser_, &parseRequest_);
}

void CVXLInboundMessageManager::onParsed(CVXLEvent* event)
{
    if (event->result() != kResultSucceeded) {
        const std::int32_t result = event->result();
        const CVXLString text = event->resultText();
        retrieved_.reset();
        if (openRequest_)
            return answer(openRequest_, result, text);
        return answerPush(result, text);
    }
    stage(kStageParsed);
    storeMessageRequest_.setReplyCode(kEventStoreMessageDone);
    storeMessageRequest_.messageId = messageId_;
    storeMessageRequest_.fullMessage = 1;
    storeMessageRequest_.message = retrieved_.get();
    storeMessageRequest_.notValidBefore = 0;
    storeMessageRequest_.fromMmbox = 0;
    storeMessageRequest_.targetBox = targetBox_;
    fromMmbox_ = 0;
    post(storeTarget_, &storeMessageRequest_);
}

void CVXLInboundMessageManager::sendNotifyResponse()
{
    stage(kStageDone);
    const CVXLString relay = services_ ? services_->relayUrl() : CVXLString();
    if (!relay.length()) {
        // Nothing to acknowledge to: the message is stored.
        VXL_LOG_INFO("inbound manager: no relay URL, %s stored without a notification response", messageId_.c_str());
        retrieved_.reset();
        answerPush(kResultSucceeded);
        return tellArrived(messageId_, static_cast<std::int32_t>(boxOfId(messageId_)));
    }
    auto* pdu = new CVXLSimpleRequestPdu(kMmsNotifyRespInd, notificationPdu_->transactionId());
    pdu->setStatus(kStatusRetrieved);
    auto* response = new CVXLMmsTransaction(listener(kStepNotifyResponse));
    response->setRequestPdu(CVXLPduRef(pdu));
    response->setUrl(relay);
    response->setResponseFileName(kNotifyResponseFile);
    response->setOwner(this);
    if (!submitStep(kStepNotifyResponse, response)) {
        retrieved_.reset();
        answerPush(kResultStoreFull);
    }
}

void CVXLInboundMessageManager::notifyResponded(std::int32_t result)
{
    retrieved_.reset();
    if (result != kResultSucceeded)
        VXL_LOG_INFO("inbound manager: the notification response for %s failed (%d)", messageId_.c_str(), result);
    answerPush(kResultSucceeded);
    tellArrived(messageId_, static_cast<std::int32_t>(boxOfId(messageId_)));
}

// ---------------------------------------------------------------- open

void CVXLInboundMessageManager::onOpen(CVXLEvent* event)
{
    auto* open = static_cast<CMessageOpenRequest*>(event);
    if (openRequest_ || !storeTarget_) {
        event->setResult(kResultFailed);
        return finishEvent(event);
    }
    openRequest_ = event;
    messageId_ = open->messageId;
    if (!open->fromNetwork) {
        partsQuery_.messageId = open->messageId;
        partsQuery_.partCount = open->partCount;
        partsQuery_.parts = static_cast<CVXLHeaderMap*>(open->partArray);
        return post(storeTarget_, &partsQuery_);
    }
    messageReadRequest_.setReplyCode(kStepOpenRead);
    messageReadRequest_.mode = 2;
    messageReadRequest_.read = CVXLStoredMessageRead();
    messageReadRequest_.read.messageId = open->messageId;
    post(storeTarget_, &messageReadRequest_);
}

void CVXLInboundMessageManager::onPartsDone(CVXLEvent* event)
{
    if (!openRequest_)
        return;
    auto* open = static_cast<CMessageOpenRequest*>(openRequest_);
    std::int32_t result = event->result();
    if (result == kResultDataComplete && !open->fromNetwork)
        result = kResultMessageNotStored;
    answer(openRequest_, result, event->resultText());
}

void CVXLInboundMessageManager::onOpenRead(CVXLEvent* event)
{
    if (!openRequest_)
        return;
    auto* open = static_cast<CMessageOpenRequest*>(openRequest_);
    if (event->result() != kResultSucceeded && event->result() != kResultDataComplete)
        return answer(openRequest_, event->result(), event->resultText());
    openHeaders_.messageHeaders = messageReadRequest_.read.summary;
    openHeaders_.contentHeaders = messageReadRequest_.read.content;
    const CVXLString charge = openHeaders_.getChargeText();
    if (charge.length() && !open->chargeAccepted) {
        open->chargeText = charge;
        return answer(openRequest_, kResultMessageCharged, charge);
    }
    if (charge.length()) {
        openHeaders_.removeChargeText();
        rewriteRequest_.messageId = messageId_;
        rewriteRequest_.headers = openHeaders_.messageHeaders;
        return post(storeTarget_, &rewriteRequest_);
    }
    if (!fetch(openHeaders_.getMmsContentLocation()))
        answer(openRequest_, kResultStoreFull);
}

void CVXLInboundMessageManager::onRewriteDone(CVXLEvent* event)
{
    if (!openRequest_)
        return;
    if (event->result() != kResultSucceeded)
        return answer(openRequest_, event->result(), event->resultText());
    if (!fetch(openHeaders_.getMmsContentLocation()))
        answer(openRequest_, kResultStoreFull);
}

// ---------------------------------------------------------------- read

void CVXLInboundMessageManager::onRead(CVXLEvent* event)
{
    // Reading parts into media items is not served by this manager yet.
    onUnserved(event);
}

// ---------------------------------------------------------------- counts and lists

void CVXLInboundMessageManager::onCount(CVXLEvent* event)
{
    auto* count = dynamic_cast<CMessageCountRequest*>(event);
    if (!count || countRequest_ || !storeTarget_ || (count->kind != 0 && count->kind != 4)) {
        VXL_LOG_INFO("inbound manager: a count request not served");
        event->setResult(kResultFailed);
        return finishEvent(event);
    }
    countRequest_ = event;
    countQuery_.kind = count->kind == 0 ? 0 : 2;
    post(storeTarget_, &countQuery_);
}

void CVXLInboundMessageManager::onCountDone(CVXLEvent* event)
{
    if (countRequest_) {
        auto* count = static_cast<CMessageCountRequest*>(countRequest_);
        count->count = countQuery_.count;
        count->newCount = countQuery_.newCount;
        count->freeBudget = countQuery_.freeBudget;
        return answer(countRequest_, event->result(), event->resultText());
    }
    if (!listRequest_)
        return;
    if (event->result() != kResultSucceeded)
        return answer(listRequest_, event->result(), event->resultText());
    auto* list = static_cast<CMessageBoxListRequest*>(listRequest_);
    list->total = countQuery_.count;
    if (countQuery_.count == 0 || list->size == 0) {
        list->count = 0;
        return answer(listRequest_, kResultSucceeded);
    }
    idListQuery_.kind = countQuery_.kind;
    idListQuery_.start = list->start;
    idListQuery_.size = list->size;
    idListQuery_.ids.clear();
    idListQuery_.count = 0;
    post(storeTarget_, &idListQuery_);
}

void CVXLInboundMessageManager::onList(CVXLEvent* event)
{
    auto* list = static_cast<CMessageBoxListRequest*>(event);
    if (listRequest_ || !storeTarget_ || !isLocalListKind(list->kind)) {
        VXL_LOG_INFO("inbound manager: a list request of kind %u not served", list->kind);
        event->setResult(kResultFailed);
        return finishEvent(event);
    }
    listRequest_ = event;
    listIndex_ = 0;
    listCount_ = 0;
    idArray_.clear();
    list->count = 0;
    if (list->idArray) {
        const auto* ids = static_cast<const CVXLStringArray*>(list->idArray);
        const std::uint32_t n = list->size < ids->count() ? list->size : ids->count();
        for (std::uint32_t i = 0; i < n; ++i)
            idArray_.insertAt(ids->at(static_cast<int>(i)), static_cast<int>(i));
        listCount_ = idArray_.count();
        if (listCount_ == 0)
            return answer(listRequest_, kResultSucceeded);
        return readNextListed();
    }
    countQuery_.kind = list->kind == 0 ? 0 : 2;
    post(storeTarget_, &countQuery_);
}

void CVXLInboundMessageManager::onIdListDone(CVXLEvent* event)
{
    if (!listRequest_)
        return;
    if (event->result() != kResultSucceeded)
        return answer(listRequest_, event->result(), event->resultText());
    auto* list = static_cast<CMessageBoxListRequest*>(listRequest_);
    idArray_ = idListQuery_.ids;
    listCount_ = idArray_.count() < list->size ? idArray_.count() : list->size;
    listIndex_ = 0;
    if (listCount_ == 0)
        return answer(listRequest_, kResultSucceeded);
    readNextListed();
}

void CVXLInboundMessageManager::readNextListed()
{
    messageReadRequest_.setReplyCode(kEventStoreReadDone);
    messageReadRequest_.mode = 4;
    messageReadRequest_.read = CVXLStoredMessageRead();
    messageReadRequest_.read.messageId = idArray_.at(static_cast<int>(listIndex_));
    post(storeTarget_, &messageReadRequest_);
}

void CVXLInboundMessageManager::onListRead(CVXLEvent* event)
{
    if (!listRequest_)
        return;
    if (event->result() != kResultSucceeded)
        return answer(listRequest_, event->result(), event->resultText());
    auto* list = static_cast<CMessageBoxListRequest*>(listRequest_);
    if (list->summaries) {
        auto* summaries = static_cast<CVXLMessageSummary*>(list->summaries);
        summaries[listIndex_].fill(messageReadRequest_.read, services_ ? services_->nowSeconds() : 0);
    }
    ++listIndex_;
    list->count = listIndex_;
    if (listIndex_ < listCount_)
        return readNextListed();
    idArray_.clear();
    answer(listRequest_, kResultSucceeded);
}

// ---------------------------------------------------------------- items

void CVXLInboundMessageManager::onItem(CVXLEvent* event)
{
    auto* item = static_cast<CMessageItemRequest*>(event);
    const bool local = item->kind == 0 || item->kind == 4 || item->kind == 5 || item->kind == 6;
    if (itemRequest_ || !storeTarget_ || !local) {
        VXL_LOG_INFO("inbound manager: an item request of kind %u not served", item->kind);
        event->setResult(kResultFailed);
        return finishEvent(event);
    }
    itemRequest_ = event;
    deleteRequest_.messageId = item->messageId;
    post(storeTarget_, &deleteRequest_);
}

void CVXLInboundMessageManager::onDeleteDone(CVXLEvent* event)
{
    if (!itemRequest_)
        return;
    if (event->result() == kResultSucceeded && services_)
        services_->processPendingPush();
    answer(itemRequest_, event->result(), event->resultText());
}
