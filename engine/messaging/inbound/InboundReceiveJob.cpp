#include "engine/messaging/inbound/InboundReceiveJob.h"

#include "engine/core/base/VXLLog.h"
#include "engine/core/jobs/VXLResultCodes.h"
#include "engine/core/jobs/VXLUIRequestCodes.h"
#include "engine/messaging/inbound/VXLInboundMessageManager.h"
#include "engine/messaging/premium/PremiumInboxManager.h"
#include "engine/messaging/push/WapPushQueue.h"
#include "engine/messaging/store/VXLMessageHeaders.h"
#include "engine/messaging/store/VXLMessageSummary.h"
#include "engine/transport/http/VXLHttpTransaction.h"
#include "engine/transport/mime/VXLMimeEntity.h"
#include "engine/transport/mms/VXLMmsPdu.h"
#include "engine/transport/mms/VXLMmsSmsTransaction.h"
#include "engine/transport/mms/VXLSimpleRequestPdu.h"
#include "engine/transport/mms/VXLWspTables.h"

namespace {

constexpr const char* kPushContentType = "application/vnd.wap.multipart.mixed";
constexpr const char* kPreviewFile = "temp_not.raw";
constexpr const char* kNotifyResponseFile = "not_ind_resp.raw";
// The codec's numbered values: X-Mms-Recommended-Retrieval-Mode Manual,
// X-Mms-Status Retrieved.
constexpr std::int32_t kRetrievalManual = 1;
constexpr std::int32_t kStatusRetrieved = 2;
constexpr std::int32_t kRetrievalModeField = 52;
// How many of the newest inbox messages a push back after a crash looks at.
constexpr std::uint32_t kCrashLookback = 10;
// Reply codes of the receive's own store requests.
constexpr std::int32_t kReplyDecision = 8;
constexpr std::int32_t kReplyChargedStored = 29;
constexpr std::int32_t kReplyCrashIds = 34;
constexpr std::int32_t kReplyCrashRead = 35;
constexpr std::int32_t kReplyCrashWhole = 36;
// Previews kept for the retries of their notifications: as many as the
// push queue holds.
constexpr std::size_t kStoredPreviewLimit = CWapPushQueue::kMaxItems;

// The store's premium box.
constexpr std::uint32_t kPremiumBox = 2;

CVXLString hex(std::uint32_t value)
{
    return CVXLString(static_cast<int>(value), 16);
}

} // namespace

CInboundReceiveJob::CInboundReceiveJob(CVXLInboundMessageManager& manager)
    : CInboundJob(manager)
    , crashIds_(kReplyCrashIds)
    , crashRead_(kReplyCrashRead)
    , crashWhole_(kReplyCrashWhole)
{
    for (CVXLEvent* member :
        std::initializer_list<CVXLEvent*> {&storePreview_, &crashIds_, &crashRead_, &crashWhole_})
        addMember(member);
}

CInboundReceiveJob::~CInboundReceiveJob() = default;

void CInboundReceiveJob::setStage(std::uint32_t value)
{
    if (services())
        services()->setStage(value);
}

void CInboundReceiveJob::answerPush(std::int32_t result, const CVXLString& text)
{
    notification_.reset();
    answer(result, text);
}

void CInboundReceiveJob::tellArrived(const CVXLString& id, std::int32_t box)
{
    CVXLEventHandler* producer = manager().producer();
    if (!producer)
        return;
    auto* arrived = new CMessageArrivedEvent();
    arrived->messageId = id;
    arrived->setValue(box);
    post(producer, arrived);
}

void CInboundReceiveJob::dropSteps()
{
    notification_.reset();
    stored_ = CVXLMessage();
    storePreview_.message = nullptr;
}

void CInboundReceiveJob::begin(CVXLEvent* request)
{
    auto* pushRequest = dynamic_cast<CPushRequest*>(request);
    if (!pushRequest || !storeTarget())
        return answerAs(kResultFailed);
    setStage(CVXLInboundMessageManager::kStageAccepted);
    pushed_ = pushRequest->pdu;
    messageId_.clear();
    auto* entity = new CVXLMimeEntity();
    entity->setContentType(kPushContentType);
    entity->setBodyBuffer(pushed_);
    CVXLMessage message;
    message.setBody(CVXLEntityRef(entity));
    auto* decode = new CVXLMmsSmsTransaction(listener());
    decode->setMessage(message);
    if (!submit(kStepDecoded, decode))
        answerPush(kResultStoreFull);
}

void CInboundReceiveJob::onStep(std::int32_t step, std::int32_t result)
{
    switch (step) {
    case kStepDecoded:
        return decoded(result);
    case kStepPreview:
        return previewReceived(result);
    case kStepNotifyResponse:
        return notifyResponded(result);
    default:
        CInboundJob::onStep(step, result);
    }
}

void CInboundReceiveJob::onReply(CVXLEvent* reply)
{
    if (reply->replyCode() == kReplyDecision)
        return onDecision(reply);
    if (reply == &storePreview_)
        return reply->replyCode() == kReplyChargedStored ? onChargedStored(reply) : onPreviewStored(reply);
    if (reply == &crashIds_)
        return onCrashIds(reply);
    if (reply == &crashRead_)
        return onCrashRead(reply);
    if (reply == &crashWhole_)
        return onCrashWhole(reply);
    CInboundJob::onReply(reply);
}

void CInboundReceiveJob::decoded(std::int32_t result)
{
    setStage(CVXLInboundMessageManager::kStageDecoded);
    auto* decode = static_cast<CVXLMmsSmsTransaction*>(transaction());
    CVXLPduRef pdu = decode ? decode->getPdu() : CVXLPduRef();
    if (!held_)
        return;
    if (result != kResultSucceeded || pdu.isEmpty()) {
        if (result == kResultSucceeded)
            result = kResultMalformed;
        VXL_LOG_FAILURE("inbound receive: a pushed notification was not decoded (%d)", result);
        return answerPush(result);
    }
    // A notification that names no message or no transaction can never be
    // fetched nor answered: dropped at once (74) rather than tried again.
    if (pdu->pduKind() == kMmsNotificationInd
        && (!pdu->contentLocation().length() || !pdu->transactionId().length())) {
        VXL_LOG_FAILURE("inbound receive: a pushed notification without its location or transaction dropped");
        return answerPush(kResultMmsTransport);
    }
    notification_ = pdu;
    // A retry whose preview is stored goes on from it.
    if (push()->attempts > 0 && takeStoredPreview(notification_->contentLocation()))
        return fetchMessage();
    if (push()->backAfterCrash) {
        crashIds_.kind = 0;
        crashIds_.start = 0;
        crashIds_.size = kCrashLookback;
        crashIds_.ids.clear();
        crashIds_.count = 0;
        return postToStore(&crashIds_);
    }
    continueNotification();
}

bool CInboundReceiveJob::takeStoredPreview(const CVXLString& location)
{
    for (auto it = previews_.begin(); location.length() && it != previews_.end(); ++it) {
        if (it->location != location)
            continue;
        messageId_ = it->id;
        targetBox_ = it->targetBox;
        previews_.erase(it);
        VXL_LOG_INFO("inbound receive: the preview %s is stored, its whole message is fetched again",
            messageId_.c_str());
        return true;
    }
    return false;
}

void CInboundReceiveJob::continueNotification()
{
    const CVXLPduRef pdu = notification_;
    CVXLEventHandler* producer = manager().producer();
    if (pdu->field(kRetrievalModeField).toInt() == kRetrievalManual && push()->fetchNow != 1 && producer) {
        // A decision still out after a cancel is left to the Producer.
        decision_ = new CMessageDecisionEvent(kReplyDecision);
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
        return post(producer, decision_);
    }
    requestPreview();
}

// The decision goes with its reply, its summary with it.
void CInboundReceiveJob::onDecision(CVXLEvent* reply)
{
    auto* decision = static_cast<CMessageDecisionEvent*>(reply);
    delete decision->summary;
    decision->summary = nullptr;
    const bool current = decision == decision_;
    if (current)
        decision_ = nullptr;
    const std::int32_t result = decision->result();
    const std::uint32_t choice = decision->decision;
    const CVXLString text = decision->resultText();
    if (!current || !held_)
        return;
    if (result != kResultSucceeded)
        return answerPush(result, text);
    if (choice != CMessageDecisionEvent::kFetch)
        return answerPush(kResultSucceeded);
    requestPreview();
}

void CInboundReceiveJob::requestPreview()
{
    setStage(CVXLInboundMessageManager::kStagePreviewRequested);
    if (!submitGet(kStepPreview, notification_->contentLocation(), kPreviewFile))
        answerPush(kResultStoreFull);
}

void CInboundReceiveJob::previewReceived(std::int32_t result)
{
    setStage(CVXLInboundMessageManager::kStagePreviewReceived);
    auto* get = static_cast<CVXLHttpTransaction*>(transaction());
    CVXLMessage response;
    if (get)
        response.assign(get->responseMessage());
    if (!held_)
        return;
    if (result == kResultTransactionFailed) {
        // A relay out of reach now may answer later: the queue keeps the push
        // for another attempt, where 74 would drop it.
        notification_.reset();
        return answerAs(kResultTransactionFailed);
    }
    if (result != kResultSucceeded)
        return answerPush(result);
    CVXLMessageHeaders headers;
    headers.messageHeaders = response.messageHeaders();
    const bool sent = headers.getMessageType() == "Sent";
    const bool addressed = sent ? (headers.getToAddressList().length() || headers.getCcAddressList().length()
                               || headers.getBccAddressList().length())
                                : headers.getFromAddress().length() != 0;
    if (!addressed) {
        // Not a preview (a relay that ignores "thumbnail" answers with the
        // message itself): the notification is dropped.
        VXL_LOG_FAILURE("inbound receive: the preview of %s (%s) names no %s: its notification dropped",
            notification_->contentLocation().c_str(),
            response.messageHeaders().value("Content-Type", 0, true).c_str(), sent ? "recipient" : "sender");
        return answerPush(kResultMmsTransport);
    }
    // The notification's fields first, then the preview's own headers.
    stored_ = CVXLMessage();
    copyHeaders(*notification_.get(), stored_);
    stored_.addHeader("X-QV-Received-Time", hex(nowSeconds()));
    copyHeaders(response, stored_);
    stored_.headers().remove(CVXLString(kRetrievalModeField));
    stored_.setBody(response.body());
    const CVXLString folder = response.messageHeaders().value("X-QV-Folder", 0, true);
    folder_ = folder;
    notValidBefore_ = static_cast<std::uint32_t>(
        response.messageHeaders().value("X-QV-Not-Valid-Before", 0, true).toInt(16));
    targetBox_ = sent ? 3 : (folder.length() && folder.compare(CVXLString("Inbox"), false) != 0 ? 2 : 0);
    setStage(CVXLInboundMessageManager::kStageStored);
    storePreview_.setReplyCode(
        headers.getChargeText().length() ? kReplyChargedStored : std::int32_t {kEventStoreMessageDone});
    storePreview_.messageId = CVXLString();
    storePreview_.fullMessage = 0;
    storePreview_.message = &stored_;
    storePreview_.notValidBefore = notValidBefore_;
    storePreview_.fromMmbox = 0;
    storePreview_.targetBox = targetBox_;
    postToStore(&storePreview_);
}

void CInboundReceiveJob::onPreviewStored(CVXLEvent* reply)
{
    storePreview_.message = nullptr;
    if (!held_)
        return;
    if (reply->result() != kResultSucceeded)
        return answerPush(reply->result(), reply->resultText());
    if (services())
        services()->pushUIRequestCode(kUIRequestNotificationStored);
    if (refusedByPremiumInbox(storePreview_.messageId))
        return answerPush(kResultSucceeded);
    if (targetBox_ == 3) {
        CVXLMessageHeaders headers;
        headers.messageHeaders = stored_.messageHeaders();
        if (CVXLEventHandler* queue = manager().outboundQueue()) {
            auto* copy = new CSentCopyReceivedEvent();
            copy->clientMessageId = headers.getClientMessageId();
            post(queue, copy);
        }
        setStage(CVXLInboundMessageManager::kStageDone);
        return answerPush(kResultSucceeded);
    }
    messageId_ = storePreview_.messageId;
    fetchMessage();
}

// A preview for the premium box whose descriptor the premium inbox does not
// take is deleted again. Only the premium box's previews are offered: a sent
// copy's folder names no premium group.
bool CInboundReceiveJob::refusedByPremiumInbox(const CVXLString& id)
{
    CPremiumInboxManager* premium = manager().premiumInbox();
    if (!premium || targetBox_ != kPremiumBox)
        return false;
    if (!premium->routeMessage(id, folder_))
        return false;
    VXL_LOG_INFO("inbound receive: %s refused by the premium inbox, deleted", id.c_str());
    auto* remove = new CStoreDeleteRequest;
    remove->messageId = id;
    remove->setReplyWanted(false);
    postToStore(remove);
    return true;
}

void CInboundReceiveJob::onChargedStored(CVXLEvent* reply)
{
    storePreview_.message = nullptr;
    if (!held_)
        return;
    const std::int32_t result = reply->result();
    const CVXLString text = reply->resultText();
    if (result == kResultSucceeded && services())
        services()->pushUIRequestCode(kUIRequestNotificationStored);
    if (result == kResultSucceeded && refusedByPremiumInbox(storePreview_.messageId))
        return answerPush(kResultSucceeded);
    messageId_ = storePreview_.messageId;
    answerPush(result, text);
    if (result == kResultSucceeded)
        tellArrived(messageId_, static_cast<std::int32_t>(targetBox_));
}

void CInboundReceiveJob::fetchMessage()
{
    setStage(CVXLInboundMessageManager::kStageWholeRequested);
    fetchWhole(notification_->contentLocation(), messageId_, targetBox_, notification_->messageSize());
}

void CInboundReceiveJob::wholeStored(std::int32_t result, const CVXLString& text)
{
    if (!held_)
        return;
    if (result == kResultSucceeded)
        return sendNotifyResponse();
    // The preview stays stored: the push is answered with the failure, so
    // the queue tries it again, and the retry goes on from the preview. On
    // its last attempt the preview is what arrived.
    if (previews_.size() >= kStoredPreviewLimit)
        previews_.erase(previews_.begin());
    previews_.push_back({notification_->contentLocation(), messageId_, targetBox_});
    const bool last = push()->attempts >= CWapPushQueue::kLastAttempt;
    notification_.reset();
    answerAs(result, text);
    if (last)
        tellArrived(messageId_, static_cast<std::int32_t>(CVXLInboundMessageManager::boxOfId(messageId_)));
}

void CInboundReceiveJob::sendNotifyResponse()
{
    setStage(CVXLInboundMessageManager::kStageDone);
    const CVXLString relay = relayUrl();
    if (!relay.length()) {
        // Nothing to acknowledge to: the message is stored.
        VXL_LOG_INFO(
            "inbound receive: no relay URL, %s stored without a notification response", messageId_.c_str());
        answerPush(kResultSucceeded);
        return tellArrived(
            messageId_, static_cast<std::int32_t>(CVXLInboundMessageManager::boxOfId(messageId_)));
    }
    auto* pdu = new CVXLSimpleRequestPdu(kMmsNotifyRespInd, notification_->transactionId());
    pdu->setStatus(kStatusRetrieved);
    if (!submitMms(kStepNotifyResponse, pdu, relay, kNotifyResponseFile))
        answerPush(kResultStoreFull);
}

void CInboundReceiveJob::notifyResponded(std::int32_t result)
{
    if (!held_)
        return;
    if (result != kResultSucceeded)
        VXL_LOG_INFO(
            "inbound receive: the notification response for %s failed (%d)", messageId_.c_str(), result);
    answerPush(kResultSucceeded);
    tellArrived(messageId_, static_cast<std::int32_t>(CVXLInboundMessageManager::boxOfId(messageId_)));
}

// ---------------------------------------------------------------- after an unclean end

void CInboundReceiveJob::onCrashIds(CVXLEvent* reply)
{
    if (!held_)
        return;
    crashIndex_ = 0;
    if (reply->result() != kResultSucceeded || crashIds_.ids.count() == 0)
        return continueNotification();
    postRead(crashRead_, 1, crashIds_.ids.at(0));
}

void CInboundReceiveJob::onCrashRead(CVXLEvent* reply)
{
    if (!held_)
        return;
    const CVXLString location = notification_->contentLocation();
    if (reply->result() == kResultSucceeded && location.length()
        && crashRead_.read.summary.value("3") == location) {
        // Found: its whole message is asked for next (mode 0 reads it).
        messageId_ = crashRead_.read.messageId;
        targetBox_ = 0;
        VXL_LOG_INFO("inbound receive: %s was stored before the last run ended", messageId_.c_str());
        return postRead(crashWhole_, 0, messageId_);
    }
    if (++crashIndex_ < crashIds_.ids.count())
        return postRead(crashRead_, 1, crashIds_.ids.at(static_cast<int>(crashIndex_)));
    continueNotification();
}

void CInboundReceiveJob::onCrashWhole(CVXLEvent* reply)
{
    if (!held_)
        return;
    // The whole message is stored: only the acknowledgement is left.
    if (reply->result() == kResultSucceeded)
        return sendNotifyResponse();
    fetchMessage();
}
