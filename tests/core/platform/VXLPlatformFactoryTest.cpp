#include "engine/core/platform/VXLPlatformFactory.h"
#include "platform/kernel/Clock.h"
#include "tests/support/TempDeviceRoot.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(PlatformFactory, OneStoreOfEachKindAndOneClock)
{
    TempDeviceRoot root;
    CVXLPlatformFactory factory;
    CVXLPlatformFileStore* files = factory.createFileStore();
    CVXLPlatformMessageStore* messages = factory.createMessageStore();
    CVXLPlatformMediaSource* media = factory.createMediaSource();
    CVXLPlatformClock* clock = factory.createClock();
    ASSERT_NE(files, nullptr);
    ASSERT_NE(messages, nullptr);
    ASSERT_NE(media, nullptr);
    ASSERT_NE(clock, nullptr);
    EXPECT_EQ(factory.createFileStore(), nullptr);
    EXPECT_EQ(factory.createMessageStore(), nullptr);
    EXPECT_EQ(factory.createMediaSource(), nullptr);
    EXPECT_EQ(factory.createClock(), nullptr);
    EXPECT_EQ(factory.createReserved(), nullptr);

    // Giving nothing back makes no room.
    factory.destroyFileStore(nullptr);
    factory.destroyClock(nullptr);
    EXPECT_EQ(factory.createFileStore(), nullptr);
    EXPECT_EQ(factory.createClock(), nullptr);

    factory.destroyFileStore(files);
    factory.destroyMessageStore(messages);
    factory.destroyMediaSource(media);
    factory.destroyClock(clock);
    EXPECT_EQ(factory.liveFileStores() + factory.liveMessageStores() + factory.liveMediaSources()
            + factory.liveClocks(),
        0);
    files = factory.createFileStore();
    clock = factory.createClock();
    EXPECT_NE(files, nullptr);
    EXPECT_NE(clock, nullptr);
    factory.destroyFileStore(files);
    factory.destroyClock(clock);
}

TEST(PlatformFactory, ThirtyTwoNetworkConnections)
{
    TempDeviceRoot root;
    CVXLPlatformFactory factory;
    std::vector<CVXLPlatformConnection*> connections;
    for (int i = 0; i < CVXLPlatformFactory::kMaxConnections; ++i) {
        connections.push_back(factory.createNetworkConnection());
        ASSERT_NE(connections.back(), nullptr) << i;
    }
    EXPECT_EQ(factory.createNetworkConnection(), nullptr);
    factory.destroyNetworkConnection(nullptr);
    EXPECT_EQ(factory.createNetworkConnection(), nullptr);
    factory.destroyNetworkConnection(connections.back());
    connections.back() = factory.createNetworkConnection();
    EXPECT_NE(connections.back(), nullptr);
    EXPECT_EQ(factory.liveConnections(), 32);
    for (CVXLPlatformConnection* connection : connections)
        factory.destroyNetworkConnection(connection);
    EXPECT_EQ(factory.liveConnections(), 0);
}

TEST(PlatformClock, UtcSecondsAndTheKernelTick)
{
    tessel::kernel::driveClock(0xFFFFFFFFu, 1'700'000'000u);
    CVXLPlatformFactory factory;
    CVXLPlatformClock* clock = factory.createClock();
    EXPECT_EQ(clock->seconds(), 1'700'000'000u) << "no day added";
    EXPECT_EQ(clock->tickCount(), 0xFFFFFFFFu);
    tessel::kernel::advanceClock(2500);
    EXPECT_EQ(clock->seconds(), 1'700'000'002u);
    EXPECT_EQ(clock->tickCount(), 2499u);
    factory.destroyClock(clock);
    tessel::kernel::releaseClock();
}

} // namespace
