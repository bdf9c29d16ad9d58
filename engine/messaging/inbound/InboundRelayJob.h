#pragma once

#include "engine/messaging/inbound/InboundJob.h"
#include "engine/messaging/store/VXLStoreRequests.h"

#include <cstdint>

// An operation on one stored message: forwarding it from the relay (request
// 4), saving it into the relay's Personal Folder (request 7) or deleting it
// (request 0x8000037): a relay folder's message at the relay, any other in
// the store. The stored headers give the relay's location first.
class CInboundRelayJob : public CInboundJob {
public:
    enum Operation { kForward, kSave, kDelete };

    CInboundRelayJob(CVXLInboundMessageManager& manager, Operation operation);

    const char* name() const override;

protected:
    void begin(CVXLEvent* request) override;
    void onStep(std::int32_t step, std::int32_t result) override;
    void onReply(CVXLEvent* reply) override;

private:
    void onHeaders(CVXLEvent* reply);

    Operation operation_;
    CStoreReadRequest headersRead_;
    CStoreDeleteRequest deleteRequest_;
};
