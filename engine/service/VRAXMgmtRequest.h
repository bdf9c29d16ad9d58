#pragma once

#include "engine/service/VRAXRequest.h"

// "mgmt-req": registration, with what the client supports and the
// "validate" identity.
class CVRAXMgmtRequest : public CVRAXRequest {
public:
    using CVRAXRequest::CVRAXRequest;

    void writeBody() override;
};
