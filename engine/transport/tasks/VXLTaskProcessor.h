#pragma once

#include "engine/core/base/VXLList.h"
#include "engine/core/jobs/VXLPlainEvent.h"
#include "engine/transport/tasks/VXLProcessor.h"

#include <cstdint>

// Keeps the submitted transactions in a queue and the registered
// processors in a list. Every 200 ms, while there is work, it hands the
// first queued transaction that an idle processor accepts to the first such
// processor (registration order), which then runs as its child job: one
// transaction per tick at most. A transaction nobody takes stays queued and
// is offered again at the next tick.
class CVXLTaskProcessor : public CVXLProcessor {
public:
    static constexpr std::uint32_t kDispatchIntervalMs = 200;

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

    std::uint32_t queuedCount() const { return queue_.count(); }
    std::uint32_t processorCount() const { return processors_.count(); }
    bool timerArmed() const { return timerArmed_; }

protected:
    void finishTransaction() override;

private:
    void dispatch();
    CVXLProcessor* acceptingProcessor(CVXLTransaction* transaction) const;
    void armTimer();
    void cancelQueue();

    CVXLList queue_;
    CVXLList processors_;
    CVXLPlainEvent dispatchEvent_ {0};
    bool timerArmed_ = false;
};
