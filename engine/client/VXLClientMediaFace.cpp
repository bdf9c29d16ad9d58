#include "engine/client/VXLClientMediaFace.h"

#include "engine/client/VXLClient.h"

CVXLPlatformMediaSource* CVXLClientMediaFace::mediaSource()
{
    return client_->getMediaSource();
}

CVXLMediaStoreManager* CVXLClientMediaFace::mediaStoreManager()
{
    return &client_->mediaStoreManager_;
}

CVXLEventHandler* CVXLClientMediaFace::fileStoreManager()
{
    return &client_->fileStoreManager_;
}

CVXLEventHandler* CVXLClientMediaFace::vraxJob()
{
    return &client_->vraxJob_;
}

bool CVXLClientMediaFace::configItem(std::int32_t item, CVXLString* text)
{
    return client_->settings_.getConfigString(item, text) != 0;
}

CVXLEventHandler* CVXLClientMediaFace::onlineMediaManager()
{
    return &client_->onlineMediaManager_;
}

CVXLEventHandler* CVXLClientMediaFace::localMediaManager()
{
    return &client_->localMediaManager_;
}

CVXLEventHandler* CVXLClientMediaFace::inboundMessageManager()
{
    return &client_->inboundManager_;
}

CVXLPersStore* CVXLClientMediaFace::settings()
{
    return &client_->settings_.store();
}

void CVXLClientMediaFace::pushUIRequestCode(std::int32_t code)
{
    client_->pushUIRequestCode(code);
}

bool CVXLClientMediaFace::uploadsPending()
{
    return client_->backgroundUploadManager_.hasPending();
}
