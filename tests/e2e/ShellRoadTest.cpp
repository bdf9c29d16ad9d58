#include "tests/e2e/DemoRoad.h"
#include "tests/shell/LaunchRig.h"
#include "tests/shell/tesselfm/InboxFiles.h"
#include "tests/support/ExternalTool.h"
#include "tests/support/TestProcess.h"
#include "tests/support/TmuxSession.h"

#include <gtest/gtest.h>

#include <dirent.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using namespace std::chrono_literals;

constexpr const char* kLauncher = TESSEL_BINARY_DIR "/bin/launcher";
constexpr const char* kShellHost = TESSEL_BINARY_DIR "/bin/tessel-shellhost";

// Times the text occurs in a file of the root.
int timesInFile(const DemoRoad& road, const std::string& file, const std::string& text)
{
    return LaunchRig::occurrences(road.root().readFile(file), text);
}

// `launcher WORD` run to its end as a person runs it from a terminal: no
// display, so a program it starts runs as the program link says.
int runLauncher(DemoRoad& road, const std::string& word)
{
    const pid_t pid = testSpawn({"/usr/bin/env", "-u", "DISPLAY", "-u", "WAYLAND_DISPLAY", kLauncher, word},
        road.root().hostPath("launcher.out"));
    if (pid <= 0)
        return -1;
    int status = -1;
    road.until([&] { return (status = testAwaitExit(pid, 100ms)) != -1; }, "end of launcher " + word);
    if (status == -1)
        testStopProcess(pid, 2000);
    return status;
}

// The running programs of the root are one tessel and nothing else.
bool oneTessel(DemoRoad& road)
{
    return road.until([&] { return road.programs().size() == 1; }, "one tessel and no launcher");
}

// The composer of a Compose launch, then its Contacts key: the contact
// chooser over the demo's contacts; Escape goes back to the composer.
bool composerAndChooser(DemoRoad& road)
{
    if (!road.step({"== Tessel ==", "Send To Contacts", "To:", "[Contacts]"}))
        return false;
    road.keys("F1");
    if (!road.step({"== Contacts ==", "Smith, Anna", "Jones, Bob"}))
        return false;
    road.keys("Escape");
    return road.step({"Send To Contacts", "[Contacts]"});
}

// `launcher Compose` with no tessel running starts it through the phone's
// program link and hands it the request: one tessel shows the composer
// and its contact chooser. A second `launcher Compose` reaches the running
// one: still one tessel, the request taken a second time. Ctrl-C ends it
// with 0 and leaves no process; a start on the same root shows the start
// screen and, from its Compose shortcut, the same composer and chooser.
TEST(ShellRoad, LauncherComposeStartsTesselOnceOrReachesTheRunningOne)
{
    TESSEL_REQUIRE_TOOL(testToolTmux());
    TESSEL_REQUIRE_TOOL(testToolSquid());
    DemoRoad road;
    ASSERT_TRUE(road.ready()) << road.error();
    road.startByLink();
    EXPECT_EQ(runLauncher(road, "Compose"), 0) << road.root().readFile("launcher.out");
    ASSERT_TRUE(composerAndChooser(road));
    ASSERT_TRUE(oneTessel(road)) << road.report();
    EXPECT_EQ(timesInFile(road, "log/ui.log", "OnLaunchCommand"), 1) << road.report();

    EXPECT_EQ(runLauncher(road, "Compose"), 0) << road.root().readFile("launcher.out");
    ASSERT_TRUE(road.until(
        [&] { return timesInFile(road, "log/ui.log", "OnLaunchCommand") == 2; }, "the second request taken"));
    ASSERT_TRUE(composerAndChooser(road));
    ASSERT_TRUE(oneTessel(road)) << road.report();
    EXPECT_EQ(timesInFile(road, "log/ui.log", "Global Menu Option 0 of SEND_MESSAGE_GENERIC runs"), 2)
        << road.report();
    EXPECT_EQ(road.root().readFile("log/msgbox.log"), "");
    EXPECT_EQ(road.close(), "0\n");
    EXPECT_EQ(road.programs(), std::vector<pid_t> {});

    road.start();
    ASSERT_TRUE(road.step({"== Start ==", "Compose"}));
    road.keys("Enter");
    ASSERT_TRUE(composerAndChooser(road));
    ASSERT_TRUE(oneTessel(road)) << road.report();
    EXPECT_EQ(road.close(), "0\n");
}

// The ids of the messages in the SMS store's Inbox, sorted.
std::vector<std::string> inboxIds(const DemoRoad& road)
{
    std::vector<std::string> ids;
    if (DIR* dir = ::opendir(road.root().hostPath("mapi/SMS/Inbox").c_str())) {
        while (dirent* entry = ::readdir(dir)) {
            const std::string name = entry->d_name;
            if (name.size() > 4 && name.compare(name.size() - 4, 4, ".msg") == 0)
                ids.push_back(name.substr(0, name.size() - 4));
        }
        ::closedir(dir);
    }
    std::sort(ids.begin(), ids.end());
    return ids;
}

// tessel-shellhost run to its end on the road's root; its standard output.
TestCommandResult shellHost(const DemoRoad& road, const std::vector<std::string>& words)
{
    std::string command = kShellHost;
    for (const std::string& word : words)
        command += " " + InboxFiles::quoted(word);
    return testRunCommand(command + " 2>>" + InboxFiles::quoted(road.root().hostPath("shellhost.err")));
}

// The phone's shell beside a running tessel: a service notice sent as a
// text message (tessel-shellhost sms) shows in the Inbox, opens in the
// library's read form, and View Tessel opens its link. Send In Tessel on a
// picture of the demo (tessel-shellhost menu) opens tessel's composer
// holding it. A launch while the composer is up ends it with Exit and the
// program returns to main: the Inbox's clean-up deletes a notice written
// with the class it names and leaves the rule client's notice in place,
// then the launch runs. After Ctrl-C, a new start and a new Inbox find the
// notice once.
TEST(ShellRoad, TheShellsEntriesReachTheRunningTessel)
{
    TESSEL_REQUIRE_TOOL(testToolTmux());
    TESSEL_REQUIRE_TOOL(testToolSquid());
    DemoRoad road;
    ASSERT_TRUE(road.ready()) << road.error();
    road.start();
    ASSERT_TRUE(road.step({"== Start =="}));
    TmuxSession inbox(road.root(), kShellHost, "inbox", "inbox");
    ASSERT_TRUE(road.step(inbox, {"== Inbox =="}));

    const std::string link = "http://t.example/m/9";
    const TestCommandResult sms = shellHost(
        road, {"sms", "+14255550199", "Anna sent you a Tessel " + link + " Click Go_frsthgl to reply STOP"});
    EXPECT_EQ(sms.output, "handled 2\n") << road.root().readFile("shellhost.err");
    ASSERT_TRUE(road.step(inbox, {"> * Anna sent you a Tessel http://t.ex"}));
    const std::vector<std::string> stored = inboxIds(road);
    ASSERT_EQ(stored.size(), 1u);
    const std::string notice = stored[0];
    EXPECT_EQ(InboxFiles(road.root()).read(notice)["message 001a001f"], "\"IPM.SMSText.Tessel\"");
    inbox.keys("Enter");
    ASSERT_TRUE(road.step(inbox, {"You Have New Tessel!", "> [ View Tessel ]"}));
    inbox.keys("Enter");
    ASSERT_TRUE(road.until(
        [&] { return timesInFile(road, "log/shellexec.log", "parameters=" + link + " verb=") == 1; },
        "the link opened"));
    inbox.keys("Escape");
    ASSERT_TRUE(road.step(inbox, {"== Inbox ==", "Anna sent you a Tessel"}));

    const TestCommandResult menu
        = shellHost(road, {"menu", "file", "\\My Documents\\My Pictures\\sunset.png", "Send Tessel"});
    EXPECT_EQ(menu.output,
        "Send Tessel\tSend In Tessel\nPost To Service\tPost To Service\ninvoked Send In Tessel 0\n")
        << road.root().readFile("shellhost.err");
    ASSERT_TRUE(road.step({"Send To Contacts", "Pictures\n      sunset.png\n", "[Contacts]"}));
    EXPECT_EQ(timesInFile(road, "log/ui.log", "Global Menu Option 0 of CAPTURE_OPTIONS runs"), 1)
        << road.report();
    EXPECT_EQ(road.programs().size(), 1u) << "the running tessel took it";

    // A launch while the composer is up ends it with Exit: the program
    // returns to main, whose clean-up of the Inbox deletes the notices of
    // the class it names, exactly as written, and leaves the rule client's
    // in place; then the launch runs.
    InboxFiles files(road.root());
    const std::string older
        = files.write({{"001a001f", "\"IPM.SMStext.Tessel\""}, {"0037001f", "\"Older\""}});
    ASSERT_FALSE(older.empty());
    ASSERT_TRUE(road.step(inbox, {"Older", "Anna sent you a Tessel"}));
    EXPECT_EQ(runLauncher(road, "Compose"), 0) << road.root().readFile("launcher.out");
    ASSERT_TRUE(road.until(
        [&] { return timesInFile(road, "log/ui.log", "CleanSmsInbox deleted 1 service notices") == 1; },
        "the clean-up of the Inbox"));
    EXPECT_EQ(timesInFile(road, "log/ui.log", "OnLaunchExit"), 1) << road.report();
    ASSERT_TRUE(road.step({"Send To Contacts", "[Contacts]"}));
    EXPECT_EQ(timesInFile(road, "log/ui.log", "Global Menu Option 0 of SEND_MESSAGE_GENERIC runs"), 1)
        << road.report();
    EXPECT_EQ(files.file(older), "");
    ASSERT_TRUE(road.until(
        [&] {
            const std::string shown = inbox.screen();
            return shown.find("Older") == std::string::npos
                && shown.find("Anna sent you a Tessel") != std::string::npos;
        },
        "the Inbox without the older notice"));
    EXPECT_EQ(inboxIds(road), std::vector<std::string> {notice});
    inbox.keys("C-c");
    EXPECT_EQ(inbox.exitStatus(), "0\n");
    EXPECT_EQ(road.close(), "0\n");

    // What the road left: the notice, once, in the Inbox of a new start.
    road.start();
    ASSERT_TRUE(road.step({"== Start =="}));
    TmuxSession again(road.root(), kShellHost, "inbox", "again");
    ASSERT_TRUE(road.step(again, {"== Inbox ==", "> * Anna sent you a Tessel"}));
    EXPECT_EQ(again.screen().find("Older"), std::string::npos);
    EXPECT_EQ(inboxIds(road), std::vector<std::string> {notice});
    EXPECT_EQ(timesInFile(road, "log/shellexec.log", "parameters="), 1);
    again.keys("C-c");
    EXPECT_EQ(again.exitStatus(), "0\n");
    EXPECT_EQ(road.close(), "0\n");
}

} // namespace
