#include "engine/transport/VXLMmsSmsTransaction.h"

#include "engine/transport/VXLTransactionCodes.h"

CVXLMmsSmsTransaction::CVXLMmsSmsTransaction(const CVXLTransactionListenerRef& listener)
    : CVXLTransaction(CVXLString(kMmsSmsTransactionType), listener)
{
}

CVXLMmsSmsTransaction::~CVXLMmsSmsTransaction() = default;
