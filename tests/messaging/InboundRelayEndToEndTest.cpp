#include "engine/messaging/VXLInboundMessageManager.h"

#include "engine/core/platform/VXLPlatform.h"
#include "engine/core/jobs/VXLResultCodes.h"
#include "tests/support/ExternalTool.h"
#include "tests/messaging/InboundTestSupport.h"
#include "tests/support/JobTreeDriver.h"
#include "tests/support/MmsRelayPeer.h"
#include "tests/support/SquidProxy.h"
#include "tests/support/TempDeviceRoot.h"
#include "tests/support/TestProcess.h"
#include "tests/transport/MmsTestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

// A notification received end to end: the inbound manager with its own
// transport, the network dialer on loopback, a real squid and
// tests/peers/mms_relay.py behind it, and the real message store. Python
// reads what was stored; tshark reads the notification response.

namespace {

class InboundRelayEndToEnd : public RelayThroughSquidTest {
protected:
    // The tree follows real time (the peers are real processes).
    std::int32_t send(CVXLEvent& request, int realMs = 30000)
    {
        request.setHeapAllocated(false);
        const std::size_t before = requester.answers.size();
        requester.post(&manager, &request);
        driver.followRealTime([&] { driver.step(); }, [&] { return requester.answers.size() != before; }, realMs,
            std::chrono::microseconds(200));
        return requester.answers.size() == before ? -99 : requester.answers.back();
    }

    std::string notificationFor(const std::string& location, const std::string& tid)
    {
        const std::string bytes = relayNotification(location, tid);
        EXPECT_FALSE(bytes.empty()) << location;
        return bytes;
    }

    std::string storeFolder() const
    {
        CVXLString host;
        platformHostPath(rig.messageStore.folder(), &host);
        return host.c_str();
    }

    InboundRequester& requester = rig.requester;
    CVXLInboundMessageManager& manager = rig.manager;
    CMessageStoreManager& store = rig.store;
};

TEST_F(InboundRelayEndToEnd, ANotificationIsStoredWholeAndAcknowledgedThroughSquid)
{
    const std::string location = relay.url("/msg/R9?box=inbox");
    const std::string pushed = notificationFor(location, "T-9");
    ASSERT_FALSE(pushed.empty());
    CPushRequest push;
    push.pdu.append(reinterpret_cast<const std::uint8_t*>(pushed.data()), static_cast<std::uint32_t>(pushed.size()));
    push.fetchNow = 1;
    ASSERT_EQ(send(push), kResultSucceeded) << relay.log();
    EXPECT_EQ(rig.services.lastStage, CVXLInboundMessageManager::kStageDone);

    // The relay saw the preview, the retrieval and the notification response.
    const std::string log = relay.log();
    EXPECT_NE(log.find("001 GET " + std::string("/msg/R9?box=inbox&thumbnail=true")), std::string::npos) << log;
    EXPECT_NE(log.find("002 GET /msg/R9?box=inbox "), std::string::npos) << log;
    EXPECT_NE(log.find("003 POST /mms type=83 tid=T-9"), std::string::npos) << log;

    // tshark reads the response: the notification's id, status Retrieved.
    TESSEL_REQUIRE_TOOL(testToolTshark());
    const std::string lines = mmstest::oracleText(relay.savedBody(3));
    EXPECT_NE(lines.find("header X-Mms-Message-Type: 0x83"), std::string::npos) << lines;
    EXPECT_NE(lines.find("header X-Mms-Transaction-ID: T-9"), std::string::npos) << lines;
    EXPECT_NE(lines.find("header Status: 0x81"), std::string::npos) << lines;

    // squid logged both GETs under the subscriber's name.
    const auto gets = squid.accessLogLines("GET " + relay.url("/msg/R9"));
    EXPECT_EQ(gets.size(), 2u) << squid.accessLog();
    for (const std::string& line : gets)
        EXPECT_NE(line.find(SquidProxy::kUser), std::string::npos) << line;

    // The stored message, read by Python: the preview's headers and the
    // relay's parts, byte for byte.
    ASSERT_EQ(store.boxCount(0), 1u);
    const std::string id = store.boxIdAt(0, 0).c_str();
    const TestCommandResult segments = testRunCommand(
        testPython() + " " TESSEL_SOURCE_DIR "/tests/peers/msgstore.py segments '" + storeFolder() + "/" + id + "'");
    ASSERT_EQ(segments.status, 0) << segments.output;
    EXPECT_NE(segments.output.find("X-QV-From-Address"), std::string::npos) << segments.output;
    // The notification's relative expiry keeps its token (1: relative);
    // without it the expiration job reads 86400 as a date in 1970.
    EXPECT_NE(segments.output.find("[\"8\", \"86400\", [[\"0\", \"1\", null]]]"), std::string::npos)
        << segments.output.substr(0, 1500);
    const auto hexOf = [](const std::string& bytes) {
        static const char digits[] = "0123456789abcdef";
        std::string out;
        for (unsigned char c : bytes) {
            out += digits[c >> 4];
            out += digits[c & 15];
        }
        return out;
    };
    EXPECT_NE(segments.output.find(hexOf("Hello from the test relay")), std::string::npos) << segments.output;
    EXPECT_NE(segments.output.find(hexOf("<smil><head><layout>")), std::string::npos) << segments.output;
}

// The relay's answers as the manager meets them through squid.
TEST_F(InboundRelayEndToEnd, RelayAnswers)
{
    const struct {
        const char* name;
        std::string query;
        std::int32_t result;
        std::uint32_t stored;
        const char* lastRequest;
    } rows[] = {
        { "preview without a sender", "?nofrom=1", kResultMmsTransport, 0, "GET /msg/A?nofrom=1&thumbnail=true" },
        { "sent copy", "?type=Sent&to=%2B15550002&client=c-1", kResultSucceeded, 1,
            "GET /msg/A?type=Sent&to=%2B15550002&client=c-1&thumbnail=true" },
        { "retrieve status not Ok", "?status=4", kResultSucceeded, 1, "GET /msg/A?status=4 " },
        { "charged", "?charge=1%20EUR", kResultSucceeded, 1, "GET /msg/A?charge=1%20EUR&thumbnail=true" },
    };
    std::uint32_t stored = 0;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string pushed = notificationFor(relay.url("/msg/A" + row.query), "T-1");
        CPushRequest push;
        push.pdu.append(reinterpret_cast<const std::uint8_t*>(pushed.data()), static_cast<std::uint32_t>(pushed.size()));
        push.fetchNow = 1;
        EXPECT_EQ(send(push), row.result);
        stored += row.stored;
        EXPECT_EQ(store.boxCount(0) + store.boxCount(3), stored);
        const std::string log = relay.log();
        const std::size_t last = log.rfind('\n', log.size() - 2);
        EXPECT_NE(log.substr(last == std::string::npos ? 0 : last).find(row.lastRequest), std::string::npos) << log;
    }
}

// squid refusing the subscriber's credentials fails the preview.
TEST_F(InboundRelayEndToEnd, AProxyRefusalFailsThePreview)
{
    rig.settings.proxyUri = squid.proxyUri(SquidProxy::kUser, "wrong").c_str();
    const std::string pushed = notificationFor(relay.url("/msg/B"), "T-2");
    CPushRequest push;
    push.pdu.append(reinterpret_cast<const std::uint8_t*>(pushed.data()), static_cast<std::uint32_t>(pushed.size()));
    push.fetchNow = 1;
    const std::int32_t result = send(push);
    EXPECT_NE(result, kResultSucceeded);
    EXPECT_NE(result, -99);
    EXPECT_EQ(relay.log(), "");
    EXPECT_EQ(store.boxCount(0), 0u);
}

} // namespace
