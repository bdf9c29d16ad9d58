#include "engine/transport/net/VXLNetworkDialer.h"

#include "engine/core/jobs/VXLResultCodes.h"
#include "engine/transport/net/VXLCloseRequest.h"
#include "engine/transport/net/VXLConnectRequest.h"
#include "engine/transport/net/VXLHttpSettings.h"
#include "engine/transport/net/VXLNetworkConnection.h"
#include "tests/support/JobTreeDriver.h"
#include "tests/support/TempDeviceRoot.h"
#include "tests/transport/NetTestSupport.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

// A dialer and a requester under a driven clock, over the real platform
// factory or a scripted one.
struct DialerFixture {
    explicit DialerFixture(CVXLPlatformFactory* factory)
        : dialer(factory, &settings)
    {
        driver.attach(&dialer);
        driver.attach(&requester);
        driver.runUntilIdle();
    }

    // Steps, moving the clock from deadline to deadline, until done (false
    // when the tree ran out of work first).
    bool runUntil(const std::function<bool()>& done, int maxTimers = 5000)
    {
        driver.runUntilIdle();
        for (int i = 0; i < maxTimers && !done(); ++i) {
            if (!driver.runToNextTimer())
                return done();
        }
        return done();
    }
    bool answered(const CVXLEvent& event) { return !event.isBusy(); }
    // The result the reply carried when it reached the requester (finishing
    // a member reply clears it).
    std::int32_t resultOf(const CVXLEvent& event)
    {
        for (std::size_t i = requester.events.size(); i-- > 0;) {
            if (requester.events[i] == &event)
                return requester.results[i];
        }
        return -1;
    }

    std::int32_t connect(CVXLConnectRequest& request, std::uint16_t port)
    {
        request.address = htonl(INADDR_LOOPBACK);
        request.port = port;
        requester.post(&dialer, &request);
        EXPECT_TRUE(runUntil([&] { return answered(request); }));
        return resultOf(request);
    }
    std::int32_t close(CVXLCloseRequest& request, CVXLEventHandler* connection)
    {
        request.connection = connection;
        requester.post(&dialer, &request);
        EXPECT_TRUE(runUntil([&] { return answered(request); }));
        return resultOf(request);
    }

    TempDeviceRoot root;
    JobTreeDriver driver;
    CVXLHttpSettings settings;
    CVXLNetworkDialer dialer;
    TraceJob requester {"requester"};
};

TEST(NetworkDialer, DialsOnceLingersAndHangsUpAfterFifteenSeconds)
{
    CVXLPlatformFactory factory;
    DialerFixture f(&factory);
    LoopbackServer server;
    CVXLConnectRequest first, second;
    ASSERT_EQ(kResultSucceeded, f.connect(first, server.port()));
    ASSERT_EQ(kResultSucceeded, f.connect(second, server.port()));
    EXPECT_EQ(1u, f.dialer.dialCount()) << "the second connect only opens a socket";
    EXPECT_EQ(2u, f.dialer.connectionCount());
    ASSERT_NE(nullptr, first.connection);
    ASSERT_NE(nullptr, second.connection);
    EXPECT_NE(first.connection, second.connection);
    EXPECT_EQ(3, factory.liveConnections()) << "the packet-data object and two sockets";

    CVXLCloseRequest close;
    EXPECT_EQ(kResultSucceeded, f.close(close, first.connection));
    EXPECT_EQ(kResultSucceeded, f.close(close, second.connection));
    EXPECT_EQ(0u, f.dialer.connectionCount());
    EXPECT_EQ(1, factory.liveConnections());

    // Within the linger time the packet-data connection is reused.
    f.driver.advance(CVXLNetworkDialer::kLingerMs - 1);
    CVXLConnectRequest third;
    ASSERT_EQ(kResultSucceeded, f.connect(third, server.port()));
    EXPECT_EQ(1u, f.dialer.dialCount());
    EXPECT_EQ(kResultSucceeded, f.close(close, third.connection));

    const std::uint32_t releasedAt = f.driver.now();
    ASSERT_TRUE(f.runUntil([&] { return !f.dialer.online(); }));
    EXPECT_EQ(CVXLNetworkDialer::kLingerMs, f.driver.now() - releasedAt);
    CVXLConnectRequest fourth;
    ASSERT_EQ(kResultSucceeded, f.connect(fourth, server.port()));
    EXPECT_EQ(2u, f.dialer.dialCount()) << "after hanging up the next connect dials again";
}

// A loopback connect ends at once and a host name is looked up off the engine
// thread: the answer comes from the host's wait, with no retry delay on the
// driven clock.
TEST(NetworkDialer, ConnectsAtOnceByAddressOrLookedUpName)
{
    struct Case {
        const char* hostName;
        bool answeredWithinTheStep;
    } cases[] = {
        {"", true},
        {"127.0.0.1", true},
        {"localhost", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.hostName);
        CVXLPlatformFactory factory;
        DialerFixture f(&factory);
        LoopbackServer server;
        CVXLConnectRequest request;
        request.hostName = c.hostName;
        request.address = *c.hostName ? 0 : htonl(INADDR_LOOPBACK);
        request.port = server.port();
        const std::uint32_t start = f.driver.now();
        f.requester.post(&f.dialer, &request);
        f.driver.runUntilIdle();
        EXPECT_EQ(c.answeredWithinTheStep, f.answered(request));
        for (int i = 0; i < 100 && !f.answered(request); ++i) {
            CVXLPlatformConnection::waitForSockets(100);
            f.driver.runUntilIdle();
        }
        ASSERT_TRUE(f.answered(request));
        EXPECT_EQ(kResultSucceeded, f.resultOf(request));
        EXPECT_EQ(0u, f.driver.now() - start) << "no retry delay";
        EXPECT_EQ(1u, f.dialer.connectionCount());
    }
}

TEST(NetworkDialer, ConnectFailuresAnswerWithTheirCodes)
{
    struct Case {
        const char* what;
        const char* deviceConf;
        bool refusedPort;
        bool trafficOff;
        std::int32_t result;
    } cases[] = {
        {"refused port", "", true, false, kResultConnectFailed},
        {"data traffic off", "", false, true, kResultDataTrafficOff},
        {"packet-data refused", "connection = refuse\n", false, false, 9},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CVXLPlatformFactory factory;
        DialerFixture f(&factory);
        f.root.writeDeviceConf(c.deviceConf);
        f.settings.dataTrafficOff = c.trafficOff;
        LoopbackServer server;
        const std::uint16_t port = server.port();
        if (c.refusedPort)
            server.stopListening();
        CVXLConnectRequest request;
        EXPECT_EQ(c.result, f.connect(request, port));
        EXPECT_EQ(nullptr, request.connection);
        EXPECT_EQ(1, factory.liveConnections()) << "no socket is left behind";
    }
}

// The platform's connect is asked again every 100 ms while it is under way.
TEST(NetworkDialer, RetriesAnUnfinishedConnectAHundredAndFiftyTimes)
{
    struct Case {
        int underWay;
        std::int32_t result;
        std::uint32_t elapsedMs;
        int connectCalls;
    } cases[] = {
        {4, kResultSucceeded, 400, 5},
        {ScriptedConnection::kForever, kResultConnectFailed, 15000, 151},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.underWay);
        ScriptedFactory factory;
        factory.script.underWay = c.underWay;
        DialerFixture f(&factory);
        CVXLConnectRequest request;
        const std::uint32_t start = f.driver.now();
        EXPECT_EQ(c.result, f.connect(request, 80));
        EXPECT_EQ(c.elapsedMs, f.driver.now() - start);
        EXPECT_EQ(c.connectCalls, factory.connectCalls);
        EXPECT_EQ(c.result == kResultSucceeded ? 2 : 1, factory.live());
        EXPECT_EQ(0u, f.dialer.retryCount());
    }
}

TEST(NetworkDialer, AConnectThatNeverAnswersTimesOutAndItsSocketIsClosed)
{
    ScriptedFactory factory;
    factory.script.silent = true;
    DialerFixture f(&factory);
    CVXLConnectRequest request;
    const std::uint32_t start = f.driver.now();
    EXPECT_EQ(kResultTimedOut, f.connect(request, 80));
    EXPECT_EQ(CVXLNetworkDialer::kConnectTimeoutMs, f.driver.now() - start);
    f.driver.runUntilIdle();
    EXPECT_EQ(1, factory.live()) << "the timed-out socket is destroyed";
}

// A cancel (the requester ends its traffic) or a stop while the connect is
// under way answers the request with 24 and closes the socket.
TEST(NetworkDialer, CancelOrStopWhileConnectingAnswersCancelled)
{
    for (bool stop : {false, true}) {
        SCOPED_TRACE(stop ? "stop" : "cancel");
        ScriptedFactory factory;
        factory.script.underWay = ScriptedConnection::kForever;
        DialerFixture f(&factory);
        CVXLConnectRequest request;
        request.port = 80;
        f.requester.post(&f.dialer, &request);
        f.driver.runUntilIdle();
        f.driver.runToNextTimer();
        f.driver.runToNextTimer();
        ASSERT_TRUE(request.isBusy());
        if (stop)
            f.dialer.stop();
        else
            f.requester.cancelEventsWith(&f.dialer);
        ASSERT_TRUE(f.runUntil([&] { return f.answered(request); }));
        EXPECT_EQ(kResultCancelled, f.resultOf(request));
        f.runUntil([&] { return false; }, 200);
        EXPECT_EQ(1, factory.live()) << "the socket is closed and destroyed";
        EXPECT_EQ(stop, f.dialer.runState() == kHandlerFinished);
    }
}

TEST(NetworkDialer, StopReleasesEveryConnectionThenHangsUpThenAnswers)
{
    CVXLPlatformFactory factory;
    DialerFixture f(&factory);
    LoopbackServer server;
    CVXLConnectRequest first, second;
    ASSERT_EQ(kResultSucceeded, f.connect(first, server.port()));
    ASSERT_EQ(kResultSucceeded, f.connect(second, server.port()));
    f.dialer.stop();
    ASSERT_TRUE(f.runUntil([&] { return f.dialer.runState() == kHandlerFinished; }));
    EXPECT_EQ(0u, f.dialer.connectionCount());
    EXPECT_FALSE(f.dialer.online());
    EXPECT_EQ(1, factory.liveConnections()) << "only the packet-data object, released with the dialer";
}

} // namespace
