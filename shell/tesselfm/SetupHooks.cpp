#include "shell/tesselfm/SetupHooks.h"

#include "platform/ipc/WindowExchange.h"
#include "platform/kernel/DeviceRoot.h"
#include "platform/ui/UiMessages.h"
#include "shell/tesselfm/FmModule.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <cstdlib>
#include <thread>

namespace tessel::fm {

namespace {

// Empties the folder open as fd, never following a link; true when all went.
bool emptyFolder(int fd)
{
    DIR* dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return false;
    }
    bool whole = true;
    while (dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        struct stat info { };
        if (::fstatat(::dirfd(dir), name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
            whole = false;
            continue;
        }
        if (S_ISDIR(info.st_mode)) {
            const int child
                = ::openat(::dirfd(dir), name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (child < 0 || !emptyFolder(child)) {
                whole = false;
                continue;
            }
            whole = ::unlinkat(::dirfd(dir), name.c_str(), AT_REMOVEDIR) == 0 && whole;
        } else {
            whole = ::unlinkat(::dirfd(dir), name.c_str(), 0) == 0 && whole;
        }
    }
    ::closedir(dir);
    return whole;
}

std::string realPath(const std::string& path)
{
    char resolved[PATH_MAX];
    return ::realpath(path.c_str(), resolved) ? std::string(resolved) : std::string();
}

} // namespace

bool CloseInbox()
{
    const ui::WindowHandle window = ipc::findWindow(kInboxWindowClass, nullptr);
    if (!window)
        return false;
    const std::uint32_t pid = ui::handleProcess(window);
    ipc::postToProcess(window, ui::kWmClose, 0, 0);
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(kInboxCloseWaitMs);
    while (ipc::processAlive(pid)) {
        if (std::chrono::steady_clock::now() >= until) {
            fmLog("CloseInbox: process %d did not close, killed", static_cast<int>(pid));
            ::kill(static_cast<pid_t>(pid), SIGKILL);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

bool DeleteFolderTree(const std::string& phoneFolder)
{
    std::string host;
    if (!kernel::mapPhonePath(phoneFolder, &host))
        return false;
    const std::size_t slash = host.rfind('/');
    const std::string root = realPath(kernel::deviceRoot());
    const std::string parent = realPath(host.substr(0, slash));
    // A folder above it that is a link out of the device root is not followed.
    if (root.empty() || parent.empty() || (parent != root && parent.rfind(root + "/", 0) != 0)) {
        fmLog("DeleteFolderTree: %s leaves the device root, not deleted", phoneFolder.c_str());
        return false;
    }
    const std::string path = parent + host.substr(slash);
    struct stat info { };
    if (::lstat(path.c_str(), &info) != 0)
        return false;
    if (!S_ISDIR(info.st_mode))
        return ::unlink(path.c_str()) == 0;
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool whole = emptyFolder(fd);
    return ::rmdir(path.c_str()) == 0 && whole;
}

} // namespace tessel::fm
