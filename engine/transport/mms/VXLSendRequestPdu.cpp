#include "engine/transport/mms/VXLSendRequestPdu.h"

CVXLSendRequestPdu::CVXLSendRequestPdu(std::int32_t kind, const CVXLString& transactionId)
    : CVXLOriginatingPdu(kind, transactionId)
{
}

CVXLSendRequestPdu::~CVXLSendRequestPdu() = default;
