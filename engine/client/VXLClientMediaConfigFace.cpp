#include "engine/client/VXLClientMediaConfigFace.h"

#include "engine/client/VXLClient.h"

bool CVXLClientMediaConfigFace::readItem(std::int32_t item, CVXLString* text) const
{
    return client_->settings_.getConfigString(item, text) != 0;
}
