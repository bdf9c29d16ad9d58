#include "engine/core/jobs/VXLResultCodes.h"
#include "tests/support/HttpTestPeer.h"
#include "tests/support/SquidProxy.h"
#include "tests/transport/HttpJobFixture.h"

#include <gtest/gtest.h>

// The HTTP job through a real squid on 127.0.0.1 to tests/peers/http_peer.py:
// absolute-URI request lines and Basic proxy authentication with the NAI as
// the user name.

namespace {

std::string patternOf(std::size_t n)
{
    std::string text;
    while (text.size() < n)
        text += "0123456789";
    return text.substr(0, n);
}

class HttpJobProxy : public ::testing::Test {
protected:
    void SetUp() override
    {
        TESSEL_REQUIRE_TOOL(testToolSquid());
        ASSERT_TRUE(peer.start());
        ASSERT_TRUE(squid.start()) << squid.error();
    }
    std::string proxy() const { return squid.proxyUri(); }

    HttpTestPeer peer;
    SquidProxy squid;
    HttpJobFixture f;
};

TEST_F(HttpJobProxy, RepliesByLengthAndInChunksArriveWithTheNaiAccepted)
{
    struct Case {
        const char* path;
        std::size_t length;
    } cases[] = {{"/bytes/30000", 30000}, {"/chunked/12345", 12345}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const Exchange e = f.run(CVXLHttpRequest::kGet, peer.url(c.path), proxy());
        EXPECT_EQ(kResultSucceeded, e.result);
        EXPECT_EQ(200, e.status);
        EXPECT_EQ(patternOf(c.length), e.body);
    }
    // The proxy logged the requests under the NAI, with the absolute URI.
    const auto fetches = squid.accessLogLines(peer.url("/bytes/30000"), 1);
    const std::string log = squid.accessLog();
    EXPECT_NE(std::string::npos, log.find(std::string(SquidProxy::kUser))) << log;
    EXPECT_FALSE(fetches.empty()) << log;
}

TEST_F(HttpJobProxy, AWrongPasswordGets407)
{
    const Exchange e
        = f.run(CVXLHttpRequest::kGet, peer.url("/bytes/10"), squid.proxyUri(SquidProxy::kUser, "wrong"));
    EXPECT_EQ(kResultSucceeded, e.result) << "the job does not judge the status";
    EXPECT_EQ(407, e.status);
    EXPECT_NE("<absent>", e.header("Proxy-Authenticate"));
}

TEST_F(HttpJobProxy, PostsByLengthAndChunkedReachThePeerWhole)
{
    const std::string body = patternOf(20000);
    f.setParts({body.substr(0, 8000), body.substr(8000)});
    CVXLHttpRequest& byLength = f.start(CVXLHttpRequest::kPost, peer.url("/echo"), proxy());
    byLength.setContentLength(20000);
    ASSERT_TRUE(f.pump([&] { return !byLength.isBusy(); }));
    EXPECT_EQ(kResultSucceeded, f.current.result);
    EXPECT_EQ(200, f.current.status);
    ASSERT_GE(f.current.body.size(), body.size());
    EXPECT_EQ(body, f.current.body.substr(f.current.body.size() - body.size()));

    f.setParts({body.substr(0, 5000), body.substr(5000), ""});
    const Exchange e = f.run(CVXLHttpRequest::kPost, peer.url("/echo"), proxy());
    EXPECT_EQ(kResultSucceeded, e.result);
    EXPECT_EQ(200, e.status);
    ASSERT_GE(e.body.size(), body.size());
    EXPECT_EQ(body, e.body.substr(e.body.size() - body.size()));
}

// On a driven clock: a kept connection is reused 12,999 ms later and given
// back 13,000 ms after the last exchange.
TEST_F(HttpJobProxy, AKeptConnectionLivesThirteenSeconds)
{
    const std::uint32_t keep = CVXLHttpRequest::kFlagKeepConnection;
    Exchange e = f.run(CVXLHttpRequest::kGet, peer.url("/bytes/100"), proxy(), keep);
    ASSERT_EQ(kResultSucceeded, e.result);
    ASSERT_EQ(1u, f.dialer.connectionCount());
    const int sockets = f.factory.created;

    f.driver.advance(CHTTPv2Job::kKeepAliveMs - 1);
    e = f.run(CVXLHttpRequest::kGet, peer.url("/chunked/100"), proxy(), keep);
    EXPECT_EQ(kResultSucceeded, e.result);
    EXPECT_EQ(patternOf(100), e.body);
    EXPECT_EQ(sockets, f.factory.created) << "no new socket within 13 s";
    EXPECT_TRUE(f.job.isIn(&CHTTPv2Job::KeptAlive));

    f.driver.advance(CHTTPv2Job::kKeepAliveMs - 1);
    f.driver.runUntilIdle();
    EXPECT_EQ(1u, f.dialer.connectionCount());
    f.driver.advance(1);
    f.driver.runUntilIdle();
    EXPECT_TRUE(f.job.isIn(&CHTTPv2Job::Idle));
    EXPECT_EQ(0u, f.dialer.connectionCount());

    e = f.run(CVXLHttpRequest::kGet, peer.url("/bytes/10"), proxy(), keep);
    EXPECT_EQ(kResultSucceeded, e.result);
    EXPECT_EQ(sockets + 1, f.factory.created) << "after 13 s a new connection is made";
}

} // namespace
