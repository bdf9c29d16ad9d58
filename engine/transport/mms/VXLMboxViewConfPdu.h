#pragma once

#include "engine/transport/mms/VXLMmsPdu.h"

// m-mbox-view-conf: takes the decoded message's headers and body, and the
// decoded message lets go of its body.
class CVXLMboxViewConfPdu : public CVXLMmsPdu {
public:
    explicit CVXLMboxViewConfPdu(CVXLMmsPdu& decoded);
    ~CVXLMboxViewConfPdu() override;
};
