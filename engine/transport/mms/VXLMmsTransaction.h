#pragma once

#include "engine/core/base/VXLString.h"
#include "engine/transport/mms/VXLPduRef.h"
#include "engine/transport/tasks/VXLTransaction.h"

#include <cstdint>

class CVXLEventHandler;

// Sends a request PDU to the MMS relay (or fetches a message by GET) and
// brings back the typed reply PDU.
class CVXLMmsTransaction : public CVXLTransaction {
public:
    explicit CVXLMmsTransaction(const CVXLTransactionListenerRef& listener);
    ~CVXLMmsTransaction() override;

    const CVXLPduRef& requestPdu() const { return requestPdu_; }
    void setRequestPdu(const CVXLPduRef& pdu) { requestPdu_ = pdu; }
    // Empty until the MMS processor sets it.
    CVXLPduRef replyPdu() const { return replyPdu_; }
    void setReplyPdu(const CVXLPduRef& pdu) { replyPdu_ = pdu; }
    // Kept for the submitter; no processor reads it.
    const CVXLString& text() const { return text_; }
    void setText(const CVXLString& text) { text_ = text; }
    const CVXLString& url() const { return url_; }
    void setUrl(const CVXLString& url) { url_ = url; }
    // The file that receives the HTTP reply body.
    const CVXLString& responseFileName() const { return responseFileName_; }
    void setResponseFileName(const CVXLString& name) { responseFileName_ = name; }
    // Handed on to each HTTP transaction made for this one; may be null.
    CVXLEventHandler* owner() const { return owner_; }
    void setOwner(CVXLEventHandler* owner) { owner_ = owner; }
    // The reply's announced length (a notification's message size), 0 when
    // none; handed on to the HTTP transaction.
    std::uint32_t expectedReplyLength() const { return expectedReplyLength_; }
    void setExpectedReplyLength(std::uint32_t length) { expectedReplyLength_ = length; }

private:
    CVXLPduRef requestPdu_;
    CVXLPduRef replyPdu_;
    CVXLString text_;
    CVXLString url_;
    CVXLString responseFileName_;
    CVXLEventHandler* owner_ = nullptr;
    std::uint32_t expectedReplyLength_ = 0;
};
