#include "engine/messaging/inbound/VXLInboundMessageManager.h"

#include "engine/core/base/VXLLog.h"
#include "engine/core/jobs/VXLResultCodes.h"
#include "engine/core/platform/VXLPlatform.h"
#include "engine/media/VXLMediaItem.h"
#include "tests/messaging/inbound/InboundTestSupport.h"
#include "tests/support/ExternalTool.h"
#include "tests/support/JobTreeDriver.h"
#include "tests/support/MmsRelayPeer.h"
#include "tests/support/SquidProxy.h"
#include "tests/support/TempDeviceRoot.h"
#include "tests/support/TestProcess.h"
#include "tests/transport/MmsTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
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
        driver.followRealTime([&] { driver.step(); }, [&] { return requester.answers.size() != before; },
            realMs, std::chrono::microseconds(200));
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
    push.pdu.append(
        reinterpret_cast<const std::uint8_t*>(pushed.data()), static_cast<std::uint32_t>(pushed.size()));
    push.fetchNow = 1;
    ASSERT_EQ(send(push), kResultSucceeded) << relay.log();
    EXPECT_EQ(rig.services.lastStage, CVXLInboundMessageManager::kStageDone);

    // The relay saw the preview, the retrieval and the notification response.
    const std::string log = relay.log();
    EXPECT_NE(log.find("001 GET " + std::string("/msg/R9?box=inbox&thumbnail=true")), std::string::npos)
        << log;
    EXPECT_NE(log.find("002 GET /msg/R9?box=inbox "), std::string::npos) << log;
    EXPECT_NE(log.find("003 POST /mms type=83 tid=T-9"), std::string::npos) << log;

    // tshark reads the response: the notification's id, status Retrieved.
    TESSEL_REQUIRE_TOOL(testToolTshark());
    const std::string lines = mmstest::oracleText(relay.savedBody(3));
    EXPECT_NE(lines.find("header X-Mms-Message-Type: 0x83"), std::string::npos) << lines;
    EXPECT_NE(lines.find("header X-Mms-Transaction-ID: T-9"), std::string::npos) << lines;
    EXPECT_NE(lines.find("header Status: 0x81"), std::string::npos) << lines;

    // squid logged both GETs under the subscriber's name.
    const auto gets = squid.accessLogLines("GET " + relay.url("/msg/R9"), 2);
    EXPECT_EQ(gets.size(), 2u) << squid.accessLog();
    for (const std::string& line : gets)
        EXPECT_NE(line.find(SquidProxy::kUser), std::string::npos) << line;

    // The stored message, read by Python: the preview's headers and the
    // relay's parts, byte for byte.
    ASSERT_EQ(store.boxCount(0), 1u);
    const std::string id = store.boxIdAt(0, 0).c_str();
    const TestCommandResult segments = testRunCommand(testPython()
        + " " TESSEL_SOURCE_DIR "/tests/peers/msgstore.py segments '" + storeFolder() + "/" + id + "'");
    ASSERT_EQ(segments.status, 0) << segments.output;
    EXPECT_NE(segments.output.find("X-QV-From-Address"), std::string::npos) << segments.output;
    // The notification's relative expiry keeps its token (1: relative);
    // without it the expiration job reads 86400 as a date in 1970.
    EXPECT_NE(segments.output.find("[\"8\", \"86400\", [[\"0\", \"1\", null]]]"), std::string::npos)
        << segments.output.substr(0, 1500);
    EXPECT_NE(segments.output.find(testHex("Hello from the test relay")), std::string::npos)
        << segments.output;
    EXPECT_NE(segments.output.find(testHex("<smil><head><layout>")), std::string::npos) << segments.output;
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
        const char* logged = ""; // what the engine log must say
        bool failure = false; // as a failure, on disk at once
        const char* location = "/msg/A";
    } rows[] = {
        {"preview without a sender", "?nofrom=1", kResultMmsTransport, 0,
            "GET /msg/A?nofrom=1&thumbnail=true", "the preview of http://127.0.0.1:", true},
        // The location make run prints: the preview there too, then the message.
        {"a location under /retrieve/", "", kResultSucceeded, 1, "POST /mms type=83 tid=T-1", "", false,
            "/retrieve/A"},
        {"sent copy", "?type=Sent&to=%2B15550002&client=c-1", kResultSucceeded, 1,
            "GET /msg/A?type=Sent&to=%2B15550002&client=c-1&thumbnail=true"},
        {"retrieve status not Ok", "?status=4", kResultMmsRelayStatus, 1, "GET /msg/A?status=4 "},
        {"charged", "?charge=1%20EUR", kResultSucceeded, 1, "GET /msg/A?charge=1%20EUR&thumbnail=true"},
        // A broken exchange (2), not a connection that is down (17).
        {"whole message cut short", "?size=60000&short=1000", kResultTransactionFailed, 1,
            "GET /msg/A?size=60000&short=1000 ", "HTTP reply cut short"},
    };
    std::uint32_t stored = 0;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string pushed = notificationFor(relay.url(row.location + row.query), "T-1");
        CPushRequest push;
        push.pdu.append(
            reinterpret_cast<const std::uint8_t*>(pushed.data()), static_cast<std::uint32_t>(pushed.size()));
        push.fetchNow = 1;
        EXPECT_EQ(send(push), row.result);
        stored += row.stored;
        EXPECT_EQ(store.boxCount(0) + store.boxCount(3), stored);
        const std::string log = relay.log();
        const std::size_t last = log.rfind('\n', log.size() - 2);
        EXPECT_NE(log.substr(last == std::string::npos ? 0 : last).find(row.lastRequest), std::string::npos)
            << log;
        if (row.failure) {
            // Unflushed: a failure line is written at once.
            const std::string engineLog = root.readFile("log/engine.log");
            const std::size_t at = engineLog.find(row.logged);
            ASSERT_NE(at, std::string::npos) << engineLog;
            const std::size_t line = engineLog.rfind('\n', at) + 1;
            EXPECT_NE(engineLog.substr(line, at - line).find(" failure "), std::string::npos) << engineLog;
        }
        CVXLLog::flush();
        const std::string engineLog = root.readFile("log/engine.log");
        EXPECT_NE(engineLog.find(row.logged), std::string::npos) << engineLog;
    }
}

// A whole message that arrives but does not decode: the push is answered
// with the failure, the preview stays stored for the retry, and the received
// file goes with the fetch: the store's folder holds its index and messages
// only.
TEST_F(InboundRelayEndToEnd, AWholeMessageThatDoesNotDecodeLeavesNoFileBehind)
{
    const std::string pushed = notificationFor(relay.url("/msg/U?size=60000&undecodable=1000"), "T-3");
    CPushRequest push;
    push.pdu.append(
        reinterpret_cast<const std::uint8_t*>(pushed.data()), static_cast<std::uint32_t>(pushed.size()));
    push.fetchNow = 1;
    EXPECT_EQ(send(push), kResultTransactionFailed) << relay.log();
    EXPECT_NE(relay.log().find("002 GET /msg/U?size=60000&undecodable=1000 "), std::string::npos)
        << relay.log();
    EXPECT_EQ(relay.log().find("POST"), std::string::npos) << "nothing acknowledged";
    ASSERT_EQ(store.boxCount(0), 1u);

    const auto listed = [&] {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(storeFolder()))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    };
    std::vector<std::string> indexed = {"mms.new", "mms.notyet"};
    for (std::uint32_t box : {0u, 2u, 3u})
        for (std::uint32_t i = 0; i < store.boxCount(box); ++i)
            indexed.push_back(store.boxIdAt(box, i).c_str());
    std::sort(indexed.begin(), indexed.end());
    // The delete is the platform store's, on its own time.
    driver.followRealTime(
        [&] { driver.step(); }, [&] { return listed() == indexed; }, 10000, std::chrono::microseconds(200));
    EXPECT_EQ(listed(), indexed);
}

// squid refusing the subscriber's credentials fails the preview.
TEST_F(InboundRelayEndToEnd, AProxyRefusalFailsThePreview)
{
    rig.settings.proxyUri = squid.proxyUri(SquidProxy::kUser, "wrong").c_str();
    const std::string pushed = notificationFor(relay.url("/msg/B"), "T-2");
    CPushRequest push;
    push.pdu.append(
        reinterpret_cast<const std::uint8_t*>(pushed.data()), static_cast<std::uint32_t>(pushed.size()));
    push.fetchNow = 1;
    const std::int32_t result = send(push);
    EXPECT_NE(result, kResultSucceeded);
    EXPECT_NE(result, -99);
    EXPECT_EQ(relay.log(), "");
    EXPECT_EQ(store.boxCount(0), 0u);
}

// Holds the subscriber's decision on a notification until released; the
// answer fetches.
class HeldDecisions : public CVXLEventHandler {
public:
    void onEvent(CVXLEvent* event) override
    {
        if (event->isRequest() && event->requestCode() == kEventMessageDecision) {
            held = event;
            return;
        }
        finishEvent(event);
    }
    void release()
    {
        if (held)
            finishEvent(held);
        held = nullptr;
    }
    CVXLEvent* held = nullptr;
};

// The bytes the relay serves as the image part of ?size=N, as hex.
std::string bigPartHex(int size)
{
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (int i = 0; i < size; ++i) {
        const unsigned char c = static_cast<unsigned char>((i * 7 + (i >> 8)) & 0xFF);
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

// A second kind of request while a push is held: each is answered once, the
// push's notification response goes out only after its own message is
// stored whole, and each stored file holds its own parts only.
class CrossedRequests : public InboundRelayEndToEnd {
protected:
    void SetUp() override
    {
        InboundRelayEndToEnd::SetUp();
        manager.setProducer(&producer);
        driver.attach(&producer);
    }

    bool runUntil(const std::function<bool()>& done, int realMs = 30000)
    {
        return driver.followRealTime([&] { driver.step(); }, done, realMs, std::chrono::microseconds(200));
    }

    std::vector<std::string> inboxIds()
    {
        std::vector<std::string> ids;
        for (std::uint32_t i = 0; i < store.boxCount(0); ++i)
            ids.push_back(store.boxIdAt(0, i).c_str());
        return ids;
    }

    std::string segmentsOf(const std::string& id)
    {
        const TestCommandResult run = testRunCommand(testPython()
            + " " TESSEL_SOURCE_DIR "/tests/peers/msgstore.py segments '" + storeFolder() + "/" + id + "'");
        EXPECT_EQ(run.status, 0) << run.output;
        return run.output;
    }

    HeldDecisions producer;
};

TEST_F(CrossedRequests, ASecondKindOfRequestWhileAPushIsHeld)
{
    enum Second { kOpen, kRead };
    enum Hold { kAtDecision, kAtLateRetrieve };
    const struct {
        const char* name;
        Hold hold;
        Second second;
    } rows[] = {
        {"an open from the network while a push waits for its decision", kAtDecision, kOpen},
        {"an open while the relay answers the push's retrieve late", kAtLateRetrieve, kOpen},
        {"a read of a body-less part during a push", kAtLateRetrieve, kRead},
    };
    int n = 0;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string tag = std::to_string(++n);
        // A charged message, stored as its preview only: its body is at the relay.
        const std::string charged = relay.url("/msg/C" + tag + "?charge=1%20EUR&size=5000");
        CPushRequest first;
        const std::string chargedBytes = notificationFor(charged, "TC-" + tag);
        first.pdu.append(reinterpret_cast<const std::uint8_t*>(chargedBytes.data()),
            static_cast<std::uint32_t>(chargedBytes.size()));
        first.fetchNow = 1;
        ASSERT_EQ(send(first), kResultSucceeded) << relay.log();
        const std::vector<std::string> before = inboxIds();
        const std::string opened = before.front();

        // The push, held at the subscriber's decision or at a late retrieve.
        const std::string pushedPath
            = "/msg/P" + tag + "?size=3000" + (row.hold == kAtLateRetrieve ? "&late=1500" : "");
        const std::string pushedBytes
            = relayNotification(relay.url(pushedPath), "TP-" + tag, row.hold == kAtDecision);
        ASSERT_FALSE(pushedBytes.empty());
        CPushRequest push;
        push.setHeapAllocated(false);
        push.pdu.append(reinterpret_cast<const std::uint8_t*>(pushedBytes.data()),
            static_cast<std::uint32_t>(pushedBytes.size()));
        const std::size_t answered = requester.answers.size();
        requester.post(&manager, &push);
        if (row.hold == kAtDecision) {
            ASSERT_TRUE(runUntil([&] { return producer.held != nullptr; })) << relay.log();
        } else {
            const std::string retrieve = "GET " + pushedPath + " ";
            ASSERT_TRUE(runUntil([&] { return relay.log().find(retrieve) != std::string::npos; }))
                << relay.log();
        }

        CVXLHeaderMap parts[1];
        CVXLMediaItem items[1];
        CMessageOpenRequest open(5);
        CMessageReadRequest read(3);
        open.setHeapAllocated(false);
        read.setHeapAllocated(false);
        if (row.second == kOpen) {
            open.messageId = opened.c_str();
            open.fromNetwork = 1;
            open.chargeAccepted = 1;
            open.partCount = 1;
            open.partArray = parts;
            requester.post(&manager, &open);
        } else {
            read.messageId = opened.c_str();
            read.kind = 0;
            read.partCount = 1;
            read.mediaFilter
                = CMessageReadRequest::kImages | CMessageReadRequest::kVideos | CMessageReadRequest::kSounds;
            read.mediaItems = items;
            requester.post(&manager, &read);
        }
        if (row.hold == kAtDecision) {
            ASSERT_TRUE(runUntil([&] { return requester.answers.size() == answered + 1; })) << relay.log();
            producer.release();
        }
        ASSERT_TRUE(runUntil([&] {
            return requester.answers.size() >= answered + 2 && !manager.notificationBusy();
        })) << relay.log();
        // Nothing is answered twice.
        runUntil([] { return false; }, 300);
        ASSERT_EQ(requester.answers.size(), answered + 2) << relay.log();
        EXPECT_EQ(requester.answers[answered], kResultSucceeded);
        EXPECT_EQ(requester.answers[answered + 1], kResultSucceeded);

        // The push's response follows its own retrieval, once; the opened
        // message is never acknowledged.
        const std::string log = relay.log();
        const std::size_t retrieved = log.find("GET " + pushedPath + " ");
        const std::size_t responded = log.find("type=83 tid=TP-" + tag);
        ASSERT_NE(retrieved, std::string::npos) << log;
        ASSERT_NE(responded, std::string::npos) << log;
        EXPECT_LT(retrieved, responded) << log;
        EXPECT_EQ(log.find("type=83 tid=TP-" + tag, responded + 1), std::string::npos) << log;
        EXPECT_EQ(log.find("type=83 tid=TC-" + tag), std::string::npos) << log;
        EXPECT_NE(log.find("GET /msg/C" + tag + "?charge=1%20EUR&size=5000 "), std::string::npos) << log;

        // Each file holds its own image only.
        std::string pushedId;
        for (const std::string& id : inboxIds()) {
            if (id != opened && std::find(before.begin(), before.end(), id) == before.end())
                pushedId = id;
        }
        ASSERT_FALSE(pushedId.empty());
        const std::string own = segmentsOf(opened);
        const std::string pushed = segmentsOf(pushedId);
        EXPECT_NE(own.find("\"" + bigPartHex(5000) + "\""), std::string::npos) << own.substr(0, 1500);
        EXPECT_EQ(own.find("\"" + bigPartHex(3000) + "\""), std::string::npos) << own.substr(0, 1500);
        EXPECT_NE(pushed.find("\"" + bigPartHex(3000) + "\""), std::string::npos) << pushed.substr(0, 1500);
        EXPECT_EQ(pushed.find("\"" + bigPartHex(5000) + "\""), std::string::npos) << pushed.substr(0, 1500);
        if (row.second == kRead) {
            EXPECT_TRUE(items[0].mediaRef().get() != nullptr);
        }
    }
}

} // namespace
