#include "engine/transport/VXLReadStorageTransaction.h"

#include "engine/transport/VXLTransactionCodes.h"

CVXLReadStorageTransaction::CVXLReadStorageTransaction(const CVXLTransactionListenerRef& listener)
    : CVXLTransaction(CVXLString(kReadStorageTransactionType), listener)
{
}

CVXLReadStorageTransaction::~CVXLReadStorageTransaction() = default;
