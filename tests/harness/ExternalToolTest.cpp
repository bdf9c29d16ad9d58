#include "tests/support/ExternalTool.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class ExternalToolTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/tessel-tools-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        for (const char* sub : {"/good", "/bad"})
            ASSERT_EQ(mkdir((dir + sub).c_str(), 0755), 0);
        script(dir + "/good/oracle", "exit 0");
        script(dir + "/bad/oracle", "echo cannot load its plugins; exit 3");
        script(dir + "/helper", "exit 0");
    }
    void TearDown() override { (void)std::system(("rm -rf '" + dir + "'").c_str()); }

    static void script(const std::string& path, const char* body)
    {
        std::ofstream(path) << "#!/bin/sh\n" << body << "\n";
        chmod(path.c_str(), 0755);
    }

    std::string dir;
};

// Only a tool that is not there may skip, and not under CI=true; one that is
// there but does not run fails, so a broken oracle never passes as absent.
TEST_F(ExternalToolTest, MissingSkipsOutsideCiAndBrokenAlwaysFails)
{
    struct Case {
        const char* what;
        std::string program;
        std::string companion;
        std::string path; // the PATH variable
        const char* ci;
        ToolVerdict verdict;
        const char* inMessage;
    };
    const std::string good = dir + "/good", bad = dir + "/bad", none = dir + "/none";
    const Case cases[] = {
        {"not on PATH", "oracle", "", none, nullptr, ToolVerdict::Skip, "not installed"},
        {"not on PATH under CI", "oracle", "", none, "true", ToolVerdict::Fail, "CI=true"},
        {"CI set to something else", "oracle", "", none, "false", ToolVerdict::Skip, "not installed"},
        {"no PATH at all", "oracle", "", "", "true", ToolVerdict::Fail, "not installed"},
        {"found in a later PATH entry", "oracle", "", none + ":" + good, nullptr, ToolVerdict::Ready, ""},
        {"the first one found is the one run", "oracle", "", bad + ":" + good, nullptr, ToolVerdict::Fail,
            "cannot load its plugins"},
        {"installed but failing", "oracle", "", bad, nullptr, ToolVerdict::Fail, "exited with 3"},
        {"installed but failing under CI", "oracle", "", bad, "true", ToolVerdict::Fail, "exited with 3"},
        {"absolute path", good + "/oracle", "", none, nullptr, ToolVerdict::Ready, ""},
        {"absolute path missing", none + "/oracle", "", good, nullptr, ToolVerdict::Skip, "not installed"},
        {"companion present", good + "/oracle", dir + "/helper", none, "true", ToolVerdict::Ready, ""},
        {"companion missing", good + "/oracle", none + "/helper", none, nullptr, ToolVerdict::Skip,
            "/none/helper not found"},
        {"companion missing under CI", good + "/oracle", none + "/helper", none, "true", ToolVerdict::Fail,
            "/none/helper not found"},
    };
    for (const Case& c : cases) {
        const ExternalTool tool {"oracle", c.program.c_str(), c.companion.c_str(), "-v"};
        const ToolCheck check = testCheckTool(tool, c.path.c_str(), c.ci);
        EXPECT_EQ(check.verdict, c.verdict) << c.what << ": " << check.message;
        EXPECT_NE(check.message.find(c.inMessage), std::string::npos) << c.what << ": " << check.message;
    }
}

} // namespace
