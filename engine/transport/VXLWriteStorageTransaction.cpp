#include "engine/transport/VXLWriteStorageTransaction.h"

#include "engine/transport/VXLTransactionCodes.h"

CVXLWriteStorageTransaction::CVXLWriteStorageTransaction(const CVXLTransactionListenerRef& listener)
    : CVXLTransaction(CVXLString(kWriteStorageTransactionType), listener)
{
}

CVXLWriteStorageTransaction::~CVXLWriteStorageTransaction() = default;
