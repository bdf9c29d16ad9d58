#pragma once

#include "engine/messaging/inbound/InboundJob.h"
#include "engine/messaging/store/VXLMessageHeaders.h"
#include "engine/messaging/store/VXLStoreRequests.h"

#include <cstdint>

// Opens one stored message (request 2): its parts from the store, or, from
// the network, its stored headers first (a charge must be accepted, then it
// leaves the headers), the whole message from the relay and then its parts.
class CInboundOpenJob : public CInboundJob {
public:
    explicit CInboundOpenJob(CVXLInboundMessageManager& manager);

    const char* name() const override { return "Inbound Open"; }

protected:
    void begin(CVXLEvent* request) override;
    void onReply(CVXLEvent* reply) override;
    void wholeStored(std::int32_t result, const CVXLString& text) override;

private:
    void onHeaders(CVXLEvent* reply);
    void onRewritten(CVXLEvent* reply);
    void askParts();

    CVXLString messageId_;
    CVXLMessageHeaders headers_;
    CStorePartsQuery partsQuery_;
    CStoreReadRequest headersRead_;
    CStoreSummaryRewriteRequest rewrite_;
};
