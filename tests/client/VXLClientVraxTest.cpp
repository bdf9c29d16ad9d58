#include "engine/client/VXLClient.h"

#include "engine/core/platform/VXLPlatformConnection.h"
#include "engine/core/settings/VXLPersKeys.h"
#include "engine/service/VRAXJobRequest.h"
#include "tests/support/EngineDriver.h"
#include "tests/support/JobTreeDriver.h"
#include "tests/support/TestProcess.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <string>

namespace {

// The started engine's VRAX job registers with tests/peers/vrax_server.py:
// the server address comes from the Client's configuration item 1, the id
// goes to its settings and the result to its error code.
TEST(VXLClientVrax, TheEnginesJobRegistersAtTheConfiguredServerAndKeepsTheId)
{
    EngineDriver driver;
    ASSERT_TRUE(driver.startUp());
    CVXLClient& client = *driver.client();
    const std::string log = driver.root().hostPath("vrax-server.log");
    std::uint16_t port = 0;
    const pid_t server
        = testStartPythonPeer("vrax_server.py", {"mgmt", log, "--announce"}, log + ".out", &port);
    ASSERT_GT(server, 0);
    client.settings().setConfigString(kCfgServerUri, testLoopbackUrl(port, "/vrax").c_str());

    TraceJob requester("requester");
    client.startChild(&requester);
    CVRAXJobRequest registration(kEventVraxRegister, 42);
    requester.post(&client.getVraxJob(), &registration);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (requester.events.size() < 2 && std::chrono::steady_clock::now() < deadline) {
        driver.tick();
        CVXLPlatformConnection::waitForSockets(5);
        driver.advance(5);
    }
    testStopProcess(server, 2000);
    ASSERT_EQ(2u, requester.events.size()) << "started, then the answer";
    EXPECT_EQ(kResultSucceeded, requester.results.back());
    EXPECT_EQ(kResultSucceeded, client.getErrorCode());
    CVXLString id;
    client.settings().getPersistentString(kPersVraxId, &id);
    EXPECT_STREQ("D42", id.c_str());
    std::ifstream in(log);
    std::string line;
    std::getline(in, line);
    EXPECT_NE(std::string::npos, line.find("request=mgmt-req identity=validate")) << line;
}

} // namespace
