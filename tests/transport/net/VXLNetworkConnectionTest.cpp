#include "engine/transport/net/VXLNetworkConnection.h"

#include "engine/core/jobs/VXLResultCodes.h"
#include "engine/transport/net/VXLHttpSettings.h"
#include "engine/transport/net/VXLReceiveRequest.h"
#include "engine/transport/net/VXLSendRequest.h"
#include "tests/support/JobTreeDriver.h"
#include "tests/support/TempDeviceRoot.h"
#include "tests/support/TestProcess.h"
#include "tests/transport/HttpJobFixture.h"
#include "tests/transport/NetTestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>

namespace {

struct Recorder : CVXLCallback {
    void call(std::uint32_t value) override { last = value; }
    std::uint32_t last = 0xFFFFFFFFu;
};

// A connection job over a socket connected to a loopback server, with a
// requester, under a driven clock.
struct ConnectionFixture {
    explicit ConnectionFixture(CVXLPlatformConnection* platformSocket = nullptr)
        : socket(platformSocket ? platformSocket : &realSocket)
        , connection(socket, &settings)
    {
        if (!platformSocket) {
            Recorder status;
            realSocket.connect(htonl(INADDR_LOOPBACK), htons(server.port()), &status);
            EXPECT_EQ(kPlatformOk, status.last);
            server.accept();
        }
        driver.attach(&connection);
        driver.attach(&requester);
        driver.runUntilIdle();
        receive.buffer = &received;
        send.buffer = &toSend;
    }
    // Waits on the sockets and steps until done (bounded: 5 s of real time);
    // the driven clock stays where it is.
    bool runUntil(const std::function<bool()>& done, const std::function<void()>& between = {})
    {
        driver.runUntilIdle();
        for (int i = 0; i < 500 && !done(); ++i) {
            if (between)
                between();
            CVXLPlatformConnection::waitForSockets(10);
            driver.runUntilIdle();
        }
        return done();
    }
    std::string text() const
    {
        return std::string(reinterpret_cast<const char*>(received.data()), received.length());
    }
    std::int32_t lastResult() const { return requester.results.empty() ? -1 : requester.results.back(); }

    TempDeviceRoot root;
    LoopbackServer server;
    CVXLPlatformConnection realSocket;
    CVXLPlatformConnection* socket;
    JobTreeDriver driver;
    CVXLHttpSettings settings;
    CVXLNetworkConnection connection;
    TraceJob requester {"requester"};
    CVXLReceiveRequest receive;
    CVXLSendRequest send;
    CVXLByteBuffer received;
    CVXLByteBuffer toSend;
};

// No timer polls the socket: the receive waits for the host's wait to find
// data, with only its time-out armed, and reads it at once.
TEST(NetworkConnection, AReceiveWaitsForTheSocketThenReadsAtOnce)
{
    ConnectionFixture f;
    f.receive.wanted = 100;
    f.requester.post(&f.connection, &f.receive);
    f.driver.runUntilIdle();
    EXPECT_EQ(CVXLNetworkConnection::kReceiveTimeoutMs, f.driver.nextTimeout());
    CVXLPlatformConnection::waitForSockets(0);
    f.driver.runUntilIdle();
    EXPECT_TRUE(f.receive.isBusy());
    ASSERT_TRUE(f.server.send("hello"));
    CVXLPlatformConnection::waitForSockets(5000);
    f.driver.runUntilIdle();
    ASSERT_FALSE(f.receive.isBusy());
    EXPECT_EQ(kResultSucceeded, f.lastResult());
    EXPECT_EQ(5u, f.receive.received);
    EXPECT_EQ("hello", f.text());
    EXPECT_EQ(kNoDeadline, f.driver.nextTimeout()) << "both timers are cancelled";

    // A send goes out whole on loopback.
    const std::string request = "GET / HTTP/1.1\r\n\r\n";
    f.toSend.append(request.data(), static_cast<std::uint32_t>(request.size()));
    f.requester.post(&f.connection, &f.send);
    f.driver.runUntilIdle();
    EXPECT_EQ(request.size(), f.send.sent);
    EXPECT_EQ(request, f.server.receiveNow());
}

TEST(NetworkConnection, APeerCloseEndsTheReceiveWithItsOwnStatus)
{
    ConnectionFixture f;
    f.server.closePeer();
    f.receive.wanted = 100;
    f.requester.post(&f.connection, &f.receive);
    f.driver.runUntilIdle();
    ASSERT_FALSE(f.receive.isBusy());
    EXPECT_EQ(static_cast<std::int32_t>(kPlatformPeerClosed), f.lastResult());
}

// After a time-out or a cancel the socket is closed; the connection stays
// and takes requests again, which the closed socket fails.
TEST(NetworkConnection, TimeOutAndCancelCloseTheSocket)
{
    for (bool cancel : {false, true}) {
        SCOPED_TRACE(cancel ? "cancel" : "time-out");
        ConnectionFixture f;
        f.receive.wanted = 100;
        f.requester.post(&f.connection, &f.receive);
        f.driver.runUntilIdle();
        const std::uint32_t start = f.driver.now();
        if (cancel) {
            f.requester.cancelEventsWith(&f.connection);
            f.driver.runUntilIdle();
        } else {
            for (int i = 0; i < 1000 && f.receive.isBusy(); ++i)
                f.driver.runToNextTimer();
            EXPECT_EQ(CVXLNetworkConnection::kReceiveTimeoutMs, f.driver.now() - start);
        }
        ASSERT_FALSE(f.receive.isBusy());
        EXPECT_EQ(cancel ? std::int32_t(kResultCancelled) : std::int32_t(kResultTimedOut), f.lastResult());
        f.driver.runUntilIdle();
        EXPECT_FALSE(f.realSocket.hasSocket());
        f.requester.post(&f.connection, &f.receive);
        f.driver.runUntilIdle();
        EXPECT_EQ(static_cast<std::int32_t>(kPlatformReceiveFailed), f.lastResult());
    }
}

TEST(NetworkConnection, DataTrafficOffAnswersNinetyAtOnce)
{
    ConnectionFixture f;
    f.settings.dataTrafficOff = true;
    f.receive.wanted = 10;
    f.requester.post(&f.connection, &f.receive);
    f.driver.runUntilIdle();
    EXPECT_EQ(kResultDataTrafficOff, f.lastResult());
    f.requester.post(&f.connection, &f.send);
    f.driver.runUntilIdle();
    EXPECT_EQ(kResultDataTrafficOff, f.lastResult());
}

TEST(NetworkConnection, APartialSendAnswersWithTheSmallerCount)
{
    ScriptedConnection scripted;
    scripted.sendLimit = 3;
    ConnectionFixture f(&scripted);
    f.toSend.append("abcdefgh", 8);
    f.requester.post(&f.connection, &f.send);
    f.driver.runUntilIdle();
    EXPECT_EQ(kResultSucceeded, f.lastResult());
    EXPECT_EQ(3u, f.send.sent);
    EXPECT_EQ("abc", scripted.sent);
}

// A send that finds no room waits for it instead of answering "0 sent" (on
// which the HTTP job would offer the bytes again at once, for ever); it
// fails with 65 when nothing moves for 60 s.
TEST(NetworkConnection, ASendToAPeerThatStopsReadingWaitsForRoomOrTimesOut)
{
    for (bool peerReadsAgain : {true, false}) {
        SCOPED_TRACE(peerReadsAgain ? "the peer reads again" : "the peer stays silent");
        ConnectionFixture f;
        f.toSend.fill(0, 'x', 4 * 1024 * 1024);
        for (int i = 0; i < 64 && !f.send.isBusy(); ++i) {
            f.requester.post(&f.connection, &f.send);
            f.driver.runUntilIdle();
            if (!f.send.isBusy()) {
                ASSERT_EQ(kResultSucceeded, f.lastResult());
                ASSERT_NE(0u, f.send.sent) << "a send answered with nothing sent";
            }
        }
        ASSERT_TRUE(f.send.isBusy()) << "the socket never filled";
        EXPECT_EQ(CVXLNetworkConnection::kSendTimeoutMs, f.driver.nextTimeout())
            << "nothing but the time-out";
        if (peerReadsAgain) {
            ASSERT_TRUE(f.runUntil([&] { return !f.send.isBusy(); }, [&] { f.server.receiveNow(); }));
            EXPECT_EQ(kResultSucceeded, f.lastResult());
            EXPECT_NE(0u, f.send.sent);
            continue;
        }
        f.driver.advance(CVXLNetworkConnection::kSendTimeoutMs - 1);
        f.driver.runUntilIdle();
        EXPECT_TRUE(f.send.isBusy());
        f.driver.runToNextTimer();
        ASSERT_FALSE(f.send.isBusy());
        EXPECT_EQ(kResultTimedOut, f.lastResult());
        f.driver.runUntilIdle();
        EXPECT_FALSE(f.realSocket.hasSocket());
    }
}

// tests/peers/deaf_peer.py, for as long as the test runs.
struct DeafPeer {
    DeafPeer()
    {
        char pattern[] = "/tmp/tessel-deafpeer-XXXXXX";
        const int fd = ::mkstemp(pattern);
        if (fd >= 0)
            ::close(fd);
        output = pattern;
        pid = testStartPythonPeer("deaf_peer.py", {"60"}, output, &port);
    }
    ~DeafPeer()
    {
        if (pid > 0)
            testStopProcess(pid, 5000);
        std::remove(output.c_str());
    }
    std::string output;
    std::uint16_t port = 0;
    pid_t pid = -1;
};

// The whole path: the HTTP job's 32 MB POST to a peer that reads only the
// head. The tree goes idle (no send spins) and the POST ends with 65 once
// 60 s have passed on the driven clock.
TEST(NetworkConnection, AnHttpPostToAPeerThatStopsReadingEndsWithSixtyFive)
{
    DeafPeer peer;
    ASSERT_GT(peer.pid, 0);
    HttpJobFixture f;
    const std::uint32_t partBytes = 1024 * 1024;
    f.setParts(std::vector<std::string>(32, std::string(partBytes, 'p')));
    CVXLHttpRequest& r = f.start(CVXLHttpRequest::kPost, testLoopbackUrl(peer.port, "/upload"));
    r.setContentLength(32 * partBytes);
    ASSERT_TRUE(
        f.pump([&] { return f.dialer.connectionCount() == 1 && f.driver.nextTimeout() > 1000; }, 10000))
        << "the job never went idle";
    ASSERT_TRUE(r.isBusy());
    const std::uint32_t start = f.driver.now();
    for (int i = 0; i < 100 && r.isBusy(); ++i)
        f.driver.runToNextTimer();
    ASSERT_FALSE(r.isBusy());
    EXPECT_EQ(kResultTimedOut, f.current.result);
    EXPECT_LE(f.driver.now() - start, CVXLNetworkConnection::kSendTimeoutMs);
}

// A stop during a receive closes the socket first; the receive is answered
// (cancelled) rather than left waiting.
TEST(NetworkConnection, StopDuringAReceiveClosesThenAnswersTheStop)
{
    ConnectionFixture f;
    f.receive.wanted = 10;
    f.requester.post(&f.connection, &f.receive);
    f.driver.runUntilIdle();
    f.connection.stop();
    f.driver.runUntilIdle();
    EXPECT_EQ(kHandlerFinished, f.connection.runState());
    EXPECT_FALSE(f.realSocket.hasSocket());
    ASSERT_FALSE(f.receive.isBusy());
    EXPECT_EQ(kResultCancelled, f.lastResult());
    // Data that arrives afterwards reaches nobody.
    f.server.send("late");
    f.driver.advance(1000);
    f.driver.runUntilIdle();
    EXPECT_EQ(0u, f.received.length());
}

} // namespace
