#include "engine/transport/mms/VXLReplyPdu.h"

CVXLReplyPdu::CVXLReplyPdu(std::int32_t kind, const CVXLPduRef& decoded)
    : CVXLReceivedPduBase(kind, decoded)
{
}

CVXLReplyPdu::~CVXLReplyPdu() = default;
