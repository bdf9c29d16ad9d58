#include "engine/transport/mms/VXLReceivedPduBase.h"

CVXLReceivedPduBase::CVXLReceivedPduBase(std::int32_t kind)
    : CVXLMmsPdu(kind)
{
    setPduKind(kind);
}

CVXLReceivedPduBase::CVXLReceivedPduBase(std::int32_t kind, const CVXLPduRef& decoded)
    : CVXLMmsPdu(kind)
{
    setPduKind(kind);
    if (decoded.get())
        adoptContent(*decoded.get());
}

CVXLReceivedPduBase::~CVXLReceivedPduBase() = default;
