#pragma once

#include "engine/core/base/VXLObject.h"
#include "engine/core/base/VXLString.h"
#include "engine/transport/tasks/VXLTransactionListenerRef.h"

#include <cstdint>

class CVXLProcessor;
class CVXLTaskProcessor;

// One piece of codec or transport work: named by its type name, numbered
// from a process-wide counter (the first transaction is 1), and reported to
// its listener once, with one result code. The one that builds a
// transaction owns it; the task processor and the processors never delete
// one. Typed transactions add their inputs and outputs.
class CVXLTransaction : public CVXLObject {
public:
    CVXLTransaction(const CVXLString& typeName, const CVXLTransactionListenerRef& listener);
    // A transaction destroyed while queued or running is forgotten by the
    // task processor or its processor, and its listener is not told.
    ~CVXLTransaction() override;
    CVXLTransaction(const CVXLTransaction&) = delete;
    CVXLTransaction& operator=(const CVXLTransaction&) = delete;

    const CVXLString& typeName() const { return typeName_; }
    std::int32_t sequenceNumber() const { return sequenceNumber_; }
    const CVXLTransactionListenerRef& listener() const { return listener_; }

    CVXLProcessor* processor() const { return processor_; }
    void setProcessor(CVXLProcessor* processor) { processor_ = processor; }
    CVXLTaskProcessor* taskProcessor() const { return taskProcessor_; }
    void setTaskProcessor(CVXLTaskProcessor* taskProcessor) { taskProcessor_ = taskProcessor; }

    // A running transaction is cancelled through its processor, which
    // reports 24 in its own time; a queued one leaves the queue and its
    // listener hears 24 before cancel returns; otherwise nothing happens.
    void cancel();

private:
    CVXLTransactionListenerRef listener_;
    std::int32_t sequenceNumber_;
    CVXLString typeName_;
    CVXLProcessor* processor_ = nullptr;
    CVXLTaskProcessor* taskProcessor_ = nullptr;
};
