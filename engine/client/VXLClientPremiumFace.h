#pragma once

#include "engine/messaging/premium/PremiumInboxManager.h"
#include "engine/messaging/store/MessageExpirationJob.h"

#include <cstdint>

class CVXLClient;

// The premium inbox's and the expiration job's view of the Client.
class CVXLClientPremiumFace : public CPremiumInboxManager::Services, public CMessageExpirationJob::Services {
public:
    explicit CVXLClientPremiumFace(CVXLClient* client)
        : client_(client)
    {
    }
    std::uint32_t nowSeconds() override;
    std::int32_t orderingMode() override;
    CVXLString engineText(std::uint32_t id) override;
    bool producerIdle() override;

private:
    CVXLClient* client_;
};
