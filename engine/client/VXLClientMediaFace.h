#pragma once

#include "engine/access/MediaAccessManager.h"
#include "engine/media/LocalMediaManager.h"
#include "engine/media/OnlineMediaManager.h"
#include "engine/media/VXLMediaStoreManager.h"

#include <cstdint>

class CVXLClient;

// What the media managers take from the root when they start.
class CVXLClientMediaFace : public CLocalMediaManager::Owner,
                            public CVXLMediaStoreManager::Owner,
                            public COnlineMediaManager::Owner,
                            public CMediaAccessManager::Owner {
public:
    explicit CVXLClientMediaFace(CVXLClient* client)
        : client_(client)
    {
    }
    CVXLPlatformMediaSource* mediaSource() override;
    CVXLMediaStoreManager* mediaStoreManager() override;
    CVXLEventHandler* fileStoreManager() override;
    CVXLEventHandler* vraxJob() override;
    bool configItem(std::int32_t item, CVXLString* text) override;
    CVXLEventHandler* onlineMediaManager() override;
    CVXLEventHandler* localMediaManager() override;
    CVXLEventHandler* inboundMessageManager() override;
    CVXLPersStore* settings() override;
    void pushUIRequestCode(std::int32_t code) override;
    bool uploadsPending() override;

private:
    CVXLClient* client_;
};
