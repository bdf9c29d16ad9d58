#pragma once

#include "engine/messaging/inbound/VXLInboundMessageManager.h"

#include <cstdint>

class CVXLClient;

// The Client's services to the inbound message manager.
class CVXLClientInboundFace : public CInboundServices {
public:
    explicit CVXLClientInboundFace(CVXLClient* client)
        : client_(client)
    {
    }
    CVXLString relayUrl() override;
    CVXLString userId() override;
    std::uint32_t nowSeconds() override;
    void pushUIRequestCode(std::int32_t code) override;
    void processPendingPush() override;
    void setStage(std::uint32_t stage) override;

private:
    CVXLClient* client_;
};
