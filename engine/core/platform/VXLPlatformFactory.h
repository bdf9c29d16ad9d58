#pragma once

#include "engine/core/base/VXLObject.h"
#include "engine/core/platform/VXLPlatformClock.h"
#include "engine/core/platform/VXLPlatformConnection.h"
#include "engine/core/platform/VXLPlatformFileStore.h"
#include "engine/core/platform/VXLPlatformMediaSource.h"
#include "engine/core/platform/VXLPlatformMessageStore.h"

#include <cstdint>

// Makes the objects through which alone the engine reaches the system, and
// limits how many of each kind live at once: one file store, one media
// source, one message store, one clock, 32 network connections. A create
// beyond the limit answers null; a destroy deletes the object and counts it
// off.
class CVXLPlatformFactory : public CVXLObject {
public:
    static constexpr int kMaxFileStores = 1;
    static constexpr int kMaxMediaSources = 1;
    static constexpr int kMaxMessageStores = 1;
    static constexpr int kMaxClocks = 1;
    static constexpr int kMaxConnections = 32;

    CVXLPlatformFactory() = default;

    virtual CVXLPlatformFileStore* createFileStore();
    virtual void destroyFileStore(CVXLPlatformFileStore* store);
    virtual CVXLPlatformMediaSource* createMediaSource();
    virtual void destroyMediaSource(CVXLPlatformMediaSource* source);
    virtual CVXLPlatformMessageStore* createMessageStore();
    virtual void destroyMessageStore(CVXLPlatformMessageStore* store);
    virtual CVXLPlatformClock* createClock();
    virtual void destroyClock(CVXLPlatformClock* clock);
    virtual CVXLPlatformConnection* createNetworkConnection();
    virtual void destroyNetworkConnection(CVXLPlatformConnection* connection);
    // A kind the platform never offers.
    virtual CVXLObject* createReserved();
    virtual void destroyReserved(CVXLObject* object);
    ~CVXLPlatformFactory() override = default;

    int liveFileStores() const { return fileStores_; }
    int liveMediaSources() const { return mediaSources_; }
    int liveMessageStores() const { return messageStores_; }
    int liveClocks() const { return clocks_; }
    int liveConnections() const { return connections_; }

private:
    int fileStores_ = 0;
    int mediaSources_ = 0;
    int messageStores_ = 0;
    int clocks_ = 0;
    int connections_ = 0;
};
