#pragma once

#include "engine/client/program/Producer.h"

#include <cstdint>

class CVXLClient;

// The Client's services to the Producer.
class CVXLClientProducerFace : public CProducer::Services {
public:
    explicit CVXLClientProducerFace(CVXLClient* client)
        : client_(client)
    {
    }
    CVXLCounterTable& counters() override;
    void queueReturnToMenu(std::int32_t value) override;
    void queueReturnToIdle() override;
    void queuePushPayloadNotice() override;
    void clearResultHandlers() override;
    void releaseUiJobPool() override;
    void pushStep() override;

private:
    CVXLClient* client_;
};
