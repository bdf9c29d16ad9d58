#pragma once

#include "engine/core/base/VXLList.h"
#include "engine/core/jobs/VXLPlainEvent.h"
#include "engine/transport/tasks/VXLProcessor.h"

#include <cstdint>

// Keeps the submitted transactions in a queue and the registered
// processors in a list. A dispatch pass hands the first queued transaction
// that an idle processor accepts to the first such processor (registration
// order), which then runs as its child job: one transaction per pass at
// most, one pass per step of the tree. A pass runs at the next step after a
// submission to an empty queue, after a pass that handed one on while more
// wait, and after a processor ends; a transaction nobody takes stays queued
// and is offered again then. Nothing is timed: a queue that no processor can
// take arms nothing, so the engine sleeps until something changes.
class CVXLTaskProcessor : public CVXLProcessor {
public:
    CVXLTaskProcessor();
    ~CVXLTaskProcessor() override;

    void init() override;
    void onEvent(CVXLEvent* event) override;
    const char* name() const override;
    int beginTransaction(CVXLTransaction* transaction) override;
    bool acceptsTransaction(CVXLTransaction* transaction) override;
    // Takes a queued transaction out of the queue and tells its listener 24:
    // 1, or 0 when it is not queued.
    virtual int removeTransaction(CVXLTransaction* transaction);

    void registerProcessor(CVXLProcessor* processor);
    // 1 when queued; 0 when no processor is registered, or the transaction
    // is already queued or running.
    int addTransaction(CVXLTransaction* transaction);
    // A queued transaction that is going away leaves the queue unreported.
    void forgetTransaction(CVXLTransaction* transaction) override;
    // A processor that ended may take what waits.
    void childFinished(CVXLEventHandler* child) override;

    std::uint32_t queuedCount() const { return queue_.count(); }
    std::uint32_t processorCount() const { return processors_.count(); }
    bool timerArmed() const { return timerArmed_; }

protected:
    void finishTransaction() override;

private:
    // True when a transaction was handed on or refused.
    bool dispatch();
    CVXLProcessor* acceptingProcessor(CVXLTransaction* transaction) const;
    void armTimer();
    void cancelQueue();

    CVXLList queue_;
    CVXLList processors_;
    CVXLPlainEvent dispatchEvent_ {0};
    bool timerArmed_ = false;
};
