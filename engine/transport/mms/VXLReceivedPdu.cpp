#include "engine/transport/mms/VXLReceivedPdu.h"

CVXLReceivedPdu::CVXLReceivedPdu(std::int32_t kind)
    : CVXLReceivedPduBase(kind)
{
}

CVXLReceivedPdu::CVXLReceivedPdu(std::int32_t kind, const CVXLPduRef& decoded)
    : CVXLReceivedPduBase(kind, decoded)
{
}

CVXLReceivedPdu::~CVXLReceivedPdu() = default;
