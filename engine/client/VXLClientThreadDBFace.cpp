#include "engine/client/VXLClientThreadDBFace.h"

#include "engine/client/VXLClient.h"
#include "engine/core/settings/VXLPersKeys.h"

CVXLString CVXLClientThreadDBFace::ownNumber() const
{
    CVXLString number;
    client_->settings_.getConfigString(kCfgUserIdentity, &number);
    return number;
}

void CVXLClientThreadDBFace::setNewMessageCount(std::uint32_t count)
{
    client_->settings_.setPersistentNumber(kPersInboxNewCount, static_cast<std::int32_t>(count));
}
