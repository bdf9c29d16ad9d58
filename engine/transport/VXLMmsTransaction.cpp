#include "engine/transport/VXLMmsTransaction.h"

#include "engine/transport/VXLTransactionCodes.h"

CVXLMmsTransaction::CVXLMmsTransaction(const CVXLTransactionListenerRef& listener)
    : CVXLTransaction(CVXLString(kMmsTransactionType), listener)
{
}

CVXLMmsTransaction::~CVXLMmsTransaction() = default;
