#pragma once

#include "engine/core/base/VXLHeaderMap.h"
#include "engine/messaging/inbound/InboundJob.h"
#include "engine/messaging/store/VXLStoreRequests.h"
#include "engine/transport/mime/VXLEntityRef.h"

#include <cstdint>
#include <vector>

// Sends a stored message as an MMS (request 5, from the outbound sender):
// its parts are read from the store into the multipart body of an
// m-send-req, which goes to the relay.
class CInboundSendJob : public CInboundJob {
public:
    explicit CInboundSendJob(CVXLInboundMessageManager& manager);

    const char* name() const override { return "Inbound Send"; }

protected:
    void begin(CVXLEvent* request) override;
    void onStep(std::int32_t step, std::int32_t result) override;
    void onReply(CVXLEvent* reply) override;
    void dropSteps() override { body_.reset(); }

private:
    void onPartsOpened(CVXLEvent* reply);
    void readNextPart();
    void onPartRead(CVXLEvent* reply);
    void fail(std::int32_t result, const CVXLString& text = CVXLString());

    std::vector<CVXLHeaderMap> parts_;
    std::uint32_t partIndex_ = 0;
    std::uint32_t partCount_ = 0;
    CVXLEntityRef body_;
    CStorePartsQuery partsQuery_;
    CStoreReadRequest partRead_;
};
