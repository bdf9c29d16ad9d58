#include "engine/transport/mms/VXLMMSSmsProcessor.h"

#include "engine/transport/mms/VXLMmsSmsTransaction.h"
#include "engine/transport/mms/VXLReceivedPdu.h"
#include "engine/transport/mms/VXLReplyPdu.h"
#include "engine/transport/mms/VXLWspDecodeTransaction.h"
#include "engine/transport/mms/VXLWspPduDecoder.h"
#include "engine/transport/mms/VXLWspTables.h"
#include "engine/transport/tasks/VXLTaskProcessor.h"
#include "engine/transport/tasks/VXLTransactionCodes.h"

namespace {

constexpr std::int32_t kStepDecode = 0;

} // namespace

CVXLMMSSmsProcessor::CVXLMMSSmsProcessor()
    : CVXLStepProcessor(kStepDecode)
{
    setProcessorName("CVXLMMSSmsProcessor");
}

CVXLMMSSmsProcessor::~CVXLMMSSmsProcessor()
{
    release();
}

bool CVXLMMSSmsProcessor::acceptsTransaction(CVXLTransaction* transaction)
{
    return transaction && !isBusy() && transaction->typeName() == kMmsSmsTransactionType;
}

int CVXLMMSSmsProcessor::beginTransaction(CVXLTransaction* transaction)
{
    if (!acceptsTransaction(transaction))
        return 0;
    takeTransaction(transaction);
    submitTo_ = tasks_ ? tasks_ : transaction->taskProcessor();
    input_.assign(static_cast<CVXLMmsSmsTransaction*>(transaction)->message());
    return 1;
}

void CVXLMMSSmsProcessor::init()
{
    CVXLStepProcessor::init();
    cancelled_ = false;
}

void CVXLMMSSmsProcessor::release()
{
    cancelSteps();
    // Deleting a decode still queued or running takes it out unreported.
    delete decode_;
    decode_ = nullptr;
    input_.assign(CVXLMessage());
    submitTo_ = nullptr;
    cancelled_ = false;
}

void CVXLMMSSmsProcessor::finishTransaction()
{
    release();
    CVXLProcessor::finishTransaction();
}

void CVXLMMSSmsProcessor::start()
{
    decode_ = new CVXLWspDecodeTransaction(CVXLTransactionListenerRef(stepEvent()));
    if (!decode_ || !submitTo_)
        return finish(kResultTransactionFailed);
    decode_->setMessage(input_);
    decode_->setPdu(CVXLPduRef(new CVXLMmsPdu));
    if (submitTo_->addTransaction(decode_) != 1)
        finish(kResultTransactionFailed);
}

void CVXLMMSSmsProcessor::onStep(std::int32_t, std::int32_t result)
{
    if (cancelled_ || result == kResultCancelled)
        return finish(kResultCancelled);
    auto* transaction = static_cast<CVXLMmsSmsTransaction*>(this->transaction());
    if (result != kResultSucceeded || !transaction)
        return finish(kResultTransactionFailed);
    CVXLMmsPdu* typed = typePushed(decode_->getPdu());
    transaction->setPdu(typed ? CVXLPduRef(typed) : CVXLPduRef());
    finish(typed ? kResultSucceeded : kResultTransactionFailed);
}

CVXLMmsPdu* CVXLMMSSmsProcessor::typePushed(const CVXLPduRef& decoded)
{
    const std::int32_t type = decoded.isEmpty() ? kMmsUntyped : decoded->field(kMmsFieldMessageType).toInt();
    if (type == kMmsNotificationInd)
        return new CVXLReceivedPdu(kMmsNotificationInd, decoded);
    if (type == kMmsDeliveryInd || type == kMmsReadOrigInd)
        return new CVXLReplyPdu(type, decoded);
    return nullptr;
}

const char* CVXLMMSSmsProcessor::pushedRefusal(const std::uint8_t* bytes, std::uint32_t length)
{
    CVXLPduRef decoded(new CVXLMmsPdu);
    CVXLWspPduDecoder decoder;
    if (decoded.isEmpty() || !decoder.decode(bytes, length, *decoded.get()))
        return "the notification does not decode";
    const CVXLPduRef typed(typePushed(decoded));
    if (typed.isEmpty())
        return "not a notification or report";
    // A notification cut after a whole field decodes, but without the
    // location or the transaction it names it can never be fetched.
    if (!typed->hasRequiredHeaders())
        return "a field its type requires is missing";
    return nullptr;
}

void CVXLMMSSmsProcessor::onCancel()
{
    if (stopRequested() || cancelled_)
        return;
    if (!decode_)
        return CVXLProcessor::onCancel();
    // The decode reports 24 (at once when it is still queued) and its
    // report ends this transaction.
    cancelled_ = true;
    decode_->cancel();
}
