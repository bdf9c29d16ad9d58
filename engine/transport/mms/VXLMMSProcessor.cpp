#include "engine/transport/mms/VXLMMSProcessor.h"

#include "engine/core/base/VXLLog.h"
#include "engine/transport/http/VXLHttpTransaction.h"
#include "engine/transport/mime/VXLMultipartBody.h"
#include "engine/transport/mms/VXLMboxViewConfPdu.h"
#include "engine/transport/mms/VXLMmsTransaction.h"
#include "engine/transport/mms/VXLReceivedPdu.h"
#include "engine/transport/mms/VXLReplyPdu.h"
#include "engine/transport/mms/VXLWspDecodeTransaction.h"
#include "engine/transport/mms/VXLWspEncodeTransaction.h"
#include "engine/transport/mms/VXLWspTables.h"
#include "engine/transport/tasks/VXLTaskProcessor.h"
#include "engine/transport/tasks/VXLTransactionCodes.h"

#include <initializer_list>

namespace {

// The HTTP headers among a message's headers: an MMS PDU keeps its fields
// under their numeric codes, which are no header to send.
void copyHttpHeaders(const CVXLMessage& from, CVXLMessage& to)
{
    const CVXLHeaderMap& headers = from.messageHeaders();
    for (std::uint32_t i = 0; i < headers.nameCount(); ++i) {
        const CVXLString name = headers.nameAt(static_cast<int>(i));
        if (!name.length() || name.isNumeric())
            continue;
        for (std::uint32_t n = 0; n < headers.valueCount(name); ++n)
            to.addHeader(name, headers.value(name, static_cast<int>(n)));
    }
}

std::int32_t messageTypeOf(const CVXLPduRef& pdu)
{
    return pdu.isEmpty() ? kMmsUntyped : pdu->field(kMmsFieldMessageType).toInt();
}

} // namespace

CVXLMMSProcessor::CVXLMMSProcessor()
    : CVXLStepProcessor(kStepEncode)
{
    setProcessorName("CVXLMMSProcessor");
}

CVXLMMSProcessor::~CVXLMMSProcessor()
{
    release();
}

std::int32_t CVXLMMSProcessor::replyModeOf(std::int32_t kind)
{
    switch (kind) {
    case kMmsSendReq:
    case kMmsRetrieve:
    case kMmsForwardReq:
    case kMmsMboxStoreReq:
    case kMmsMboxViewReq:
    case kMmsMboxDeleteReq:
        return kReplyExpected;
    case kMmsUntyped:
    case kMmsNotifyRespInd:
    case kMmsAcknowledgeInd:
    case kMmsReadRecInd:
        return kReplyNone;
    default:
        return kReplyUnsupported;
    }
}

bool CVXLMMSProcessor::acceptsTransaction(CVXLTransaction* transaction)
{
    return transaction && !isBusy() && transaction->typeName() == kMmsTransactionType;
}

int CVXLMMSProcessor::beginTransaction(CVXLTransaction* transaction)
{
    if (!acceptsTransaction(transaction))
        return 0;
    auto* mms = static_cast<CVXLMmsTransaction*>(transaction);
    takeTransaction(transaction);
    submitTo_ = tasks_ ? tasks_ : transaction->taskProcessor();
    requestPdu_ = mms->requestPdu();
    kind_ = requestPdu_.isEmpty() ? -1 : requestPdu_->pduKind();
    url_ = mms->url();
    responseFileName_ = mms->responseFileName();
    owner_ = mms->owner();
    expectedReplyLength_ = mms->expectedReplyLength();
    return 1;
}

void CVXLMMSProcessor::init()
{
    CVXLStepProcessor::init();
    cancelled_ = false;
    result_ = kResultSucceeded;
    if (auto* mms = static_cast<CVXLMmsTransaction*>(transaction()))
        mms->setReplyPdu(CVXLPduRef());
}

void CVXLMMSProcessor::release()
{
    cancelSteps();
    // Deleting a sub-transaction still queued or running takes it out
    // unreported.
    delete encode_;
    delete decode_;
    delete http_;
    encode_ = nullptr;
    decode_ = nullptr;
    http_ = nullptr;
    requestPdu_.reset();
    reply_.reset();
    descriptorMessage_.setBody(CVXLEntityRef());
    responseBody_.reset();
    url_.clear();
    responseFileName_.clear();
    owner_ = nullptr;
    expectedReplyLength_ = 0;
    submitTo_ = nullptr;
    kind_ = 0;
    replyMode_ = kReplyUnsupported;
    result_ = kResultSucceeded;
    descriptorCount_ = 0;
    descriptorIndex_ = 0;
    cancelled_ = false;
}

void CVXLMMSProcessor::finishTransaction()
{
    release();
    CVXLProcessor::finishTransaction();
}

bool CVXLMMSProcessor::submit(std::int32_t step, CVXLTransaction* transaction)
{
    if (!transaction || !submitTo_)
        return false;
    nextStep(step);
    return submitTo_->addTransaction(transaction) == 1;
}

bool CVXLMMSProcessor::subTransactionRunning() const
{
    for (const CVXLTransaction* sub : {static_cast<const CVXLTransaction*>(encode_),
             static_cast<const CVXLTransaction*>(decode_), static_cast<const CVXLTransaction*>(http_)}) {
        if (sub && (sub->processor() || sub->taskProcessor()))
            return true;
    }
    return false;
}

void CVXLMMSProcessor::start()
{
    replyMode_ = requestPdu_.isEmpty() ? kReplyUnsupported : replyModeOf(kind_);
    if (replyMode_ == kReplyUnsupported)
        return finish(kResultTransactionFailed);
    if (kind_ == kMmsRetrieve) {
        CVXLMessage request;
        copyHttpHeaders(*requestPdu_.get(), request);
        return sendHttp(request, CVXLHttpTransaction::kMethodGet);
    }
    encode_ = new CVXLWspEncodeTransaction(CVXLTransactionListenerRef(stepEvent()));
    if (encode_)
        encode_->setPdu(requestPdu_);
    if (!submit(kStepEncode, encode_))
        finish(kResultTransactionFailed);
}

void CVXLMMSProcessor::sendHttp(const CVXLMessage& request, std::int32_t method)
{
    auto* body = new CVXLMimeEntity;
    responseBody_ = CVXLEntityRef(body);
    http_ = new CVXLHttpTransaction(CVXLTransactionListenerRef(stepEvent()));
    if (!body || !http_)
        return finish(kResultTransactionFailed);
    body->setFileName(responseFileName_);
    CVXLMessage response;
    response.setBody(responseBody_);
    http_->setRequestMessage(request);
    http_->setResponseMessage(response);
    http_->setUrl(url_);
    http_->setMethod(method);
    http_->setOwner(owner_);
    // Only the reply to a retrieval is the message whose size was announced.
    if (kind_ == kMmsRetrieve)
        http_->setExpectedReplyLength(expectedReplyLength_);
    if (!submit(kStepHttp, http_))
        finish(kResultTransactionFailed);
}

void CVXLMMSProcessor::onStep(std::int32_t step, std::int32_t result)
{
    if (cancelled_ || result == kResultCancelled) {
        cancelled_ = true;
        reply_.reset();
        return finish(kResultCancelled);
    }
    switch (step) {
    case kStepEncode:
        return encodeDone(result);
    case kStepHttp:
        return httpDone(result);
    case kStepDecodeReply:
        return replyDecoded(result);
    case kStepDecodeDescriptor:
        return descriptorDecoded(result);
    default:
        return finish(kResultTransactionFailed);
    }
}

void CVXLMMSProcessor::encodeDone(std::int32_t result)
{
    if (result != kResultSucceeded)
        return finish(result);
    // An untyped PDU carries the encoded bytes as its body; the HTTP
    // transaction keeps its own reference to them.
    CVXLPduRef post(new CVXLMmsPdu);
    if (post.isEmpty())
        return finish(kResultTransactionFailed);
    post->setBody(encode_->output());
    sendHttp(*post.get(), CVXLHttpTransaction::kMethodPost);
}

void CVXLMMSProcessor::httpDone(std::int32_t result)
{
    if (result != kResultSucceeded) {
        result_ = result;
        replyMode_ = kReplyHeld;
        return endReply();
    }
    if (replyMode_ != kReplyExpected) {
        result_ = kResultSucceeded;
        return endReply();
    }
    // A reply without a body must not be read from the response file, which
    // may still hold an earlier exchange's reply: it fails as an empty input.
    if (responseBody_.isEmpty() || responseBody_->dataSize() == 0) {
        result_ = kResultTransactionFailed;
        replyMode_ = kReplyHeld;
        return endReply();
    }
    decode_ = new CVXLWspDecodeTransaction(CVXLTransactionListenerRef(stepEvent()));
    if (decode_) {
        decode_->setMessage(http_->responseMessage());
        decode_->setPdu(CVXLPduRef(new CVXLMmsPdu));
    }
    if (!submit(kStepDecodeReply, decode_)) {
        result_ = kResultTransactionFailed;
        replyMode_ = kReplyHeld;
        endReply();
    }
}

void CVXLMMSProcessor::replyDecoded(std::int32_t result)
{
    result_ = result;
    if (result != kResultSucceeded)
        replyMode_ = kReplyHeld;
    endReply();
}

void CVXLMMSProcessor::endReply()
{
    auto* mms = static_cast<CVXLMmsTransaction*>(transaction());
    if (replyMode_ != kReplyExpected) {
        if (mms)
            mms->setReplyPdu(reply_);
        return finish(result_);
    }
    const CVXLPduRef decoded = decode_ ? decode_->getPdu() : CVXLPduRef();
    const std::int32_t type = messageTypeOf(decoded);
    switch (type) {
    case kMmsSendConf:
    case kMmsForwardConf:
    case kMmsMboxStoreConf:
    case kMmsMboxDeleteConf:
        reply_ = CVXLPduRef(new CVXLReplyPdu(type, decoded));
        break;
    case kMmsRetrieveConf:
        reply_ = CVXLPduRef(new CVXLReceivedPdu(type, decoded));
        break;
    case kMmsMboxViewConf: {
        reply_ = CVXLPduRef(new CVXLMboxViewConfPdu(*decoded.get()));
        if (reply_.isEmpty())
            break;
        if (!reply_->hasRequiredHeaders())
            return refuseIncompleteReply();
        const CVXLMimeEntity* body = reply_->body().get();
        if (!body || body->kind() != CVXLMimeEntity::kMultipart
            || static_cast<const CVXLMultipartBody*>(body)->partCount() == 0) {
            if (mms)
                mms->setReplyPdu(reply_);
            return finish(kResultSucceeded);
        }
        descriptorCount_ = static_cast<const CVXLMultipartBody*>(body)->partCount();
        descriptorIndex_ = 0;
        return decodeNextDescriptor();
    }
    default:
        reply_.reset();
        break;
    }
    if (!reply_.isEmpty() && !reply_->hasRequiredHeaders())
        return refuseIncompleteReply();
    if (mms)
        mms->setReplyPdu(reply_);
    finish(reply_.isEmpty() ? kResultTransactionFailed : kResultSucceeded);
}

// A reply without a mandatory field would otherwise read as its defaults: a
// send-conf without X-Mms-Response-Status as 0, "Ok".
void CVXLMMSProcessor::refuseIncompleteReply()
{
    VXL_LOG_FAILURE("MMS reply of type %d lacks a mandatory field; the exchange fails",
        static_cast<int>(reply_->pduKind()));
    reply_.reset();
    result_ = kResultTransactionFailed;
    if (auto* mms = static_cast<CVXLMmsTransaction*>(transaction()))
        mms->setReplyPdu(reply_);
    finish(result_);
}

void CVXLMMSProcessor::decodeNextDescriptor()
{
    auto* body = static_cast<CVXLMultipartBody*>(reply_->body().get());
    descriptorMessage_.setBody(body->partAt(descriptorIndex_));
    decode_->setMessage(descriptorMessage_);
    decode_->setPdu(CVXLPduRef(new CVXLMmsPdu));
    // A refusal fails even before the first descriptor: a success would hand
    // the listener parts that are no typed descriptors.
    if (!submit(kStepDecodeDescriptor, decode_)) {
        result_ = kResultTransactionFailed;
        replyMode_ = kReplyHeld;
        endReply();
    }
}

void CVXLMMSProcessor::descriptorDecoded(std::int32_t result)
{
    result_ = result;
    const CVXLPduRef decoded = decode_->getPdu();
    if (result == kResultSucceeded && messageTypeOf(decoded) != kMmsMboxDescr)
        result_ = kResultTransactionFailed;
    if (result_ != kResultSucceeded) {
        replyMode_ = kReplyHeld;
        return endReply();
    }
    auto* body = static_cast<CVXLMultipartBody*>(reply_->body().get());
    auto* descriptor = new CVXLReceivedPdu(kMmsMboxDescr, decoded);
    if (!descriptor || !body->replacePart(descriptorIndex_, CVXLEntityRef(descriptor))) {
        result_ = kResultTransactionFailed;
        replyMode_ = kReplyHeld;
        return endReply();
    }
    if (++descriptorIndex_ < descriptorCount_)
        return decodeNextDescriptor();
    replyMode_ = kReplyNone;
    result_ = kResultSucceeded;
    endReply();
}

void CVXLMMSProcessor::onCancel()
{
    if (stopRequested() || cancelled_)
        return;
    cancelled_ = true;
    // With nothing in flight and no report on its way, stop at once.
    if (!subTransactionRunning() && !stepEvent()->isBusy())
        return CVXLProcessor::onCancel();
    // Each running sub-transaction reports 24 (a queued one at once), and
    // that report ends this transaction.
    if (encode_)
        encode_->cancel();
    if (decode_)
        decode_->cancel();
    if (http_)
        http_->cancel();
}
