#include "engine/client/VXLClientPushQueueFace.h"

#include "engine/client/VXLClient.h"
#include "engine/core/settings/VXLPersKeys.h"

std::uint32_t CVXLClientPushQueueFace::uncleanShutdowns()
{
    CVXLString text;
    client_->settings_.getPersistentString(kPersShutdownFailCount, &text);
    return text.isNumeric() ? static_cast<std::uint32_t>(text.toInt(10)) : 0;
}

// Run as the Client's own event, after the queue's step has ended.
void CVXLClientPushQueueFace::pushWaiting()
{
    auto* step = new CVXLSimpleEvent(CVXLClient::kEventPushStep);
    if (step)
        client_->post(client_, step);
}

// A failed save is tried again with the push timer; the pushes it took stay
// handed on meanwhile, from memory.
void CVXLClientPushQueueFace::queueStored(bool stored)
{
    client_->pushesStored_ = stored;
    if (!stored)
        client_->armPushTimer(CVXLClient::kPushRetryMs);
}
