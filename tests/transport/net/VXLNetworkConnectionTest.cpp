#include "engine/transport/net/VXLNetworkConnection.h"

#include "engine/transport/net/VXLHttpSettings.h"
#include "engine/core/jobs/VXLResultCodes.h"
#include "engine/transport/net/VXLReceiveRequest.h"
#include "engine/transport/net/VXLSendRequest.h"
#include "tests/support/JobTreeDriver.h"
#include "tests/support/TempDeviceRoot.h"
#include "tests/transport/NetTestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

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
            for (int i = 0; i < 2500 && status.last == kPlatformConnectUnderWay; ++i) {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
                realSocket.connect(htonl(INADDR_LOOPBACK), htons(server.port()), &status);
            }
            EXPECT_EQ(kPlatformOk, status.last);
            server.accept();
        }
        driver.attach(&connection);
        driver.attach(&requester);
        driver.runUntilIdle();
        receive.buffer = &received;
        send.buffer = &toSend;
    }
    std::string text() const { return std::string(reinterpret_cast<const char*>(received.data()), received.length()); }
    std::int32_t lastResult() const { return requester.results.empty() ? -1 : requester.results.back(); }

    TempDeviceRoot root;
    LoopbackServer server;
    CVXLPlatformConnection realSocket;
    CVXLPlatformConnection* socket;
    JobTreeDriver driver;
    CVXLHttpSettings settings;
    CVXLNetworkConnection connection;
    TraceJob requester { "requester" };
    CVXLReceiveRequest receive;
    CVXLSendRequest send;
    CVXLByteBuffer received;
    CVXLByteBuffer toSend;
};

TEST(NetworkConnection, PollsWithAGrowingDelayUntilDataArrives)
{
    ConnectionFixture f;
    f.receive.wanted = 100;
    f.requester.post(&f.connection, &f.receive);
    f.driver.runUntilIdle();
    for (std::uint32_t delay : { 20u, 40u, 60u }) {
        EXPECT_EQ(delay, f.driver.nextTimeout());
        if (delay == 60u) {
            ASSERT_TRUE(f.server.send("hello"));
        }
        f.driver.runToNextTimer();
    }
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
    for (bool cancel : { false, true }) {
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
