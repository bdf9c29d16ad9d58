#pragma once

#include "engine/transport/mms/VXLReceivedPduBase.h"

// m-notification-ind, m-retrieve-conf or m-mbox-descr.
class CVXLReceivedPdu : public CVXLReceivedPduBase {
public:
    explicit CVXLReceivedPdu(std::int32_t kind);
    CVXLReceivedPdu(std::int32_t kind, const CVXLPduRef& decoded);
    ~CVXLReceivedPdu() override;
};
