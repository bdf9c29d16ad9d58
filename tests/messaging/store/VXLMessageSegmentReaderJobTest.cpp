#include "engine/messaging/store/VXLMessageSegmentReaderJob.h"
#include "engine/core/base/VXLLog.h"
#include "engine/core/jobs/VXLResultCodes.h"
#include "tests/messaging/MessagingTestSupport.h"
#include "tests/support/FileStoreFixture.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace std::string_literals;

std::string segment(const std::string& first, const std::string& second)
{
    auto be = [](std::uint32_t n) {
        return std::string {char(n >> 24), char((n >> 16) & 0xFF), char((n >> 8) & 0xFF), char(n & 0xFF)};
    };
    return be(static_cast<std::uint32_t>(first.size())) + be(static_cast<std::uint32_t>(second.size()))
        + first + second;
}

constexpr std::uint32_t kAll = 0xFFFFFFFF;

class SegmentReaderTest : public ::testing::Test, public FileStoreFixture {
protected:
    void SetUp() override
    {
        job.setStore(&store);
        requester.handler = [this](TraceJob& self, CVXLEvent* event) {
            if (event->requestCode() == kEventSegment && event->isRequest()) {
                auto* s = static_cast<CVXLSegmentEvent*>(event);
                delivered += std::string(delivered.size() > 1 ? ", " : "") + "[" + std::to_string(s->index)
                    + ", \"" + testHex(stringOf(s->firstPart) + stringOf(s->secondPart)) + "\"]";
                auto next = nextIndex.find(s->index);
                if (next != nextIndex.end())
                    s->nextIndex = next->second;
            }
            self.finishEvent(event);
        };
        driver.attach(&requester);
        driver.attach(&job);
        driver.runUntilIdle();
    }

    // What the reader handed over, then its result, as the peer prints it.
    std::string read(std::uint32_t first, std::uint32_t last, bool both)
    {
        delivered = "[";
        CVXLSegmentReadRequest request;
        request.fileName = "msg";
        request.firstSegment = first;
        request.lastSegment = last;
        request.bothParts = both ? 1 : 0;
        requester.post(&job, &request);
        driver.runUntilIdle(100000);
        EXPECT_EQ(requester.codes.back(), kEventSegmentReadDone);
        EXPECT_EQ(store.openStreams(), 0u);
        return "[" + delivered + "], " + std::to_string(requester.results.back()) + "]";
    }

    TraceJob requester {"requester"};
    CVXLMessageSegmentReaderJob job;
    std::string delivered;
    std::map<std::uint32_t, std::uint32_t> nextIndex;
};

struct RangeCase {
    std::uint32_t first;
    std::uint32_t last;
    bool both;
};

const std::string kMessage = segment("H0", "body 0") + segment("", "") + segment("H2", "") + segment("", "B3")
    + segment("H4", "body 4");

TEST_F(SegmentReaderTest, HandsOverTheWantedSegmentsAsPythonSlicingSays)
{
    const std::vector<RangeCase> ranges = {
        {0, kAll, false},
        {0, kAll, true},
        {1, 2, false},
        {1, 1, true},
        {2, 4, true},
        {3, 3, false},
        {3, 3, true},
        {4, 4, false},
        {4, 9, false},
        {0, 0, true},
        {6, 9, true},
    };
    struct FileCase {
        const char* fact;
        std::string bytes;
    };
    std::vector<FileCase> files = {
        {"the message", kMessage},
        {"an empty file", ""},
        {"a first part longer than the file", "\xFF\xFF\xFF\xFF\0\0\0\0H0"s},
        {"a second part longer than the file", segment("H0", "B0") + "\0\0\0\x01\xFF\xFF\xFF\xFFH"s},
    };
    for (std::size_t n = 1; n < kMessage.size(); ++n)
        files.push_back({"a prefix", kMessage.substr(0, n)});

    for (const RangeCase& r : ranges) {
        std::vector<std::string> args
            = {"segments-each", std::to_string(r.first), std::to_string(r.last), r.both ? "1" : "0"};
        for (std::size_t i = 0; i < files.size(); ++i) {
            writeHostFile("f" + std::to_string(i), files[i].bytes);
            args.push_back(hostFile("f" + std::to_string(i)));
        }
        std::istringstream expected(msgstore(args));
        for (const FileCase& f : files) {
            std::string want;
            ASSERT_TRUE(std::getline(expected, want));
            writeHostFile("msg", f.bytes);
            EXPECT_EQ(read(r.first, r.last, r.both), want)
                << f.fact << " (" << f.bytes.size() << " bytes), segments " << r.first << ".." << r.last
                << (r.both ? " both" : "");
        }
    }
    CVXLLog::flush();
    EXPECT_NE(root.readFile("log/engine.log").find("past the end"), std::string::npos);
}

TEST_F(SegmentReaderTest, TheRequesterChoosesTheNextSegment)
{
    writeHostFile("msg", kMessage);
    nextIndex[0] = 4;
    EXPECT_EQ(read(0, kAll, false), R"([[[0, "4830"], [4, "4834"]], 3])");
    nextIndex = {{0, 3}};
    EXPECT_EQ(read(0, kAll, true), R"([[[0, "4830626f64792030"], [3, "4233"], [4, "4834626f64792034"]], 3])");
}

TEST_F(SegmentReaderTest, AMissingFileIsAnsweredWithItsStatus)
{
    EXPECT_EQ(read(0, kAll, false), "[[], 4]");
}

TEST_F(SegmentReaderTest, ARequesterRefusingASegmentEndsTheRequest)
{
    writeHostFile("msg", kMessage);
    requester.handler = [](TraceJob& self, CVXLEvent* event) {
        if (event->requestCode() == kEventSegment && event->isRequest())
            event->setResult(kResultCancelled);
        self.finishEvent(event);
    };
    EXPECT_EQ(read(0, kAll, false), "[[], 24]");
    EXPECT_EQ(requester.codes.size(), 3u) << "start, one segment, the answer";
}

TEST_F(SegmentReaderTest, ARequesterThatWithdrawsGetsCancelled)
{
    writeHostFile("msg", kMessage);
    CVXLEvent* held = nullptr;
    requester.handler = [&held](TraceJob& self, CVXLEvent* event) {
        if (event->requestCode() == kEventSegment && event->isRequest() && !held)
            held = event;
        else
            self.finishEvent(event);
    };
    CVXLSegmentReadRequest request;
    request.fileName = "msg";
    request.lastSegment = kAll;
    requester.post(&job, &request);
    driver.runUntilIdle(1000);
    ASSERT_NE(held, nullptr);
    EXPECT_GT(requester.cancelEventsWith(&job), 0);
    driver.runUntilIdle(1000);
    requester.finishEvent(held);
    driver.runUntilIdle(1000);
    EXPECT_EQ(requester.codes.back(), kEventSegmentReadDone);
    EXPECT_EQ(requester.results.back(), kResultCancelled);
    EXPECT_EQ(store.openStreams(), 0u);
}

} // namespace
