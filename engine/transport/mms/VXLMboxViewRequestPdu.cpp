#include "engine/transport/mms/VXLMboxViewRequestPdu.h"

CVXLMboxViewRequestPdu::CVXLMboxViewRequestPdu(const CVXLString& transactionId)
    : CVXLSimpleRequestPdu(kMmsMboxViewReq, transactionId)
{
}

CVXLMboxViewRequestPdu::~CVXLMboxViewRequestPdu() = default;
