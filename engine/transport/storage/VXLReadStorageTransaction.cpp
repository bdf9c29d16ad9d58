#include "engine/transport/storage/VXLReadStorageTransaction.h"

#include "engine/transport/tasks/VXLTransactionCodes.h"

CVXLReadStorageTransaction::CVXLReadStorageTransaction(const CVXLTransactionListenerRef& listener)
    : CVXLTransaction(CVXLString(kReadStorageTransactionType), listener)
{
}

CVXLReadStorageTransaction::~CVXLReadStorageTransaction() = default;
