#include "engine/transport/mms/VXLMmsSmsTransaction.h"

#include "engine/transport/tasks/VXLTransactionCodes.h"

CVXLMmsSmsTransaction::CVXLMmsSmsTransaction(const CVXLTransactionListenerRef& listener)
    : CVXLTransaction(CVXLString(kMmsSmsTransactionType), listener)
{
}

CVXLMmsSmsTransaction::~CVXLMmsSmsTransaction() = default;
