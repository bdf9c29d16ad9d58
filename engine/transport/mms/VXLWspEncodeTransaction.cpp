#include "engine/transport/mms/VXLWspEncodeTransaction.h"

#include "engine/transport/tasks/VXLTransactionCodes.h"

CVXLWspEncodeTransaction::CVXLWspEncodeTransaction(const CVXLTransactionListenerRef& listener)
    : CVXLTransaction(CVXLString(kWspEncodeTransactionType), listener)
{
}

CVXLWspEncodeTransaction::~CVXLWspEncodeTransaction() = default;
