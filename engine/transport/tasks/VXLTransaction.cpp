#include "engine/transport/tasks/VXLTransaction.h"

#include "engine/transport/tasks/VXLProcessor.h"
#include "engine/transport/tasks/VXLTaskProcessor.h"

namespace {

// Engine objects live on the engine host thread only.
std::int32_t gLastSequenceNumber = 0;

} // namespace

CVXLTransaction::CVXLTransaction(const CVXLString& typeName, const CVXLTransactionListenerRef& listener)
    : listener_(listener)
    , sequenceNumber_(++gLastSequenceNumber)
    , typeName_(typeName)
{
}

CVXLTransaction::~CVXLTransaction()
{
    if (processor_)
        processor_->forgetTransaction(this);
    else if (taskProcessor_)
        taskProcessor_->forgetTransaction(this);
}

void CVXLTransaction::cancel()
{
    if (processor_) {
        // The processor keeps the transaction until it reports; one that is
        // already stopping reports on its own.
        const CVXLHandlerState state = processor_->runState();
        if (state != kHandlerNotStarted && state != kHandlerFinished && state != kHandlerStopping)
            processor_->cancelTransaction();
        return;
    }
    if (taskProcessor_)
        taskProcessor_->removeTransaction(this);
}
