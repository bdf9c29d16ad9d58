#include "engine/messaging/inbound/InboundRelayJob.h"

#include "engine/core/base/VXLLog.h"
#include "engine/core/jobs/VXLResultCodes.h"
#include "engine/messaging/inbound/VXLInboundMessageManager.h"
#include "engine/records/VXLInboundRequests.h"
#include "engine/transport/mms/VXLMmsPdu.h"
#include "engine/transport/mms/VXLMmsTransaction.h"
#include "engine/transport/mms/VXLSendRequestPdu.h"
#include "engine/transport/mms/VXLSimpleRequestPdu.h"
#include "engine/transport/mms/VXLWspTables.h"

namespace {

constexpr const char* kRelayReplyFile = "temp_mmboxmsg.raw";
constexpr const char* kPersonalFolderFlag = "com.veltmarsh.mmbox.folder=/Personal%20Folder";
constexpr const char* kForwardSubjectFlag = "com.veltmarsh.mmforward.subject=";
constexpr const char* kForwardClientIdFlag = "X-QV-Client-Message-Id=Unavailable";
// X-Mms-MM-Flags add token; From address-present token; X-Mms-Store Yes.
constexpr std::int32_t kFlagAdd = 6;
constexpr std::int32_t kFromPresent = 2;
constexpr std::int32_t kYes = 0;

bool isRelayKind(std::uint32_t kind)
{
    return kind == 1 || kind == 2;
}
bool isReadableKind(std::uint32_t kind)
{
    return kind == 0 || kind == 1 || kind == 2 || kind == 4;
}
bool isLocalItemKind(std::uint32_t kind)
{
    return kind == 0 || kind == 4 || kind == 5 || kind == 6;
}

} // namespace

CInboundRelayJob::CInboundRelayJob(CVXLInboundMessageManager& manager, Operation operation)
    : CInboundJob(manager)
    , operation_(operation)
{
    addMember(&headersRead_);
    addMember(&deleteRequest_);
}

const char* CInboundRelayJob::name() const
{
    switch (operation_) {
    case kForward:
        return "Inbound Forward";
    case kSave:
        return "Inbound Save";
    default:
        return "Inbound Delete";
    }
}

void CInboundRelayJob::begin(CVXLEvent* request)
{
    if (!storeTarget())
        return answerAs(kResultFailed);
    switch (operation_) {
    case kForward: {
        auto* forward = static_cast<CNetworkMessageRequest*>(request);
        if (!isReadableKind(forward->kind)) {
            VXL_LOG_INFO("inbound forward: a forward of kind %u not served", forward->kind);
            return answerAs(kResultFailed);
        }
        return postRead(headersRead_, 1, forward->messageId);
    }
    case kSave:
        return postRead(headersRead_, 1, static_cast<CMmboxStoreRequest*>(request)->messageId);
    case kDelete: {
        auto* item = static_cast<CMessageItemRequest*>(request);
        if (isRelayKind(item->kind))
            return postRead(headersRead_, 1, item->messageId);
        if (!isLocalItemKind(item->kind)) {
            VXL_LOG_INFO("inbound delete: an item request of kind %u not served", item->kind);
            return answerAs(kResultFailed);
        }
        deleteRequest_.messageId = item->messageId;
        return postToStore(&deleteRequest_);
    }
    }
}

void CInboundRelayJob::onReply(CVXLEvent* reply)
{
    if (!held_)
        return;
    if (reply == &headersRead_)
        return onHeaders(reply);
    if (reply != &deleteRequest_)
        return CInboundJob::onReply(reply);
    if (reply->result() == kResultSucceeded && services())
        services()->processPendingPush();
    answer(reply->result(), reply->resultText());
}

void CInboundRelayJob::onHeaders(CVXLEvent* reply)
{
    if (reply->result() != kResultSucceeded)
        return answer(reply->result(), reply->resultText());
    const CVXLString location = headersRead_.read.summary.value("3");
    if (!location.length()) {
        VXL_LOG_INFO("%s: %s has no relay location", name(), headersRead_.read.messageId.c_str());
        return answer(kResultNoContentLocation);
    }
    CVXLMmsPdu* pdu = nullptr;
    std::int32_t step = 0;
    if (operation_ == kForward) {
        auto* forward = static_cast<CNetworkMessageRequest*>(held_);
        pdu = new CVXLSendRequestPdu(kMmsForwardReq, manager().nextTransactionId("MMS-"));
        pdu->setContentLocation(location);
        CVXLInboundMessageManager::addRecipients(pdu, forward->toList, forward->ccList, forward->bccList);
        pdu->setFrom(userId(), kFromPresent);
        pdu->setDate(nowSeconds());
        pdu->setStore(kYes);
        CVXLString subjectFlag(kForwardSubjectFlag);
        subjectFlag += CVXLInboundMessageManager::encodeForwardSubject(forward->subject);
        pdu->setMmFlags(subjectFlag, kFlagAdd);
        pdu->setMmFlags(kForwardClientIdFlag, kFlagAdd);
        step = kStepForward;
    } else if (operation_ == kSave) {
        pdu = new CVXLSimpleRequestPdu(kMmsMboxStoreReq, manager().nextTransactionId("MMS-"));
        pdu->setContentLocation(location);
        pdu->setMmFlags(kPersonalFolderFlag, kFlagAdd);
        step = kStepMmboxStore;
    } else {
        pdu = new CVXLSimpleRequestPdu(kMmsMboxDeleteReq, manager().nextTransactionId("MMS-"));
        pdu->setContentLocation(location);
        step = kStepRelayDelete;
    }
    if (!submitMms(step, pdu, relayUrl(), kRelayReplyFile))
        answer(kResultStoreFull);
}

void CInboundRelayJob::onStep(std::int32_t step, std::int32_t result)
{
    if (step != kStepForward && step != kStepMmboxStore && step != kStepRelayDelete)
        return CInboundJob::onStep(step, result);
    CVXLString text;
    relayReply(result, text);
    if (!held_)
        return;
    // Only a forward reports the relay's text.
    answer(result, step == kStepForward ? text : CVXLString());
}
