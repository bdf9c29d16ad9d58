#include "platform/kernel/NamedSemaphore.h"
#include "platform/kernel/Process.h"
#include "tests/support/TempDeviceRoot.h"

#include <gtest/gtest.h>

#include <signal.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace tessel::kernel {
namespace {

// Waits (bounded) until the probe has logged that it holds the semaphore.
bool probeHolds(const TempDeviceRoot& root)
{
    for (int i = 0; i < 2500; ++i) {
        if (root.readFile("log/probe.log").find("held") != std::string::npos)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return false;
}

TEST(NamedSemaphore, CountsAreSharedByEveryHandleOfTheName)
{
    TempDeviceRoot root;
    SemaphoreHandle first = semaphoreCreate("WINTS_Launch", 1, 1);
    SemaphoreHandle second = semaphoreCreate("WINTS_Launch", 0, 5); // opens: counts ignored
    ASSERT_NE(first, nullptr);
    ASSERT_EQ(first, second);
    EXPECT_EQ(semaphoreWait(first, 0), SemaphoreWait::Taken);
    EXPECT_EQ(semaphoreWait(second, 10), SemaphoreWait::TimedOut);
    std::int32_t previous = -1;
    EXPECT_TRUE(semaphoreRelease(second, 1, &previous));
    EXPECT_EQ(previous, 0);
    EXPECT_FALSE(semaphoreRelease(first, 1, nullptr)) << "beyond the maximum";
    semaphoreClose(second);
    EXPECT_EQ(semaphoreWait(first, 0), SemaphoreWait::Taken) << "still open through the first handle";
    semaphoreClose(first);

    SemaphoreHandle unnamed = semaphoreCreate(nullptr, 2, 3);
    ASSERT_NE(unnamed, nullptr);
    EXPECT_EQ(semaphoreWait(unnamed, 0), SemaphoreWait::Taken);
    EXPECT_EQ(semaphoreWait(unnamed, 0), SemaphoreWait::Taken);
    EXPECT_EQ(semaphoreWait(unnamed, 0), SemaphoreWait::TimedOut);
    EXPECT_FALSE(semaphoreRelease(unnamed, 4, nullptr));
    EXPECT_TRUE(semaphoreRelease(unnamed, 3, nullptr));
    semaphoreClose(unnamed);

    EXPECT_EQ(semaphoreCreate("bad/name", 1, 1), nullptr);
    EXPECT_EQ(semaphoreCreate("..", 1, 1), nullptr);
    EXPECT_EQ(semaphoreCreate("x", 2, 1), nullptr);
    EXPECT_EQ(semaphoreCreate("x", 0, 0), nullptr);
}

TEST(NamedSemaphore, AWaitingThreadTakesItWhenAnotherThreadReleases)
{
    TempDeviceRoot root;
    // The fast start-up handshake: one thread holds, the other waits.
    SemaphoreHandle handle = semaphoreCreate("WINTS_mFastStartupSemaphore", 1, 1);
    ASSERT_EQ(semaphoreWait(handle, 100), SemaphoreWait::Taken);
    std::atomic<bool> taken {false};
    std::thread waiter([&] { taken = semaphoreWait(handle, kWaitForever) == SemaphoreWait::Taken; });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_FALSE(taken.load());
    EXPECT_TRUE(semaphoreRelease(handle, 1, nullptr));
    waiter.join();
    EXPECT_TRUE(taken.load());
    semaphoreClose(handle);
}

TEST(NamedSemaphore, ANameHeldByOneProcessBlocksAnother)
{
    TempDeviceRoot root;
    const std::string probe = root.installTool("kernelprobe");
    SemaphoreHandle handle = semaphoreCreate("WINTS_CanBeOnlyOne", 1, 1);
    ASSERT_EQ(semaphoreWait(handle, 100), SemaphoreWait::Taken);

    int exitCode = -1;
    int pid = startProcess(probe, {"sem-try", "WINTS_CanBeOnlyOne", "100"});
    ASSERT_EQ(waitProcess(pid, 10000, &exitCode), ProcessWait::Exited);
    EXPECT_EQ(exitCode, 1) << "the other process timed out";

    EXPECT_TRUE(semaphoreRelease(handle, 1, nullptr));
    pid = startProcess(probe, {"sem-try", "WINTS_CanBeOnlyOne", "100"});
    ASSERT_EQ(waitProcess(pid, 10000, &exitCode), ProcessWait::Exited);
    EXPECT_EQ(exitCode, 0) << "released, so the other process took it";
    semaphoreClose(handle);
}

TEST(NamedSemaphore, AKilledHolderReleasesTheName)
{
    TempDeviceRoot root;
    const std::string probe = root.installTool("kernelprobe");
    int pid = startProcess(probe, {"sem-hold", "WINTS_CanBeOnlyOne"});
    ASSERT_GT(pid, 0);
    ASSERT_TRUE(probeHolds(root));

    SemaphoreHandle handle = semaphoreCreate("WINTS_CanBeOnlyOne", 1, 1);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(semaphoreWait(handle, 50), SemaphoreWait::TimedOut);
    SemaphoreHandle other = semaphoreCreate("WINTS_Other", 0, 1);
    EXPECT_NE(other, nullptr) << "other names are free";
    semaphoreClose(other);

    ::kill(pid, SIGKILL);
    int exitCode = 0;
    ASSERT_EQ(waitProcess(pid, 10000, &exitCode), ProcessWait::Exited);
    EXPECT_EQ(exitCode, 128 + SIGKILL);
    EXPECT_EQ(semaphoreWait(handle, 5000), SemaphoreWait::Taken);
    semaphoreClose(handle);
}

TEST(NamedSemaphore, CreatingItTakenFailsWhileAnotherProcessHoldsIt)
{
    TempDeviceRoot root;
    const std::string probe = root.installTool("kernelprobe");
    int pid = startProcess(probe, {"sem-hold", "WINTS_mClientSemaphore"});
    ASSERT_TRUE(probeHolds(root));
    EXPECT_EQ(semaphoreCreate("WINTS_mClientSemaphore", 0, 1), nullptr);
    ::kill(pid, SIGKILL);
    waitProcess(pid, 10000, nullptr);
    SemaphoreHandle handle = semaphoreCreate("WINTS_mClientSemaphore", 0, 1);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(semaphoreWait(handle, 0), SemaphoreWait::TimedOut);
    semaphoreClose(handle);
}

} // namespace
} // namespace tessel::kernel
