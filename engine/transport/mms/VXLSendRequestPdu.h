#pragma once

#include "engine/transport/mms/VXLOriginatingPdu.h"

// m-send-req (kind 1) or m-forward-req (kind 11).
class CVXLSendRequestPdu : public CVXLOriginatingPdu {
public:
    CVXLSendRequestPdu(std::int32_t kind, const CVXLString& transactionId);
    ~CVXLSendRequestPdu() override;
};
