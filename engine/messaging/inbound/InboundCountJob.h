#pragma once

#include "engine/messaging/inbound/InboundJob.h"
#include "engine/messaging/store/VXLStoreRequests.h"

#include <cstdint>

// Counts a box (request 1): the inbox and the premium box from the store,
// the relay's folders from the totals of a view of no messages.
class CInboundCountJob : public CInboundJob {
public:
    explicit CInboundCountJob(CVXLInboundMessageManager& manager);

    const char* name() const override { return "Inbound Count"; }

protected:
    void begin(CVXLEvent* request) override;
    void onStep(std::int32_t step, std::int32_t result) override;
    void onReply(CVXLEvent* reply) override;

private:
    CStoreCountQuery countQuery_;
};
