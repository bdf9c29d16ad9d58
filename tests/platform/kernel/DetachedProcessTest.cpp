#include "platform/kernel/Process.h"
#include "tests/support/TempDeviceRoot.h"
#include "tests/support/TestProcess.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <thread>

namespace tessel::kernel {
namespace {

using namespace std::chrono_literals;

std::string awaitLog(const TempDeviceRoot& root, const std::string& text)
{
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    std::string log = root.readFile("log/probe.log");
    while (log.find(text) == std::string::npos && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(10ms);
        log = root.readFile("log/probe.log");
    }
    return log;
}

TEST(DetachedProcess, LeavesNoZombieAndInheritsNoDescriptor)
{
    TempDeviceRoot root;
    root.installTool("kernelprobe");
    // A pipe this process leaves open across exec, as a careless caller would.
    int fds[2];
    ASSERT_EQ(::pipe2(fds, 0), 0);

    const int pid = startDetachedProcess("\\Windows\\KernelProbe", {"sem-hold", "detached-test"});
    ASSERT_GT(pid, 0);
    EXPECT_NE(awaitLog(root, "held").find("held"), std::string::npos) << "it runs, in this device root";
    EXPECT_NE(testProcStatField(pid, 4), std::to_string(::getpid())) << "not this process's child";
    EXPECT_EQ(testProcStatField(pid, 6), std::to_string(pid)) << "a session of its own";
    EXPECT_EQ(testZombieChildren(), 0);

    // With this process's write end closed the pipe is at its end: the
    // program holds no copy of it.
    ::close(fds[1]);
    pollfd readEnd {fds[0], POLLIN, 0};
    ASSERT_EQ(::poll(&readEnd, 1, 0), 1);
    char byte;
    EXPECT_EQ(::read(fds[0], &byte, 1), 0);
    ::close(fds[0]);

    ::kill(pid, SIGTERM);
    EXPECT_EQ(startDetachedProcess("\\windows\\missing.exe", {}), -1);
    EXPECT_EQ(testZombieChildren(), 0);
}

} // namespace
} // namespace tessel::kernel
