#include "shell/LaunchHandoff.h"

#include "tests/shell/LaunchRig.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

namespace {

using namespace std::chrono_literals;

constexpr const char* kPosted = " 8002 0 0";

// The descriptors this process holds open.
int openDescriptors()
{
    int count = 0;
    DIR* folder = ::opendir("/proc/self/fd");
    if (!folder)
        return -1;
    while (dirent* entry = ::readdir(folder))
        count += entry->d_name[0] != '.' ? 1 : 0;
    ::closedir(folder);
    return count - 1; // the listing's own
}

TEST(LaunchHandoff, TextsAreStoredWithoutTerminatorAndReadBoundedInTheirSection)
{
    LaunchRig rig;
    RegWriteString(u"Compose", u"To:", u"+15550100;");
    RegWriteString(u"Compose", u"Subj:", nullptr);
    RegWriteString(u"UIConfig", u"MediaFilter", u"*.jpg;*.png");
    EXPECT_EQ(rig.composeValues(), (std::vector<std::string> {"To:\ttext\t+15550100;", "Subj:\ttext\t"}));
    const std::string hive = rig.root.readFile("registry/HKEY_CURRENT_USER.reg");
    EXPECT_NE(hive.find("\nSubj:\ttext\t%00\n"), std::string::npos) << hive;
    EXPECT_NE(hive.find("\nTo:\ttext\t+15550100;\n"), std::string::npos) << "no terminating NUL";

    struct Case {
        const char16_t* name;
        std::uint32_t bytes;
        std::u16string read;
    };
    const Case cases[] = {
        {u"to:", 1024, u"+15550100;"}, // names compare without case
        {u"Subj:", 1024, u""},
        {u"Missing", 1024, u""},
        {u"To:", 20, u""}, // does not fit with a NUL after it
        {u"To:", 22, u"+15550100;"},
    };
    for (const Case& c : cases) {
        std::vector<char16_t> buffer(c.bytes / 2, u'x');
        RegReadString(u"Compose", c.name, buffer.data(), c.bytes);
        EXPECT_EQ(std::u16string(buffer.data()), c.read) << c.bytes;
    }
    std::uint32_t value = 0;
    RegReadDword(u"UIConfig", u"MediaMaxSize", &value, 2048);
    EXPECT_EQ(value, 2048u);
}

TEST(LaunchHandoff, OneLaunchAtATimeAndAKilledHolderDelaysNobody)
{
    LaunchRig rig;
    ASSERT_GT(rig.startProbe(), 0);
    ASSERT_TRUE(rig.awaitProgram()) << rig.root.readFile("uiprobe.out");

    // Within a running launch's hold: dropped at once, nothing written or posted.
    const pid_t first = rig.startLauncher({"Compose"});
    ASSERT_GT(first, 0);
    ASSERT_TRUE(rig.awaitInFile("log/uiprobe.log", kPosted, 1));
    auto began = std::chrono::steady_clock::now();
    EXPECT_EQ(PostComposeRequest(u"IPM.SMSText.Post2Service", u"Configure", u"s", u"\\a.jpg", u"t"), 0);
    const auto waited = std::chrono::steady_clock::now() - began;
    EXPECT_GE(waited, 100ms) << "it waited for the semaphore first";
    EXPECT_LT(waited, 900ms);
    EXPECT_EQ(testAwaitExit(first, 10s), 0);
    EXPECT_EQ(rig.composeValues()[4], "Class\ttext\tIPM.SMSText.Tessel")
        << "the running launch's values stay";
    EXPECT_EQ(LaunchRig::occurrences(rig.root.readFile("log/uiprobe.log"), kPosted), 1);

    // A launcher killed while it holds the semaphore holds nothing.
    const pid_t killed = rig.startLauncher({"Post2Service"});
    ASSERT_GT(killed, 0);
    ASSERT_TRUE(rig.awaitInFile("log/uiprobe.log", kPosted, 2));
    ::kill(killed, SIGKILL);
    EXPECT_EQ(testAwaitExit(killed, 10s), 128 + SIGKILL);
    began = std::chrono::steady_clock::now();
    EXPECT_EQ(PostComposeRequest(u"IPM.SMSText.Tessel", u"a@b.example", nullptr, nullptr, u"hello"), 1);
    EXPECT_LT(std::chrono::steady_clock::now() - began, 1900ms) << "posted at once, then the hold";
    EXPECT_EQ(rig.composeValues(),
        (std::vector<std::string> {"Media:\ttext\t", "To:\ttext\ta@b.example", "Subj:\ttext\t",
            "Text:\ttext\thello", "Class\ttext\tIPM.SMSText.Tessel"}));
    EXPECT_EQ(LaunchRig::occurrences(rig.root.readFile("log/uiprobe.log"), kPosted), 3);
}

// A long-lived caller (a library inside another program) whose launch starts
// the program through its link: the program is not its child, and the
// launch leaves it no child to wait for and no descriptor.
TEST(LaunchHandoff, ALaunchThatStartsTheProgramLeavesTheCallerNoChildAndNoDescriptor)
{
    LaunchRig rig;
    ASSERT_EQ(rig.root.installTool("tessel", "\\windows\\tessel.exe"), "\\windows\\tessel.exe");
    const int before = openDescriptors();
    ASSERT_GT(before, 0);
    EXPECT_EQ(PostComposeRequest(u"IPM.SMSText.Tessel", nullptr, nullptr, nullptr, nullptr), 1);
    EXPECT_EQ(openDescriptors(), before);
    const std::vector<pid_t> programs = rig.programs();
    ASSERT_EQ(programs.size(), 1u);
    EXPECT_NE(testProcStatField(programs[0], 4), std::to_string(::getpid())) << "not the caller's child";
    EXPECT_EQ(testZombieChildren(), 0);
    EXPECT_TRUE(rig.awaitInFile("log/ui.log", "OnLaunchCommand")) << rig.root.readFile("log/ui.log");
}

} // namespace
