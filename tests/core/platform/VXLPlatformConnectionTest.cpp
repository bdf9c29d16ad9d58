#include "engine/core/platform/VXLPlatformConnection.h"
#include "engine/core/platform/VXLPlatformStatus.h"
#include "platform/cellcore/ConnectionManager.h"
#include "tests/core/platform/RecordingSinks.h"
#include "tests/support/LoopbackServer.h"
#include "tests/support/TempDeviceRoot.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>

namespace {

using Values = std::vector<std::uint32_t>;
const std::uint32_t kLoopback = htonl(INADDR_LOOPBACK);

// Asks connect again, as the dialer does, when the socket says it has ended
// (bounded: 5 s). Answers every status seen.
Values connectUntilDone(CVXLPlatformConnection& connection, std::uint16_t port)
{
    RecordingCallback sink;
    RecordingCallback ready;
    connection.connect(kLoopback, port, &sink);
    for (int i = 0; i < 50 && sink.values.back() == kPlatformConnectUnderWay; ++i) {
        connection.watch(CVXLPlatformConnection::Readiness::Writable, &ready);
        CVXLPlatformConnection::waitForSockets(100);
        connection.connect(kLoopback, port, &sink);
    }
    return sink.values;
}

// Receives when the socket says something came, until something arrived or
// the connection ended (bounded: 5 s).
template <class Sink = RecordingData> Sink receiveSome(CVXLPlatformConnection& connection)
{
    Sink data;
    RecordingCallback ready;
    for (int i = 0; i < 50; ++i) {
        connection.receive(&data, 64);
        if (!data.chunks.empty() || data.statuses.back() != kPlatformOk)
            break;
        connection.watch(CVXLPlatformConnection::Readiness::Readable, &ready);
        CVXLPlatformConnection::waitForSockets(100);
    }
    return data;
}

TEST(PlatformConnection, ConnectsAtOnceAndTalksOverLoopback)
{
    TempDeviceRoot root;
    LoopbackServer server;
    CVXLPlatformConnection connection;
    RecordingCallback connected;
    connection.connect(kLoopback, htons(server.port()), &connected);
    EXPECT_EQ(connected.values, Values {kPlatformOk}) << "a connect that has ended is not reported under way";
    EXPECT_NE(root.readFile("log/debug.log").find("WinTS: Connecting to addr: 127.0.0.1"), std::string::npos);
    server.accept();

    RecordingData nothing;
    connection.receive(&nothing, 64);
    EXPECT_TRUE(nothing.chunks.empty());
    EXPECT_EQ(nothing.statuses, Values {kPlatformOk}) << "no data yet";

    RecordingSource request("GET / HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
    connection.send(&request);
    ASSERT_EQ(request.consumed.size(), 1u);
    EXPECT_EQ(request.consumed[0], std::make_pair(std::uint32_t(request.data.size()), kPlatformOk));
    EXPECT_EQ(server.receive(request.data.size()), request.data);
    RecordingSource empty("");
    connection.send(&empty);
    EXPECT_EQ(empty.consumed, (std::vector<std::pair<std::uint32_t, std::uint32_t>> {{0, kPlatformOk}}));

    ASSERT_TRUE(server.send("HTTP/1.1 200 OK\r\n"));
    RecordingData reply = receiveSome(connection);
    EXPECT_EQ(reply.bytes(), "HTTP/1.1 200 OK\r\n");
    EXPECT_EQ(reply.statuses.back(), kPlatformOk);

    // An orderly close by the peer is its own status, not "no data yet".
    server.closePeer();
    RecordingData closed = receiveSome(connection);
    EXPECT_TRUE(closed.chunks.empty());
    EXPECT_EQ(closed.statuses.back(), kPlatformPeerClosed);

    RecordingCallback closing;
    connection.close(&closing);
    connection.close(&closing);
    EXPECT_EQ(closing.values, (Values {kPlatformOk, kPlatformOk}));
    EXPECT_FALSE(connection.hasSocket());
    RecordingData afterClose;
    connection.receive(&afterClose, 10);
    EXPECT_EQ(afterClose.statuses, Values {kPlatformReceiveFailed});
}

// Offers room of its own, as the network connection does; the bytes must be
// read into it, never handed over as a copy.
struct RoomSink : RecordingData {
    std::uint8_t* roomFor(std::uint32_t size) override
    {
        room.assign(size, '\0');
        return reinterpret_cast<std::uint8_t*>(room.data());
    }
    void roomFilled(std::uint32_t count) override
    {
        filled.push_back(count);
        if (count > 0)
            chunks.emplace_back(room.data(), count);
    }
    void dataArrived(const std::uint8_t*, std::uint32_t) override { copied = true; }
    std::string room;
    Values filled;
    bool copied = false;
};

TEST(PlatformConnection, ASinkWithRoomHasTheBytesReadIntoIt)
{
    struct Case {
        const char* what;
        const char* sent; // null: the peer closes instead
        Values filled;
        std::uint32_t status;
    } cases[] = {
        {"data", "HTTP/1.1 200 OK\r\n", {17}, kPlatformOk},
        {"peer closed", nullptr, {0}, kPlatformPeerClosed},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDeviceRoot root;
        LoopbackServer server;
        CVXLPlatformConnection connection;
        ASSERT_EQ(connectUntilDone(connection, htons(server.port())).back(), kPlatformOk);
        server.accept();
        if (c.sent)
            ASSERT_TRUE(server.send(c.sent));
        else
            server.closePeer();
        RoomSink data = receiveSome<RoomSink>(connection);
        EXPECT_FALSE(data.copied);
        EXPECT_EQ(data.filled, c.filled);
        EXPECT_EQ(data.bytes(), c.sent ? c.sent : "");
        EXPECT_EQ(data.statuses.back(), c.status);
    }
}

// The host's wait tells a watching connection once, when its socket is ready
// for what it waits for; a close drops the watch.
TEST(PlatformConnection, TheHostsWaitTellsAWatchOnceWhenItsSocketIsReady)
{
    using Readiness = CVXLPlatformConnection::Readiness;
    struct Case {
        const char* what;
        Readiness readiness;
        bool dataFirst;
        bool closeFirst;
        Values told;
    } cases[] = {
        {"readable, nothing came", Readiness::Readable, false, false, {}},
        {"readable, data came", Readiness::Readable, true, false, {kPlatformOk}},
        {"writable", Readiness::Writable, false, false, {kPlatformOk}},
        {"closed before the wait", Readiness::Readable, true, true, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDeviceRoot root;
        LoopbackServer server;
        CVXLPlatformConnection connection;
        RecordingCallback connected;
        connection.connect(kLoopback, htons(server.port()), &connected);
        ASSERT_EQ(connected.values, Values {kPlatformOk});
        server.accept();
        if (c.dataFirst) {
            ASSERT_TRUE(server.send("x"));
        }
        RecordingCallback ready;
        connection.watch(c.readiness, &ready);
        if (c.closeFirst)
            connection.close(nullptr);
        // Data on loopback is there before send returns; a wait that finds
        // nothing ends after its 20 ms.
        CVXLPlatformConnection::waitForSockets(c.told.empty() ? 20 : 5000);
        EXPECT_EQ(ready.values, c.told);
        CVXLPlatformConnection::waitForSockets(0);
        EXPECT_EQ(ready.values, c.told) << "told once only";
    }
}

TEST(PlatformConnection, ANameIsLookedUpOffTheCallersThread)
{
    TempDeviceRoot root;
    CVXLPlatformConnection connection;
    RecordingCallback sink;
    connection.resolve("localhost", &sink);
    for (int i = 0; i < 50 && sink.values.empty(); ++i)
        CVXLPlatformConnection::waitForSockets(100);
    EXPECT_EQ(sink.values, Values {kLoopback});

    // A lookup forgotten by a close is never told.
    RecordingCallback forgotten;
    connection.resolve("localhost", &forgotten);
    connection.close(nullptr);
    CVXLPlatformConnection::waitForSockets(50);
    EXPECT_TRUE(forgotten.values.empty());
}

TEST(PlatformConnection, ARefusedPortReportsConnectFailed)
{
    TempDeviceRoot root;
    LoopbackServer server;
    const std::uint16_t port = htons(server.port());
    server.stopListening();
    CVXLPlatformConnection connection;
    Values statuses = connectUntilDone(connection, port);
    EXPECT_EQ(statuses.back(), kPlatformConnectFailed);
    // A fresh connect after a failure starts over on a new socket.
    LoopbackServer other;
    EXPECT_EQ(connectUntilDone(connection, htons(other.port())).back(), kPlatformOk);
}

TEST(PlatformConnection, NoCellularSystemFailsTheConnectAtOnce)
{
    TempDeviceRoot root;
    root.writeDeviceConf("cellular.available = 0\n");
    LoopbackServer server;
    CVXLPlatformConnection connection;
    RecordingCallback sink;
    connection.connect(kLoopback, htons(server.port()), &sink);
    EXPECT_EQ(sink.values, Values {kPlatformConnectFailed});
    EXPECT_FALSE(connection.hasSocket());
}

TEST(PlatformConnection, StartBringsUpThePacketDataPathOrReportsNoPath)
{
    TempDeviceRoot root;
    struct Case {
        const char* conf;
        std::uint32_t status;
        bool messageBox;
    } cases[] = {
        {"", kPlatformOk, false},
        {"connection = refuse\n", kPlatformNoNetworkPath, false},
        {"connection = nopath\n", kPlatformNoNetworkPath, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.conf);
        root.writeDeviceConf(c.conf);
        CVXLPlatformConnection connection;
        RecordingCallback sink;
        connection.start(&sink);
        EXPECT_EQ(sink.values, Values {c.status});
        EXPECT_EQ(root.readFile("log/messagebox.log") == "Can't find Internet Path\n", c.messageBox);
    }
    CVXLPlatformConnection connection;
    RecordingCallback sink;
    connection.cleanup(&sink);
    connection.flush(&sink);
    connection.resolve("127.0.0.1", &sink);
    connection.resolve("", &sink);
    EXPECT_EQ(sink.values, (Values {kPlatformOk, kPlatformOk, kLoopback, 0}));
}

} // namespace
