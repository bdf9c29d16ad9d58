#include "engine/messaging/inbound/InboundListJob.h"

#include "engine/core/base/VXLLog.h"
#include "engine/core/jobs/VXLResultCodes.h"
#include "engine/messaging/store/VXLMessageSummary.h"
#include "engine/records/VXLInboundRequests.h"
#include "engine/transport/http/VXLHttpTransaction.h"
#include "engine/transport/mime/VXLMultipartBody.h"
#include "engine/transport/mms/VXLMmsPdu.h"
#include "engine/transport/mms/VXLMmsTransaction.h"
#include "engine/transport/mms/VXLWspTables.h"

namespace {

constexpr const char* kMmboxPreviewFile = "temp_mmboxnot.raw";

bool isRelayKind(std::uint32_t kind)
{
    return kind == 1 || kind == 2;
}
// The request's own kinds: 0 inbox, 4 and 5 the premium box.
bool isLocalListKind(std::uint32_t kind)
{
    return kind == 0 || kind == 4 || kind == 5;
}

} // namespace

CInboundListJob::CInboundListJob(CVXLInboundMessageManager& manager)
    : CInboundJob(manager)
{
    for (CVXLEvent* member : std::initializer_list<CVXLEvent*> {
             &countQuery_, &idListQuery_, &listedRead_, &purgeRequest_, &mmboxStore_, &mmboxRead_})
        addMember(member);
}

void CInboundListJob::dropSteps()
{
    mmboxViewPdu_.reset();
    mmboxStore_.message = nullptr;
    idArray_.clear();
}

void CInboundListJob::fail(std::int32_t result, const CVXLString& text)
{
    dropSteps();
    answer(result, text);
}

void CInboundListJob::begin(CVXLEvent* request)
{
    auto* list = static_cast<CMessageBoxListRequest*>(request);
    if (!storeTarget() || (!isRelayKind(list->kind) && !isLocalListKind(list->kind))) {
        VXL_LOG_INFO("inbound list: a list request of kind %u not served", list->kind);
        return answerAs(kResultFailed);
    }
    list->count = 0;
    listIndex_ = 0;
    listCount_ = 0;
    idArray_.clear();
    // The previews of the last listing go first.
    if (isRelayKind(list->kind))
        return postToStore(&purgeRequest_);
    if (list->idArray) {
        const auto* ids = static_cast<const CVXLStringArray*>(list->idArray);
        const std::uint32_t n = list->size < ids->count() ? list->size : ids->count();
        for (std::uint32_t i = 0; i < n; ++i)
            idArray_.insertAt(ids->at(static_cast<int>(i)), static_cast<int>(i));
        listCount_ = idArray_.count();
        if (listCount_ == 0)
            return answer(kResultSucceeded);
        return readNextListed();
    }
    countQuery_.kind = list->kind == 0 ? 0 : 2;
    postToStore(&countQuery_);
}

void CInboundListJob::onReply(CVXLEvent* reply)
{
    if (reply == &mmboxStore_)
        mmboxStore_.message = nullptr;
    if (!held_)
        return;
    if (reply == &countQuery_)
        return onCounted(reply);
    if (reply == &idListQuery_)
        return onIdsListed(reply);
    if (reply == &listedRead_)
        return onListedRead(reply);
    if (reply == &mmboxStore_)
        return onMmboxPreviewStored(reply);
    if (reply == &mmboxRead_)
        return onMmboxRead(reply);
    if (reply != &purgeRequest_)
        return CInboundJob::onReply(reply);
    if (reply->result() != kResultSucceeded)
        return answer(reply->result(), reply->resultText());
    auto* list = static_cast<CMessageBoxListRequest*>(held_);
    if (!submitMmboxView(list->kind, list->start, list->size))
        answer(kResultStoreFull);
}

// ---------------------------------------------------------------- local boxes

void CInboundListJob::onCounted(CVXLEvent* reply)
{
    if (reply->result() != kResultSucceeded)
        return answer(reply->result(), reply->resultText());
    auto* list = static_cast<CMessageBoxListRequest*>(held_);
    list->total = countQuery_.count;
    if (countQuery_.count == 0 || list->size == 0) {
        list->count = 0;
        return answer(kResultSucceeded);
    }
    idListQuery_.kind = countQuery_.kind;
    idListQuery_.start = list->start;
    idListQuery_.size = list->size;
    idListQuery_.ids.clear();
    idListQuery_.count = 0;
    postToStore(&idListQuery_);
}

void CInboundListJob::onIdsListed(CVXLEvent* reply)
{
    if (reply->result() != kResultSucceeded)
        return answer(reply->result(), reply->resultText());
    auto* list = static_cast<CMessageBoxListRequest*>(held_);
    idArray_ = idListQuery_.ids;
    listCount_ = idArray_.count() < list->size ? idArray_.count() : list->size;
    listIndex_ = 0;
    if (listCount_ == 0)
        return answer(kResultSucceeded);
    readNextListed();
}

void CInboundListJob::readNextListed()
{
    postRead(listedRead_, 4, idArray_.at(static_cast<int>(listIndex_)));
}

void CInboundListJob::onListedRead(CVXLEvent* reply)
{
    // A message stored as its preview ends before its message headers: its
    // summary is there all the same.
    if (reply->result() != kResultSucceeded && reply->result() != kResultDataComplete)
        return fail(reply->result(), reply->resultText());
    auto* list = static_cast<CMessageBoxListRequest*>(held_);
    if (list->summaries) {
        auto* summaries = static_cast<CVXLMessageSummary*>(list->summaries);
        summaries[listIndex_].fill(listedRead_.read, nowSeconds());
    }
    ++listIndex_;
    list->count = listIndex_;
    if (listIndex_ < listCount_)
        return readNextListed();
    idArray_.clear();
    answer(kResultSucceeded);
}

// ---------------------------------------------------------------- relay folders

CVXLMmsPdu* CInboundListJob::descriptorAt(std::uint32_t index) const
{
    auto* body
        = mmboxViewPdu_.isEmpty() ? nullptr : dynamic_cast<CVXLMultipartBody*>(mmboxViewPdu_->body().get());
    std::uint32_t seen = 0;
    for (std::uint32_t i = 0; body && i < body->partCount(); ++i) {
        auto* part = dynamic_cast<CVXLMmsPdu*>(body->partAt(i).get());
        if (part && part->pduKind() == kMmsMboxDescr && seen++ == index)
            return part;
    }
    return nullptr;
}

void CInboundListJob::onStep(std::int32_t step, std::int32_t result)
{
    if (step == kStepMmboxView)
        return mmboxViewed(result);
    if (step == kStepMmboxPreview)
        return mmboxPreviewReceived(result);
    CInboundJob::onStep(step, result);
}

void CInboundListJob::mmboxViewed(std::int32_t result)
{
    CVXLString text;
    const CVXLPduRef reply = relayReply(result, text);
    if (!held_)
        return;
    if (result != kResultSucceeded)
        return answer(result, text);
    auto* list = static_cast<CMessageBoxListRequest*>(held_);
    mmboxViewPdu_ = reply;
    std::uint32_t descriptors = 0;
    while (descriptorAt(descriptors))
        ++descriptors;
    const std::uint32_t announced = static_cast<std::uint32_t>(reply->messageCount().toInt());
    mmboxCount_ = announced < descriptors ? announced : descriptors;
    if (mmboxCount_ > list->size)
        mmboxCount_ = list->size;
    list->total = static_cast<std::uint32_t>(reply->mboxTotals().toInt());
    // A relay that leaves the totals out still listed what it sent.
    if (list->total < list->start + mmboxCount_)
        list->total = list->start + mmboxCount_;
    list->count = 0;
    mmboxIndex_ = 0;
    idArray_.clear();
    if (mmboxCount_ == 0) {
        mmboxViewPdu_.reset();
        return answer(kResultSucceeded);
    }
    fetchNextMmboxPreview();
}

void CInboundListJob::fetchNextMmboxPreview()
{
    const CVXLMmsPdu* descriptor = descriptorAt(mmboxIndex_);
    if (!submitGet(
            kStepMmboxPreview, descriptor ? descriptor->contentLocation() : CVXLString(), kMmboxPreviewFile))
        fail(kResultStoreFull);
}

void CInboundListJob::mmboxPreviewReceived(std::int32_t result)
{
    if (!held_)
        return dropSteps();
    if (result != kResultSucceeded)
        return fail(result);
    auto* get = static_cast<CVXLHttpTransaction*>(transaction());
    const CVXLMessage& response = get->responseMessage();
    mmboxStored_ = CVXLMessage();
    copyHeaders(response, mmboxStored_);
    if (const CVXLMmsPdu* descriptor = descriptorAt(mmboxIndex_))
        copyHeaders(*descriptor, mmboxStored_);
    mmboxStored_.setBody(response.body());
    mmboxStore_.messageId = CVXLString();
    mmboxStore_.fullMessage = 0;
    mmboxStore_.message = &mmboxStored_;
    mmboxStore_.notValidBefore = 0;
    mmboxStore_.fromMmbox = 1;
    mmboxStore_.targetBox = 1;
    postToStore(&mmboxStore_);
}

void CInboundListJob::onMmboxPreviewStored(CVXLEvent* reply)
{
    if (reply->result() != kResultSucceeded)
        return fail(reply->result(), reply->resultText());
    idArray_.insertAt(mmboxStore_.messageId, static_cast<int>(mmboxIndex_));
    if (++mmboxIndex_ < mmboxCount_)
        return fetchNextMmboxPreview();
    mmboxViewPdu_.reset();
    mmboxIndex_ = 0;
    readNextMmboxStored();
}

void CInboundListJob::readNextMmboxStored()
{
    postRead(mmboxRead_, 2, idArray_.at(static_cast<int>(mmboxIndex_)));
}

void CInboundListJob::onMmboxRead(CVXLEvent* reply)
{
    if (reply->result() != kResultSucceeded && reply->result() != kResultDataComplete)
        return fail(reply->result(), reply->resultText());
    auto* list = static_cast<CMessageBoxListRequest*>(held_);
    if (list->summaries)
        static_cast<CVXLMessageSummary*>(list->summaries)[mmboxIndex_].fill(mmboxRead_.read, nowSeconds());
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
    answer(kResultSucceeded);
}
