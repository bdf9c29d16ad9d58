#include "engine/client/VXLClient.h"

#include "engine/core/platform/VXLPlatform.h"
#include "engine/core/settings/VXLConfigItem.h"
#include "platform/push/PushRouter.h"
#include "tests/support/EngineDriver.h"
#include "tests/support/ExternalTool.h"
#include "tests/support/MmsRelayPeer.h"
#include "tests/support/SquidProxy.h"
#include "tests/support/TestProcess.h"
#include "tests/transport/MmsTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// The whole engine receiving a pushed notification: the relay's datagram on
// the push port of device.conf, the push queue, the inbound manager through
// a real squid to tests/peers/mms_relay.py, and the message store, read back
// by tests/peers/msgstore.py.

namespace {

const std::string kPeers = TESSEL_SOURCE_DIR "/tests/peers/";

std::uint16_t freeUdpPort()
{
    tessel::push::PushRouter probe;
    return probe.open(0) ? probe.port() : 0;
}

TEST(VXLClientReceive, APushedNotificationIsFetchedThroughSquidStoredAndAcknowledged)
{
    TESSEL_REQUIRE_TOOL(testToolSquid());
    TESSEL_REQUIRE_TOOL(testToolTshark());
    SquidProxy squid;
    ASSERT_TRUE(squid.start()) << squid.error();
    MmsRelayPeer relay;
    ASSERT_TRUE(relay.start());
    const std::uint16_t pushPort = freeUdpPort();
    ASSERT_NE(pushPort, 0);

    EngineDriver driver;
    driver.root().writeDeviceConf("push.port = " + std::to_string(pushPort) + "\n");
    ASSERT_TRUE(driver.create());
    CVXLClient& client = *driver.client();
    client.settings().setConfigString(kCfgMmscUri, relay.url("/mms").c_str());
    client.settings().setConfigString(kCfgProxyUri, squid.proxyUri().c_str());
    client.settings().setConfigString(kCfgUserIdentity, SquidProxy::kUser);
    ASSERT_TRUE(driver.startUp());
    // Past the start's wait for the queue's load, on the driven clock.
    for (int i = 0; i < 100 && client.pushTimerArmed(); ++i)
        driver.runToNextTimer();
    ASSERT_TRUE(client.getWapPushQueue().isLoaded());
    ASSERT_FALSE(client.pushTimerArmed());
    ASSERT_EQ(client.getWapPushSource().boundPort(), pushPort);

    // The relay pushes the notification of a message with an image part.
    const std::string location = relay.url("/msg/R5?size=3000");
    const TestCommandResult pushed = testRunCommand(testPython() + " '" + kPeers + "mms_relay.py' push "
        + std::to_string(pushPort) + " T-5 --location '" + location + "'");
    ASSERT_EQ(pushed.status, 0) << pushed.output;

    CMessageStoreManager& store = client.getMessageStoreManager();
    const auto stored = [&] {
        return store.boxCount(0) == 1 && !client.pushInProgress() && client.getWapPushQueue().count() == 0;
    };
    ASSERT_TRUE(driver.followRealTime(stored, 30000)) << relay.log();
    driver.runUntilIdle();

    // The preview and the retrieval, then the notification response.
    const std::vector<std::string> requests = testLines(relay.log());
    ASSERT_EQ(requests.size(), 3u) << relay.log();
    EXPECT_NE(requests[0].find("GET /msg/R5?size=3000&thumbnail=true"), std::string::npos) << requests[0];
    EXPECT_NE(requests[1].find("GET /msg/R5?size=3000 "), std::string::npos) << requests[1];
    EXPECT_NE(requests[2].find("POST /mms type=83 tid=T-5"), std::string::npos) << requests[2];
    const std::string oracle = mmstest::oracleText(relay.savedBody(3));
    EXPECT_NE(oracle.find("header X-Mms-Message-Type: 0x83"), std::string::npos) << oracle;
    EXPECT_NE(oracle.find("header X-Mms-Transaction-ID: T-5"), std::string::npos) << oracle;
    EXPECT_NE(oracle.find("header Status: 0x81"), std::string::npos) << oracle;

    // squid served both GETs under the NAI.
    const auto gets = squid.accessLogLines("GET " + relay.url("/msg/R5"));
    EXPECT_EQ(gets.size(), 2u) << squid.accessLog();
    for (const std::string& line : gets)
        EXPECT_NE(line.find(SquidProxy::kUser), std::string::npos) << line;

    // Python reads the stored message: each part the relay served is one
    // segment's body, byte for byte.
    CVXLString folder;
    ASSERT_TRUE(platformHostPath(client.getMessageStore()->folder(), &folder));
    const std::string file = std::string(folder.c_str()) + "/" + store.boxIdAt(0, 0).c_str();
    const TestCommandResult segments
        = testRunCommand(testPython() + " '" + kPeers + "msgstore.py' segments '" + file + "'");
    ASSERT_EQ(segments.status, 0) << segments.output;
    const TestCommandResult served
        = testRunCommand(testPython() + " -c \"import sys; sys.path.insert(0, '" + kPeers
            + "'); import mms_relay as r; print(r.SMIL.hex()); print(r.TEXT.hex());"
              " print(r.big_part(3000)[-3000:].hex())\"");
    ASSERT_EQ(served.status, 0) << served.output;
    const std::vector<std::string> parts = testLines(served.output);
    ASSERT_EQ(parts.size(), 3u);
    for (const std::string& part : parts)
        EXPECT_NE(segments.output.find("\"" + part + "\""), std::string::npos) << part.substr(
            0, 40) << "\n" << segments.output.substr(0, 2000);

    // The push queue popped the notification: its file holds no item.
    EXPECT_EQ(
        driver.root().readFile("Application Data/Tessel/state.wq"), std::string("\x02\x00\x00\x00\x00", 5));
}

} // namespace
