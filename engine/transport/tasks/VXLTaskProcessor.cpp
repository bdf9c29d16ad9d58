#include "engine/transport/tasks/VXLTaskProcessor.h"

#include "engine/transport/tasks/VXLTransaction.h"
#include "engine/transport/tasks/VXLTransactionCodes.h"

namespace {

constexpr std::int32_t kDispatchTimer = 0;

CVXLTransaction* transactionOf(const CVXLList::Node* node)
{
    return static_cast<CVXLTransaction*>(node->object);
}

} // namespace

CVXLTaskProcessor::CVXLTaskProcessor()
{
    setProcessorName("CVXLTaskProcessor");
}

CVXLTaskProcessor::~CVXLTaskProcessor()
{
    for (const CVXLList::Node* node = queue_.head(); node; node = node->next)
        transactionOf(node)->setTaskProcessor(nullptr);
}

void CVXLTaskProcessor::init()
{
}

const char* CVXLTaskProcessor::name() const
{
    return "CVXLTaskProcessor";
}

int CVXLTaskProcessor::beginTransaction(CVXLTransaction* transaction)
{
    return addTransaction(transaction);
}

bool CVXLTaskProcessor::acceptsTransaction(CVXLTransaction*)
{
    return true;
}

void CVXLTaskProcessor::finishTransaction()
{
}

void CVXLTaskProcessor::registerProcessor(CVXLProcessor* processor)
{
    if (processor && processor != this)
        processors_.append(processor);
}

int CVXLTaskProcessor::addTransaction(CVXLTransaction* transaction)
{
    if (!transaction || processors_.count() == 0)
        return 0;
    // Queued twice, it would be run and reported twice.
    if (transaction->processor() || transaction->taskProcessor())
        return 0;
    if (!queue_.append(transaction))
        return 0;
    transaction->setTaskProcessor(this);
    // Even behind transactions that wait, this one may find an idle
    // processor.
    if (!timerArmed_)
        armTimer();
    return 1;
}

int CVXLTaskProcessor::removeTransaction(CVXLTransaction* transaction)
{
    if (!transaction || !queue_.remove(transaction))
        return 0;
    transaction->setTaskProcessor(nullptr);
    transaction->listener().transactionFinished(kResultCancelled);
    return 1;
}

void CVXLTaskProcessor::forgetTransaction(CVXLTransaction* transaction)
{
    if (transaction && queue_.remove(transaction))
        transaction->setTaskProcessor(nullptr);
}

// Due at the next step: no fixed interval holds the work back.
void CVXLTaskProcessor::armTimer()
{
    timerArmed_ = true;
    postDelayed(&dispatchEvent_, 0);
}

void CVXLTaskProcessor::childFinished(CVXLEventHandler* child)
{
    CVXLProcessor::childFinished(child);
    if (queue_.count() != 0 && processors_.count() != 0 && !timerArmed_)
        armTimer();
}

void CVXLTaskProcessor::onEvent(CVXLEvent* event)
{
    switch (event->effectiveCode()) {
    case kDispatchTimer: {
        // A pass that took nothing waits for a submission or a processor's
        // end instead of asking again.
        const bool handedOn = dispatch();
        finishEvent(event);
        timerArmed_ = handedOn && queue_.count() != 0 && processors_.count() != 0;
        if (timerArmed_)
            armTimer();
        return;
    }
    case kEventStop:
        processors_.clear();
        timerArmed_ = false;
        cancelEvent(&dispatchEvent_);
        cancelQueue();
        // Running processors are children: finishing the stop stops them,
        // and each tells its own listener.
        finishEvent(event);
        return;
    default:
        finishEvent(event);
        return;
    }
}

// The listeners may submit again; with the processor list already empty
// nothing new is queued.
void CVXLTaskProcessor::cancelQueue()
{
    while (const CVXLList::Node* node = queue_.head()) {
        CVXLTransaction* transaction = transactionOf(node);
        queue_.remove(transaction);
        transaction->setTaskProcessor(nullptr);
        transaction->listener().transactionFinished(kResultCancelled);
    }
}

CVXLProcessor* CVXLTaskProcessor::acceptingProcessor(CVXLTransaction* transaction) const
{
    for (const CVXLList::Node* node = processors_.head(); node; node = node->next) {
        auto* processor = static_cast<CVXLProcessor*>(node->object);
        // A processor still attached somewhere could not be started.
        if (!processor->parent() && processor->acceptsTransaction(transaction))
            return processor;
    }
    return nullptr;
}

bool CVXLTaskProcessor::dispatch()
{
    if (processors_.count() == 0 || queue_.count() == 0)
        return false;
    for (const CVXLList::Node* node = queue_.head(); node; node = node->next) {
        CVXLTransaction* transaction = transactionOf(node);
        CVXLProcessor* processor = acceptingProcessor(transaction);
        if (!processor)
            continue;
        queue_.remove(transaction);
        transaction->setProcessor(processor);
        if (!processor->beginTransaction(transaction)) {
            // Refused: the listener hears a failure rather than a processor
            // run that never took the transaction.
            transaction->setProcessor(nullptr);
            transaction->setTaskProcessor(nullptr);
            transaction->listener().transactionFinished(kResultTransactionFailed);
            return true;
        }
        startChild(processor);
        return true;
    }
    return false;
}
