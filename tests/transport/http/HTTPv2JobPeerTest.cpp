#include "engine/core/jobs/VXLResultCodes.h"
#include "tests/support/HttpTestPeer.h"
#include "tests/transport/HttpJobFixture.h"

#include <gtest/gtest.h>

// The HTTP job against tests/peers/http_peer.py, directly (no proxy).

namespace {

const std::string kPattern = "0123456789";

std::string patternOf(std::size_t n)
{
    std::string text;
    while (text.size() < n)
        text += kPattern;
    return text.substr(0, n);
}

class HttpJobPeer : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(peer.start()); }
    HttpTestPeer peer;
    HttpJobFixture f;
};

TEST_F(HttpJobPeer, EachOddReplyIsReadAsItsFramingSays)
{
    struct Case {
        std::int32_t method;
        const char* path;
        int status;
        std::string body;
        bool finalPart; // a chunked reply ends with the final, empty part
    } cases[] = {
        {CVXLHttpRequest::kGet, "/bytes/5000", 200, patternOf(5000), false},
        {CVXLHttpRequest::kGet, "/chunked/3500", 200, patternOf(3500), true},
        {CVXLHttpRequest::kGet, "/split-chunks", 200, std::string(26, 'A'), true},
        {CVXLHttpRequest::kGet, "/folded", 200, "hello", false},
        {CVXLHttpRequest::kGet, "/continue", 200, "done", false},
        {CVXLHttpRequest::kGet, "/no-content", 204, "", false},
        {CVXLHttpRequest::kGet, "/close-delimited", 200, patternOf(3000), false},
        {CVXLHttpRequest::kGet, "/status/404", 404, "status 404", false},
        {CVXLHttpRequest::kGet, "/status/304", 304, "", false},
        {CVXLHttpRequest::kHead, "/bytes/100", 200, "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const Exchange e = f.run(c.method, peer.url(c.path));
        EXPECT_EQ(kResultSucceeded, e.result);
        EXPECT_EQ(c.status, e.status);
        EXPECT_EQ(c.body, e.body);
        EXPECT_EQ(c.finalPart, e.finalPart);
    }
}

TEST_F(HttpJobPeer, FoldedLowerCaseAndEmptyHeadersReachTheRequester)
{
    const Exchange e = f.run(CVXLHttpRequest::kGet, peer.url("/folded"));
    EXPECT_EQ("first second", e.header("X-Folded"));
    EXPECT_EQ("yes", e.header("x-lower"));
    EXPECT_EQ("", e.header("X-Empty"));
}

TEST_F(HttpJobPeer, BodyPartsNeverExceedTheReadSize)
{
    f.readSize = 1000;
    const Exchange e = f.run(CVXLHttpRequest::kGet, peer.url("/bytes/20000"));
    EXPECT_EQ(patternOf(20000), e.body);
    EXPECT_LE(e.largestPart, 1000u);
    EXPECT_GE(e.bodyEvents, 20);
}

// The peer echoes the request head and body, so the test sees what was sent.
TEST_F(HttpJobPeer, PostsBodiesByLengthAndInChunks)
{
    const std::string body = patternOf(7000);
    f.setParts({body.substr(0, 3000), body.substr(3000)});
    CVXLHttpRequest& byLength = f.start(CVXLHttpRequest::kPost, peer.url("/echo"));
    byLength.setContentLength(7000);
    ASSERT_TRUE(f.pump([&] { return !byLength.isBusy(); }));
    Exchange e = f.current;
    EXPECT_EQ(kResultSucceeded, e.result);
    EXPECT_NE(std::string::npos, e.body.find("Content-Length: 7000\r\n"));
    EXPECT_EQ(body, e.body.substr(e.body.size() - body.size()));

    f.setParts({body.substr(0, 2500), body.substr(2500), ""});
    e = f.run(CVXLHttpRequest::kPost, peer.url("/echo"));
    EXPECT_EQ(kResultSucceeded, e.result);
    EXPECT_NE(std::string::npos, e.body.find("Transfer-Encoding: chunked\r\n"));
    EXPECT_EQ(std::string::npos, e.body.find("Content-Length"));
    EXPECT_EQ(body, e.body.substr(e.body.size() - body.size())) << "the peer joined the chunks";

    // A POST of length 0 goes straight to the response.
    f.setParts({});
    CVXLHttpRequest& empty = f.start(CVXLHttpRequest::kPost, peer.url("/echo"));
    empty.setContentLength(0);
    ASSERT_TRUE(f.pump([&] { return !empty.isBusy(); }));
    EXPECT_EQ(kResultSucceeded, f.current.result);
    EXPECT_EQ(0u, f.nextPart) << "no body part was asked for";

    // An empty part where a length was promised fails the exchange.
    f.setParts({""});
    CVXLHttpRequest& broken = f.start(CVXLHttpRequest::kPost, peer.url("/echo"));
    broken.setContentLength(10);
    ASSERT_TRUE(f.pump([&] { return !broken.isBusy(); }));
    EXPECT_EQ(kResultMissingLength, f.current.result);
    EXPECT_EQ(kResultMissingLength, f.job.errorCode());
}

TEST_F(HttpJobPeer, KeptConnectionIsReusedAndAClosedOneIsNoticed)
{
    const std::uint32_t keep = CVXLHttpRequest::kFlagKeepConnection;
    Exchange e = f.run(CVXLHttpRequest::kGet, peer.url("/bytes/10"), "", keep);
    EXPECT_EQ("1", e.header("X-Peer-Connection"));
    e = f.run(CVXLHttpRequest::kGet, peer.url("/bytes/10"), "", keep);
    EXPECT_EQ("1", e.header("X-Peer-Connection"));
    EXPECT_EQ("2", e.header("X-Peer-Request"));
    EXPECT_EQ(1, f.factory.created - 1) << "one socket besides the packet-data object";

    // The server closes after answering; the next request finds the kept
    // connection closed and goes once more over a new one.
    e = f.run(CVXLHttpRequest::kGet, peer.url("/keep-then-close"), "", keep);
    EXPECT_EQ("kept", e.body);
    e = f.run(CVXLHttpRequest::kGet, peer.url("/bytes/10"), "", keep);
    EXPECT_EQ(kResultSucceeded, e.result);
    EXPECT_EQ("2", e.header("X-Peer-Connection"));
    EXPECT_EQ(patternOf(10), e.body);

    // Without the flag the connection is given back after the exchange.
    e = f.run(CVXLHttpRequest::kGet, peer.url("/bytes/10"));
    EXPECT_EQ("2", e.header("X-Peer-Connection"));
    ASSERT_TRUE(f.pump([&] { return f.dialer.connectionCount() == 0; }));
}

// A peer that reads the request and never answers: the connection's receive
// time-out ends the exchange with 65 after 60 s on the driven clock.
TEST_F(HttpJobPeer, AStallingPeerTimesOutWithSixtyFive)
{
    CVXLHttpRequest& r = f.start(CVXLHttpRequest::kGet, peer.url("/stall"));
    ASSERT_TRUE(f.pump([&] { return f.dialer.connectionCount() == 1; }));
    const std::uint32_t start = f.driver.now();
    for (int i = 0; i < 2000 && r.isBusy(); ++i)
        f.driver.runToNextTimer();
    ASSERT_FALSE(r.isBusy());
    EXPECT_EQ(kResultTimedOut, f.current.result);
    EXPECT_EQ(kResultTimedOut, f.job.errorCode());
    EXPECT_LE(f.driver.now() - start, 60000u + 1000u);
    EXPECT_GE(f.driver.now() - start, 59000u);
    f.driver.runUntilIdle();
    EXPECT_EQ(0u, f.dialer.connectionCount()) << "the connection went back to the dialer";
}

TEST_F(HttpJobPeer, CancelWhileWaitingForTheReplyAnswersTwentyFour)
{
    CVXLHttpRequest& r = f.start(CVXLHttpRequest::kGet, peer.url("/stall"));
    ASSERT_TRUE(f.pump([&] { return f.job.isIn(&CHTTPv2Job::ReadingHead); }));
    f.requester.cancelEventsWith(&f.job);
    ASSERT_TRUE(f.pump([&] { return !r.isBusy() && f.dialer.connectionCount() == 0; }));
    EXPECT_EQ(kResultCancelled, f.current.result);
}

TEST_F(HttpJobPeer, FailuresBeforeAndAfterTheHead)
{
    struct Case {
        const char* what;
        std::string url;
        bool giveSink;
        std::int32_t result;
    } cases[] = {
        {"no host", "http:///nothing", true, kResultMalformed},
        {"no sink for the body", peer.url("/bytes/10"), false, kResultMalformed},
        {"refused port", "http://127.0.0.1:1/", true, kResultConnectFailed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        f.giveSink = c.giveSink;
        EXPECT_EQ(c.result, f.run(CVXLHttpRequest::kGet, c.url).result);
        EXPECT_EQ(c.result, f.job.errorCode());
        ASSERT_TRUE(f.pump([&] { return f.dialer.connectionCount() == 0; }));
    }
}

} // namespace
