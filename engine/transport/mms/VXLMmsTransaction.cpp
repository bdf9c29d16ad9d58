#include "engine/transport/mms/VXLMmsTransaction.h"

#include "engine/transport/tasks/VXLTransactionCodes.h"

CVXLMmsTransaction::CVXLMmsTransaction(const CVXLTransactionListenerRef& listener)
    : CVXLTransaction(CVXLString(kMmsTransactionType), listener)
{
}

CVXLMmsTransaction::~CVXLMmsTransaction() = default;
