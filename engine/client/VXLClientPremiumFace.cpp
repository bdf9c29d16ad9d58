#include "engine/client/VXLClientPremiumFace.h"

#include "engine/client/VXLClient.h"
#include "engine/client/VXLTextTable.h"

std::uint32_t CVXLClientPremiumFace::nowSeconds()
{
    return client_->currentTime();
}

std::int32_t CVXLClientPremiumFace::orderingMode()
{
    return static_cast<std::int32_t>(client_->settings_.getConfigNumber(kCfgItem51));
}

CVXLString CVXLClientPremiumFace::engineText(std::uint32_t id)
{
    return CVXLString(getEngineText(id));
}

bool CVXLClientPremiumFace::producerIdle()
{
    return client_->producer_.isIdle();
}
