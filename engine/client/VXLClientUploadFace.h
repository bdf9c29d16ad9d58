#pragma once

#include "engine/access/BackgroundUploadManager.h"
#include "engine/access/MediaUploadManager.h"

#include <cstdint>

class CVXLClient;

// What the two upload managers take from the root.
class CVXLClientUploadFace : public CMediaUploadManager::Owner, public CBackgroundUploadManager::Owner {
public:
    explicit CVXLClientUploadFace(CVXLClient* client)
        : client_(client)
    {
    }
    CVXLEventHandler* localMediaManager() override;
    CVXLEventHandler* onlineMediaManager() override;
    bool dataCommActive() override;
    std::uint32_t nowSeconds() override;
    CVXLPersStore& settings() override;
    CVXLCounterTable* counters() override;
    bool dataCommAllowed() override;
    bool hasNoActivity() override;
    CVXLEventHandler* fileStoreManager() override;
    CVXLEventHandler* mediaUploadManager() override;
    bool configItem(std::int32_t item, CVXLString* text) override;
    std::uint32_t storeLocation(std::uint16_t storeId) override;
    // A changed item reaches every cached list that shows it.
    void updateItem(const CVXLMediaItem& item) override;

private:
    CVXLClient* client_;
};
