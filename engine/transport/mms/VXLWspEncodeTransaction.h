#pragma once

#include "engine/transport/mime/VXLEntityRef.h"
#include "engine/transport/mms/VXLPduRef.h"
#include "engine/transport/tasks/VXLTransaction.h"

// Encodes one MMS PDU into the binary MMS encapsulation; the output entity
// holds the bytes in its body buffer.
class CVXLWspEncodeTransaction : public CVXLTransaction {
public:
    explicit CVXLWspEncodeTransaction(const CVXLTransactionListenerRef& listener);
    ~CVXLWspEncodeTransaction() override;

    const CVXLPduRef& pdu() const { return pdu_; }
    void setPdu(const CVXLPduRef& pdu) { pdu_ = pdu; }
    // Empty until the encoding succeeded.
    const CVXLEntityRef& output() const { return output_; }
    void setOutput(const CVXLEntityRef& output) { output_ = output; }

private:
    CVXLPduRef pdu_;
    CVXLEntityRef output_;
};
