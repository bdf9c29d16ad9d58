#include "platform/kernel/DeviceRoot.h"

#include "platform/kernel/TextCodec.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <mutex>

namespace tessel::kernel {

namespace {

std::mutex gRootMutex;
std::string gRootOverride;

std::string stripTrailingSlashes(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

// The entry of folder spelled like name: the exact spelling when present,
// else the smallest of the case-insensitive matches (listing order is not
// stable, the answer must be), else empty.
std::string findEntry(const std::string& folder, std::string_view name)
{
    struct stat st;
    std::string exact = folder + "/" + std::string(name);
    if (::lstat(exact.c_str(), &st) == 0)
        return std::string(name);
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return {};
    std::string best;
    while (dirent* entry = ::readdir(dir)) {
        std::string_view candidate(entry->d_name);
        if (equalsIgnoringAsciiCase(candidate, name) && (best.empty() || candidate < best))
            best = std::string(candidate);
    }
    ::closedir(dir);
    return best;
}

} // namespace

std::string deviceRoot()
{
    {
        std::lock_guard<std::mutex> lock(gRootMutex);
        if (!gRootOverride.empty())
            return gRootOverride;
    }
    if (const char* root = std::getenv("TESSEL_ROOT"); root && *root)
        return stripTrailingSlashes(root);
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : "") + "/.local/share/tessel";
}

void setDeviceRoot(const std::string& hostPath)
{
    std::lock_guard<std::mutex> lock(gRootMutex);
    gRootOverride = hostPath.empty() ? std::string() : stripTrailingSlashes(hostPath);
}

bool mapPhonePath(std::string_view phonePath, std::string* hostPath)
{
    std::string path = deviceRoot();
    bool lookUp = true;
    std::size_t start = 0;
    while (start <= phonePath.size()) {
        std::size_t end = phonePath.find('\\', start);
        if (end == std::string_view::npos)
            end = phonePath.size();
        std::string_view component = phonePath.substr(start, end - start);
        start = end + 1;
        if (component.empty())
            continue;
        if (component == "." || component == ".." || component.find('/') != std::string_view::npos
            || component.find('\0') != std::string_view::npos)
            return false;
        std::string spelled;
        if (lookUp)
            spelled = findEntry(path, component);
        if (spelled.empty()) {
            // Nothing below a missing folder can exist either.
            lookUp = false;
            spelled = std::string(component);
        }
        path += "/";
        path += spelled;
    }
    *hostPath = path;
    return true;
}

bool makeHostFolders(const std::string& hostPath)
{
    struct stat st;
    if (::stat(hostPath.c_str(), &st) == 0)
        return S_ISDIR(st.st_mode);
    for (std::size_t slash = hostPath.find('/', 1); slash != std::string::npos;
         slash = hostPath.find('/', slash + 1)) {
        std::string prefix = hostPath.substr(0, slash);
        if (::mkdir(prefix.c_str(), 0755) != 0 && errno != EEXIST)
            return false;
    }
    if (::mkdir(hostPath.c_str(), 0755) != 0 && errno != EEXIST)
        return false;
    return ::stat(hostPath.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string deviceFolder(const char* relative)
{
    std::string path = deviceRoot() + "/" + relative;
    return makeHostFolders(path) ? path : std::string();
}

} // namespace tessel::kernel
