#include "engine/client/VXLClientMessageStoreFace.h"

#include "engine/client/VXLClient.h"
#include "engine/core/settings/VXLPersKeys.h"

std::uint32_t CVXLClientMessageStoreFace::messageLimit()
{
    return client_->settings_.getConfigNumber(kCfgMaxNumNotifications);
}

void CVXLClientMessageStoreFace::setCounter(const char* key, std::uint32_t value)
{
    CVXLString text;
    text.setUnsigned(value);
    client_->settings_.setPersistentString(key, text);
}

void CVXLClientMessageStoreFace::setHasNewMessages()
{
    client_->settings_.setPersistentString(kPersHasNewMessages, "1");
}

std::uint32_t CVXLClientMessageStoreFace::nowSeconds()
{
    return client_->currentTime();
}
