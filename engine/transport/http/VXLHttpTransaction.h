#pragma once

#include "engine/core/base/VXLString.h"
#include "engine/transport/mime/VXLMessage.h"
#include "engine/transport/tasks/VXLTransaction.h"

#include <cstdint>

class CVXLEventHandler;

// One HTTP exchange: the request message's headers (and, for POST, its body
// entity) go out; the response message's body entity names the file that
// receives the reply body, and on completion the message also holds the
// reply headers.
class CVXLHttpTransaction : public CVXLTransaction {
public:
    enum Method : std::int32_t { kMethodPost = 1, kMethodGet = 2 };

    explicit CVXLHttpTransaction(const CVXLTransactionListenerRef& listener);
    ~CVXLHttpTransaction() override;

    CVXLMessage& requestMessage() { return request_; }
    const CVXLMessage& requestMessage() const { return request_; }
    void setRequestMessage(const CVXLMessage& message) { request_.assign(message); }
    CVXLMessage& responseMessage() { return response_; }
    const CVXLMessage& responseMessage() const { return response_; }
    void setResponseMessage(const CVXLMessage& message) { response_.assign(message); }
    const CVXLString& url() const { return url_; }
    void setUrl(const CVXLString& url) { url_ = url; }
    std::int32_t method() const { return method_; }
    void setMethod(std::int32_t method) { method_ = method; }
    // May be null.
    CVXLEventHandler* owner() const { return owner_; }
    void setOwner(CVXLEventHandler* owner) { owner_ = owner; }
    // The reply's announced length (0 none): the exchange's total bound
    // grows with it.
    std::uint32_t expectedReplyLength() const { return expectedReplyLength_; }
    void setExpectedReplyLength(std::uint32_t length) { expectedReplyLength_ = length; }

private:
    CVXLMessage request_;
    CVXLMessage response_;
    CVXLString url_;
    std::int32_t method_ = 0;
    CVXLEventHandler* owner_ = nullptr;
    std::uint32_t expectedReplyLength_ = 0;
};
