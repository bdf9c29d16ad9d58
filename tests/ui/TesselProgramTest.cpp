#include "tests/support/ExternalTool.h"
#include "tests/support/TempDeviceRoot.h"
#include "tests/support/TestProcess.h"
#include "tests/support/TmuxSession.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>

#include <chrono>
#include <string>
#include <thread>

namespace {

using namespace std::chrono_literals;

constexpr const char* kTessel = TESSEL_BINARY_DIR "/bin/tessel";

// `tessel` with no display and no terminal: it runs headless until a signal.
pid_t startHeadless(const TempDeviceRoot& root, const std::string& name)
{
    return testSpawn({ "/usr/bin/env", "-u", "DISPLAY", "-u", "WAYLAND_DISPLAY", kTessel }, root.hostPath(name + ".out"));
}

// The program's entry in the window table that other processes search.
std::string windowTable(const TempDeviceRoot& root, pid_t pid)
{
    return root.readFile("run/win/" + std::to_string(pid));
}

bool awaitWindow(const TempDeviceRoot& root, pid_t pid)
{
    const auto until = std::chrono::steady_clock::now() + 20s;
    while (windowTable(root, pid).find("Dialog\tTessel") == std::string::npos) {
        if (std::chrono::steady_clock::now() > until)
            return false;
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

// Waits (bounded) for a child to end; its exit status, or -1.
int awaitExit(pid_t pid, std::chrono::milliseconds bound)
{
    const auto until = std::chrono::steady_clock::now() + bound;
    for (;;) {
        int status = 0;
        if (::waitpid(pid, &status, WNOHANG) == pid)
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        if (std::chrono::steady_clock::now() > until)
            return -1;
        std::this_thread::sleep_for(5ms);
    }
}

TEST(TesselProgram, OneInstanceRunsAndAKilledOneLetsTheNextStartAtOnce)
{
    TempDeviceRoot root;
    const pid_t first = startHeadless(root, "first");
    ASSERT_GT(first, 0);
    ASSERT_TRUE(awaitWindow(root, first)) << root.readFile("first.out");

    // A second gives up after its short wait, showing no window; so does a
    // third: the second gave back nothing it did not take.
    for (const char* name : { "second", "third" }) {
        const auto began = std::chrono::steady_clock::now();
        const pid_t other = startHeadless(root, name);
        ASSERT_GT(other, 0);
        const int status = awaitExit(other, 10s);
        EXPECT_NE(status, -1) << name << " still runs";
        EXPECT_NE(status, 0) << name;
        EXPECT_LT(std::chrono::steady_clock::now() - began, 5s) << name;
        EXPECT_EQ(windowTable(root, other).find("Tessel"), std::string::npos) << name;
        if (status == -1)
            testStopProcess(other, 2000);
    }

    // Killed outright, the first holds nothing: the next one starts at once.
    ::kill(first, SIGKILL);
    EXPECT_EQ(awaitExit(first, 5s), 128 + SIGKILL);
    const pid_t next = startHeadless(root, "next");
    ASSERT_GT(next, 0);
    EXPECT_TRUE(awaitWindow(root, next)) << root.readFile("next.out");
    ::kill(next, SIGTERM);
    EXPECT_EQ(awaitExit(next, 30s), 0) << "SIGTERM ends it as the close hook does";
}

TEST(TesselProgram, TheTerminalShowsTheStartScreenAndCtrlCEndsAfterTheEngineSaved)
{
    TESSEL_REQUIRE_TOOL(testToolTmux());
    TempDeviceRoot root;
    root.writeFile("shortcuts.conf", "");
    TmuxSession tmux(root, kTessel);
    const std::string shown = tmux.await("== Start ==");
    EXPECT_EQ(shown.substr(0, shown.find("\n\n")), "== Start ==\n(no shortcuts)") << "nothing listed";
    const auto until = std::chrono::steady_clock::now() + 20s;
    while (!root.exists("Application Data/Tessel/_vxl.reg") && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(10ms);
    ASSERT_TRUE(root.exists("Application Data/Tessel/_vxl.run")) << "the engine runs";
    tmux.keys("C-c");
    EXPECT_EQ(tmux.exitStatus(), "0\n");
    EXPECT_TRUE(root.exists("Application Data/Tessel/_vxl.reg"));
    EXPECT_FALSE(root.exists("Application Data/Tessel/_vxl.run")) << "the engine ended cleanly";
    EXPECT_NE(root.readFile("log/ui.log").find("....Terminated...."), std::string::npos);
}

} // namespace
