#include "engine/transport/VXLWspEncodeTransaction.h"

#include "engine/transport/VXLTransactionCodes.h"

CVXLWspEncodeTransaction::CVXLWspEncodeTransaction(const CVXLTransactionListenerRef& listener)
    : CVXLTransaction(CVXLString(kWspEncodeTransactionType), listener)
{
}

CVXLWspEncodeTransaction::~CVXLWspEncodeTransaction() = default;
