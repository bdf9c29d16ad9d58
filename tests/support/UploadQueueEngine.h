#pragma once

#include "engine/access/BackgroundUploadManager.h"
#include "engine/core/jobs/VXLEventCodes.h"
#include "engine/core/jobs/VXLEventHandler.h"
#include "engine/core/platform/VXLPlatformFileStore.h"
#include "engine/core/settings/VXLPersStore.h"
#include "engine/files/VXLFileStoreManager.h"
#include "engine/media/VXLLocalMediaRequest.h"
#include "engine/media/VXLMediaItem.h"

// What a Background Upload Manager needs around it in programs that queue
// uploads: its keys, the real File Store Manager over the engine's folder,
// and a Local Media Manager stand-in (every item imported by name is a new
// item of that identity; saves succeed without touching the disk). Uploads
// go to `uploader`, and only while `dataOn` is set.
struct UploadQueueEngine : CBackgroundUploadManager::Owner {
    class LocalMedia : public CVXLEventHandler {
    public:
        void onEvent(CVXLEvent* event) override
        {
            auto* request = dynamic_cast<CVXLLocalMediaRequest*>(event);
            if (request && event->kind() != kEventReply && event->requestCode() == kEventLocalImportByName) {
                auto* item = new CVXLMediaItem();
                item->setId(request->name());
                request->item = item;
            }
            finishEvent(event);
        }
    };

    UploadQueueEngine() { files.setFileStore(&store); }

    CVXLPersStore& settings() override { return keys; }
    bool dataCommAllowed() override { return dataOn; }
    bool hasNoActivity() override { return true; }
    CVXLEventHandler* fileStoreManager() override { return &files; }
    CVXLEventHandler* localMediaManager() override { return &local; }
    CVXLEventHandler* mediaUploadManager() override { return uploader; }

    bool dataOn = false;
    CVXLEventHandler* uploader = nullptr;
    CVXLPersStore keys;
    CVXLPlatformFileStore store;
    CVXLFileStoreManager files;
    LocalMedia local;
};
