#include "engine/client/VXLClient.h"

#include "engine/core/base/VXLLog.h"
#include "engine/core/platform/VXLPlatform.h"
#include "engine/core/platform/VXLPlatformConnection.h"
#include "engine/core/settings/VXLConfigItem.h"
#include "platform/push/PushRouter.h"
#include "tests/support/EngineDriver.h"
#include "tests/support/ExternalTool.h"
#include "tests/support/MmsRelayPeer.h"
#include "tests/support/ProcessMemory.h"
#include "tests/support/SquidProxy.h"
#include "tests/support/TestChild.h"
#include "tests/support/TestProcess.h"
#include "tests/transport/MmsTestSupport.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <vector>

// The whole engine receiving a pushed notification: the relay's datagram on
// the push port of device.conf, the push queue, the inbound manager through
// a real squid to tests/peers/mms_relay.py, and the message store, read back
// by tests/peers/msgstore.py; and the same engine killed with SIGKILL while
// it receives, then started again.

namespace {

const std::string kPeers = TESSEL_SOURCE_DIR "/tests/peers/";
const char kQueueFile[] = "Application Data/Tessel/state.wq";

std::uint16_t freeUdpPort()
{
    tessel::push::PushRouter probe;
    return probe.open(0) ? probe.port() : 0;
}

// Creates and starts the engine with the relay's MMS URL, the proxy and the
// user, and runs it past the start's wait for the push queue's load (on the
// driven clock).
bool startEngine(
    EngineDriver& driver, const std::string& mmsUrl, const std::string& proxyUri, const char* user)
{
    if (!driver.create())
        return false;
    CVXLClient& client = *driver.client();
    client.settings().setConfigString(kCfgMmscUri, mmsUrl.c_str());
    client.settings().setConfigString(kCfgProxyUri, proxyUri.c_str());
    client.settings().setConfigString(kCfgUserIdentity, user);
    if (!driver.startUp())
        return false;
    for (int i = 0; i < 100 && client.pushTimerArmed(); ++i)
        driver.runToNextTimer();
    return true;
}

// A real squid, the relay behind it and a free push port.
struct ReceivePeers {
    SquidProxy squid;
    MmsRelayPeer relay;
    std::uint16_t pushPort = 0;

    void start()
    {
        ASSERT_TRUE(squid.start()) << squid.error();
        ASSERT_TRUE(relay.start());
        pushPort = freeUdpPort();
        ASSERT_NE(pushPort, 0);
    }
};

// The image's size: a part read into memory, and one several read windows
// long that the store copies from the received file.
class VXLClientReceive : public ::testing::TestWithParam<int> { };

TEST_P(VXLClientReceive, APushedNotificationIsFetchedThroughSquidStoredAndAcknowledged)
{
    const std::string size = std::to_string(GetParam());
    TESSEL_REQUIRE_TOOL(testToolSquid());
    TESSEL_REQUIRE_TOOL(testToolTshark());
    ReceivePeers peers;
    ASSERT_NO_FATAL_FAILURE(peers.start());
    SquidProxy& squid = peers.squid;
    MmsRelayPeer& relay = peers.relay;
    const std::uint16_t pushPort = peers.pushPort;

    EngineDriver driver;
    driver.root().writeDeviceConf("push.port = " + std::to_string(pushPort) + "\n");
    ASSERT_TRUE(startEngine(driver, relay.url("/mms"), squid.proxyUri(), SquidProxy::kUser));
    CVXLClient& client = *driver.client();
    ASSERT_TRUE(client.getWapPushQueue().isLoaded());
    ASSERT_FALSE(client.pushTimerArmed());
    ASSERT_EQ(client.getWapPushSource().boundPort(), pushPort);

    // The relay pushes the notification of a message with an image part.
    const std::string location = relay.url("/msg/R5?size=" + size);
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
    EXPECT_NE(requests[0].find("GET /msg/R5?size=" + size + "&thumbnail=true"), std::string::npos)
        << requests[0];
    EXPECT_NE(requests[1].find("GET /msg/R5?size=" + size + " "), std::string::npos) << requests[1];
    EXPECT_NE(requests[2].find("POST /mms type=83 tid=T-5"), std::string::npos) << requests[2];
    const std::string oracle = mmstest::oracleText(relay.savedBody(3));
    EXPECT_NE(oracle.find("header X-Mms-Message-Type: 0x83"), std::string::npos) << oracle;
    EXPECT_NE(oracle.find("header X-Mms-Transaction-ID: T-5"), std::string::npos) << oracle;
    EXPECT_NE(oracle.find("header Status: 0x81"), std::string::npos) << oracle;

    // squid served both GETs under the NAI.
    const auto gets = squid.accessLogLines("GET " + relay.url("/msg/R5"), 2);
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
              " print(r.big_part("
            + size + ")[-" + size + ":].hex())\"");
    ASSERT_EQ(served.status, 0) << served.output;
    const std::vector<std::string> parts = testLines(served.output);
    ASSERT_EQ(parts.size(), 3u);
    for (const std::string& part : parts)
        EXPECT_NE(segments.output.find("\"" + part + "\""), std::string::npos) << part.substr(
            0, 40) << "\n" << segments.output.substr(0, 2000);

    // The push queue popped the notification: its file holds no item.
    EXPECT_EQ(driver.root().readFile(kQueueFile), std::string("\x02\x00\x00\x00\x00", 5));
}

INSTANTIATE_TEST_SUITE_P(ImageSizes, VXLClientReceive, ::testing::Values(3000, 120000));

// The relay fails the whole message once after its preview: the push is
// answered with the failure and stays queued, the Client tries it again
// two minutes later, and the retry goes on from the stored preview: one
// preview fetched and stored, the message stored once, acknowledged once.
TEST(VXLClientReceiveRetry, AWholeFetchThatFailsAfterItsPreviewIsTriedAgainFromThePreview)
{
    TESSEL_REQUIRE_TOOL(testToolSquid());
    ReceivePeers peers;
    ASSERT_NO_FATAL_FAILURE(peers.start());
    MmsRelayPeer& relay = peers.relay;
    EngineDriver driver;
    driver.root().writeDeviceConf("push.port = " + std::to_string(peers.pushPort) + "\n");
    ASSERT_TRUE(startEngine(driver, relay.url("/mms"), peers.squid.proxyUri(), SquidProxy::kUser));
    CVXLClient& client = *driver.client();

    const std::string path = "/msg/R7?failonce=1&size=3000";
    const TestCommandResult pushed = testRunCommand(testPython() + " '" + kPeers + "mms_relay.py' push "
        + std::to_string(peers.pushPort) + " T-7 --location '" + relay.url(path) + "'");
    ASSERT_EQ(pushed.status, 0) << pushed.output;

    // The first attempt: the preview is stored, the whole message is not.
    CMessageStoreManager& store = client.getMessageStoreManager();
    const auto failedOnce = [&] {
        return testLines(relay.log()).size() == 2 && !client.pushInProgress() && client.pushTimerArmed();
    };
    ASSERT_TRUE(driver.followRealTime(failedOnce, 30000)) << relay.log();
    EXPECT_EQ(client.getWapPushQueue().count(), 1u);
    EXPECT_EQ(store.boxCount(0), 1u);

    // Two minutes later the retry.
    for (int i = 0; i < 130 && client.pushTimerArmed(); ++i) {
        driver.advance(1000);
        driver.runUntilIdle();
    }
    ASSERT_FALSE(client.pushTimerArmed());
    const auto stored = [&] { return !client.pushInProgress() && client.getWapPushQueue().count() == 0; };
    ASSERT_TRUE(driver.followRealTime(stored, 30000)) << relay.log();
    driver.runUntilIdle();

    const std::vector<std::string> requests = testLines(relay.log());
    ASSERT_EQ(requests.size(), 4u) << relay.log();
    EXPECT_NE(requests[0].find("GET " + path + "&thumbnail=true"), std::string::npos) << requests[0];
    EXPECT_NE(requests[1].find("GET " + path + " "), std::string::npos) << requests[1];
    EXPECT_NE(requests[2].find("GET " + path + " "), std::string::npos) << requests[2];
    EXPECT_NE(requests[3].find("POST /mms type=83 tid=T-7"), std::string::npos) << requests[3];
    ASSERT_EQ(store.boxCount(0), 1u);

    // The one stored message holds the relay's image part whole.
    CVXLString folder;
    ASSERT_TRUE(platformHostPath(client.getMessageStore()->folder(), &folder));
    const std::string file = std::string(folder.c_str()) + "/" + store.boxIdAt(0, 0).c_str();
    const TestCommandResult segments
        = testRunCommand(testPython() + " '" + kPeers + "msgstore.py' segments '" + file + "'");
    ASSERT_EQ(segments.status, 0) << segments.output;
    const TestCommandResult served = testRunCommand(testPython() + " -c \"import sys; sys.path.insert(0, '"
        + kPeers + "'); import mms_relay as r; print(r.big_part(3000)[-3000:].hex())\"");
    ASSERT_EQ(served.status, 0) << served.output;
    EXPECT_NE(segments.output.find("\"" + testLines(served.output).at(0) + "\""), std::string::npos)
        << segments.output.substr(0, 2000);
    EXPECT_EQ(driver.root().readFile(kQueueFile), std::string("\x02\x00\x00\x00\x00", 5));
}

// The child engine: argv is the relay's MMS URL, the proxy URI and the user.
// It prints "ready FOLDER" (the message store's host folder) once the push
// queue is loaded and the push port bound, then runs until it is killed.
TESSEL_TEST_CHILD(receiveEngine)
{
    if (argc != 3)
        return 2;
    const char* rootPath = std::getenv("TESSEL_ROOT");
    if (rootPath == nullptr)
        return 2;
    TempDeviceRoot root {std::string(rootPath)};
    EngineDriver driver(&root);
    if (!startEngine(driver, argv[0], argv[1], argv[2]))
        return 3;
    CVXLClient& client = *driver.client();
    const auto ready = [&] {
        return client.getWapPushQueue().isLoaded() && !client.pushTimerArmed()
            && client.getWapPushSource().boundPort() != 0;
    };
    if (!driver.followRealTime(ready, 10000))
        return 5;
    CVXLString folder;
    if (!platformHostPath(client.getMessageStore()->folder(), &folder))
        return 6;
    std::printf("ready %s\n", folder.c_str());
    std::fflush(stdout);
    driver.followRealTime([] { return false; }, 120000);
    return 0;
}

// Polls a condition on files the child writes; the child works in real time,
// so this wait is real (bounded).
template <class Condition> bool waitFor(Condition condition, int ms)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

std::size_t count(const std::string& text, const std::string& what)
{
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

// Sends datagrams to a port on 127.0.0.1 from a socket of the test's own.
class DatagramSender {
public:
    explicit DatagramSender(std::uint16_t port)
        : fd_(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0))
    {
        to_.sin_family = AF_INET;
        to_.sin_port = htons(port);
        to_.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    }
    ~DatagramSender() { ::close(fd_); }
    DatagramSender(const DatagramSender&) = delete;
    DatagramSender& operator=(const DatagramSender&) = delete;

    bool send(const std::string& datagram)
    {
        return ::sendto(fd_, datagram.data(), datagram.size(), 0, reinterpret_cast<const sockaddr*>(&to_),
                   sizeof to_)
            == static_cast<ssize_t>(datagram.size());
    }

private:
    int fd_;
    sockaddr_in to_ {};
};

// The relay's datagram announcing `location`, as bytes.
std::string relayDatagram(const std::string& location, const std::string& tid)
{
    const TestCommandResult made = testRunCommand(testPython() + " -c \"import sys; sys.path.insert(0, '"
        + kPeers + "'); import mms_relay as r; print(r.wsp_push(1, r.notification_ind('" + location + "', '"
        + tid + "')).hex())\"");
    const std::vector<std::string> lines = testLines(made.output);
    std::string bytes;
    for (std::size_t i = 0; !lines.empty() && i + 1 < lines[0].size(); i += 2)
        bytes += static_cast<char>(std::stoi(lines[0].substr(i, 2), nullptr, 16));
    return bytes;
}

// The WSP push header the relay writes: transaction, push, headers length
// 3, the MMS content type and the application id.
constexpr std::size_t kWspHeader = 6;

// A valid notification mutated so that it can never be fetched: cut and
// followed by bytes that are no field code nor a text's end, a field the
// notification requires given a code no field has, or a value length that
// runs past the end.
std::string mutated(const std::string& datagram, std::mt19937& random)
{
    std::string out = datagram;
    const std::size_t body = datagram.size() - kWspHeader;
    switch (random() % 3) {
    case 0: {
        out.resize(kWspHeader + random() % body);
        for (std::size_t n = random() % 12; n > 0; --n)
            out += static_cast<char>(0x20 + random() % 0x5f);
        break;
    }
    case 1: {
        // Message type, transaction, size and location codes.
        const char required[] = {'\x8c', '\x98', '\x8e', '\x83'};
        const char code = required[random() % 4];
        const std::size_t at = out.find(code, kWspHeader);
        if (at != std::string::npos)
            out[at] = static_cast<char>(0xc0 + random() % 0x40);
        break;
    }
    default: {
        // The expiry's value length.
        const std::size_t at = out.find('\x88', kWspHeader);
        out.replace(at + 1, 1, std::string("\x1f\x7f", 2));
        break;
    }
    }
    return out;
}

// Sends the datagrams in bursts of `burst`, each followed by one wait of the
// host on the sockets (the burst is there by then) and a run of the engine.
void sendInBursts(
    EngineDriver& driver, std::uint16_t port, const std::vector<std::string>& datagrams, std::size_t burst)
{
    DatagramSender sender(port);
    for (std::size_t i = 0; i < datagrams.size(); ++i) {
        ASSERT_TRUE(sender.send(datagrams[i])) << i;
        if ((i + 1) % burst == 0 || i + 1 == datagrams.size()) {
            CVXLPlatformConnection::waitForSockets(1000);
            driver.runUntilIdle();
        }
    }
}

// A flood of every prefix of a valid push and of pushes whose notification
// was mutated, then one valid push: each bad one is refused at the door (so
// none fills the queue), the valid one is fetched and stored at once, and
// the queue file a restart loads holds nothing refused.
TEST(VXLClientPushFlood, BadPushesAreRefusedAndTheNextValidOneIsFetched)
{
    TESSEL_REQUIRE_TOOL(testToolSquid());
    ReceivePeers peers;
    ASSERT_NO_FATAL_FAILURE(peers.start());
    TempDeviceRoot root;
    root.writeDeviceConf("push.port = " + std::to_string(peers.pushPort) + "\n");
    const std::string emptyQueue("\x02\x00\x00\x00\x00", 5);
    {
        EngineDriver driver(&root);
        ASSERT_TRUE(startEngine(driver, peers.relay.url("/mms"), peers.squid.proxyUri(), SquidProxy::kUser));
        CVXLClient& client = *driver.client();
        const std::string valid = relayDatagram(peers.relay.url("/msg/BAD"), "T-BAD");
        ASSERT_GT(valid.size(), kWspHeader + 40);
        std::vector<std::string> flood;
        for (std::size_t n = 0; n < valid.size(); ++n)
            flood.push_back(valid.substr(0, n));
        std::mt19937 random(46);
        for (int i = 0; i < 400; ++i)
            flood.push_back(mutated(valid, random));
        ASSERT_NO_FATAL_FAILURE(sendInBursts(driver, peers.pushPort, flood, 50));
        EXPECT_EQ(client.getWapPushSource().refused(), flood.size());
        EXPECT_EQ(client.getWapPushSource().taken(), 0u);
        EXPECT_EQ(client.getWapPushQueue().count(), 0u);

        const std::string good = relayDatagram(peers.relay.url("/msg/GOOD"), "T-GOOD");
        ASSERT_NO_FATAL_FAILURE(sendInBursts(driver, peers.pushPort, {good}, 1));
        CMessageStoreManager& store = client.getMessageStoreManager();
        const auto stored = [&] {
            return store.boxCount(0) == 1 && !client.pushInProgress()
                && client.getWapPushQueue().count() == 0;
        };
        ASSERT_TRUE(driver.followRealTime(stored, 30000)) << peers.relay.log();
        const std::vector<std::string> requests = testLines(peers.relay.log());
        ASSERT_EQ(requests.size(), 3u) << peers.relay.log();
        for (const std::string& request : requests)
            EXPECT_EQ(request.find("BAD"), std::string::npos) << request;
        EXPECT_NE(requests[2].find("POST /mms type=83 tid=T-GOOD"), std::string::npos) << requests[2];
        ASSERT_TRUE(driver.shutDown());
    }
    EXPECT_EQ(root.readFile(kQueueFile), emptyQueue);
    EngineDriver again(&root);
    ASSERT_TRUE(startEngine(again, peers.relay.url("/mms"), peers.squid.proxyUri(), SquidProxy::kUser));
    EXPECT_TRUE(again.client()->getWapPushQueue().isLoaded());
    EXPECT_EQ(again.client()->getWapPushQueue().count(), 0u);
    EXPECT_EQ(again.client()->getMessageStoreManager().boxCount(0), 1u);
}

// Random datagrams, half of them behind a valid WSP push header: every one
// refused and logged, nothing queued, and the engine's memory stays where
// it was.
TEST(VXLClientPushFlood, RandomDatagramsAreRefusedLoggedAndHoldNoMemory)
{
    const std::uint16_t port = freeUdpPort();
    ASSERT_NE(port, 0);
    EngineDriver driver;
    driver.root().writeDeviceConf("push.port = " + std::to_string(port) + "\n");
    ASSERT_TRUE(startEngine(driver, "http://127.0.0.1:9/mms", "", ""));
    CVXLClient& client = *driver.client();
    std::mt19937 random(3000);
    const auto datagrams = [&](int n) {
        std::vector<std::string> out;
        for (int i = 0; i < n; ++i) {
            std::string bytes = i % 2 ? std::string("\x01\x06\x03\xbe\xaf\x84", kWspHeader) : std::string();
            for (std::size_t k = random() % 600; k > 0; --k)
                bytes += static_cast<char>(random());
            out.push_back(bytes);
        }
        return out;
    };
    // A first round settles what the engine allocates once.
    ASSERT_NO_FATAL_FAILURE(sendInBursts(driver, port, datagrams(200), 100));
    const long before = testResidentKilobytes();
    ASSERT_NO_FATAL_FAILURE(sendInBursts(driver, port, datagrams(3000), 100));
    const long after = testResidentKilobytes();
#if !defined(TESSEL_ASAN) // the sanitizer keeps freed memory in quarantine
    EXPECT_LT(after - before, 4096) << before << " kB before, " << after << " kB after";
#else
    (void)before;
    (void)after;
#endif
    EXPECT_EQ(client.getWapPushSource().refused(), 3200u);
    EXPECT_EQ(client.getWapPushSource().taken(), 0u);
    EXPECT_EQ(client.getWapPushQueue().count(), 0u);
    CVXLLog::flush();
    EXPECT_EQ(count(driver.root().readFile("log/engine.log"), "push source: a datagram of"), 3200u);
    EXPECT_EQ(driver.root().readFile(kQueueFile), "");
}

TEST(VXLClientReceiveCrash, KillsDuringReceivesLeaveEveryMessageStoredExactlyOnce)
{
    TESSEL_REQUIRE_TOOL(testToolSquid());
    ReceivePeers peers;
    ASSERT_NO_FATAL_FAILURE(peers.start());
    SquidProxy& squid = peers.squid;
    MmsRelayPeer& relay = peers.relay;
    const std::uint16_t pushPort = peers.pushPort;

    TempDeviceRoot root;
    root.writeDeviceConf("push.port = " + std::to_string(pushPort) + "\n");
    const std::string output = root.hostPath("child.out");
    const std::vector<std::string> child = {testChildProgram(), testChildFlag("receiveEngine"),
        relay.url("/mms"), squid.proxyUri(), SquidProxy::kUser};
    const std::string emptyQueue("\x02\x00\x00\x00\x00", 5);

    std::string folder;
    int started = 0;
    // Starts the child and waits for its "ready" line.
    const auto start = [&]() -> pid_t {
        const pid_t pid = testSpawn(child, output);
        ++started;
        const bool ready = waitFor(
            [&] { return count(root.readFile("child.out"), "ready ") == std::size_t(started); }, 20000);
        if (!ready) {
            testStopProcess(pid, 1000);
            return -1;
        }
        const std::string text = root.readFile("child.out");
        const std::size_t at = text.rfind("ready ");
        folder = text.substr(at + 6, text.find('\n', at) - at - 6);
        return pid;
    };
    // No file yet, or one that holds no item.
    const auto drained = [&] {
        const std::string queue = root.readFile(kQueueFile);
        return queue.empty() || queue == emptyQueue;
    };

    std::mt19937 random(20261210);
    std::vector<std::string> pushed;
    int interrupted = 0;
    for (int round = 0; round < 6; ++round) {
        const pid_t pid = start();
        ASSERT_GT(pid, 0) << "round " << round << ": " << root.readFile("child.out");
        // What an earlier kill left is processed first, so no notification is
        // at the head through two kills (the queue would drop it).
        ASSERT_TRUE(waitFor(drained, 30000)) << "round " << round << "\n" << relay.log();
        for (int k = 0; k < 2; ++k) {
            const std::string id = "R" + std::to_string(round) + "x" + std::to_string(k);
            const TestCommandResult sent = testRunCommand(testPython() + " '" + kPeers + "mms_relay.py' push "
                + std::to_string(pushPort) + " T-" + id + " --location '"
                + relay.url("/msg/" + id + "?size=60000&late=400") + "'");
            ASSERT_EQ(sent.status, 0) << sent.output;
            // Taken: in the queue file, or already fetched.
            ASSERT_TRUE(waitFor(
                [&] {
                    return root.readFile(kQueueFile).find("/msg/" + id) != std::string::npos
                        || relay.log().find("/msg/" + id) != std::string::npos;
                },
                10000))
                << id;
            pushed.push_back(id);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(random() % 900));
        if (!drained())
            ++interrupted;
        ::kill(-pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
    }

    // Most kills fell while notifications were still being received.
    EXPECT_GE(interrupted, 3);

    // A last run takes what is left, then stops.
    const pid_t last = start();
    ASSERT_GT(last, 0) << root.readFile("child.out");
    ASSERT_TRUE(waitFor(drained, 30000)) << relay.log();
    testStopProcess(last, 5000);

    // Python reads the store: each pushed message's id in exactly one stored
    // message, and nothing else in the inbox.
    const TestCommandResult store
        = testRunCommand(testPython() + " '" + kPeers + "msgstore.py' store-read '" + folder + "'");
    ASSERT_EQ(store.status, 0) << store.output;
    std::map<std::string, int> seen;
    std::size_t inbox = 0;
    const std::size_t listStart = store.output.find("[[");
    const std::size_t listEnd = store.output.find(']', listStart);
    ASSERT_NE(listStart, std::string::npos) << store.output;
    const std::string inboxList = store.output.substr(listStart + 2, listEnd - listStart - 2);
    for (std::size_t at = inboxList.find('"'); at != std::string::npos; at = inboxList.find('"', at + 1)) {
        const std::size_t end = inboxList.find('"', at + 1);
        const std::string id = inboxList.substr(at + 1, end - at - 1);
        at = end;
        ++inbox;
        const TestCommandResult segments = testRunCommand(
            testPython() + " '" + kPeers + "msgstore.py' segments '" + folder + "/" + id + "'");
        ASSERT_EQ(segments.status, 0) << id << ": " << segments.output;
        for (const std::string& message : pushed)
            if (segments.output.find("relay-msg-" + message + "\"") != std::string::npos)
                ++seen[message];
    }
    for (const std::string& message : pushed)
        EXPECT_EQ(seen[message], 1) << message << "\n" << store.output;
    EXPECT_EQ(inbox, pushed.size()) << store.output;
}

} // namespace
