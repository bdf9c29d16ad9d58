#include "platform/ui/TerminalFrontEnd.h"
#include "tests/support/ExternalTool.h"
#include "tests/support/TempDeviceRoot.h"
#include "tests/support/TestProcess.h"
#include "tests/support/TmuxSession.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <cstdlib>

#include <chrono>
#include <thread>

namespace {

using namespace std::chrono_literals;

TEST(TerminalFrontEnd, ShowsTheSnapshotTakesThePhonesKeysRedrawsOnResizeAndEndsOnCtrlC)
{
    TESSEL_REQUIRE_TOOL(testToolTmux());
    TempDeviceRoot root;
    TmuxSession tmux(root, TESSEL_BINARY_DIR "/bin/uidemo");
    const std::string first = "== Demo ==\n"
                              "  >   Alice\n"
                              "    Bob\n"
                              "    Carol\n"
                              "softkeys: [Select] [Options]\n";
    EXPECT_EQ(tmux.await("softkeys").substr(0, first.size()), first);

    tmux.keys("Down Down Enter");
    std::string shown = tmux.await("Opened");
    EXPECT_EQ(shown.substr(0, shown.find("    Carol")), "== Opened Bob ==\n    Alice\n  > * Bob\n");
    tmux.keys("F1");
    EXPECT_NE(tmux.await("Chose Bob").find("== Chose Bob =="), std::string::npos);
    tmux.keys("F2");
    EXPECT_NE(
        tmux.await("menu:").find("menu:\n  > Reset\n    Delete (grayed)\n    Close\n"), std::string::npos);
    tmux.keys("Escape");
    EXPECT_EQ(tmux.await("    Carol\nsoftkeys").find("menu:"), std::string::npos);

    tmux.run("resize-window -t demo -x 30 -y 8");
    shown = tmux.await("== Chose Bob ==\n", true);
    EXPECT_EQ(shown.substr(0, shown.find("softkeys")), "== Chose Bob ==\n    Alice\n  > * Bob\n    Carol\n")
        << "redrawn whole at the new size";

    tmux.keys("C-c");
    EXPECT_EQ(tmux.exitStatus(), "0\n");
}

TEST(TerminalFrontEnd, AfterTwentyDownsInThirtyRowsTheSelectedRowIsOnScreen)
{
    TESSEL_REQUIRE_TOOL(testToolTmux());
    TempDeviceRoot root;
    TmuxSession tmux(root, TESSEL_BINARY_DIR "/bin/uidemo", "--rows 30");
    tmux.await("Row 01");
    std::string keys;
    for (int i = 0; i < 20; ++i)
        keys += " Down";
    tmux.keys(keys);
    const std::string shown = tmux.await("> * Row 20");
    EXPECT_NE(shown.find("  > * Row 20\n"), std::string::npos) << shown;
    EXPECT_EQ(shown.find("Row 01"), std::string::npos) << shown;
    tmux.keys("C-c");
    EXPECT_EQ(tmux.exitStatus(), "0\n");
}

TEST(TerminalFrontEnd, TheFocusMarkStaysOnScreenWhenTheLinesOutgrowIt)
{
    struct Case {
        const char* what;
        std::vector<std::string> lines;
        int rows;
        std::size_t first;
    };
    const Case cases[] = {
        {"all fit", {"== A ==", "  > * x", "softkeys:"}, 3, 0},
        {"the mark within the first rows", {"t", "  > * a", "  b", "  c", "  d"}, 3, 0},
        {"the mark below them", {"t", "  a", "  b", "  c", "  > * d"}, 3, 2},
        {"the last mark counts (a box over a screen)", {"t", "  > a", "  b", "> box", "text"}, 2, 2},
        {"no mark: the top", {"t", "a", "b", "c"}, 2, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(tessel::ui::firstShownLine(c.lines, c.rows), c.first) << c.what;
}

TEST(TerminalFrontEnd, WithNoWindowTheStartScreenListsTheShortcutsAndStartsTheChosenOne)
{
    TESSEL_REQUIRE_TOOL(testToolTmux());
    TempDeviceRoot root;
    root.installTool("kernelprobe");
    root.writeFile("shortcuts.conf",
        "# the phone's start menu\n"
        "Inbox|\\windows\\tessel|inbox\n"
        "broken line\n"
        "Probe|\\windows\\kernelprobe|args from the start screen\n");
    TmuxSession tmux(root, TESSEL_BINARY_DIR "/bin/uidemo");
    tmux.await("softkeys");
    tmux.keys("F2 Up Down Down Enter"); // Options, Close
    std::string shown = tmux.await("== Start ==");
    EXPECT_EQ(shown.substr(0, shown.find("\n\n")), "== Start ==\n* Inbox\n  Probe");
    tmux.keys("Down Enter");
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (root.readFile("log/probe.log").empty() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(20ms);
    EXPECT_EQ(root.readFile("log/probe.log"), "from\nthe\nstart\nscreen\n");
    EXPECT_EQ(root.readFile("log/home.log"), "shortcuts.conf line 3 skipped: broken line\nstarted Probe\n");
    tmux.keys("C-c");
    EXPECT_EQ(tmux.exitStatus(), "0\n");
}

TEST(TerminalFrontEnd, SigtermAndAHangUpCallTheCloseHook)
{
    TESSEL_REQUIRE_TOOL(testToolTmux());
    struct Case {
        const char* what;
        void (*end)(const TmuxSession&);
    };
    const Case cases[] = {
        {"SIGTERM", [](const TmuxSession& tmux) { ::kill(tmux.programPid(), SIGTERM); }},
        {"hang-up", [](const TmuxSession& tmux) { tmux.run("kill-server"); }},
    };
    for (const Case& c : cases) {
        TempDeviceRoot root;
        TmuxSession tmux(root, TESSEL_BINARY_DIR "/bin/uidemo");
        tmux.await("softkeys");
        ASSERT_GT(tmux.programPid(), 0) << c.what;
        c.end(tmux);
        EXPECT_EQ(tmux.exitStatus(), "0\n") << c.what;
    }
}

} // namespace
