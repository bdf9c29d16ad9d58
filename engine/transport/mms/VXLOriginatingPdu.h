#pragma once

#include "engine/transport/mms/VXLMmsPdu.h"

// A PDU that originates a message (m-send-req, m-forward-req): the message
// type, the transaction id ("QV-MMS-" and the id when the id is a number)
// and the version.
class CVXLOriginatingPdu : public CVXLMmsPdu {
public:
    CVXLOriginatingPdu(std::int32_t kind, const CVXLString& transactionId);
    ~CVXLOriginatingPdu() override;
};
