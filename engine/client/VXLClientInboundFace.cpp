#include "engine/client/VXLClientInboundFace.h"

#include "engine/client/VXLClient.h"
#include "engine/core/jobs/VXLCounterTable.h"

CVXLString CVXLClientInboundFace::relayUrl()
{
    CVXLString text;
    client_->settings_.getConfigString(kCfgMmscUri, &text);
    return text;
}

CVXLString CVXLClientInboundFace::userId()
{
    CVXLString text;
    client_->settings_.getConfigString(kCfgUserIdentity, &text);
    return text;
}

std::uint32_t CVXLClientInboundFace::nowSeconds()
{
    return client_->currentTime();
}

void CVXLClientInboundFace::pushUIRequestCode(std::int32_t code)
{
    client_->pushUIRequestCode(code);
}

void CVXLClientInboundFace::processPendingPush()
{
    client_->processPendingPush();
}

void CVXLClientInboundFace::setStage(std::uint32_t stage)
{
    client_->counters_.set(kCounterNotificationStage, static_cast<std::int32_t>(stage));
}
