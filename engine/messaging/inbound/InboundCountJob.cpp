#include "engine/messaging/inbound/InboundCountJob.h"

#include "engine/core/base/VXLLog.h"
#include "engine/core/jobs/VXLResultCodes.h"
#include "engine/records/VXLInboundRequests.h"
#include "engine/transport/mms/VXLMmsPdu.h"
#include "engine/transport/mms/VXLMmsTransaction.h"

CInboundCountJob::CInboundCountJob(CVXLInboundMessageManager& manager)
    : CInboundJob(manager)
{
    addMember(&countQuery_);
}

void CInboundCountJob::begin(CVXLEvent* request)
{
    auto* count = dynamic_cast<CMessageCountRequest*>(request);
    if (count && (count->kind == 1 || count->kind == 2)) {
        // The relay's folder count: a view of no messages with the totals.
        if (!submitMmboxView(count->kind, 0, 0))
            answer(kResultStoreFull);
        return;
    }
    if (!count || !storeTarget() || (count->kind != 0 && count->kind != 4)) {
        VXL_LOG_INFO("inbound count: a count request not served");
        return answerAs(kResultFailed);
    }
    countQuery_.kind = count->kind == 0 ? 0 : 2;
    postToStore(&countQuery_);
}

void CInboundCountJob::onReply(CVXLEvent* reply)
{
    if (reply != &countQuery_)
        return CInboundJob::onReply(reply);
    if (!held_)
        return;
    auto* count = static_cast<CMessageCountRequest*>(held_);
    count->count = countQuery_.count;
    count->newCount = countQuery_.newCount;
    count->freeBudget = countQuery_.freeBudget;
    answer(reply->result(), reply->resultText());
}

void CInboundCountJob::onStep(std::int32_t step, std::int32_t result)
{
    if (step != kStepMmboxView)
        return CInboundJob::onStep(step, result);
    CVXLString text;
    const CVXLPduRef reply = relayReply(result, text);
    if (!held_)
        return;
    static_cast<CMessageCountRequest*>(held_)->count
        = result == kResultSucceeded ? static_cast<std::uint32_t>(reply->mboxTotals().toInt()) : 0;
    answer(result, text);
}
