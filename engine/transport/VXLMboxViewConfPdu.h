#pragma once

#include "engine/transport/VXLMmsPdu.h"

// m-mbox-view-conf: takes the decoded message's headers and body, and the
// decoded message lets go of its body.
class CVXLMboxViewConfPdu : public CVXLMmsPdu {
public:
    explicit CVXLMboxViewConfPdu(CVXLMessage& decoded);
    ~CVXLMboxViewConfPdu() override;
};
