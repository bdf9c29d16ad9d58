#include "platform/cellcore/ConnectionManager.h"
#include "platform/kernel/Clock.h"
#include "tests/support/TempDeviceRoot.h"

#include <gtest/gtest.h>

namespace tessel::cellcore {
namespace {

TEST(ConnectionManager, DeviceConfDecidesAndATestMayOverride)
{
    TempDeviceRoot root;
    kernel::driveClock(1000, 0);
    struct Case {
        const char* conf;
        ConnectionBehaviour override;
        bool mapped;
        std::uint32_t status;
        std::uint32_t waitedMs;
    } cases[] = {
        {"", ConnectionBehaviour::FromDevice, true, kConnectionConnected, 0},
        {"connection = up\n", ConnectionBehaviour::FromDevice, true, kConnectionConnected, 0},
        {"connection = nopath\n", ConnectionBehaviour::FromDevice, false, kConnectionFailed, 0},
        {"connection = refuse\n", ConnectionBehaviour::FromDevice, true, kConnectionFailed, 0},
        {"connection = timeout\n", ConnectionBehaviour::FromDevice, true, kConnectionTimedOut, 10000},
        {"connection = refuse\n", ConnectionBehaviour::Up, true, kConnectionConnected, 0},
        {"", ConnectionBehaviour::TimeOut, true, kConnectionTimedOut, 10000},
        {"", ConnectionBehaviour::NoPath, false, kConnectionFailed, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.conf);
        root.writeDeviceConf(c.conf);
        setConnectionBehaviour(c.override);
        std::uint32_t network = 0;
        EXPECT_EQ(connectionMapUrl("http://www.tessel.test/", &network), c.mapped);
        const std::uint32_t before = kernel::tickCount();
        EXPECT_EQ(connectionRequestSync(c.mapped ? network : 1, 0x8000, 10000), c.status);
        EXPECT_EQ(kernel::tickCount() - before, c.waitedMs);
    }
    setConnectionBehaviour(ConnectionBehaviour::FromDevice);
    kernel::releaseClock();

    std::uint32_t network = 0;
    EXPECT_FALSE(connectionMapUrl("", &network));
    // Every request is on record for the tests that count dial-ups.
    const std::string log = root.readFile("log/cellcore.log");
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 8);
    EXPECT_NE(log.find("connect network=1 priority=32768 status=16\n"), std::string::npos);
}

} // namespace
} // namespace tessel::cellcore
