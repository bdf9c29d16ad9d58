#pragma once

#include "engine/service/VRAXMessageXferRequest.h"

// "mm-msg-xfer" of a queued outbound item: its priority and every stored
// field, empty ones included.
class CVRAXQueuedMessageRequest : public CVRAXMessageXferRequest {
public:
    using CVRAXMessageXferRequest::CVRAXMessageXferRequest;

    void writeBody() override;

protected:
    void writeFieldValues(const CVRAXMessageRecord::Field& field) override;
};
