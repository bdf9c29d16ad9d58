#pragma once

#include "engine/transport/mime/VXLMessage.h"
#include "engine/transport/mms/VXLPduRef.h"
#include "engine/transport/tasks/VXLTransaction.h"

// Decodes a PDU that arrived by WAP push (the input message's body holds
// its bytes) into the typed pushed PDU.
class CVXLMmsSmsTransaction : public CVXLTransaction {
public:
    explicit CVXLMmsSmsTransaction(const CVXLTransactionListenerRef& listener);
    ~CVXLMmsSmsTransaction() override;

    CVXLMessage& message() { return message_; }
    const CVXLMessage& message() const { return message_; }
    // Shares the other message's body and headers.
    void setMessage(const CVXLMessage& message) { message_.assign(message); }
    // Empty until decoded.
    CVXLPduRef getPdu() const { return pdu_; }
    void setPdu(const CVXLPduRef& pdu) { pdu_ = pdu; }

private:
    CVXLMessage message_;
    CVXLPduRef pdu_;
};
