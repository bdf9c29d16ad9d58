#pragma once

#include "engine/transport/mms/VXLMmsPdu.h"

// The requests made of a message type, a transaction id and the version:
// m-notifyresp-ind, m-mbox-store-req, m-mbox-delete-req; and the plain
// retrieve, which holds the message type alone.
class CVXLSimpleRequestPdu : public CVXLMmsPdu {
public:
    CVXLSimpleRequestPdu(std::int32_t kind, const CVXLString& transactionId);
    ~CVXLSimpleRequestPdu() override;
};
