#include "engine/transport/mms/VXLOriginatingPdu.h"

#include "engine/transport/mms/VXLWspTables.h"

CVXLOriginatingPdu::CVXLOriginatingPdu(std::int32_t kind, const CVXLString& transactionId)
    : CVXLMmsPdu(kind)
{
    setPduKind(kind);
    setHeader(kMmsFieldMessageType, CVXLString(kind));
    if (transactionId.length())
        setHeader(
            kMmsFieldTransactionId, transactionId.isNumeric() ? "QV-MMS-" + transactionId : transactionId);
    setHeader(kMmsFieldMmsVersion, CVXLString("0"));
}

CVXLOriginatingPdu::~CVXLOriginatingPdu() = default;
