#include "engine/transport/VXLHttpTransaction.h"

#include "engine/transport/VXLTransactionCodes.h"

CVXLHttpTransaction::CVXLHttpTransaction(const CVXLTransactionListenerRef& listener)
    : CVXLTransaction(CVXLString(kHttpTransactionType), listener)
{
}

CVXLHttpTransaction::~CVXLHttpTransaction() = default;
