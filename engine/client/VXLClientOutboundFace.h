#pragma once

#include "engine/messaging/outbound/OutboundQueueManager.h"

#include <cstdint>

class CVXLClient;

// What the outbound queue reads of the Client.
class CVXLClientOutboundFace : public COutboundQueueManager::Services {
public:
    explicit CVXLClientOutboundFace(CVXLClient* client)
        : client_(client)
    {
    }
    std::uint32_t nowSeconds() override;
    bool dataCommAllowed() override;
    bool hasNoActivity() override;
    CVXLString ownNumber() override;
    bool deleteSentMessages() override;
    void pushUIRequestCode(std::int32_t code) override;
    CVXLCounterTable* counters() override;

private:
    CVXLClient* client_;
};
