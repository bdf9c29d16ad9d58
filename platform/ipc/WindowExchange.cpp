#include "platform/ipc/WindowExchange.h"

#include "platform/kernel/DeviceLog.h"
#include "platform/kernel/DeviceRoot.h"
#include "platform/kernel/KernelThread.h"
#include "platform/kernel/TextCodec.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowSystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>
#include <sstream>
#include <thread>
#include <vector>

namespace tessel::ipc {

namespace {

constexpr int kCloseWaitMs = 5000;

std::mutex gMutex;
int gSocket = -1;
int gStopPipe[2] = {-1, -1};
kernel::KernelThread* gReceiver = nullptr;
std::string gTablePath;
std::string gSocketPath;

std::string utf8(const std::u16string& text)
{
    std::string out = kernel::wideToUtf8(text);
    // One window per line, fields split by tabs.
    for (char& c : out) {
        if (c == '\t' || c == '\n' || c == '\r')
            c = ' ';
    }
    return out;
}

std::string folder(const char* name)
{
    return kernel::deviceFolder(name);
}

std::string socketPath(std::uint32_t pid)
{
    std::string dir = folder("run/sock");
    return dir.empty() ? std::string() : dir + "/" + std::to_string(pid);
}

bool socketAddress(const std::string& path, sockaddr_un* address)
{
    std::memset(address, 0, sizeof *address);
    address->sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address->sun_path)
        return false;
    std::memcpy(address->sun_path, path.c_str(), path.size());
    return true;
}

void putLe(std::string* out, std::uint64_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out->push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

std::uint64_t getLe(const unsigned char* in, int bytes)
{
    std::uint64_t value = 0;
    for (int i = bytes - 1; i >= 0; --i)
        value = (value << 8) | in[i];
    return value;
}

// The table is replaced whole: written beside it, then renamed over it.
void writeTable()
{
    std::lock_guard<std::mutex> lock(gMutex);
    if (gTablePath.empty())
        return;
    std::string text;
    for (const ui::TopLevelEntry& entry : ui::topLevelEntries()) {
        char handle[32];
        std::snprintf(handle, sizeof handle, "%llx", static_cast<unsigned long long>(entry.handle));
        text += std::string(handle) + "\t" + utf8(entry.className) + "\t" + utf8(entry.title) + "\n";
    }
    const std::string temporary = gTablePath + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << text;
        if (!out.flush())
            return;
    }
    std::rename(temporary.c_str(), gTablePath.c_str());
}

void receive(void*)
{
    unsigned char record[kPostRecordSize + 1];
    for (;;) {
        pollfd fds[2] = {{gSocket, POLLIN, 0}, {gStopPipe[0], POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        if (fds[1].revents)
            return;
        // One byte more than a record, so an oversized datagram shows.
        ssize_t size = ::recv(gSocket, record, sizeof record, MSG_DONTWAIT);
        if (size < 0)
            continue;
        if (static_cast<std::size_t>(size) != kPostRecordSize || getLe(record, 4) != kPostMagic) {
            kernel::appendDeviceLog("ipc", "dropped a datagram of " + std::to_string(size) + " bytes");
            continue;
        }
        const auto id = static_cast<std::uint32_t>(getLe(record + 4, 4));
        const ui::WindowHandle window = getLe(record + 8, 8);
        const std::uint64_t wParam = getLe(record + 16, 8);
        const auto lParam = static_cast<std::int64_t>(getLe(record + 24, 8));
        if (ui::handleProcess(window) != static_cast<std::uint32_t>(::getpid())
            || !ui::postMessage(window, id, wParam, lParam))
            kernel::appendDeviceLog("ipc", "dropped a post to a window that is not here");
    }
}

void removeDead(std::uint32_t pid)
{
    const std::string table = folder("run/win") + "/" + std::to_string(pid);
    ::unlink(table.c_str());
    ::unlink(socketPath(pid).c_str());
    kernel::appendDeviceLog("ipc", "removed the windows of ended process " + std::to_string(pid));
}

void closeRemote(ui::WindowHandle window)
{
    if (!postToProcess(window, ui::kWmClose, 0, 0))
        return;
    const std::uint32_t pid = ui::handleProcess(window);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kCloseWaitMs);
    while (processAlive(pid) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
}

void stopAtExit()
{
    stopWindowExchange();
}

} // namespace

bool processAlive(std::uint32_t pid)
{
    if (::kill(static_cast<pid_t>(pid), 0) != 0 && errno != EPERM)
        return false;
    // A killed child not yet reaped is dead too.
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line))
        return true;
    std::size_t close = line.rfind(')');
    return close == std::string::npos || close + 2 >= line.size() || line[close + 2] != 'Z';
}

std::string encodePostRecord(
    ui::WindowHandle window, std::uint32_t id, std::uint64_t wParam, std::int64_t lParam)
{
    std::string record;
    putLe(&record, kPostMagic, 4);
    putLe(&record, id, 4);
    putLe(&record, window, 8);
    putLe(&record, wParam, 8);
    putLe(&record, static_cast<std::uint64_t>(lParam), 8);
    return record;
}

bool startWindowExchange()
{
    const std::uint32_t pid = static_cast<std::uint32_t>(::getpid());
    const std::string tableFolder = folder("run/win");
    const std::string path = socketPath(pid);
    sockaddr_un address;
    if (tableFolder.empty() || !socketAddress(path, &address))
        return false;
    {
        std::lock_guard<std::mutex> lock(gMutex);
        if (gSocket >= 0)
            return true;
        ::unlink(path.c_str());
        int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        if (fd < 0)
            return false;
        if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0
            || ::pipe2(gStopPipe, O_CLOEXEC) != 0) {
            ::close(fd);
            return false;
        }
        gSocket = fd;
        gSocketPath = path;
        gTablePath = tableFolder + "/" + std::to_string(pid);
        gReceiver = new kernel::KernelThread();
        gReceiver->start(receive, nullptr, false);
    }
    ui::setRemotePoster(postToProcess);
    ui::setRemoteCloser(closeRemote);
    ui::setTopLevelListener(writeTable);
    writeTable();
    static bool registered = false;
    if (!registered) {
        registered = true;
        std::atexit(stopAtExit);
    }
    return true;
}

void stopWindowExchange()
{
    ui::setTopLevelListener(nullptr);
    kernel::KernelThread* receiver;
    {
        std::lock_guard<std::mutex> lock(gMutex);
        if (gSocket < 0)
            return;
        [[maybe_unused]] ssize_t n = ::write(gStopPipe[1], "x", 1);
        receiver = gReceiver;
        gReceiver = nullptr;
    }
    receiver->join();
    delete receiver;
    std::lock_guard<std::mutex> lock(gMutex);
    ::close(gSocket);
    ::close(gStopPipe[0]);
    ::close(gStopPipe[1]);
    gSocket = gStopPipe[0] = gStopPipe[1] = -1;
    ::unlink(gTablePath.c_str());
    ::unlink(gSocketPath.c_str());
    gTablePath.clear();
    gSocketPath.clear();
}

ui::WindowHandle findWindow(const std::u16string& className, const std::u16string* title)
{
    const std::string tableFolder = folder("run/win");
    DIR* dir = tableFolder.empty() ? nullptr : ::opendir(tableFolder.c_str());
    if (!dir)
        return 0;
    std::vector<std::uint32_t> pids;
    while (dirent* entry = ::readdir(dir)) {
        char* end = nullptr;
        unsigned long pid = std::strtoul(entry->d_name, &end, 10);
        if (entry->d_name[0] != '\0' && *end == '\0' && pid > 0 && pid <= 0xFFFFFFFFul)
            pids.push_back(static_cast<std::uint32_t>(pid));
    }
    ::closedir(dir);
    std::sort(pids.begin(), pids.end());
    const std::string wantedClass = utf8(className);
    const std::string wantedTitle = title ? utf8(*title) : std::string();
    for (std::uint32_t pid : pids) {
        if (!processAlive(pid)) {
            removeDead(pid);
            continue;
        }
        std::ifstream table(tableFolder + "/" + std::to_string(pid));
        std::string line;
        while (std::getline(table, line)) {
            std::size_t tab1 = line.find('\t');
            std::size_t tab2 = tab1 == std::string::npos ? tab1 : line.find('\t', tab1 + 1);
            if (tab2 == std::string::npos)
                continue;
            if (line.compare(tab1 + 1, tab2 - tab1 - 1, wantedClass) != 0)
                continue;
            if (title && line.compare(tab2 + 1, std::string::npos, wantedTitle) != 0)
                continue;
            ui::WindowHandle handle = std::strtoull(line.substr(0, tab1).c_str(), nullptr, 16);
            // A handle names its process; a table may not speak for another.
            if (ui::handleProcess(handle) == pid)
                return handle;
        }
    }
    return 0;
}

bool postToProcess(ui::WindowHandle window, std::uint32_t id, std::uint64_t wParam, std::int64_t lParam)
{
    sockaddr_un address;
    if (!socketAddress(socketPath(ui::handleProcess(window)), &address))
        return false;
    int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    const std::string record = encodePostRecord(window, id, wParam, lParam);
    ssize_t sent = ::sendto(fd, record.data(), record.size(), MSG_NOSIGNAL,
        reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::close(fd);
    return sent == static_cast<ssize_t>(record.size());
}

} // namespace tessel::ipc
