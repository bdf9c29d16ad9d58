#pragma once

#include "engine/messaging/push/WapPushQueue.h"

#include <cstdint>

class CVXLClient;

// What the push queue reads of the Client.
class CVXLClientPushQueueFace : public CWapPushQueue::Services {
public:
    explicit CVXLClientPushQueueFace(CVXLClient* client)
        : client_(client)
    {
    }
    std::uint32_t uncleanShutdowns() override;
    void pushWaiting() override;
    void queueStored(bool stored) override;

private:
    CVXLClient* client_;
};
