#pragma once

#include "engine/transport/storage/VXLStorageRef.h"
#include "engine/transport/tasks/VXLTransaction.h"

class CVXLStorageSink;

// Streams a stored object into a sink ("CVXLReadStorageTransaction").
class CVXLReadStorageTransaction : public CVXLTransaction {
public:
    explicit CVXLReadStorageTransaction(const CVXLTransactionListenerRef& listener);
    ~CVXLReadStorageTransaction() override;

    const CVXLStorageRef& storage() const { return storage_; }
    void setStorage(const CVXLStorageRef& storage) { storage_ = storage; }
    // Not owned.
    CVXLStorageSink* sink() const { return sink_; }
    void setSink(CVXLStorageSink* sink) { sink_ = sink; }

private:
    CVXLStorageRef storage_;
    CVXLStorageSink* sink_ = nullptr;
};
