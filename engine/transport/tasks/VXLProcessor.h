#pragma once

#include "engine/core/base/VXLString.h"
#include "engine/core/jobs/VXLEventHandler.h"
#include "engine/core/jobs/VXLPlainEvent.h"
#include "engine/transport/tasks/VXLTransactionCodes.h"
#include "engine/transport/tasks/VXLTransactionListenerRef.h"

#include <cstdint>

class CVXLTransaction;

// The base of every processor and of the task processor. A processor runs
// one transaction at a time as a child job of the task processor:
// acceptsTransaction (idle and a type name it runs), beginTransaction (takes
// the transaction over), init and the start event (the work), then finish
// (the result, and the processor's own stop). When the stop has completed
// the job framework calls onFinished, which tells the listener: 24 when the
// transaction was cancelled or the processor was stopped from outside,
// otherwise the stored result.
class CVXLProcessor : public CVXLEventHandler {
public:
    CVXLProcessor();
    ~CVXLProcessor() override;

    // Processors mark themselves busy here and clear what the last
    // transaction left.
    void init() override;
    // Handles the cancel event; finishes every other event.
    void onEvent(CVXLEvent* event) override;
    // Calls finishTransaction.
    std::int32_t onFinished() override;
    const char* name() const override;

    // Takes the transaction over before the processor is started: 1, or 0
    // when it refuses it.
    virtual int beginTransaction(CVXLTransaction* transaction) = 0;
    // True when the processor is idle and runs the transaction's type.
    virtual bool acceptsTransaction(CVXLTransaction* transaction) = 0;
    // Posts the cancel event (kEventCancelTransaction) to itself.
    virtual void cancelTransaction();
    // The transaction is going away: its listener is not to be told, and
    // the work stops.
    virtual void forgetTransaction(CVXLTransaction* transaction);

    const CVXLString& processorName() const { return processorName_; }
    bool isBusy() const { return busy_; }

protected:
    // Tells the listener and makes the processor idle. Processors release
    // their own state first, then call this.
    virtual void finishTransaction();
    // The cancel event: marks the transaction cancelled and stops at once.
    virtual void onCancel();

    // Keeps the transaction being begun and a copy of its listener.
    void takeTransaction(CVXLTransaction* transaction);
    CVXLTransaction* transaction() const { return transaction_; }
    // Stores the result and requests the own stop.
    void finish(std::int32_t result);
    bool cancelled() const { return cancelled_; }
    void setProcessorName(const CVXLString& name) { processorName_ = name; }

private:
    CVXLString processorName_;
    CVXLPlainEvent cancelEvent_ {kEventCancelTransaction};
    CVXLTransaction* transaction_ = nullptr;
    CVXLTransactionListenerRef listener_;
    std::int32_t result_ = 0;
    bool busy_ = false;
    bool cancelled_ = false;
    bool finished_ = false;
};
