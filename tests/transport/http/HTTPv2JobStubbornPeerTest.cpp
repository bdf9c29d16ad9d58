#include "engine/core/jobs/VXLResultCodes.h"
#include "tests/transport/HttpJobFixture.h"
#include "tests/transport/http/StubbornPeer.h"

#include <gtest/gtest.h>

// The HTTP job against tests/peers/http_stubborn_peer.py over real sockets:
// peers that would keep an exchange going for minutes, and a reply framed
// two ways. The low-speed window is shortened to a second, in which the
// trickles move far less than the least; without it they would end in
// success after several seconds.

namespace {

constexpr std::uint32_t kShortWindowMs = 1000;

TEST(HttpJobStubbornPeer, EndsWhatWouldNeverEndAndReadsChunksOverALength)
{
    const struct {
        const char* path;
        std::int32_t result;
        std::string body; // what the requester got
    } cases[] = {
        // 100 bytes, one every 100 ms: ten seconds without the window.
        {"/trickle/100/100", kResultTimedOut, ""},
        {"/trickle-head/100", kResultTimedOut, ""},
        {"/endless-continue", kResultMalformed, ""},
        {"/both-framings", kResultSucceeded, "helloworld"},
    };
    StubbornPeer peer;
    ASSERT_TRUE(peer.started());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        HttpJobFixture f;
        f.job.setLowSpeedWindow(kShortWindowMs);
        const Exchange e = f.run(CVXLHttpRequest::kGet, peer.url(c.path));
        EXPECT_EQ(c.result, e.result);
        if (c.result == kResultSucceeded) {
            EXPECT_EQ(c.body, e.body);
        } else {
            EXPECT_FALSE(e.finalPart);
        }
        ASSERT_TRUE(f.pump([&] { return f.dialer.connectionCount() == 0; }));
    }
}

} // namespace
