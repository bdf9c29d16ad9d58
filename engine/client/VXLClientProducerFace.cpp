#include "engine/client/VXLClientProducerFace.h"

#include "engine/client/VXLClient.h"

CVXLCounterTable& CVXLClientProducerFace::counters()
{
    return client_->counters_;
}

void CVXLClientProducerFace::queueReturnToMenu(std::int32_t value)
{
    client_->queueReturnToMenu(value);
}

void CVXLClientProducerFace::queueReturnToIdle()
{
    client_->queueReturnToIdle();
}

void CVXLClientProducerFace::queuePushPayloadNotice()
{
    client_->pendingCodes_.push(kUIRequestPushPayload);
}

void CVXLClientProducerFace::clearResultHandlers()
{
    client_->resultHandlers_.clear();
}

void CVXLClientProducerFace::releaseUiJobPool()
{
    client_->releaseUiJobPool();
}

void CVXLClientProducerFace::pushStep()
{
    client_->processPendingPush();
}
