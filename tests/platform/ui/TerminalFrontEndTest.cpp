#include "tests/support/ExternalTool.h"
#include "tests/support/TempDeviceRoot.h"
#include "tests/support/TestProcess.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <thread>

namespace {

using namespace std::chrono_literals;

// uidemo --tty in a detached tmux session of its own server.
class TmuxSession {
public:
    TmuxSession(const std::string& root, const std::string& program)
        : tmux_(testCheckTool(testToolTmux()).path + " -L tessel-ui-" + std::to_string(::getpid()))
    {
        run("new-session -d -s demo -x 40 -y 14 -e TESSEL_ROOT=" + root
            + " \\; set-option -t demo remain-on-exit on \\; respawn-pane -k -t demo '" + program + " --tty'");
    }
    ~TmuxSession() { run("kill-server"); }

    TestCommandResult run(const std::string& arguments) const { return testRunCommand(tmux_ + " " + arguments); }
    void keys(const std::string& keys) const { run("send-keys -t demo " + keys); }
    std::string screen() const { return run("capture-pane -p -t demo").output; }
    // The screen once it holds text, or starts with it (bounded: the
    // program is another process).
    std::string await(const std::string& text, bool atTop = false) const
    {
        const auto deadline = std::chrono::steady_clock::now() + 10s;
        std::string shown = screen();
        auto there = [&] { return atTop ? shown.rfind(text, 0) == 0 : shown.find(text) != std::string::npos; };
        while (!there() && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(20ms);
            shown = screen();
        }
        return shown;
    }
    // "exit N" once the program has ended, "signal N" when a signal ended it.
    std::string exitStatus() const
    {
        const auto deadline = std::chrono::steady_clock::now() + 10s;
        std::string status;
        do {
            status = run("display -p -t demo '#{?pane_dead,#{?pane_dead_signal,signal #{pane_dead_signal},exit "
                         "#{pane_dead_status}},running}'")
                         .output;
            if (status.rfind("running", 0) != 0 && status != "exit \n")
                break;
            std::this_thread::sleep_for(20ms);
        } while (std::chrono::steady_clock::now() < deadline);
        return status;
    }

private:
    std::string tmux_;
};

TEST(TerminalFrontEnd, ShowsTheSnapshotTakesThePhonesKeysRedrawsOnResizeAndEndsOnCtrlC)
{
    TESSEL_REQUIRE_TOOL(testToolTmux());
    TempDeviceRoot root;
    TmuxSession tmux(root.path(), TESSEL_BINARY_DIR "/bin/uidemo");
    const std::string first = "== Demo ==\n"
                              "  >   Alice\n"
                              "    Bob\n"
                              "    Carol\n"
                              "softkeys: [Select] [Options]\n";
    EXPECT_EQ(tmux.await("softkeys").substr(0, first.size()), first);

    tmux.keys("Down Down Enter");
    std::string shown = tmux.await("Opened");
    EXPECT_EQ(shown.substr(0, shown.find("    Carol")), "== Opened Bob ==\n  >   Alice\n  * Bob\n");
    tmux.keys("F1");
    EXPECT_NE(tmux.await("Chose Bob").find("== Chose Bob =="), std::string::npos);
    tmux.keys("F2");
    EXPECT_NE(tmux.await("menu:").find("menu:\n  > Reset\n    Delete (grayed)\n    Close\n"), std::string::npos);
    tmux.keys("Escape");
    EXPECT_EQ(tmux.await("    Carol\nsoftkeys").find("menu:"), std::string::npos);

    tmux.run("resize-window -t demo -x 30 -y 8");
    shown = tmux.await("== Chose Bob ==\n", true);
    EXPECT_EQ(shown.substr(0, shown.find("softkeys")), "== Chose Bob ==\n  >   Alice\n  * Bob\n    Carol\n")
        << "redrawn whole at the new size";

    tmux.keys("C-c");
    EXPECT_EQ(tmux.exitStatus(), "exit 0\n");
}

TEST(TerminalFrontEnd, WithNoWindowTheStartScreenListsTheShortcutsAndStartsTheChosenOne)
{
    TESSEL_REQUIRE_TOOL(testToolTmux());
    TempDeviceRoot root;
    root.installTool("kernelprobe");
    root.writeFile("shortcuts.conf", "# the phone's start menu\n"
                                     "Inbox|\\windows\\tessel|inbox\n"
                                     "broken line\n"
                                     "Probe|\\windows\\kernelprobe|args from the start screen\n");
    TmuxSession tmux(root.path(), TESSEL_BINARY_DIR "/bin/uidemo");
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
    EXPECT_EQ(tmux.exitStatus(), "exit 0\n");
}

} // namespace
