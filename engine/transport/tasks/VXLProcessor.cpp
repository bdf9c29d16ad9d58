#include "engine/transport/tasks/VXLProcessor.h"

#include "engine/transport/tasks/VXLTransaction.h"
#include "engine/transport/tasks/VXLTransactionCodes.h"

CVXLProcessor::CVXLProcessor() = default;

CVXLProcessor::~CVXLProcessor()
{
    if (transaction_) {
        transaction_->setProcessor(nullptr);
        transaction_->setTaskProcessor(nullptr);
    }
}

void CVXLProcessor::init()
{
    // A cancel that came after the last transaction's own stop must not
    // reach the next one.
    cancelEvent(&cancelEvent_);
    busy_ = true;
    cancelled_ = false;
    finished_ = false;
    result_ = kResultSucceeded;
}

void CVXLProcessor::onEvent(CVXLEvent* event)
{
    const bool isCancel = event->effectiveCode() == kEventCancelTransaction;
    finishEvent(event);
    if (isCancel)
        onCancel();
}

std::int32_t CVXLProcessor::onFinished()
{
    finishTransaction();
    return CVXLEventHandler::onFinished();
}

const char* CVXLProcessor::name() const
{
    return processorName_.c_str();
}

void CVXLProcessor::cancelTransaction()
{
    if (!cancelEvent_.isBusy())
        post(this, &cancelEvent_);
}

void CVXLProcessor::forgetTransaction(CVXLTransaction* transaction)
{
    if (!transaction || transaction != transaction_)
        return;
    transaction_ = nullptr;
    listener_.reset();
    cancelTransaction();
}

void CVXLProcessor::onCancel()
{
    cancelled_ = true;
    stop();
}

void CVXLProcessor::takeTransaction(CVXLTransaction* transaction)
{
    transaction_ = transaction;
    listener_ = transaction ? transaction->listener() : CVXLTransactionListenerRef();
}

void CVXLProcessor::finish(std::int32_t result)
{
    result_ = result;
    finished_ = true;
    stop();
}

void CVXLProcessor::finishTransaction()
{
    cancelEvent(&cancelEvent_);
    const std::int32_t result = cancelled_ || !finished_ ? kResultCancelled : result_;
    CVXLTransaction* transaction = transaction_;
    const CVXLTransactionListenerRef listener = listener_;
    transaction_ = nullptr;
    listener_.reset();
    busy_ = false;
    cancelled_ = false;
    finished_ = false;
    if (transaction) {
        // Finished: a later cancel must not reach whatever this processor
        // runs next.
        transaction->setProcessor(nullptr);
        transaction->setTaskProcessor(nullptr);
    }
    // Last: the listener may delete the transaction or submit a new one.
    listener.transactionFinished(result);
}
