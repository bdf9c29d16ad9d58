#include "platform/ipc/WindowExchange.h"
#include "platform/kernel/DeviceRoot.h"
#include "platform/kernel/Process.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/WindowSystem.h"
#include "tests/support/TempDeviceRoot.h"
#include "tests/support/TestProcess.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <thread>

namespace tessel::ipc {
namespace {

using namespace std::chrono_literals;

const std::u16string kTitle = u"Tessel";

// Polls (bounded, real time: the other side is another process).
template <typename Predicate> bool eventually(Predicate predicate)
{
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (!predicate()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(5ms);
    }
    return true;
}

std::string hex(unsigned long long value)
{
    char text[24];
    std::snprintf(text, sizeof text, "%llx", value);
    return text;
}

int runProbe(const std::vector<std::string>& args)
{
    int pid = kernel::startProcess("\\windows\\uiprobe", args);
    int code = -1;
    if (pid <= 0 || kernel::waitProcess(pid, 10000, &code) != kernel::ProcessWait::Exited)
        return -1;
    return code;
}

void sendRaw(int pid, const std::string& bytes)
{
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    const std::string path = kernel::deviceFolder("run/sock") + "/" + std::to_string(pid);
    std::memcpy(address.sun_path, path.c_str(), path.size());
    int fd = ::socket(AF_UNIX, SOCK_DGRAM, 0);
    ASSERT_EQ(
        ::sendto(fd, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&address), sizeof address),
        static_cast<ssize_t>(bytes.size()));
    ::close(fd);
}

struct ShownProbe {
    explicit ShownProbe(TempDeviceRoot& root)
    {
        root.installTool("uiprobe");
        pid = kernel::startProcess("\\windows\\uiprobe", {"show"});
        if (pid > 0)
            eventually([&] { return (handle = findWindow(ui::Dialog::kClassName, &kTitle)) != 0; });
    }
    ~ShownProbe()
    {
        if (pid > 0 && !ended)
            ::kill(pid, SIGKILL), kernel::waitProcess(pid, 10000, &exitCode);
    }
    int pid = -1;
    ui::WindowHandle handle = 0;
    bool ended = false;
    int exitCode = -1;
};

TEST(WindowExchange, AnotherProcessFindsTheDialogAndItsHookGetsThePostThenWmCloseEndsIt)
{
    TempDeviceRoot root;
    ShownProbe probe(root);
    ASSERT_GT(probe.pid, 0);
    ASSERT_NE(probe.handle, 0u);
    EXPECT_EQ(ui::handleProcess(probe.handle), static_cast<std::uint32_t>(probe.pid));
    EXPECT_EQ(findWindow(ui::Dialog::kClassName, nullptr), probe.handle) << "class alone";
    const std::u16string other = u"Tessel2";
    EXPECT_EQ(findWindow(ui::Dialog::kClassName, &other), 0u) << "titles match exactly";
    EXPECT_EQ(findWindow(u"dialog", &kTitle), 0u) << "classes match exactly";
    EXPECT_EQ(
        root.readFile("run/win/" + std::to_string(probe.pid)), hex(probe.handle) + "\tDialog\tTessel\n");

    ASSERT_EQ(runProbe({"post", "8002"}), 0);
    const std::string hooked = "hook " + hex(probe.handle) + " 8002 0 0\n";
    ASSERT_TRUE(
        eventually([&] { return root.readFile("log/uiprobe.log").find(hooked) != std::string::npos; }));

    // What is not one whole record with the magic is dropped; a good one after them arrives.
    const std::string good = encodePostRecord(probe.handle, 0x8003, 7, -1);
    std::string wrongMagic = good;
    wrongMagic[0] ^= 1;
    sendRaw(probe.pid, good.substr(0, 10));
    sendRaw(probe.pid, good + "x");
    sendRaw(probe.pid, wrongMagic);
    sendRaw(probe.pid, encodePostRecord(probe.handle + 1000, 0x8004, 0, 0)); // no such window
    sendRaw(probe.pid, good);
    const std::string last = "hook " + hex(probe.handle) + " 8003 7 ffffffffffffffff\n";
    ASSERT_TRUE(eventually([&] { return root.readFile("log/uiprobe.log").find(last) != std::string::npos; }));
    EXPECT_EQ(root.readFile("log/uiprobe.log"), "shown " + hex(probe.handle) + "\n" + hooked + last);
    EXPECT_EQ(root.readFile("log/ipc.log"),
        "dropped a datagram of 10 bytes\n"
        "dropped a datagram of 33 bytes\n"
        "dropped a datagram of 32 bytes\n"
        "dropped a post to a window that is not here\n");

    ASSERT_EQ(runProbe({"close"}), 0) << "the sender waits for the exit";
    ASSERT_EQ(kernel::waitProcess(probe.pid, 10000, &probe.exitCode), kernel::ProcessWait::Exited);
    probe.ended = true;
    EXPECT_EQ(probe.exitCode, 0);
    EXPECT_FALSE(root.exists("run/win/" + std::to_string(probe.pid))) << "an orderly exit removes its table";
    EXPECT_FALSE(root.exists("run/sock/" + std::to_string(probe.pid)));
}

TEST(WindowExchange, AKilledProcessIsNotFoundAndItsEntryIsRemoved)
{
    TempDeviceRoot root;
    ShownProbe probe(root);
    ASSERT_NE(probe.handle, 0u);
    ASSERT_EQ(::kill(probe.pid, SIGKILL), 0);
    ASSERT_EQ(kernel::waitProcess(probe.pid, 10000, &probe.exitCode), kernel::ProcessWait::Exited);
    probe.ended = true;
    EXPECT_TRUE(root.exists("run/win/" + std::to_string(probe.pid))) << "kill -9 leaves it behind";
    EXPECT_EQ(findWindow(ui::Dialog::kClassName, &kTitle), 0u);
    EXPECT_FALSE(root.exists("run/win/" + std::to_string(probe.pid)));
    EXPECT_FALSE(root.exists("run/sock/" + std::to_string(probe.pid)));
    EXPECT_EQ(runProbe({"post", "8002"}), 1) << "nothing to post to";
}

TEST(WindowExchange, ThisProcessesWindowsAreListedAndFoundWhileItTakesPart)
{
    TempDeviceRoot root;
    ASSERT_TRUE(startWindowExchange());
    ui::Dialog dialog;
    dialog.createModeless(u"Before");
    const std::string table = "run/win/" + std::to_string(::getpid());
    EXPECT_EQ(root.readFile(table), hex(dialog.handle()) + "\tDialog\tBefore\n");
    dialog.setText(kTitle);
    EXPECT_EQ(root.readFile(table), hex(dialog.handle()) + "\tDialog\tTessel\n")
        << "rewritten on a title change";
    EXPECT_EQ(findWindow(ui::Dialog::kClassName, &kTitle), dialog.handle());
    dialog.destroy();
    EXPECT_EQ(root.readFile(table), "");
    stopWindowExchange();
    EXPECT_FALSE(root.exists(table));
}

} // namespace
} // namespace tessel::ipc
