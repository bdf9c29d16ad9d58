#include "tests/support/TempDeviceRoot.h"

#include "platform/kernel/DeviceRoot.h"

#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

// Tests may leave folders without write permission; open them up first so
// the removal cannot fail half-way.
int openUp(const char* path, const struct stat* st, int type, FTW*)
{
    if (type == FTW_D || type == FTW_DNR)
        ::chmod(path, (st->st_mode & 07777) | S_IRWXU);
    return 0;
}

int removeEntry(const char* path, const struct stat*, int type, FTW*)
{
    if (type == FTW_DP)
        ::rmdir(path);
    else
        ::unlink(path);
    return 0;
}

} // namespace

TempDeviceRoot::TempDeviceRoot()
{
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/tessel-root-XXXXXX";
    if (char* made = ::mkdtemp(pattern.data()))
        path_ = made;
    if (const char* old = std::getenv("TESSEL_ROOT")) {
        hadRootVariable_ = true;
        savedRootVariable_ = old;
    }
    ::setenv("TESSEL_ROOT", path_.c_str(), 1);
    tessel::kernel::setDeviceRoot(path_);
}

TempDeviceRoot::TempDeviceRoot(const std::string& existing)
    : path_(existing)
    , owned_(false)
{
    if (const char* old = std::getenv("TESSEL_ROOT")) {
        hadRootVariable_ = true;
        savedRootVariable_ = old;
    }
    ::setenv("TESSEL_ROOT", path_.c_str(), 1);
    tessel::kernel::setDeviceRoot(path_);
}

TempDeviceRoot::~TempDeviceRoot()
{
    tessel::kernel::setDeviceRoot("");
    if (hadRootVariable_)
        ::setenv("TESSEL_ROOT", savedRootVariable_.c_str(), 1);
    else
        ::unsetenv("TESSEL_ROOT");
    if (path_.empty() || !owned_)
        return;
    ::nftw(path_.c_str(), openUp, 16, FTW_PHYS);
    ::nftw(path_.c_str(), removeEntry, 16, FTW_DEPTH | FTW_PHYS);
}

std::string TempDeviceRoot::hostPath(std::string_view relative) const
{
    return relative.empty() ? path_ : path_ + "/" + std::string(relative);
}

bool TempDeviceRoot::makeFolder(std::string_view relative) const
{
    return tessel::kernel::makeHostFolders(hostPath(relative));
}

bool TempDeviceRoot::writeFile(std::string_view relative, std::string_view contents) const
{
    std::string full = hostPath(relative);
    std::size_t slash = full.rfind('/');
    if (slash != std::string::npos && !tessel::kernel::makeHostFolders(full.substr(0, slash)))
        return false;
    std::ofstream out(full, std::ios::binary | std::ios::trunc);
    out.write(contents.data(), static_cast<std::streamsize>(contents.size()));
    return static_cast<bool>(out);
}

std::string TempDeviceRoot::readFile(std::string_view relative) const
{
    std::ifstream in(hostPath(relative), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool TempDeviceRoot::exists(std::string_view relative) const
{
    struct stat st;
    return ::lstat(hostPath(relative).c_str(), &st) == 0;
}

std::string TempDeviceRoot::installTool(const char* name, std::string_view phoneName) const
{
    std::string phone = phoneName.empty() ? std::string("\\windows\\") + name : std::string(phoneName);
    if (phone.size() < 2 || phone[0] != '\\' || phone.find("..") != std::string::npos)
        return std::string();
    std::string relative = phone.substr(1);
    std::replace(relative.begin(), relative.end(), '\\', '/');
    const std::size_t slash = relative.rfind('/');
    if (slash != std::string::npos && !makeFolder(relative.substr(0, slash)))
        return std::string();
    const std::string target = std::string(TESSEL_BINARY_DIR) + "/bin/" + name;
    const std::string link = hostPath(relative);
    ::unlink(link.c_str());
    return ::symlink(target.c_str(), link.c_str()) == 0 ? phone : std::string();
}
