#pragma once

#include "engine/transport/mms/VXLReceivedPduBase.h"

// A relay's reply or pushed report typed from a decoded PDU: m-send-conf,
// m-forward-conf, m-mbox-store-conf, m-mbox-delete-conf, m-delivery-ind,
// m-read-orig-ind.
class CVXLReplyPdu : public CVXLReceivedPduBase {
public:
    CVXLReplyPdu(std::int32_t kind, const CVXLPduRef& decoded);
    ~CVXLReplyPdu() override;
};
