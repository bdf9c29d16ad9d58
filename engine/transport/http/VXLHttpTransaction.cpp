#include "engine/transport/http/VXLHttpTransaction.h"

#include "engine/transport/tasks/VXLTransactionCodes.h"

CVXLHttpTransaction::CVXLHttpTransaction(const CVXLTransactionListenerRef& listener)
    : CVXLTransaction(CVXLString(kHttpTransactionType), listener)
{
}

CVXLHttpTransaction::~CVXLHttpTransaction() = default;
