#include "tests/messaging/MessagingTestSupport.h"
#include "tests/support/FileStoreFixture.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <random>
#include <string>
#include <sys/wait.h>
#include <thread>

namespace {

// Kills the tool at a random moment: the point of these tests is that a real
// process dies in the middle of its file work, so the wait is real time.
void killAfter(pid_t pid, std::mt19937& random, int minMs, int spreadMs)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(minMs + static_cast<int>(random() % spreadMs)));
    ::kill(-pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
}

// Waits (at most ten seconds) until the tool has done its first piece of
// work, so that a loaded machine does not kill every run before it began.
template <class Ready>
void waitUntil(Ready ready)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!ready() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
}

const std::string kTool = TESSEL_BINARY_DIR "/bin/msgcrash";

class CrashSafetyTest : public ::testing::Test, public FileStoreFixture {
};

TEST_F(CrashSafetyTest, AKilledSaveLeavesTheDatabaseThePointerNamesWhole)
{
    std::mt19937 random(7);
    const std::string folder = hostFile("");
    int checked = 0;
    for (int round = 0; round < 12; ++round) {
        const pid_t pid = testSpawn({ kTool, "threaddb" }, root.hostPath("tool.log"));
        ASSERT_GT(pid, 0);
        waitUntil([&] { return !readHostFile("threaddb.run").empty(); });
        killAfter(pid, random, 20, 200);
        if (readHostFile("threaddb.run").empty())
            continue;
        int status = -1;
        const std::string read = msgstore({ "threaddb-read", folder }, &status);
        EXPECT_EQ(status, 0) << "round " << round << ": " << read.substr(0, 300);
        EXPECT_NE(read.find("\"id\": \"i17"), std::string::npos) << "round " << round << ": saved messages";
        ++checked;
    }
    EXPECT_GT(checked, 6) << root.readFile("tool.log");
}

TEST_F(CrashSafetyTest, AKilledInPlaceCopyLeavesTheOldFileOrTheNew)
{
    std::mt19937 random(11);
    const std::string base = "0123456789";
    writeHostFile("copied", base);
    std::size_t grown = 0;
    for (int round = 0; round < 12; ++round) {
        const pid_t pid = testSpawn({ kTool, "copy", "copied" }, root.hostPath("tool.log"));
        ASSERT_GT(pid, 0);
        waitUntil([&] { return readHostFile("copied").size() > base.size() + grown; });
        killAfter(pid, random, 5, 100);
        const std::string now = readHostFile("copied");
        ASSERT_GE(now.size(), base.size() + grown) << "round " << round;
        EXPECT_EQ(now, base + std::string(now.size() - base.size(), '+')) << "round " << round;
        grown = now.size() - base.size();
    }
    EXPECT_GT(grown, 0u);
}

} // namespace
