#include "engine/transport/mms/VXLSimpleRequestPdu.h"

#include "engine/transport/mms/VXLWspTables.h"

CVXLSimpleRequestPdu::CVXLSimpleRequestPdu(std::int32_t kind, const CVXLString& transactionId)
    : CVXLMmsPdu(kind)
{
    setPduKind(kind);
    setHeader(kMmsFieldMessageType, CVXLString(kind));
    if (kind == kMmsRetrieve)
        return;
    setHeader(kMmsFieldTransactionId, transactionId);
    setHeader(kMmsFieldMmsVersion, CVXLString("0"));
}

CVXLSimpleRequestPdu::~CVXLSimpleRequestPdu() = default;
