#pragma once

#include "engine/messaging/store/MessageStoreManager.h"

#include <cstdint>

class CVXLClient;

// The message store's view of the settings: item 45, the counters and
// the calendar clock.
class CVXLClientMessageStoreFace : public CMessageStoreManager::Services {
public:
    explicit CVXLClientMessageStoreFace(CVXLClient* client)
        : client_(client)
    {
    }
    std::uint32_t messageLimit() override;
    void setCounter(const char* key, std::uint32_t value) override;
    void setHasNewMessages() override;
    std::uint32_t nowSeconds() override;

private:
    CVXLClient* client_;
};
