#include "tests/support/TestProcess.h"
#include "tests/transport/MmsTestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <sys/wait.h>

namespace {

struct Outcome {
    int status;
    std::string output;
};

Outcome dump(const std::string& arguments)
{
    const std::string command = std::string(TESSEL_BINARY_DIR) + "/bin/mms-dump " + arguments + " 2>&1";
    const TestCommandResult result = testRunCommand(command);
    return Outcome {result.status, result.output};
}

TEST(MmsDump, PrintsHeadersAndParts)
{
    const Outcome run = dump(mmstest::samplePath("send_req.mms"));
    ASSERT_EQ(run.status, 0) << run.output;
    for (const char* line : {"X-Mms-Message-Type: 1\n", "X-Mms-Transaction-ID: T0001\n", "Date: 1700000000\n",
             "From: +15550001111/TYPE=PLMN [token=2]\n", "To: alice@example.com\n",
             "Subject: Test subject [charset=utf-8]\n",
             "body: application/vnd.wap.multipart.related, 2 parts\n", "  type: application/smil\n",
             "part 1: type=application/smil name= content-id=<smil> content-location=smil.xml "
             "size=216 offset=178\n",
             "part 2: type=text/plain name= content-id=<text> content-location=text.txt size=26 "
             "offset=419\n"})
        EXPECT_NE(run.output.find(line), std::string::npos) << line << "in\n" << run.output;
}

TEST(MmsDump, RefusesWhatItCannotDecode)
{
    char path[] = "/tmp/mms-dump-XXXXXX";
    const int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    const unsigned char cut[] = {0x8C, 0x80, 0x98, 'T'};
    ASSERT_EQ(write(fd, cut, sizeof cut), static_cast<ssize_t>(sizeof cut));
    close(fd);
    const Outcome run = dump(path);
    unlink(path);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.output.find("not a decodable MMS PDU"), std::string::npos) << run.output;
    EXPECT_EQ(dump("/nonexistent/x.mms").status, 2);
}

} // namespace
