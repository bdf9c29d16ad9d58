#pragma once

#include "engine/core/platform/VXLPlatform.h"
#include "engine/files/VXLFileStoreManager.h"
#include "engine/messaging/store/MessageStoreManager.h"
#include "engine/messaging/threads/VXLThreadDB.h"

#include <cstdint>

class CVXLPlatformStore;

// A large inbox and its thread database wired as the engine wires them, both
// saving through one file store manager: what the thread store's crash rounds
// run under kill -9 (tests/tools/msgcrash) and load again to check. The
// holder starts the three jobs.
class ThreadStoreRig {
    struct ThreadServices : CVXLThreadDB::Services {
        CVXLString ownNumber() const override { return "+15550000"; }
        void setNewMessageCount(std::uint32_t) override { }
    };

    struct StoreServices : CMessageStoreManager::Services {
        std::uint32_t messageLimit() override { return 1000000; }
        void setCounter(const char*, std::uint32_t) override { }
        void setHasNewMessages() override { }
        std::uint32_t nowSeconds() override { return platformClockSeconds(); }
    };

    ThreadServices threadServices_;
    StoreServices storeServices_;

public:
    ThreadStoreRig(CVXLPlatformStore* fileStore, CVXLPlatformStore* messageStore)
    {
        files.setFileStore(fileStore);
        db.setFileStoreManager(&files);
        db.setServices(&threadServices_);
        manager.setStore(messageStore);
        manager.setServices(&storeServices_);
        manager.setThreadDB(&db);
    }

    // The store has loaded and the database holds each of its messages.
    bool ready() const { return manager.loaded() && db.messageCount() >= manager.boxCount(0); }

    CVXLFileStoreManager files;
    CVXLThreadDB db;
    CMessageStoreManager manager;
};
