#include "engine/messaging/inbound/InboundSendJob.h"

#include "engine/core/base/VXLLog.h"
#include "engine/core/jobs/VXLResultCodes.h"
#include "engine/messaging/inbound/VXLInboundMessageManager.h"
#include "engine/records/VXLInboundRequests.h"
#include "engine/transport/mime/VXLMimeEntity.h"
#include "engine/transport/mime/VXLMultipartBody.h"
#include "engine/transport/mms/VXLMmsPdu.h"
#include "engine/transport/mms/VXLMmsTransaction.h"
#include "engine/transport/mms/VXLSendRequestPdu.h"
#include "engine/transport/mms/VXLWspTables.h"

namespace {

constexpr const char* kRelayReplyFile = "temp_mmboxmsg.raw";
// From address-present token.
constexpr std::int32_t kFromPresent = 2;

bool isReadableKind(std::uint32_t kind)
{
    return kind == 0 || kind == 1 || kind == 2 || kind == 4;
}

} // namespace

CInboundSendJob::CInboundSendJob(CVXLInboundMessageManager& manager)
    : CInboundJob(manager)
{
    addMember(&partsQuery_);
    addMember(&partRead_);
}

void CInboundSendJob::fail(std::int32_t result, const CVXLString& text)
{
    body_.reset();
    answer(result, text);
}

void CInboundSendJob::begin(CVXLEvent* request)
{
    auto* send = static_cast<CMmsSendRequest*>(request);
    if (!storeTarget() || send->result() != kResultSucceeded || !isReadableKind(send->kind)) {
        VXL_LOG_INFO("inbound send: a send of kind %u not served", send->kind);
        return answerAs(kResultFailed);
    }
    parts_.assign(send->partCount, CVXLHeaderMap());
    partsQuery_.messageId = send->messageId;
    partsQuery_.partCount = send->partCount;
    partsQuery_.parts = parts_.empty() ? nullptr : parts_.data();
    postToStore(&partsQuery_);
}

void CInboundSendJob::onReply(CVXLEvent* reply)
{
    if (!held_)
        return;
    if (reply == &partsQuery_)
        return onPartsOpened(reply);
    if (reply == &partRead_)
        return onPartRead(reply);
    CInboundJob::onReply(reply);
}

void CInboundSendJob::onPartsOpened(CVXLEvent* reply)
{
    if (reply->result() != kResultSucceeded)
        return answer(reply->result(), reply->resultText());
    auto* send = static_cast<CMmsSendRequest*>(held_);
    auto* body = new CVXLMultipartBody();
    body->setContentType("application/vnd.wap.multipart.mixed");
    body_ = CVXLEntityRef(body);
    partIndex_ = 0;
    partCount_ = send->partCount;
    readNextPart();
}

void CInboundSendJob::readNextPart()
{
    auto* send = static_cast<CMmsSendRequest*>(held_);
    if (partIndex_ < partCount_) {
        partRead_.partIndex = partIndex_;
        return postRead(partRead_, 5, send->messageId);
    }
    auto* pdu = new CVXLSendRequestPdu(kMmsSendReq, manager().nextTransactionId("001"));
    CVXLInboundMessageManager::addRecipients(pdu, send->toList, send->ccList, send->bccList);
    pdu->setFrom(userId(), kFromPresent);
    pdu->setDate(nowSeconds());
    pdu->setSubject(send->subject, "us-ascii");
    pdu->setBody(body_);
    if (!submitMms(kStepSend, pdu, relayUrl(), kRelayReplyFile))
        fail(kResultStoreFull);
}

void CInboundSendJob::onPartRead(CVXLEvent* reply)
{
    if (reply->result() != kResultSucceeded)
        return fail(reply->result(), reply->resultText());
    const CVXLStoredMessageRead& read = partRead_.read;
    if (!read.summary.value("3").length())
        return fail(kResultNoContentLocation);
    // "file|start|size"
    const CVXLString& locator = read.bodyLocator;
    const int bar = locator.findChar('|');
    const int bar2 = bar < 0 ? -1 : locator.findChar('|', bar + 1);
    if (bar2 < 0) {
        VXL_LOG_INFO("inbound send: part %u of %s has no body", partIndex_, read.messageId.c_str());
        return fail(kResultNotFound);
    }
    auto* part = new CVXLMimeEntity();
    part->setHeaders(read.content);
    part->setFileName(locator.substr(0, static_cast<std::uint32_t>(bar)));
    part->setDataStart(static_cast<std::uint32_t>(
        locator.substr(bar + 1, static_cast<std::uint32_t>(bar2 - bar - 1)).toInt()));
    part->setDataSize(static_cast<std::uint32_t>(
        locator.substr(bar2 + 1, locator.length() - static_cast<std::uint32_t>(bar2) - 1).toInt()));
    static_cast<CVXLMultipartBody*>(body_.get())->appendPart(CVXLEntityRef(part));
    ++partIndex_;
    readNextPart();
}

void CInboundSendJob::onStep(std::int32_t step, std::int32_t result)
{
    if (step != kStepSend)
        return CInboundJob::onStep(step, result);
    CVXLString text;
    relayReply(result, text);
    body_.reset();
    if (!held_)
        return;
    answer(result, text);
}
