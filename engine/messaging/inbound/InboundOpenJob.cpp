#include "engine/messaging/inbound/InboundOpenJob.h"

#include "engine/core/jobs/VXLResultCodes.h"
#include "engine/messaging/inbound/VXLInboundMessageManager.h"
#include "engine/records/VXLInboundRequests.h"

CInboundOpenJob::CInboundOpenJob(CVXLInboundMessageManager& manager)
    : CInboundJob(manager)
{
    addMember(&partsQuery_);
    addMember(&headersRead_);
    addMember(&rewrite_);
}

void CInboundOpenJob::begin(CVXLEvent* request)
{
    if (!storeTarget())
        return answerAs(kResultFailed);
    auto* open = static_cast<CMessageOpenRequest*>(request);
    messageId_ = open->messageId;
    if (!open->fromNetwork)
        return askParts();
    postRead(headersRead_, 2, messageId_);
}

void CInboundOpenJob::askParts()
{
    auto* open = static_cast<CMessageOpenRequest*>(held_);
    partsQuery_.messageId = messageId_;
    partsQuery_.partCount = open->partCount;
    partsQuery_.parts = static_cast<CVXLHeaderMap*>(open->partArray);
    postToStore(&partsQuery_);
}

void CInboundOpenJob::onReply(CVXLEvent* reply)
{
    if (!held_)
        return;
    if (reply == &headersRead_)
        return onHeaders(reply);
    if (reply == &rewrite_)
        return onRewritten(reply);
    if (reply != &partsQuery_)
        return CInboundJob::onReply(reply);
    auto* open = static_cast<CMessageOpenRequest*>(held_);
    std::int32_t result = reply->result();
    if (result == kResultDataComplete && !open->fromNetwork)
        result = kResultMessageNotStored;
    answer(result, reply->resultText());
}

void CInboundOpenJob::onHeaders(CVXLEvent* reply)
{
    auto* open = static_cast<CMessageOpenRequest*>(held_);
    if (reply->result() != kResultSucceeded && reply->result() != kResultDataComplete)
        return answer(reply->result(), reply->resultText());
    headers_.messageHeaders = headersRead_.read.summary;
    headers_.contentHeaders = headersRead_.read.content;
    const CVXLString charge = headers_.getChargeText();
    if (charge.length() && !open->chargeAccepted) {
        open->chargeText = charge;
        return answer(kResultMessageCharged, charge);
    }
    if (charge.length()) {
        headers_.removeChargeText();
        rewrite_.messageId = messageId_;
        rewrite_.headers = headers_.messageHeaders;
        return postToStore(&rewrite_);
    }
    fetchWhole(headers_.getMmsContentLocation(), messageId_, CVXLInboundMessageManager::boxOfId(messageId_));
}

void CInboundOpenJob::onRewritten(CVXLEvent* reply)
{
    if (reply->result() != kResultSucceeded)
        return answer(reply->result(), reply->resultText());
    fetchWhole(headers_.getMmsContentLocation(), messageId_, CVXLInboundMessageManager::boxOfId(messageId_));
}

void CInboundOpenJob::wholeStored(std::int32_t result, const CVXLString& text)
{
    if (!held_)
        return;
    if (result != kResultSucceeded)
        return answer(result, text);
    askParts();
}
