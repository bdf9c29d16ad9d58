#include "engine/transport/mms/VXLWspDecodeTransaction.h"

#include "engine/transport/mms/VXLMmsPdu.h"

CVXLWspDecodeTransaction::CVXLWspDecodeTransaction(
    const CVXLTransactionListenerRef& listener, const char* typeName)
    : CVXLTransaction(CVXLString(typeName), listener)
    , pdu_(new CVXLMmsPdu)
{
}

CVXLWspDecodeTransaction::~CVXLWspDecodeTransaction() = default;
