#include "engine/transport/mms/VXLMboxViewConfPdu.h"

CVXLMboxViewConfPdu::CVXLMboxViewConfPdu(CVXLMessage& decoded) : CVXLMmsPdu(kMmsMboxViewConf)
{
    setPduKind(kMmsMboxViewConf);
    adoptContent(decoded);
    decoded.setBody(CVXLEntityRef());
}

CVXLMboxViewConfPdu::~CVXLMboxViewConfPdu() = default;
