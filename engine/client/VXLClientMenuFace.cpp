#include "engine/client/VXLClientMenuFace.h"

#include "engine/client/VXLClient.h"

void CVXLClientMenuFace::queueLinkRequest(int n)
{
    client_->queueLinkRequest(n);
}

void CVXLClientMenuFace::queueReturnToMenu(std::int32_t value)
{
    client_->queueReturnToMenu(value);
}

void CVXLClientMenuFace::setCaptureLocation(std::uint16_t location)
{
    client_->captureLocation_ = location;
}

void CVXLClientMenuFace::clearFavorite(int n)
{
    client_->settings_.clearFavorite(n);
}

CVXLList& CVXLClientMenuFace::selectedObjects()
{
    return client_->objectList_;
}
