#pragma once

#include "engine/transport/mime/VXLMessage.h"
#include "engine/transport/mms/VXLPduRef.h"
#include "engine/transport/tasks/VXLTransaction.h"
#include "engine/transport/tasks/VXLTransactionCodes.h"

// Decodes a binary MMS PDU into the result PDU. The input message's body
// entity holds the bytes, or names the file (data start and size) they lie
// in. The result PDU starts as a new empty CVXLMmsPdu; a submitter may put
// another empty PDU in its place before submitting.
class CVXLWspDecodeTransaction : public CVXLTransaction {
public:
    // typeName: "WSPDECODETRANSACTION", or "WSPDECODEMMBOXDESCTRANSACTION"
    // for an MMbox descriptor.
    explicit CVXLWspDecodeTransaction(
        const CVXLTransactionListenerRef& listener, const char* typeName = kWspDecodeTransactionType);
    ~CVXLWspDecodeTransaction() override;

    CVXLMessage& message() { return message_; }
    const CVXLMessage& message() const { return message_; }
    // Shares the other message's body and headers.
    void setMessage(const CVXLMessage& message) { message_.assign(message); }
    CVXLPduRef getPdu() const { return pdu_; }
    void setPdu(const CVXLPduRef& pdu) { pdu_ = pdu; }

private:
    CVXLMessage message_;
    CVXLPduRef pdu_;
};
