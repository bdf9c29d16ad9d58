#include "engine/transport/mms/VXLMboxViewConfPdu.h"

CVXLMboxViewConfPdu::CVXLMboxViewConfPdu(CVXLMmsPdu& decoded)
    : CVXLMmsPdu(kMmsMboxViewConf)
{
    setPduKind(kMmsMboxViewConf);
    adoptContent(decoded);
    decoded.setBody(CVXLEntityRef());
}

CVXLMboxViewConfPdu::~CVXLMboxViewConfPdu() = default;
