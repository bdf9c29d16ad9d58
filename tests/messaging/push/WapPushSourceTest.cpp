#include "engine/messaging/push/WapPushSource.h"
#include "engine/core/base/VXLLog.h"
#include "engine/core/platform/VXLPlatformConnection.h"
#include "engine/files/VXLFileStoreManager.h"
#include "engine/messaging/push/WapPushQueue.h"
#include "tests/support/ExternalTool.h"
#include "tests/support/FileStoreFixture.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

namespace {

// Whether a pcapng file (in this machine's byte order) holds a whole packet
// block yet.
bool holdsAPacket(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    constexpr std::uint32_t kEnhancedPacketBlock = 6;
    constexpr std::uint32_t kSimplePacketBlock = 3;
    std::size_t at = 0;
    while (at + 12 <= bytes.size()) {
        std::uint32_t type = 0;
        std::uint32_t length = 0;
        std::memcpy(&type, bytes.data() + at, 4);
        std::memcpy(&length, bytes.data() + at + 4, 4);
        if (length < 12 || length > bytes.size() - at)
            return false;
        if (type == kEnhancedPacketBlock || type == kSimplePacketBlock)
            return true;
        at += length;
    }
    return false;
}

const std::string kRelay = "'" TESSEL_SOURCE_DIR "/tests/peers/mms_relay.py'";

// The push source and the queue it feeds, over a real File Store Manager.
class WapPushSourceTest : public ::testing::Test, public FileStoreFixture {
public:
    CVXLFileStoreManager files;
    CWapPushQueue queue;
    CWapPushSource source;

    void start()
    {
        files.setFileStore(&store);
        queue.setFileStoreManager(&files);
        source.setQueue(&queue);
        driver.attach(&files);
        driver.attach(&queue);
        driver.attach(&source);
        driver.runUntilIdle();
    }

    // The relay's notification for `id`, sent as a push datagram; returns
    // the relay's "PDU" and "DATAGRAM" lines.
    std::vector<std::string> relayPush(std::uint16_t port, const std::string& id)
    {
        return testLines(runPython(kRelay + " push " + std::to_string(port) + " " + id));
    }

    // Runs the host's wait and the tree until the queue holds `n` items; a
    // datagram sent on loopback is waiting by the time the sender has
    // exited, so the first wait finds it (bounded: 5 s).
    bool pollUntil(std::uint32_t n)
    {
        for (int i = 0; i < 50 && queue.count() < n; ++i) {
            CVXLPlatformConnection::waitForSockets(100);
            driver.runUntilIdle();
        }
        return queue.count() >= n;
    }

    std::string headHex()
    {
        const CWapPushItem* head = queue.peekHead();
        return head
            ? testHex(std::string(reinterpret_cast<const char*>(head->pdu.data()), head->pdu.length()))
            : "";
    }
};

std::uint16_t freePort()
{
    tessel::push::PushRouter probe;
    return probe.open(0) ? probe.port() : 0;
}

// The port comes from device.conf; the relay's notification lands in the
// queue without its WSP header and is saved at once.
TEST_F(WapPushSourceTest, ARelayNotificationReachesTheQueueAndItsFile)
{
    const std::uint16_t port = freePort();
    ASSERT_NE(port, 0);
    root.writeDeviceConf("push.port = " + std::to_string(port) + "\n");
    start();
    ASSERT_EQ(source.boundPort(), port);
    // Listening arms no timer: the engine sleeps until a datagram comes.
    EXPECT_FALSE(source.hasTimers());
    tessel::sockets::SocketWatch watched[2 * CVXLPlatformConnection::kMaxWatching];
    EXPECT_EQ(CVXLPlatformConnection::watchedSockets(watched, 2 * CVXLPlatformConnection::kMaxWatching), 1u);
    const auto sent = relayPush(port, "m1");
    ASSERT_EQ(sent.size(), 2u);
    ASSERT_EQ(sent[0].rfind("PDU ", 0), 0u);
    ASSERT_TRUE(pollUntil(1));
    EXPECT_EQ("PDU " + headHex(), sent[0]);
    EXPECT_EQ(queue.peekHead()->fetchNow, 0u);
    EXPECT_EQ(queue.peekHead()->attempts, 0u);
    driver.runUntilIdle();
    EXPECT_NE(runPython("'" TESSEL_SOURCE_DIR "/tests/peers/push_queue_file.py' read '" + hostFile("state.wq")
                  + "'")
                  .find(sent[0].substr(4)),
        std::string::npos);
    relayPush(port, "m2");
    ASSERT_TRUE(pollUntil(2));
    EXPECT_EQ(source.taken(), 2u);
}

TEST_F(WapPushSourceTest, WithoutAPortTheSourceIdles)
{
    start();
    EXPECT_TRUE(source.isActive());
    EXPECT_EQ(source.boundPort(), 0);
    EXPECT_EQ(driver.nextTimeout(), kNoDeadline);
}

// Datagrams that are no MMS push, or whose notification does not decode
// whole, are dropped and logged; nothing is queued.
TEST_F(WapPushSourceTest, DatagramsThatAreNoMmsPushAreRefused)
{
    start();
    // Type, transaction, version, class, size, expiry, then the location.
    const std::string fields = std::string("\x8c\x82\x98T\x00\x8d\x92\x8a\x80\x8e\x02\x08\x00"
                                           "\x88\x05\x81\x03\x01\x51\x80",
        20);
    const std::string notification = fields + "\x83http://r/m" + '\0';
    const std::string push = std::string("\x01\x06\x01\xbe", 4);
    struct Case {
        const char* what;
        std::string datagram;
        const char* logged; // null: taken
    };
    const Case cases[] = {
        {"well-known MMS type", std::string("\x01\x06\x01\xbe", 4) + notification, nullptr},
        {"MMS type by name",
            std::string("\x01\x06\x20", 3) + "application/vnd.wap.mms-message" + '\0' + notification,
            nullptr},
        {"MMS type with a value length", std::string("\x01\x06\x04\x03\xbe\x81\xea", 7) + notification,
            nullptr},
        {"too short", std::string("\x01\x06", 2), "too short"},
        {"a confirmed push", std::string("\x01\x07\x01\xbe", 4) + notification, "not a push PDU"},
        {"headers beyond the datagram", std::string("\x01\x06\x09\xbe", 4), "headers length beyond"},
        {"uintvar too long", std::string("\x01\x06\xff\xff\xff\xff\xff\x01\xbe", 9), "headers length beyond"},
        {"content type text without its end",
            std::string("\x01\x06\x03"
                        "abc",
                6)
                + notification,
            "unreadable content type"},
        {"another content type", std::string("\x01\x06\x01\xb0", 4) + notification,
            "not an MMS notification"},
        {"no data", std::string("\x01\x06\x01\xbe", 4), "no data"},
        {"a notification cut in its location", push + fields + "\x83http://r", "does not decode"},
        {"a notification cut after a whole field", push + fields, "a field its type requires is missing"},
        {"a notification without its transaction", push + "\x8c\x82" + notification.substr(5),
            "a field its type requires is missing"},
        {"a send request", push + "\x8c\x80" + notification.substr(2), "not a notification or report"},
        {"longer than a datagram", std::string("\x01\x06\x01\xbe", 4) + std::string(70000, 'x'),
            "longer than"},
    };
    std::uint32_t taken = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(source.takeDatagram(c.datagram), c.logged == nullptr);
        driver.runUntilIdle();
        taken += c.logged == nullptr;
        EXPECT_EQ(queue.count(), taken);
        if (c.logged) {
            CVXLLog::flush();
            EXPECT_NE(root.readFile("log/engine.log").find(c.logged), std::string::npos);
        }
    }
    EXPECT_EQ(headHex(), testHex(notification));
}

// A capture of the loopback while the relay pushes: tshark's WSP and MMS
// dissectors read the datagram as a push of an m-notification-ind.
TEST_F(WapPushSourceTest, TsharkReadsTheRelaysDatagramAsAnMmsPush)
{
    TESSEL_REQUIRE_TOOL(testToolTshark());
    const std::uint16_t port = freePort();
    ASSERT_NE(port, 0);
    source.setPort(port);
    start();
    const std::string pcap = root.hostPath("push.pcap");
    const pid_t capture = testSpawn(
        {"/usr/bin/env", "dumpcap", "-q", "-i", "lo", "-f", "udp port " + std::to_string(port), "-w", pcap},
        pcap + ".out");
    ASSERT_GT(capture, 0);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::ifstream(pcap).peek() == EOF && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    const auto sent = relayPush(port, "m7");
    ASSERT_TRUE(pollUntil(1));
    // dumpcap writes what it caught in its own time, and a stop before that
    // loses the datagram: stop it once the datagram is in the file.
    const auto written = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!holdsAPacket(pcap) && std::chrono::steady_clock::now() < written)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    testStopProcess(capture, 5000);
    const TestCommandResult shown
        = testRunCommand("tshark -r '" + pcap + "' -d udp.port==" + std::to_string(port)
            + ",wsp -T fields -e wsp.pdu_type -e wsp.header.x_wap_application_id -e mmse.message_type"
              " -e mmse.transaction_id -e mmse.content_location -e _ws.malformed 2>/dev/null");
    EXPECT_EQ(shown.status, 0);
    EXPECT_EQ(shown.output, "0x06\tx-wap-application:mms.ua\t0x82\tm7\thttp://127.0.0.1/retrieve/m7\t\n");
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ("PDU " + headHex(), sent[0]);
}

} // namespace
