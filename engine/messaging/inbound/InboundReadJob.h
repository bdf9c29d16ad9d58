#pragma once

#include "engine/messaging/inbound/InboundJob.h"
#include "engine/messaging/store/VXLStoreRequests.h"

#include <cstdint>

// Reads the parts of one stored message into the caller's media items
// (request 3, kinds 0, 1, 2 and 4); a body not stored yet is fetched from
// the relay first, then read again from the first part.
class CInboundReadJob : public CInboundJob {
public:
    explicit CInboundReadJob(CVXLInboundMessageManager& manager);

    const char* name() const override { return "Inbound Read"; }

protected:
    void begin(CVXLEvent* request) override;
    void onReply(CVXLEvent* reply) override;
    void wholeStored(std::int32_t result, const CVXLString& text) override;

private:
    void readNextPart();

    CStoreReadRequest partRead_;
    std::uint32_t partIndex_ = 0;
    // The body has been fetched for this request: a second miss fails.
    bool fetched_ = false;
};
