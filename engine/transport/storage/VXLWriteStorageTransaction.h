#pragma once

#include "engine/core/base/VXLByteBuffer.h"
#include "engine/transport/storage/VXLStorageRef.h"
#include "engine/transport/tasks/VXLTransaction.h"

// Streams a buffer into a stored object ("CVXLWriteStorageTransaction").
class CVXLWriteStorageTransaction : public CVXLTransaction {
public:
    explicit CVXLWriteStorageTransaction(const CVXLTransactionListenerRef& listener);
    ~CVXLWriteStorageTransaction() override;

    const CVXLStorageRef& storage() const { return storage_; }
    void setStorage(const CVXLStorageRef& storage) { storage_ = storage; }
    const CVXLByteBuffer& bytes() const { return bytes_; }
    void setBytes(const CVXLByteBuffer& bytes) { bytes_ = bytes; }

private:
    CVXLStorageRef storage_;
    CVXLByteBuffer bytes_;
};
