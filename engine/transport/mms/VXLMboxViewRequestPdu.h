#pragma once

#include "engine/transport/mms/VXLSimpleRequestPdu.h"

// m-mbox-view-req; its selection fields are added with the PDU's setters.
class CVXLMboxViewRequestPdu : public CVXLSimpleRequestPdu {
public:
    explicit CVXLMboxViewRequestPdu(const CVXLString& transactionId);
    ~CVXLMboxViewRequestPdu() override;
};
