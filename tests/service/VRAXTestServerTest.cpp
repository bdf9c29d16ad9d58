#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

// The test server is checked from outside, by curl, email and a loopback
// capture; its own script says what failed.
TEST(VRAXTestServerTest, EveryScriptedBehaviourAnswersAsScripted)
{
    std::string out;
    FILE* pipe = popen("python3 " TESSEL_SOURCE_DIR "/tests/peers/vrax_server_test.py 2>&1", "r");
    ASSERT_NE(pipe, nullptr);
    char line[1024];
    while (fgets(line, sizeof line, pipe))
        out += line;
    EXPECT_EQ(pclose(pipe), 0) << out;
}

} // namespace
