#include "platform/ipc/WindowExchange.h"
#include "tests/support/ExternalTool.h"
#include "tests/support/TempDeviceRoot.h"
#include "tests/support/TestProcess.h"
#include "tests/support/TmuxSession.h"
#include "ui/LaunchRequest.h"
#include "ui/WinTSRegistry.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;

constexpr const char* kTessel = TESSEL_BINARY_DIR "/bin/tessel";

// `tessel` with no display and no terminal: it runs headless until a signal.
pid_t startHeadless(const TempDeviceRoot& root, const std::string& name)
{
    return testSpawn(
        {"/usr/bin/env", "-u", "DISPLAY", "-u", "WAYLAND_DISPLAY", kTessel}, root.hostPath(name + ".out"));
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

TEST(TesselProgram, OneInstanceRunsAndAKilledOneLetsTheNextStartAtOnce)
{
    TempDeviceRoot root;
    const pid_t first = startHeadless(root, "first");
    ASSERT_GT(first, 0);
    ASSERT_TRUE(awaitWindow(root, first)) << root.readFile("first.out");

    // A second gives up after its short wait, showing no window; so does a
    // third: the second gave back nothing it did not take.
    for (const char* name : {"second", "third"}) {
        const auto began = std::chrono::steady_clock::now();
        const pid_t other = startHeadless(root, name);
        ASSERT_GT(other, 0);
        const int status = testAwaitExit(other, 10s);
        EXPECT_NE(status, -1) << name << " still runs";
        EXPECT_NE(status, 0) << name;
        EXPECT_LT(std::chrono::steady_clock::now() - began, 5s) << name;
        EXPECT_EQ(windowTable(root, other).find("Tessel"), std::string::npos) << name;
        if (status == -1)
            testStopProcess(other, 2000);
    }

    // Killed outright, the first holds nothing: the next one starts at once.
    ::kill(first, SIGKILL);
    EXPECT_EQ(testAwaitExit(first, 5s), 128 + SIGKILL);
    const pid_t next = startHeadless(root, "next");
    ASSERT_GT(next, 0);
    EXPECT_TRUE(awaitWindow(root, next)) << root.readFile("next.out");
    ::kill(next, SIGTERM);
    EXPECT_EQ(testAwaitExit(next, 30s), 0) << "SIGTERM ends it as the close hook does";
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

// The demo root that make run uses, written by tools/demo_root.py.
void writeDemoRoot(const TempDeviceRoot& root)
{
    const TestCommandResult run
        = testRunCommand(testPython() + " " TESSEL_SOURCE_DIR "/tools/demo_root.py '" + root.path()
            + "' 4255550100@nai.tessel.test 1 2 3 '' " TESSEL_BINARY_DIR "/bin " TESSEL_SOURCE_DIR " 2>&1");
    ASSERT_EQ(run.status, 0) << run.output;
}

TEST(TesselProgram, OnTheDemoRootTheStartScreenListsItsShortcuts)
{
    TESSEL_REQUIRE_TOOL(testToolTmux());
    TempDeviceRoot root;
    writeDemoRoot(root);
    TmuxSession tmux(root, kTessel);
    const std::string shown = tmux.await("== Start ==");
    EXPECT_EQ(shown.substr(0, shown.find("\n\n")),
        "== Start ==\n* Compose\n  Post to Service\n  Configure\n  Register");
    tmux.keys("C-c");
    EXPECT_EQ(tmux.exitStatus(), "0\n");
}

// Waits (bounded) until the file holds the text `count` times.
bool awaitInFile(const TempDeviceRoot& root, const std::string& file, const std::string& text, int count = 1)
{
    const auto until = std::chrono::steady_clock::now() + 30s;
    while (true) {
        const std::string held = root.readFile(file);
        int n = 0;
        for (std::size_t at = held.find(text); at != std::string::npos; at = held.find(text, at + 1))
            ++n;
        if (n >= count)
            return true;
        if (std::chrono::steady_clock::now() > until)
            return false;
        std::this_thread::sleep_for(20ms);
    }
}

// The live tessel and launcher processes of this device root.
std::vector<pid_t> programsOn(const TempDeviceRoot& root)
{
    return testProgramsOnRoot(root.path());
}

// The start screen's Compose shortcut runs the real launcher, whose request
// the running program turns into its compose option (activity 97): the
// contact chooser takes the request's recipients (none) and goes on at once,
// the media-kind menu picks the phone's pictures, the local media picker
// (UI job 15, which the phone shows no window for) goes on, and the
// composer shows. A request naming a contact, as a contact's compose form
// hands it over, ends the composer by its Exit and shows the phone's chooser
// over that contact of the device root; Back leaves it with no recipient
// taken and the flow reaches the composer again. Ctrl-C with the composer
// open ends the program with 0 and leaves no tessel or launcher behind.
TEST(TesselProgram, TheComposeShortcutRunsTheContactChooserAndTheComposer)
{
    TESSEL_REQUIRE_TOOL(testToolTmux());
    TempDeviceRoot root;
    writeDemoRoot(root);
    TmuxSession tmux(root, kTessel);
    tmux.await("== Start ==");
    tmux.keys("Enter");
    EXPECT_TRUE(awaitInFile(root, "log/ui.log", "Global Menu Option 0 of SEND_MESSAGE_GENERIC runs"))
        << root.readFile("log/ui.log");
    // The spinner before it is titled "== Tessel ==" as well.
    const std::string composer = tmux.await("Send To Contacts");
    EXPECT_EQ(composer.rfind("== Tessel ==", 0), 0u) << composer;
    EXPECT_NE(composer.find("Pictures"), std::string::npos) << composer;
    EXPECT_EQ(root.readFile("log/ui.log").find("Could not find outlook item"), std::string::npos);
    // The launcher ends after its hold; the next launch comes after it, as
    // the launch semaphore would have it.
    const auto held = std::chrono::steady_clock::now() + 20s;
    while (programsOn(root).size() > 1 && std::chrono::steady_clock::now() < held)
        std::this_thread::sleep_for(20ms);
    ASSERT_EQ(programsOn(root).size(), 1u) << "the program alone";

    registryWrite(kLaunchSection, kLaunchClass, kLaunchClassTessel);
    registryWrite(kLaunchSection, kLaunchTo, u"Outlook:101");
    const std::u16string title = kLaunchWindowTitle;
    const auto until = std::chrono::steady_clock::now() + 20s;
    tessel::ui::WindowHandle program = 0;
    while ((program = tessel::ipc::findWindow(kLaunchWindowClass, &title)) == 0
        && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(20ms);
    ASSERT_NE(program, 0u);
    ASSERT_TRUE(tessel::ipc::postToProcess(program, kLaunchMessage, 0, 0));
    const std::string shown = tmux.await("== Smith, Anna ==", true);
    EXPECT_EQ(shown.substr(0, shown.find("== Tessel ==")),
        "== Smith, Anna ==\n  > * E-mail: anna@example.com\n    Mobile: +1 (425) 555-0101\n")
        << shown;
    std::u16string to = u"-";
    EXPECT_TRUE(registryRead(kLaunchSection, kLaunchTo, &to));
    EXPECT_EQ(to, u"") << "the chooser took the recipients";
    tmux.keys("Escape");
    EXPECT_TRUE(awaitInFile(root, "log/ui.log", "Could not find outlook item"))
        << root.readFile("log/ui.log");
    EXPECT_EQ(tmux.await("Send To Contacts").rfind("== Tessel ==", 0), 0u);

    tmux.keys("C-c");
    EXPECT_EQ(tmux.exitStatus(), "0\n");
    EXPECT_EQ(programsOn(root), std::vector<pid_t> {});
}

// tessel in its window under Xvfb on the demo root: the captured window
// equals the newest PNG snapshot, before and after Down moves the start
// screen's selection; closing the window ends the program with 0.
TEST(TesselProgram, TheWindowUnderXvfbEqualsItsSnapshots)
{
    TESSEL_REQUIRE_TOOL(testToolXvfbRun());
    TESSEL_REQUIRE_TOOL(testToolXdotool());
    TESSEL_REQUIRE_TOOL(testToolImport());
    TESSEL_REQUIRE_TOOL(testToolCompare());
    TempDeviceRoot root;
    writeDemoRoot(root);
    const std::string out = root.hostPath("shots-run");
    ASSERT_TRUE(root.makeFolder("shots-run"));
    const std::string display = std::to_string(100 + (getpid() + 400) % 800);
    const TestCommandResult run = testRunCommand("timeout 110 xvfb-run -a -n " + display
        + " -s '-screen 0 640x480x24' bash " TESSEL_SOURCE_DIR "/tests/harness/xvfb_window.sh "
        + std::string(kTessel) + " '" + out + "' 2>&1");
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(testLines(run.output),
        (std::vector<std::string> {"shown 0001 0", "size 240 320", "shown 0002 0", "closed 0"}));
}

TEST(TesselProgram, MakeRunsDemoLeavesNoProcessBehind)
{
    TempDeviceRoot root;
    const pid_t script = testSpawn(
        {"/usr/bin/env", "-u", "DISPLAY", "-u", "WAYLAND_DISPLAY", "TESSEL_DEMO_ROOT=" + root.path(),
            TESSEL_SOURCE_DIR "/tools/run-demo.sh", TESSEL_BINARY_DIR},
        root.hostPath("demo.out"));
    ASSERT_GT(script, 0);
    // The program runs once its window is listed.
    pid_t program = 0;
    const auto until = std::chrono::steady_clock::now() + 60s;
    while (program == 0 && std::chrono::steady_clock::now() < until) {
        const TestCommandResult list = testRunCommand("ls '" + root.hostPath("run/win") + "' 2>/dev/null");
        for (const std::string& line : testLines(list.output)) {
            if (windowTable(root, std::atoi(line.c_str())).find("Dialog\tTessel") != std::string::npos)
                program = std::atoi(line.c_str());
        }
        std::this_thread::sleep_for(20ms);
    }
    ASSERT_GT(program, 0) << root.readFile("demo.out");
    const std::vector<std::string> peers = testFileLines(root.hostPath("run/demo/peers.pid"));
    EXPECT_GE(peers.size(), 2u) << "the relay and the service server, and squid when installed";
    EXPECT_NE(root.readFile("registry/HKEY_CURRENT_USER.reg").find("VXLCFG_MMSC_URI"), std::string::npos);
    ::kill(program, SIGTERM);
    EXPECT_EQ(testAwaitExit(script, 60s), 0) << root.readFile("demo.out");
    for (const std::string& peer : peers) {
        const pid_t pid = std::atoi(peer.c_str());
        const auto gone = std::chrono::steady_clock::now() + 10s;
        while (::kill(pid, 0) == 0 && std::chrono::steady_clock::now() < gone)
            std::this_thread::sleep_for(20ms);
        EXPECT_NE(::kill(pid, 0), 0) << "peer " << pid << " still runs";
    }
}

} // namespace
