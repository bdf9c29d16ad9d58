#include "engine/messaging/VXLInboundMessageManager.h"

#include "engine/messaging/PremiumInboxManager.h"

#include "engine/core/base/VXLLog.h"
#include "engine/core/jobs/VXLResultCodes.h"
#include "engine/core/platform/VXLPlatformStore.h"
#include "engine/media/VXLMediaItem.h"
#include "engine/messaging/VXLMessageSummary.h"
#include "engine/transport/http/VXLHttpTransaction.h"
#include "engine/transport/mime/VXLMimeEntity.h"
#include "engine/transport/mms/VXLMmsPdu.h"
#include "engine/transport/mms/VXLMmsSmsTransaction.h"
#include "engine/transport/mms/VXLMmsTransaction.h"
#include "engine/transport/mime/VXLMultipartBody.h"
#include "engine/transport/mms/VXLMboxViewRequestPdu.h"
#include "engine/transport/mms/VXLSendRequestPdu.h"
#include "engine/transport/mms/VXLSimpleRequestPdu.h"
#include "engine/transport/mms/VXLWspTables.h"

#include <initializer_list>

namespace {

CVXLInboundMessageManager* gInstance = nullptr;

constexpr const char* kPushContentType = "application/vnd.wap.multipart.mixed";
constexpr const char* kPreviewFile = "temp_not.raw";
constexpr const char* kMessageFile = "temp_mms.raw";
constexpr const char* kMmboxMessageFile = "temp_mmboxmms.raw";
constexpr const char* kNotifyResponseFile = "not_ind_resp.raw";
constexpr const char* kRelayReplyFile = "temp_mmboxmsg.raw";
constexpr const char* kMmboxPreviewFile = "temp_mmboxnot.raw";
constexpr const char* kSentFolderFlag = "com.veltmarsh.mmbox.folder=/Sent";
constexpr const char* kPersonalFolderFlag = "com.veltmarsh.mmbox.folder=/Personal%20Folder";
constexpr const char* kForwardSubjectFlag = "com.veltmarsh.mmforward.subject=";
constexpr const char* kForwardClientIdFlag = "X-QV-Client-Message-Id=Unavailable";
// X-Mms-MM-Flags add token; From address-present token; X-Mms-Store and
// X-Mms-Totals Yes.
constexpr std::int32_t kFlagAdd = 6;
constexpr std::int32_t kFromPresent = 2;
constexpr std::int32_t kYes = 0;
constexpr std::uint32_t kForwardSubjectLimit = 499;
// How many of the newest inbox messages a push back after a crash looks at.
constexpr std::uint32_t kCrashLookback = 10;

bool isRelayKind(std::uint32_t kind) { return kind == 1 || kind == 2; }
bool isReadableKind(std::uint32_t kind) { return kind == 0 || kind == 1 || kind == 2 || kind == 4; }
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
    { kInboundRequestNetworkMessage, &CVXLInboundMessageManager::onForward },
    { kInboundRequestMmsSend, &CVXLInboundMessageManager::onSend },
    { kInboundRequestMmboxStore, &CVXLInboundMessageManager::onMmboxStore },
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
    { kStepForwardRead, &CVXLInboundMessageManager::onRelayHeaders },
    { kStepMmboxStoreRead, &CVXLInboundMessageManager::onRelayHeaders },
    { kStepRelayDeleteRead, &CVXLInboundMessageManager::onRelayHeaders },
    { kEventStoreMmboxPurgeDone, &CVXLInboundMessageManager::onMmboxPurged },
    { kMmboxPreviewStored, &CVXLInboundMessageManager::onMmboxPreviewStored },
    { kMmboxReadBack, &CVXLInboundMessageManager::onMmboxRead },
    { kStepSendOpened, &CVXLInboundMessageManager::onSendOpened },
    { kStepSendPartRead, &CVXLInboundMessageManager::onSendPart },
    { kPartRead, &CVXLInboundMessageManager::onPartRead },
    { kCrashIdList, &CVXLInboundMessageManager::onCrashIds },
    { kCrashRead, &CVXLInboundMessageManager::onCrashRead },
    { kCrashWhole, &CVXLInboundMessageManager::onCrashWhole },
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
    for (CVXLEvent* member : std::initializer_list<CVXLEvent*> { &forwardRead_, &mmboxStoreRead_, &relayDeleteRead_,
             &sendRead_, &mmboxRead_, &partRead_, &crashIds_, &crashRead_, &purgeRequest_, &mmboxStoreMessage_, &sendPartsQuery_, &tempDeleted_ })
        member->setHeapAllocated(false);
    parseRequest_.setHeapAllocated(false);
    selfEvent_.setHeapAllocated(false);
    for (CVXLCallbackEvent& callback : callbacks_)
        callback.setHeapAllocated(false);
}

CVXLInboundMessageManager::~CVXLInboundMessageManager()
{
    dropTransactions();
    // A reply handled here leaves its event in progress; only one still
    // with the Producer is the Producer's.
    if (decision_ && !decisionOut_)
        delete decision_;
    if (gInstance == this)
        gInstance = nullptr;
}

CVXLInboundMessageManager* CVXLInboundMessageManager::instance() { return gInstance; }

void CVXLInboundMessageManager::setMessageStore(CVXLPlatformStore* store)
{
    platformStore_ = store;
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
    if (event == &tempDeleted_)
        return;
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
        // A request kept in its slot leaves room for the other kinds. The
        // event may be gone once answered: only its address is compared.
        if (holds(event))
            resume();
        return;
    }
    VXL_LOG_INFO("inbound manager: request %d refused", event->requestCode());
    event->setResult(kResultFailed);
    finishEvent(event);
}

void CVXLInboundMessageManager::onFrame(CVXLEvent* event) { finishEvent(event); }

bool CVXLInboundMessageManager::holds(const CVXLEvent* event) const
{
    for (const CVXLEvent* held : { pushRequest_, countRequest_, listRequest_, readRequest_, itemRequest_,
             openRequest_, forwardRequest_, sendRequest_, storeRequest_ }) {
        if (held == event)
            return true;
    }
    return false;
}

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
    if (producer_)
        cancelEventsWith(producer_);
    cancelEventsWith(&parser_);
    for (CVXLTransaction* transaction : transactions_) {
        if (transaction)
            transaction->cancel();
    }
    // Nothing that was cancelled answers the requests held: they end here.
    retrieved_.reset();
    readAfterFetch_ = false;
    sendBody_.reset();
    mmboxViewPdu_.reset();
    idArray_.clear();
    for (CVXLEvent** slot : { &pushRequest_, &countRequest_, &listRequest_, &readRequest_, &itemRequest_,
             &openRequest_, &forwardRequest_, &sendRequest_, &storeRequest_ }) {
        if (*slot)
            VXL_LOG_INFO("inbound manager: request %d cancelled", (*slot)->requestCode());
        answer(*slot, kResultCancelled);
    }
    notificationPdu_.reset();
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

// ---------------------------------------------------------------- building blocks

void CVXLInboundMessageManager::postRead(CStoreReadRequest& read, std::uint32_t mode, const CVXLString& id)
{
    read.mode = mode;
    read.read = CVXLStoredMessageRead();
    read.read.messageId = id;
    post(storeTarget_, &read);
}

bool CVXLInboundMessageManager::submitGet(std::int32_t step, const CVXLString& location, const char* file)
{
    auto* get = new CVXLHttpTransaction(listener(step));
    get->setMethod(CVXLHttpTransaction::kMethodGet);
    CVXLString url = location;
    url += "&thumbnail=true";
    get->setUrl(url);
    auto* sink = new CVXLMimeEntity();
    sink->setFileName(file);
    get->responseMessage().setBody(CVXLEntityRef(sink));
    return submitStep(step, get);
}

bool CVXLInboundMessageManager::submitMms(std::int32_t step, CVXLMmsPdu* pdu, const CVXLString& url, const char* file)
{
    auto* transaction = new CVXLMmsTransaction(listener(step));
    transaction->setRequestPdu(CVXLPduRef(pdu));
    transaction->setUrl(url);
    transaction->setResponseFileName(file);
    transaction->setOwner(this);
    return submitStep(step, transaction);
}

void CVXLInboundMessageManager::copyHeaders(const CVXLMessage& from, CVXLMessage& to)
{
    for (std::uint32_t i = 0; i < from.headerCount(); ++i) {
        const CVXLString name = from.headerName(static_cast<int>(i));
        for (std::uint32_t n = 0; n < from.valueCount(name); ++n) {
            if (!to.addHeader(name, from.headerValue(name, static_cast<int>(n))))
                continue;
            // The parameters too: an expiry without its token reads as absolute.
            const int added = static_cast<int>(to.valueCount(name)) - 1;
            for (std::uint32_t k = 0; k < from.parameterCount(name, static_cast<int>(n)); ++k) {
                const CVXLString parameter = from.parameterName(name, static_cast<int>(n), static_cast<int>(k));
                if (const CVXLString* value = from.parameter(name, parameter, static_cast<int>(n)))
                    to.addParameter(name, added, parameter, *value);
            }
        }
    }
}

CVXLMmsPdu* CVXLInboundMessageManager::descriptorAt(std::uint32_t index) const
{
    auto* body = mmboxViewPdu_.isEmpty() ? nullptr : dynamic_cast<CVXLMultipartBody*>(mmboxViewPdu_->body().get());
    std::uint32_t seen = 0;
    for (std::uint32_t i = 0; body && i < body->partCount(); ++i) {
        auto* part = dynamic_cast<CVXLMmsPdu*>(body->partAt(i).get());
        if (part && part->pduKind() == kMmsMboxDescr && seen++ == index)
            return part;
    }
    return nullptr;
}

CVXLString CVXLInboundMessageManager::relayUrl() const
{
    return services_ ? services_->relayUrl() : CVXLString();
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
    pushed_ = push->pdu;
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
    case kStepMmboxView:
        return mmboxViewed(result);
    case kStepMmboxPreview:
        return mmboxPreviewReceived(result);
    case kStepForward:
    case kStepMmboxStore:
    case kStepRelayDelete:
    case kStepSend:
        return relayAnswered(step, result);
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
    if (static_cast<CPushRequest*>(pushRequest_)->backAfterCrash && storeTarget_) {
        crashIds_.kind = 0;
        crashIds_.start = 0;
        crashIds_.size = kCrashLookback;
        crashIds_.ids.clear();
        crashIds_.count = 0;
        return post(storeTarget_, &crashIds_);
    }
    continueNotification();
}

void CVXLInboundMessageManager::continueNotification()
{
    const CVXLPduRef pdu = notificationPdu_;
    auto* push = static_cast<CPushRequest*>(pushRequest_);
    if (pdu->field(kRetrievalModeField).toInt() == kRetrievalManual && push->fetchNow != 1 && producer_) {
        // A decision still out after a cancel is left to the Producer.
        if (decision_ && !decisionOut_)
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
        decisionOut_ = true;
        return post(producer_, decision_);
    }
    requestPreview();
}

void CVXLInboundMessageManager::onDecision(CVXLEvent* event)
{
    auto* decision = static_cast<CMessageDecisionEvent*>(event);
    if (decision == decision_)
        decisionOut_ = false;
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
    if (!submitGet(kStepPreview, notificationPdu_->contentLocation(), kPreviewFile))
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
    if (result == kResultTransactionFailed) {
        // A relay out of reach now may answer later: the queue keeps the push
        // for another attempt, where 74 would drop it.
        notificationPdu_.reset();
        CVXLEvent* push = pushRequest_;
        pushRequest_ = nullptr;
        push->setResult(kResultTransactionFailed);
        finishEvent(push);
        return;
    }
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
    copyHeaders(*notificationPdu_.get(), stored_);
    stored_.addHeader("X-QV-Received-Time", hex(services_ ? services_->nowSeconds() : 0));
    copyHeaders(response, stored_);
    stored_.headers().remove(CVXLString(kRetrievalModeField));
    stored_.setBody(response.body());
    const CVXLString folder = response.messageHeaders().value("X-QV-Folder", 0, true);
    folder_ = folder;
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
        if (readRequest_ && readAfterFetch_)
            return answer(readRequest_, result, text);
        if (openRequest_)
            return answer(openRequest_, result, text);
        return answer(listRequest_, result, text);
    }
    if (reply->fullMessage == 1) {
        // The whole message is in.
        if (pushRequest_ && fromMmbox_ == 0)
            return sendNotifyResponse();
        if (readRequest_ && readAfterFetch_) {
            partIndex_ = 0;
            return readNextPart();
        }
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
    if (refusedByPremiumInbox(reply->messageId)) {
        if (targetBox_ != 3)
            return answerPush(kResultSucceeded);
    }
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

// A preview whose descriptor the premium inbox does not take is deleted
// again. "Inbox" names no descriptor.
bool CVXLInboundMessageManager::refusedByPremiumInbox(const CVXLString& id)
{
    if (!premium_ || folder_.length() == 0 || folder_.compare(CVXLString("Inbox"), false) == 0)
        return false;
    if (!premium_->routeMessage(id, folder_))
        return false;
    VXL_LOG_INFO("inbound manager: %s refused by the premium inbox, deleted", id.c_str());
    auto* remove = new CStoreDeleteRequest;
    remove->messageId = id;
    remove->setReplyWanted(false);
    post(storeTarget_, remove);
    return true;
}

void CVXLInboundMessageManager::onChargedStored(CVXLEvent* event)
{
    auto* reply = static_cast<CStoreMessageRequest*>(event);
    reply->message = nullptr;
    if (reply->result() == kResultSucceeded && services_)
        services_->pushUIRequestCode(kUiNotificationStored);
    if (reply->result() == kResultSucceeded && refusedByPremiumInbox(reply->messageId))
        return answerPush(kResultSucceeded);
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
    return submitMms(kStepRetrieved, new CVXLSimpleRequestPdu(kMmsRetrieve, ""), url,
        boxOfId(messageId_) == 1 ? kMmboxMessageFile : kMessageFile);
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
        if (readRequest_ && readAfterFetch_)
            return answer(readRequest_, result, text);
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
        if (readRequest_ && readAfterFetch_)
            return answer(readRequest_, result, text);
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
    const CVXLString relay = relayUrl();
    if (!relay.length()) {
        // Nothing to acknowledge to: the message is stored.
        VXL_LOG_INFO("inbound manager: no relay URL, %s stored without a notification response", messageId_.c_str());
        retrieved_.reset();
        answerPush(kResultSucceeded);
        return tellArrived(messageId_, static_cast<std::int32_t>(boxOfId(messageId_)));
    }
    auto* pdu = new CVXLSimpleRequestPdu(kMmsNotifyRespInd, notificationPdu_->transactionId());
    pdu->setStatus(kStatusRetrieved);
    if (!submitMms(kStepNotifyResponse, pdu, relay, kNotifyResponseFile)) {
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

// ---------------------------------------------------------------- after an unclean end

void CVXLInboundMessageManager::onCrashIds(CVXLEvent* event)
{
    if (!pushRequest_)
        return;
    crashIndex_ = 0;
    if (event->result() != kResultSucceeded || crashIds_.ids.count() == 0)
        return continueNotification();
    postRead(crashRead_, 1, crashIds_.ids.at(0));
}

void CVXLInboundMessageManager::onCrashRead(CVXLEvent* event)
{
    if (!pushRequest_)
        return;
    const CVXLString location = notificationPdu_->contentLocation();
    if (event->result() == kResultSucceeded && location.length() && crashRead_.read.summary.value("3") == location) {
        // Found: its whole message is asked for next (mode 0 reads it).
        messageId_ = crashRead_.read.messageId;
        targetBox_ = 0;
        fromMmbox_ = 0;
        VXL_LOG_INFO("inbound manager: %s was stored before the last run ended", messageId_.c_str());
        crashRead_.setReplyCode(kCrashWhole);
        return postRead(crashRead_, 0, messageId_);
    }
    if (++crashIndex_ < crashIds_.ids.count())
        return postRead(crashRead_, 1, crashIds_.ids.at(static_cast<int>(crashIndex_)));
    continueNotification();
}

void CVXLInboundMessageManager::onCrashWhole(CVXLEvent* event)
{
    crashRead_.setReplyCode(kCrashRead);
    if (!pushRequest_)
        return;
    // The whole message is stored: only the acknowledgement is left.
    if (event->result() == kResultSucceeded)
        return sendNotifyResponse();
    stage(kStageWholeRequested);
    post(this, &selfEvent_);
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
    postRead(messageReadRequest_, 2, open->messageId);
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
    auto* read = static_cast<CMessageReadRequest*>(event);
    if (readRequest_ || !storeTarget_ || !isReadableKind(read->kind)) {
        VXL_LOG_INFO("inbound manager: a read of kind %u not served", read->kind);
        event->setResult(kResultFailed);
        return finishEvent(event);
    }
    readRequest_ = event;
    readAfterFetch_ = false;
    partIndex_ = 0;
    readNextPart();
}

void CVXLInboundMessageManager::readNextPart()
{
    auto* read = static_cast<CMessageReadRequest*>(readRequest_);
    // A read of no parts asks for the total only, unless in mode 2.
    partRead_.asText = read->readMode == 3 ? 1 : 0;
    partRead_.partIndex = read->firstPart + partIndex_;
    postRead(partRead_, read->partCount == 0 && read->readMode != 2 ? 0 : 5, read->messageId);
}

void CVXLInboundMessageManager::onPartRead(CVXLEvent* event)
{
    if (!readRequest_)
        return;
    auto* request = static_cast<CMessageReadRequest*>(readRequest_);
    const CVXLStoredMessageRead& read = partRead_.read;
    if (event->result() == kResultDataComplete && !readAfterFetch_) {
        // The body is not stored: fetch it from the stored location, then
        // read again from the first part.
        const CVXLString location = read.summary.value("3");
        if (!location.length())
            return answer(readRequest_, kResultNoContentLocation);
        readAfterFetch_ = true;
        messageId_ = request->messageId;
        if (!fetch(location))
            answer(readRequest_, kResultStoreFull);
        return;
    }
    if (event->result() != kResultSucceeded)
        return answer(readRequest_, event->result(), event->resultText());
    request->totalMediaParts = static_cast<std::uint32_t>(read.totals.value("X-QV-Total-Media-Parts").toInt());
    if (partRead_.mode == 0)
        return answer(readRequest_, kResultSucceeded);
    const CVXLString& type = read.content.value(CVXLString("Content-Type"), 0, true);
    if (!request->accepts(type)) {
        VXL_LOG_INFO("inbound manager: part %u of %s refused by the media filter", partRead_.partIndex,
            request->messageId.c_str());
        return answer(readRequest_, kResultMessageNotStored);
    }
    if (request->mediaItems) {
        CVXLMediaItem& item = static_cast<CVXLMediaItem*>(request->mediaItems)[partIndex_];
        CVXLString name = read.content.value(CVXLString("Content-Location"), 0, true);
        if (!name.length())
            name = read.content.value(CVXLString("Location"), 0, true);
        item.setName(name);
        item.setIsImage(type.c_str());
        item.setSize(static_cast<std::int32_t>(read.bodyLength));
        CVXLMediaRefHandle handle;
        handle.setMimeType(type.c_str());
        handle.addEntry(read.bodyLocator, type, read.bodySource, 0, 0, static_cast<std::int32_t>(read.bodyLength), false);
        item.setMediaRef(handle);
    }
    if (partRead_.asText)
        request->text = read.text;
    if (++partIndex_ < request->partCount)
        return readNextPart();
    answer(readRequest_, kResultSucceeded);
}

// ---------------------------------------------------------------- counts and lists

void CVXLInboundMessageManager::onCount(CVXLEvent* event)
{
    auto* count = dynamic_cast<CMessageCountRequest*>(event);
    if (count && !countRequest_ && isRelayKind(count->kind)) {
        // The relay's folder count: a view of no messages with the totals.
        countRequest_ = event;
        return sendMmboxView(count->kind, 0, 0);
    }
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
    if (!listRequest_ && storeTarget_ && isRelayKind(list->kind)) {
        listRequest_ = event;
        list->count = 0;
        // The previews of the last listing go first.
        return post(storeTarget_, &purgeRequest_);
    }
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
    postRead(messageReadRequest_, 4, idArray_.at(static_cast<int>(listIndex_)));
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
    if (!itemRequest_ && storeTarget_ && isRelayKind(item->kind)) {
        itemRequest_ = event;
        itemAtRelay_ = true;
        return readRelayHeaders(relayDeleteRead_, item->messageId);
    }
    if (itemRequest_ || !storeTarget_ || !local) {
        VXL_LOG_INFO("inbound manager: an item request of kind %u not served", item->kind);
        event->setResult(kResultFailed);
        return finishEvent(event);
    }
    itemRequest_ = event;
    itemAtRelay_ = false;
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

// ---------------------------------------------------------------- relay operations

CVXLString CVXLInboundMessageManager::nextTransactionId(const char* prefix)
{
    CVXLString id(prefix);
    if (services_)
        id += services_->userId();
    id += "-";
    CVXLString number;
    number.setUnsigned(++transactionSequence_);
    id += number;
    return id;
}

CVXLString CVXLInboundMessageManager::encodeForwardSubject(const CVXLString& subject)
{
    static const char kMarks[] = " \"#$%&+,/:;<=>?@[\\]^`{|}~";
    const auto* text = reinterpret_cast<const unsigned char*>(subject.c_str());
    std::uint32_t length = subject.length() < kForwardSubjectLimit ? subject.length() : kForwardSubjectLimit;
    // Back to the start of a character cut by the limit.
    if (length < subject.length()) {
        std::uint32_t start = length;
        while (start > 0 && (text[start] & 0xC0) == 0x80)
            --start;
        length = start;
    }
    static const char kHex[] = "0123456789ABCDEF";
    CVXLString out;
    for (std::uint32_t i = 0; i < length; ++i) {
        const unsigned char c = text[i];
        bool escape = c < 0x21 || c > 0x7E;
        for (const char* m = kMarks; *m && !escape; ++m)
            escape = c == static_cast<unsigned char>(*m);
        if (escape) {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 0x0F];
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

void CVXLInboundMessageManager::readRelayHeaders(CStoreReadRequest& read, const CVXLString& id)
{
    postRead(read, 1, id);
}

void CVXLInboundMessageManager::onForward(CVXLEvent* event)
{
    auto* forward = static_cast<CNetworkMessageRequest*>(event);
    if (forwardRequest_ || !storeTarget_ || !isReadableKind(forward->kind)) {
        VXL_LOG_INFO("inbound manager: a forward of kind %u not served", forward->kind);
        event->setResult(kResultFailed);
        return finishEvent(event);
    }
    forwardRequest_ = event;
    readRelayHeaders(forwardRead_, forward->messageId);
}

void CVXLInboundMessageManager::onMmboxStore(CVXLEvent* event)
{
    auto* store = static_cast<CMmboxStoreRequest*>(event);
    if (storeRequest_ || !storeTarget_) {
        event->setResult(kResultFailed);
        return finishEvent(event);
    }
    storeRequest_ = event;
    readRelayHeaders(mmboxStoreRead_, store->messageId);
}

namespace {

void addAddresses(CVXLMmsPdu* pdu, const CVXLString& list, void (CVXLMmsPdu::*add)(const CVXLString&))
{
    int start = 0;
    const int length = static_cast<int>(list.length());
    while (start < length) {
        int comma = list.findChar(',', start);
        if (comma < 0)
            comma = length;
        int first = start;
        int end = comma;
        const char* text = list.c_str();
        while (first < end && text[first] == ' ')
            ++first;
        while (end > first && text[end - 1] == ' ')
            --end;
        if (end > first)
            (pdu->*add)(list.substr(first, static_cast<std::uint32_t>(end - first)));
        start = comma + 1;
    }
}

void addRecipients(CVXLMmsPdu* pdu, const CVXLString& to, const CVXLString& cc, const CVXLString& bcc)
{
    addAddresses(pdu, to, &CVXLMmsPdu::addTo);
    addAddresses(pdu, cc, &CVXLMmsPdu::addCc);
    addAddresses(pdu, bcc, &CVXLMmsPdu::addBcc);
}

} // namespace

void CVXLInboundMessageManager::onRelayHeaders(CVXLEvent* event)
{
    auto* read = static_cast<CStoreReadRequest*>(event);
    CVXLEvent** slot = read == &forwardRead_ ? &forwardRequest_
        : read == &mmboxStoreRead_           ? &storeRequest_
                                             : &itemRequest_;
    if (!*slot)
        return;
    if (read->result() != kResultSucceeded)
        return answer(*slot, read->result(), read->resultText());
    const CVXLString location = read->read.summary.value("3");
    if (!location.length()) {
        VXL_LOG_INFO("inbound manager: %s has no relay location", read->read.messageId.c_str());
        return answer(*slot, kResultNoContentLocation);
    }
    const CVXLString userId = services_ ? services_->userId() : CVXLString();
    CVXLMmsPdu* pdu = nullptr;
    std::int32_t step = 0;
    if (read == &forwardRead_) {
        auto* forward = static_cast<CNetworkMessageRequest*>(forwardRequest_);
        pdu = new CVXLSendRequestPdu(kMmsForwardReq, nextTransactionId("MMS-"));
        pdu->setContentLocation(location);
        addRecipients(pdu, forward->toList, forward->ccList, forward->bccList);
        pdu->setFrom(userId, kFromPresent);
        pdu->setDate(services_ ? services_->nowSeconds() : 0);
        pdu->setStore(kYes);
        CVXLString subjectFlag(kForwardSubjectFlag);
        subjectFlag += encodeForwardSubject(forward->subject);
        pdu->setMmFlags(subjectFlag, kFlagAdd);
        pdu->setMmFlags(kForwardClientIdFlag, kFlagAdd);
        step = kStepForward;
    } else if (read == &mmboxStoreRead_) {
        pdu = new CVXLSimpleRequestPdu(kMmsMboxStoreReq, nextTransactionId("MMS-"));
        pdu->setContentLocation(location);
        pdu->setMmFlags(kPersonalFolderFlag, kFlagAdd);
        step = kStepMmboxStore;
    } else {
        pdu = new CVXLSimpleRequestPdu(kMmsMboxDeleteReq, nextTransactionId("MMS-"));
        pdu->setContentLocation(location);
        step = kStepRelayDelete;
    }
    if (!submitMms(step, pdu, relayUrl(), kRelayReplyFile))
        answer(*slot, kResultStoreFull);
}

void CVXLInboundMessageManager::deleteRelayTransferFile()
{
    if (platformStore_ && !tempDeleted_.isBusy())
        platformStore_->deleteItem(kRelayReplyFile, &tempDeleted_);
}

void CVXLInboundMessageManager::relayAnswered(std::int32_t step, std::int32_t result)
{
    deleteRelayTransferFile();
    CVXLEvent** slot = step == kStepForward ? &forwardRequest_
        : step == kStepMmboxStore           ? &storeRequest_
        : step == kStepSend                 ? &sendRequest_
                                            : &itemRequest_;
    if (!*slot)
        return;
    auto* mms = static_cast<CVXLMmsTransaction*>(transaction_);
    const CVXLPduRef reply = mms ? mms->replyPdu() : CVXLPduRef();
    if (step == kStepSend)
        sendBody_.reset();
    if (result != kResultSucceeded)
        return answer(*slot, result);
    if (reply.isEmpty())
        return answer(*slot, kResultMmsTransport);
    if (reply->responseStatus().toInt() == 0)
        return answer(*slot, kResultSucceeded);
    const bool withText = step == kStepForward || step == kStepSend;
    answer(*slot, kResultMmsRelayStatus, withText ? reply->responseText() : CVXLString());
}

// ---------------------------------------------------------------- relay folders

void CVXLInboundMessageManager::onMmboxPurged(CVXLEvent* event)
{
    if (!listRequest_)
        return;
    if (event->result() != kResultSucceeded)
        return answer(listRequest_, event->result(), event->resultText());
    auto* list = static_cast<CMessageBoxListRequest*>(listRequest_);
    sendMmboxView(list->kind, list->start, list->size);
}

void CVXLInboundMessageManager::sendMmboxView(std::uint32_t kind, std::uint32_t start, std::uint32_t size)
{
    auto* pdu = new CVXLMboxViewRequestPdu(nextTransactionId("MMS-"));
    if (kind == 1)
        pdu->setMmFlags(kSentFolderFlag, kFlagAdd);
    else if (kind == 2)
        pdu->setMmFlags(kPersonalFolderFlag, kFlagAdd);
    for (std::int32_t field : { kMmsFieldBcc, kMmsFieldCc, kMmsFieldDate, kMmsFieldFrom, kMmsFieldPriority,
             kMmsFieldSubject, kMmsFieldTo })
        pdu->setAttributes(field);
    pdu->setStart(start + 1);
    pdu->setLimit(size);
    pdu->setTotals(kYes);
    CVXLString url = relayUrl();
    const char* text = url.c_str();
    if (!url.length() || text[url.length() - 1] != '/')
        url += "/";
    url += "?sua=";
    if (services_)
        url += services_->userId();
    if (!submitMms(kStepMmboxView, pdu, url, kRelayReplyFile)) {
        answer(countRequest_, kResultStoreFull);
        answer(listRequest_, kResultStoreFull);
    }
}

void CVXLInboundMessageManager::mmboxViewed(std::int32_t result)
{
    deleteRelayTransferFile();
    auto* mms = static_cast<CVXLMmsTransaction*>(transaction_);
    const CVXLPduRef reply = mms ? mms->replyPdu() : CVXLPduRef();
    if (result == kResultSucceeded && reply.isEmpty())
        result = kResultMmsTransport;
    CVXLString text;
    if (result == kResultSucceeded && reply->responseStatus().length() && reply->responseStatus().toInt() != 0) {
        result = kResultMmsRelayStatus;
        text = reply->responseText();
    }
    const std::uint32_t totals = result == kResultSucceeded ? static_cast<std::uint32_t>(reply->mboxTotals().toInt()) : 0;
    if (countRequest_) {
        // A relay folder's count: the totals of the view.
        static_cast<CMessageCountRequest*>(countRequest_)->count = totals;
        answer(countRequest_, result, text);
    }
    if (!listRequest_)
        return;
    if (result != kResultSucceeded)
        return answer(listRequest_, result, text);
    auto* list = static_cast<CMessageBoxListRequest*>(listRequest_);
    mmboxViewPdu_ = reply;
    std::uint32_t descriptors = 0;
    while (descriptorAt(descriptors))
        ++descriptors;
    const std::uint32_t announced = static_cast<std::uint32_t>(reply->messageCount().toInt());
    mmboxCount_ = announced < descriptors ? announced : descriptors;
    if (mmboxCount_ > list->size)
        mmboxCount_ = list->size;
    list->total = totals;
    list->count = 0;
    mmboxIndex_ = 0;
    idArray_.clear();
    if (mmboxCount_ == 0) {
        mmboxViewPdu_.reset();
        return answer(listRequest_, kResultSucceeded);
    }
    fetchNextMmboxPreview();
}

void CVXLInboundMessageManager::fetchNextMmboxPreview()
{
    const CVXLMmsPdu* descriptor = descriptorAt(mmboxIndex_);
    if (!submitGet(kStepMmboxPreview, descriptor ? descriptor->contentLocation() : CVXLString(), kMmboxPreviewFile)) {
        mmboxViewPdu_.reset();
        answer(listRequest_, kResultStoreFull);
    }
}

void CVXLInboundMessageManager::mmboxPreviewReceived(std::int32_t result)
{
    if (!listRequest_) {
        mmboxViewPdu_.reset();
        return;
    }
    if (result != kResultSucceeded) {
        mmboxViewPdu_.reset();
        return answer(listRequest_, result);
    }
    auto* get = static_cast<CVXLHttpTransaction*>(transaction_);
    const CVXLMessage& response = get->responseMessage();
    mmboxStored_ = CVXLMessage();
    copyHeaders(response, mmboxStored_);
    if (const CVXLMmsPdu* descriptor = descriptorAt(mmboxIndex_))
        copyHeaders(*descriptor, mmboxStored_);
    mmboxStored_.setBody(response.body());
    mmboxStoreMessage_.messageId = CVXLString();
    mmboxStoreMessage_.fullMessage = 0;
    mmboxStoreMessage_.message = &mmboxStored_;
    mmboxStoreMessage_.notValidBefore = 0;
    mmboxStoreMessage_.fromMmbox = 1;
    mmboxStoreMessage_.targetBox = 1;
    post(storeTarget_, &mmboxStoreMessage_);
}

void CVXLInboundMessageManager::onMmboxPreviewStored(CVXLEvent* event)
{
    mmboxStoreMessage_.message = nullptr;
    if (!listRequest_) {
        mmboxViewPdu_.reset();
        return;
    }
    if (event->result() != kResultSucceeded) {
        mmboxViewPdu_.reset();
        return answer(listRequest_, event->result(), event->resultText());
    }
    idArray_.insertAt(mmboxStoreMessage_.messageId, static_cast<int>(mmboxIndex_));
    if (++mmboxIndex_ < mmboxCount_)
        return fetchNextMmboxPreview();
    mmboxViewPdu_.reset();
    mmboxIndex_ = 0;
    readNextMmboxStored();
}

void CVXLInboundMessageManager::readNextMmboxStored()
{
    postRead(mmboxRead_, 2, idArray_.at(static_cast<int>(mmboxIndex_)));
}

void CVXLInboundMessageManager::onMmboxRead(CVXLEvent* event)
{
    if (!listRequest_)
        return;
    if (event->result() != kResultSucceeded && event->result() != kResultDataComplete)
        return answer(listRequest_, event->result(), event->resultText());
    auto* list = static_cast<CMessageBoxListRequest*>(listRequest_);
    if (list->summaries)
        static_cast<CVXLMessageSummary*>(list->summaries)[mmboxIndex_].fill(
            mmboxRead_.read, services_ ? services_->nowSeconds() : 0);
    if (++mmboxIndex_ < mmboxCount_)
        return readNextMmboxStored();
    list->count = mmboxCount_;
    if (list->idArray) {
        auto* ids = static_cast<CVXLStringArray*>(list->idArray);
        ids->clear();
        for (std::uint32_t i = 0; i < mmboxCount_; ++i)
            ids->insertAt(idArray_.at(static_cast<int>(i)), static_cast<int>(i));
    }
    idArray_.clear();
    answer(listRequest_, kResultSucceeded);
}

// ---------------------------------------------------------------- send

void CVXLInboundMessageManager::onSend(CVXLEvent* event)
{
    auto* send = static_cast<CMmsSendRequest*>(event);
    if (sendRequest_ || !storeTarget_ || send->result() != kResultSucceeded || !isReadableKind(send->kind)) {
        VXL_LOG_INFO("inbound manager: a send of kind %u not served", send->kind);
        event->setResult(kResultFailed);
        return finishEvent(event);
    }
    sendRequest_ = event;
    sendParts_.assign(send->partCount, CVXLHeaderMap());
    sendPartsQuery_.messageId = send->messageId;
    sendPartsQuery_.partCount = send->partCount;
    sendPartsQuery_.parts = sendParts_.empty() ? nullptr : sendParts_.data();
    post(storeTarget_, &sendPartsQuery_);
}

void CVXLInboundMessageManager::onSendOpened(CVXLEvent* event)
{
    if (!sendRequest_)
        return;
    if (event->result() != kResultSucceeded)
        return answer(sendRequest_, event->result(), event->resultText());
    auto* send = static_cast<CMmsSendRequest*>(sendRequest_);
    auto* body = new CVXLMultipartBody();
    body->setContentType("application/vnd.wap.multipart.mixed");
    sendBody_ = CVXLEntityRef(body);
    partIndex_ = 0;
    partCount_ = send->partCount;
    readNextSendPart();
}

void CVXLInboundMessageManager::readNextSendPart()
{
    auto* send = static_cast<CMmsSendRequest*>(sendRequest_);
    if (partIndex_ >= partCount_) {
        auto* pdu = new CVXLSendRequestPdu(kMmsSendReq, nextTransactionId("001"));
        addRecipients(pdu, send->toList, send->ccList, send->bccList);
        pdu->setFrom(services_ ? services_->userId() : CVXLString(), kFromPresent);
        pdu->setDate(services_ ? services_->nowSeconds() : 0);
        pdu->setSubject(send->subject, "us-ascii");
        pdu->setBody(sendBody_);
        if (!submitMms(kStepSend, pdu, relayUrl(), kRelayReplyFile)) {
            sendBody_.reset();
            answer(sendRequest_, kResultStoreFull);
        }
        return;
    }
    sendRead_.partIndex = partIndex_;
    postRead(sendRead_, 5, send->messageId);
}

void CVXLInboundMessageManager::onSendPart(CVXLEvent* event)
{
    if (!sendRequest_)
        return;
    if (event->result() != kResultSucceeded) {
        sendBody_.reset();
        return answer(sendRequest_, event->result(), event->resultText());
    }
    const CVXLStoredMessageRead& read = sendRead_.read;
    if (!read.summary.value("3").length()) {
        sendBody_.reset();
        return answer(sendRequest_, kResultNoContentLocation);
    }
    // "file|start|size"
    const CVXLString& locator = read.bodyLocator;
    const int bar = locator.findChar('|');
    const int bar2 = bar < 0 ? -1 : locator.findChar('|', bar + 1);
    if (bar2 < 0) {
        sendBody_.reset();
        VXL_LOG_INFO("inbound manager: part %u of %s has no body", partIndex_, read.messageId.c_str());
        return answer(sendRequest_, kResultNotFound);
    }
    auto* part = new CVXLMimeEntity();
    part->setHeaders(read.content);
    part->setFileName(locator.substr(0, static_cast<std::uint32_t>(bar)));
    part->setDataStart(static_cast<std::uint32_t>(locator.substr(bar + 1, static_cast<std::uint32_t>(bar2 - bar - 1)).toInt()));
    part->setDataSize(static_cast<std::uint32_t>(locator.substr(bar2 + 1, locator.length() - static_cast<std::uint32_t>(bar2) - 1).toInt()));
    static_cast<CVXLMultipartBody*>(sendBody_.get())->appendPart(CVXLEntityRef(part));
    ++partIndex_;
    readNextSendPart();
}
