#include "engine/core/platform/VXLPlatformFactory.h"

namespace {

template <typename T> T* createCounted(int* live, int limit)
{
    if (*live >= limit)
        return nullptr;
    T* object = new T;
    if (object)
        ++*live;
    return object;
}

// Only an object given back counts off: a destroy of nothing (a create that
// had failed) must not make room for one more than the limit.
template <typename T> void destroyCounted(T* object, int* live)
{
    if (!object)
        return;
    delete object;
    if (*live > 0)
        --*live;
}

} // namespace

CVXLPlatformFileStore* CVXLPlatformFactory::createFileStore()
{
    return createCounted<CVXLPlatformFileStore>(&fileStores_, kMaxFileStores);
}

void CVXLPlatformFactory::destroyFileStore(CVXLPlatformFileStore* store)
{
    destroyCounted(store, &fileStores_);
}

CVXLPlatformMediaSource* CVXLPlatformFactory::createMediaSource()
{
    return createCounted<CVXLPlatformMediaSource>(&mediaSources_, kMaxMediaSources);
}

void CVXLPlatformFactory::destroyMediaSource(CVXLPlatformMediaSource* source)
{
    destroyCounted(source, &mediaSources_);
}

CVXLPlatformMessageStore* CVXLPlatformFactory::createMessageStore()
{
    return createCounted<CVXLPlatformMessageStore>(&messageStores_, kMaxMessageStores);
}

void CVXLPlatformFactory::destroyMessageStore(CVXLPlatformMessageStore* store)
{
    destroyCounted(store, &messageStores_);
}

CVXLPlatformClock* CVXLPlatformFactory::createClock()
{
    return createCounted<CVXLPlatformClock>(&clocks_, kMaxClocks);
}

void CVXLPlatformFactory::destroyClock(CVXLPlatformClock* clock)
{
    destroyCounted(clock, &clocks_);
}

CVXLPlatformConnection* CVXLPlatformFactory::createNetworkConnection()
{
    return createCounted<CVXLPlatformConnection>(&connections_, kMaxConnections);
}

void CVXLPlatformFactory::destroyNetworkConnection(CVXLPlatformConnection* connection)
{
    destroyCounted(connection, &connections_);
}

CVXLObject* CVXLPlatformFactory::createReserved()
{
    return nullptr;
}

void CVXLPlatformFactory::destroyReserved(CVXLObject*)
{
}
