#include "tests/shell/LaunchRig.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;

constexpr const char* kPosted = " 8002 0 0";

std::vector<std::string> request(const std::string& to, const std::string& messageClass)
{
    return {"Media:\ttext\t", "To:\ttext\t" + to, "Subj:\ttext\t", "Text:\ttext\t",
        "Class\ttext\t" + messageClass};
}

TEST(Launcher, ItsWordChoosesTheRequest)
{
    LaunchRig rig;
    ASSERT_GT(rig.startProbe(), 0);
    ASSERT_TRUE(rig.awaitProgram()) << rig.root.readFile("uiprobe.out");
    struct Case {
        std::vector<std::string> words;
        std::string to;
        std::string messageClass;
        bool posted;
    };
    const Case cases[] = {
        {{"Compose"}, "", "IPM.SMSText.Tessel", true},
        {{"Post2Service"}, "", "IPM.SMSText.Post2Service", true},
        {{"ConfigureService"}, "Configure", "IPM.SMSText.Post2Service", true},
        {{"register"}, "", "", false},
        {{}, "Configure", "IPM.SMSText.Post2Service", true},
        {{"compose"}, "Configure", "IPM.SMSText.Post2Service", true},
        {{"Compose", "Post2Service"}, "", "IPM.SMSText.Tessel", true},
    };
    int posts = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.words));
        std::chrono::milliseconds took {};
        EXPECT_EQ(rig.launch(c.words, &took), 0);
        EXPECT_GE(took, 1000ms) << "the launch holds on after its post";
        posts += c.posted ? 1 : 0;
        EXPECT_EQ(LaunchRig::occurrences(rig.root.readFile("log/uiprobe.log"), kPosted), posts);
        EXPECT_EQ(rig.composeValues(), request(c.to, c.messageClass));
        EXPECT_EQ(rig.programs().size(), 1u) << "nothing else was started";
    }
    // Empty texts are stored as one NUL character each.
    const std::string hive = rig.root.readFile("registry/HKEY_CURRENT_USER.reg");
    for (const char* name : {"Media:", "Subj:", "Text:"})
        EXPECT_NE(hive.find(std::string("\n") + name + "\ttext\t%00\n"), std::string::npos) << name;
    EXPECT_EQ(rig.root.readFile("log/msgbox.log"), "");
}

TEST(Launcher, ComposeStartsTheProgramOnceThroughItsLinkAndItRunsTheComposeOption)
{
    LaunchRig rig;
    ASSERT_EQ(rig.root.installTool("tessel", "\\windows\\tessel.exe"), "\\windows\\tessel.exe");
    std::chrono::milliseconds took {};
    EXPECT_EQ(rig.launch({"Compose"}, &took), 0) << rig.root.readFile("launcher.out");
    EXPECT_GE(took, 1000ms);
    EXPECT_EQ(rig.programs().size(), 1u);
    // The five as written; the program writes back the exit command it has taken.
    std::vector<std::string> values = rig.composeValues();
    values.resize(std::min<std::size_t>(values.size(), 5));
    EXPECT_EQ(values, request("", "IPM.SMSText.Tessel"));
    EXPECT_TRUE(rig.awaitInFile("log/ui.log", "Global Menu Option 0 of SEND_MESSAGE_GENERIC runs"))
        << rig.root.readFile("log/ui.log");
    EXPECT_EQ(rig.programs().size(), 1u) << "one program, started once";
}

TEST(Launcher, WithTheProgramRunningThePostArrivesAtOnce)
{
    LaunchRig rig;
    ASSERT_EQ(rig.root.installTool("tessel", "\\windows\\tessel.exe"), "\\windows\\tessel.exe");
    ASSERT_GT(rig.startProgram(), 0);
    ASSERT_TRUE(rig.awaitProgram()) << rig.root.readFile("tessel.out");
    // Its engine runs: the program takes messages.
    ASSERT_TRUE(rig.awaitFile("Application Data/Tessel/_vxl.run"));
    std::chrono::milliseconds took {};
    EXPECT_EQ(rig.launch({"Compose"}, &took), 0);
    EXPECT_GE(took, 1000ms);
    EXPECT_TRUE(rig.awaitInFile("log/ui.log", "OnLaunchCommand", 1, 0ms)) << "read within the launch's hold";
    EXPECT_EQ(rig.programs(), std::vector<pid_t> {rig.program}) << "no second program";

    // Two launchers 1,100 ms apart (counted from the program's reading of the first):
    // the second takes the semaphore once the first's hold is over, and each
    // request is handled in turn with its own values. A third launcher
    // within the second one's hold writes nothing and posts nothing.
    const pid_t compose = rig.startLauncher({"Compose"}, "compose.out");
    ASSERT_GT(compose, 0);
    ASSERT_TRUE(rig.awaitInFile("log/ui.log", "OnLaunchCommand", 2));
    std::this_thread::sleep_for(1100ms);
    const pid_t post = rig.startLauncher({"Post2Service"}, "post.out");
    ASSERT_GT(post, 0);
    EXPECT_TRUE(rig.awaitInFile("log/ui.log", "OnLaunchCommand", 3)) << rig.root.readFile("log/ui.log");
    const auto dropped = std::chrono::steady_clock::now();
    EXPECT_EQ(rig.launch({"ConfigureService"}), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - dropped, 900ms) << "the third gave up at once";
    EXPECT_EQ(testAwaitExit(compose, 10s), 0);
    EXPECT_EQ(testAwaitExit(post, 10s), 0);
    std::vector<std::string> values = rig.composeValues();
    values.resize(std::min<std::size_t>(values.size(), 5));
    EXPECT_EQ(values, request("", "IPM.SMSText.Post2Service")) << "the third wrote nothing";
    EXPECT_EQ(LaunchRig::occurrences(rig.root.readFile("log/launch.log"), "this one is dropped"), 1);
    EXPECT_TRUE(rig.awaitInFile("log/picker.log", "Select Image to Post"))
        << "post to service without media picks";
    const std::string handled = rig.root.readFile("log/ui.log");
    EXPECT_EQ(LaunchRig::occurrences(handled, "of SEND_MESSAGE_GENERIC runs"), 2);
    EXPECT_EQ(LaunchRig::occurrences(handled, "OnLaunchCommand"), 3) << handled;
    EXPECT_EQ(rig.programs(), std::vector<pid_t> {rig.program});
}

// The program is not installed: the launcher polls about 20 s for its window,
// then says so; "register" polls as long and says nothing.
TEST(LauncherSlow, WithoutTheProgramItPollsThenShowsTheBoxButNotForRegister)
{
    LaunchRig rig;
    struct Case {
        const char* word;
        int boxes;
    };
    for (const Case& c : {Case {"Compose", 1}, Case {"register", 1}}) {
        SCOPED_TRACE(c.word);
        std::chrono::milliseconds took {};
        EXPECT_EQ(rig.launch({c.word}, &took, 90s), 0);
        EXPECT_GE(took, 20s);
        EXPECT_EQ(LaunchRig::occurrences(
                      rig.root.readFile("log/msgbox.log"), "Norvane Tessel: Could not launch Norvane Tessel"),
            c.boxes);
        EXPECT_TRUE(rig.programs().empty());
    }
    EXPECT_EQ(rig.composeValues(), request("", ""));
}

} // namespace
