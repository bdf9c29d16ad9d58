#include "engine/transport/storage/VXLWriteStorageTransaction.h"

#include "engine/transport/tasks/VXLTransactionCodes.h"

CVXLWriteStorageTransaction::CVXLWriteStorageTransaction(const CVXLTransactionListenerRef& listener)
    : CVXLTransaction(CVXLString(kWriteStorageTransactionType), listener)
{
}

CVXLWriteStorageTransaction::~CVXLWriteStorageTransaction() = default;
