#include "platform/kernel/Process.h"
#include "tests/support/TempDeviceRoot.h"

#include <gtest/gtest.h>

namespace tessel::kernel {
namespace {

TEST(Process, StartsAPhoneProgramWithItsArgumentsAsGivenAndTheSameRoot)
{
    TempDeviceRoot root;
    root.installTool("kernelprobe");
    // Mixed case and backslashes, as the launch code names programs.
    int pid = startProcess("\\Windows\\KERNELPROBE", {"args", "two words", "$HOME;|*", "", "last"});
    ASSERT_GT(pid, 0);
    int exitCode = -1;
    ASSERT_EQ(waitProcess(pid, 10000, &exitCode), ProcessWait::Exited);
    EXPECT_EQ(exitCode, 0);
    // The child logged into this test's root: it got the same device root.
    EXPECT_EQ(root.readFile("log/probe.log"), "two words\n$HOME;|*\n\nlast\n") << "no shell touched them";

    pid = startProcess("\\windows\\kernelprobe", {"no-such-command"});
    ASSERT_EQ(waitProcess(pid, 10000, &exitCode), ProcessWait::Exited);
    EXPECT_EQ(exitCode, 2);
}

// A program linked under a phone name of its own, as the launcher names the
// client ("\windows\tessel.exe").
TEST(Process, StartsAProgramByThePhoneNameItIsInstalledUnder)
{
    TempDeviceRoot root;
    EXPECT_EQ(root.installTool("kernelprobe", "\\windows\\tessel.exe"), "\\windows\\tessel.exe");
    EXPECT_EQ(root.installTool("kernelprobe", "\\Program Files\\Tessel\\launcher.exe"),
        "\\Program Files\\Tessel\\launcher.exe");
    EXPECT_EQ(root.installTool("kernelprobe", "\\..\\escape.exe"), "");
    for (const char* program : {"\\windows\\tessel.exe", "\\program files\\tessel\\LAUNCHER.EXE"}) {
        SCOPED_TRACE(program);
        const int pid = startProcess(program, {"args", "one"});
        ASSERT_GT(pid, 0);
        int exitCode = -1;
        ASSERT_EQ(waitProcess(pid, 10000, &exitCode), ProcessWait::Exited);
        EXPECT_EQ(exitCode, 0);
    }
    EXPECT_EQ(root.readFile("log/probe.log"), "one\none\n");
}

TEST(Process, RefusesWhatIsNotAProgramInTheRoot)
{
    TempDeviceRoot root;
    root.writeFile("windows/readme.txt", "not a program");
    EXPECT_EQ(startProcess("\\windows\\tessel.exe", {}), -1);
    EXPECT_EQ(startProcess("\\windows\\readme.txt", {}), -1);
    EXPECT_EQ(startProcess("\\windows", {}), -1);
    EXPECT_EQ(startProcess("/bin/sh", {"-c", "true"}), -1);
    EXPECT_EQ(startProcess("\\..\\bin\\sh", {}), -1);
    EXPECT_EQ(waitProcess(-1, 0, nullptr), ProcessWait::Failed);
}

} // namespace
} // namespace tessel::kernel
