#include "engine/client/VXLClientUploadFace.h"

#include "engine/client/VXLClient.h"

CVXLEventHandler* CVXLClientUploadFace::localMediaManager()
{
    return &client_->localMediaManager_;
}

CVXLEventHandler* CVXLClientUploadFace::onlineMediaManager()
{
    return &client_->onlineMediaManager_;
}

bool CVXLClientUploadFace::dataCommActive()
{
    return client_->settings_.isDataCommActive();
}

std::uint32_t CVXLClientUploadFace::nowSeconds()
{
    return client_->currentTime();
}

CVXLPersStore& CVXLClientUploadFace::settings()
{
    return client_->settings_.store();
}

CVXLCounterTable* CVXLClientUploadFace::counters()
{
    return &client_->counters_;
}

bool CVXLClientUploadFace::dataCommAllowed()
{
    return client_->settings_.isDataCommActive();
}

bool CVXLClientUploadFace::hasNoActivity()
{
    return client_->hasNoActivity();
}

CVXLEventHandler* CVXLClientUploadFace::fileStoreManager()
{
    return &client_->fileStoreManager_;
}

CVXLEventHandler* CVXLClientUploadFace::mediaUploadManager()
{
    return &client_->mediaUploadManager_;
}

bool CVXLClientUploadFace::configItem(std::int32_t item, CVXLString* text)
{
    return client_->settings_.getConfigString(item, text) != 0;
}

std::uint32_t CVXLClientUploadFace::storeLocation(std::uint16_t storeId)
{
    return client_->mediaStoreManager_.locationById(storeId);
}

void CVXLClientUploadFace::updateItem(const CVXLMediaItem& item)
{
    client_->mediaAccessManager_.updateItem(item);
}
