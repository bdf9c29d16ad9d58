#include "engine/messaging/store/VXLFileCopyJob.h"
#include "engine/core/base/VXLLog.h"
#include "engine/core/platform/VXLPlatformFileStore.h"
#include "tests/messaging/MessagingTestSupport.h"
#include "tests/support/FileStoreFixture.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr std::int32_t kCopied = 40;

class FileCopyJobTest : public ::testing::Test, public FileStoreFixture {
protected:
    void SetUp() override
    {
        driver.attach(&requester);
        driver.attach(&job);
        driver.runUntilIdle();
        source = store.openStream();
        destination = store.openStream();
    }
    void TearDown() override
    {
        store.closeStream(source);
        store.closeStream(destination);
    }

    // Runs one copy; answers its result.
    std::int32_t copy(
        bool toDestination, std::uint32_t start, std::uint32_t count, const std::string& trailer, bool append)
    {
        CVXLCopyRequest request(kCopied);
        request.source = source;
        request.destination = toDestination ? destination : nullptr;
        request.sourcePath = "src";
        request.destinationPath = "dst";
        request.start = start;
        request.count = count;
        request.append = append ? 1 : 0;
        request.trailer = bytesOf(trailer);
        requester.post(&job, &request);
        driver.runUntilIdle(100000);
        EXPECT_EQ(requester.codes.back(), kCopied);
        return requester.results.back(); // as the reply arrived
    }

    TraceJob requester {"requester"};
    CVXLFileCopyJob job;
    CVXLPlatformFileStream* source = nullptr;
    CVXLPlatformFileStream* destination = nullptr;
};

struct CopyCase {
    const char* fact;
    std::string source;
    bool toDestination;
    std::string destination; // before the copy
    std::uint32_t start;
    std::uint32_t count;
    std::string trailer;
    bool append;
};

std::string patterned(std::size_t n)
{
    std::string s(n, '\0');
    for (std::size_t i = 0; i < n; ++i)
        s[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
    return s;
}

std::string hexOf(const std::string& bytes)
{
    return testHex(bytes);
}

TEST_F(FileCopyJobTest, CopiesAsPythonSlicingSays)
{
    const std::string big = patterned(120000); // more than two chunks
    const std::vector<CopyCase> cases = {
        {"in place, fewer bytes than the file truncates", "0123456789", false, "", 2, 5, "", false},
        {"in place with a trailer", "0123456789", false, "", 0, 4, "TR", false},
        {"in place, 0 bytes and a trailer leaves only the trailer", "0123456789", false, "", 3, 0, "only",
            false},
        {"in place, 0 bytes and nothing else empties the file", "0123456789", false, "", 0, 0, "", false},
        {"in place, to the end", "0123456789", false, "", 6, 4, "", false},
        {"in place, a count beyond the file fails, file unchanged", "0123456789", false, "", 6, 5, "x",
            false},
        {"in place, a start beyond the file fails", "0123456789", false, "", 20, 1, "", false},
        {"in place over several chunks", big, false, "", 1000, 110000, "end", false},
        {"in place, beyond the file by one after several chunks", big, false, "", 0, 120001, "", false},
        {"to a destination, replacing it", "abcdef", true, "old bytes", 1, 3, "", false},
        {"to a destination, appended", "abcdef", true, "old|", 2, 4, "<T>", true},
        {"to a destination, 0 bytes and a trailer", "abcdef", true, "old|", 0, 0, "T", true},
        {"to a destination over several chunks", big, true, "head", 5, 119995, "", true},
        {"to a destination, a count beyond the file fails", "abcdef", true, "old", 0, 7, "", true},
    };
    std::string json = "[";
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const CopyCase& c = cases[i];
        json += (i ? ", " : "") + std::string("{\"source\": \"") + hexOf(c.source) + "\", \"dest\": "
            + (c.toDestination ? "\"" + hexOf(c.destination) + "\"" : std::string("null")) + ", \"start\": "
            + std::to_string(c.start) + ", \"count\": " + std::to_string(c.count) + ", \"trailer\": \""
            + hexOf(c.trailer) + "\", \"append\": " + (c.append ? "true" : "false") + "}";
    }
    writeHost(root.hostPath("cases.json"), json + "]");
    std::istringstream expected(msgstore({"copy-expect", root.hostPath("cases.json")}));

    for (const CopyCase& c : cases) {
        std::string want;
        ASSERT_TRUE(std::getline(expected, want)) << c.fact;
        writeHostFile("src", c.source);
        if (c.toDestination)
            writeHostFile("dst", c.destination);
        const std::int32_t result = copy(c.toDestination, c.start, c.count, c.trailer, c.append);
        if (want == "\"fails\"") {
            EXPECT_NE(result, 0) << c.fact;
            EXPECT_TRUE(readHostFile("src") == c.source) << c.fact;
        } else {
            EXPECT_EQ(result, 0) << c.fact;
            const std::string got = "[\"" + hexOf(readHostFile("src")) + "\", "
                + (c.toDestination ? "\"" + hexOf(readHostFile("dst")) + "\"" : std::string("null")) + "]";
            EXPECT_TRUE(got == want) << c.fact << "\n" << got.substr(0, 200) << "\n" << want.substr(0, 200);
        }
        EXPECT_FALSE(source->isOpen()) << c.fact;
        EXPECT_FALSE(destination->isOpen()) << c.fact;
    }
    CVXLLog::flush();
    EXPECT_NE(root.readFile("log/engine.log").find("nothing rewritten"), std::string::npos);
}

TEST_F(FileCopyJobTest, FailuresAreAnsweredWithTheirStatus)
{
    writeHostFile("src", "abc");
    EXPECT_EQ(copy(false, 0, 3, "", false), 0);

    ::unlink(hostFile("src").c_str());
    EXPECT_EQ(copy(false, 0, 1, "", false), 4) << "a missing source cannot be opened";
    EXPECT_FALSE(root.exists("Engine/src"));

    writeHostFile("src", "abc");
    ASSERT_EQ(::symlink("/dev/full", hostFile("dst").c_str()), 0);
    EXPECT_EQ(copy(true, 0, 3, "", false), CVXLFileCopyJob::kWriteFailed) << "a full disk";
    EXPECT_EQ(readHostFile("src"), "abc");
}

TEST_F(FileCopyJobTest, AStopWaitsForTheCopyInHand)
{
    writeHostFile("src", "0123456789");
    CVXLCopyRequest request(kCopied);
    request.source = source;
    request.sourcePath = "src";
    request.count = 3;
    requester.post(&job, &request);
    driver.step();
    CVXLEvent stop(kEventStop, kEventStop);
    requester.post(&job, &stop);
    driver.runUntilIdle(100000);
    ASSERT_EQ(requester.codes.size(), 3u) << "its own start, the copy, the stop";
    EXPECT_EQ(requester.codes[1], kCopied) << "the copy is answered first";
    EXPECT_EQ(requester.codes[2], kEventStop);
    EXPECT_EQ(readHostFile("src"), "012");
}

} // namespace
