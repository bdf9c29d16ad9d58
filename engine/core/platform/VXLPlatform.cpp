#include "engine/core/platform/VXLPlatform.h"

#include "engine/core/platform/VXLPlatformStatus.h"
#include "platform/cellcore/ConnectionManager.h"
#include "platform/kernel/Clock.h"
#include "platform/kernel/DeviceLog.h"
#include "platform/kernel/DeviceRoot.h"
#include "platform/kernel/Registry.h"
#include "platform/kernel/TextCodec.h"
#include "platform/tesselres/TesselRes.h"

#include <dirent.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <string>
#include <vector>

namespace {

constexpr const char* kPathKey = "Software\\Halvard\\Tessel\\Path";
constexpr const char* kDefaultFileStore = "\\Application Data\\Tessel";
constexpr const char* kDefaultMessageStore = "\\Tessel\\Messages";
// Any public address will do: the connection manager only tells which
// network reaches the internet.
constexpr const char* kPublicAddress = "http://www.tessel.test/";
constexpr std::uint32_t kConnectPriority = 0x8000;
constexpr std::uint32_t kConnectTimeoutMs = 10000;

std::uint32_t characterCount(const char* text)
{
    std::uint32_t count = 0;
    for (const char* c = text; *c; ++c) {
        if ((static_cast<unsigned char>(*c) & 0xC0) != 0x80)
            ++count;
    }
    return count;
}

bool usableFolder(const std::string& folder)
{
    std::string host;
    return !folder.empty() && characterCount(folder.c_str()) <= kMaxFolderCharacters
        && tessel::kernel::mapPhonePath(folder, &host);
}

std::string registryFolder(const char* valueName, const char* fallback)
{
    std::string value;
    if (tessel::kernel::registryQueryText(
            tessel::kernel::RegistryHive::CurrentUser, kPathKey, valueName, &value)
        && usableFolder(value))
        return value;
    return fallback;
}

} // namespace

std::uint32_t folderSpaceLeft(const CVXLString& folder)
{
    std::string host;
    if (!tessel::kernel::mapPhonePath(folder.c_str(), &host))
        return kFolderSpaceUnknown;
    DIR* dir = ::opendir(host.c_str());
    if (!dir)
        return kFolderSpaceUnknown;
    std::int64_t used = 0;
    while (dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] == '.')
            continue;
        struct stat st;
        std::string path = host + "/" + entry->d_name;
        if (::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode))
            used += st.st_size;
    }
    ::closedir(dir);
    return folderSpaceLeftAfter(host.c_str(), used);
}

std::uint32_t folderSpaceLeftAfter(const char* hostFolder, std::int64_t usedBytes)
{
    const std::int64_t left = kFolderBudget - usedBytes;
    if (left <= 0)
        return 0;
    struct statvfs fs;
    if (::statvfs(hostFolder, &fs) == 0) {
        const unsigned long long freeBytes = static_cast<unsigned long long>(fs.f_bavail) * fs.f_frsize;
        // Free space beyond 32 bits cannot be smaller than the budget.
        if (freeBytes <= 0xFFFFFFFFull && static_cast<std::int64_t>(freeBytes) < left)
            return static_cast<std::uint32_t>(freeBytes);
    }
    return static_cast<std::uint32_t>(left);
}

std::uint32_t platformClockSeconds()
{
    return tessel::kernel::clockSeconds();
}

std::uint32_t platformTickCount()
{
    return tessel::kernel::tickCount();
}

std::uint32_t platformCheckNetworkPath()
{
    std::uint32_t network = 0;
    if (!tessel::cellcore::connectionMapUrl(kPublicAddress, &network)) {
        // The phone shows a message box here; the stand-in records it.
        tessel::kernel::appendDeviceLog("messagebox", "Can't find Internet Path");
        return kPlatformNoNetworkPath;
    }
    const std::uint32_t status
        = tessel::cellcore::connectionRequestSync(network, kConnectPriority, kConnectTimeoutMs);
    return status == tessel::cellcore::kConnectionConnected ? kPlatformOk : kPlatformNoNetworkPath;
}

namespace {

// The non-empty components of a phone path, lower-cased: the device root
// skips empty components and ignores ASCII case.
std::vector<std::string> pathComponents(std::string_view path)
{
    std::vector<std::string> components;
    for (std::size_t start = 0; start <= path.size();) {
        std::size_t end = path.find('\\', start);
        if (end == std::string_view::npos)
            end = path.size();
        if (end > start) {
            std::string component(path.substr(start, end - start));
            for (char& c : component)
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            components.push_back(std::move(component));
        }
        start = end + 1;
    }
    return components;
}

// True when the path names the folder or something below it.
bool reachesFolder(std::string_view folder, std::string_view path)
{
    const std::vector<std::string> inner = pathComponents(folder);
    const std::vector<std::string> outer = pathComponents(path);
    return outer.size() >= inner.size() && std::equal(inner.begin(), inner.end(), outer.begin());
}

// True for a whole path to a file at the top of the device or into one of
// the device's own folders.
bool reachesDeviceFiles(std::string_view path)
{
    static constexpr const char* kDeviceFolders[] = {"windows", "run", "log"};
    const std::vector<std::string> components = pathComponents(path);
    if (components.size() < 2)
        return true;
    for (const char* folder : kDeviceFolders) {
        if (components.front() == folder)
            return true;
    }
    return false;
}

} // namespace

bool platformJoinName(const CVXLString& folder, const char* name, PlatformNameRule rule, CVXLString* path)
{
    if (!name || !*name)
        return false;
    const std::string_view text(name);
    if (text.find('/') != std::string_view::npos)
        return false;
    for (std::size_t start = 0; start <= text.size();) {
        std::size_t end = text.find('\\', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view component = text.substr(start, end - start);
        if (component == "." || component == "..")
            return false;
        start = end + 1;
    }
    const bool absolute = name[0] == '\\';
    if (rule == PlatformNameRule::NameOrPath) {
        if (absolute) {
            // A name from a message or a media item must never reach the
            // engine's settings and state files, nor the device's own files:
            // those at the top of the device (device.conf, the registry
            // hives) and the program, run and log folders.
            if (reachesFolder(platformFileStoreFolder().c_str(), text) || reachesDeviceFiles(text))
                return false;
            *path = name;
            return true;
        }
        if (text.find('\\') != std::string_view::npos)
            return false;
    }
    *path = folder;
    if (!absolute)
        path->appendChar('\\');
    path->appendCString(name);
    return true;
}

std::uint32_t platformDeleteName(const CVXLString& folder, const char* name, PlatformNameRule rule)
{
    CVXLString phonePath;
    std::string host;
    if (!platformJoinName(folder, name, rule, &phonePath)
        || !tessel::kernel::mapPhonePath(phonePath.c_str(), &host))
        return kPlatformDeleteFailed;
    return ::unlink(host.c_str()) == 0 || errno == ENOENT ? kPlatformOk : kPlatformDeleteFailed;
}

bool platformMimeTypeOf(const char* fileName, CVXLString* type)
{
    constexpr int kMaxMimeCharacters = 128;
    if (!fileName || !type)
        return false;
    const std::string wideBytes = tessel::kernel::utf8ToUtf16Bytes(fileName);
    std::u16string wide;
    for (std::size_t i = 0; i + 1 < wideBytes.size(); i += 2)
        wide.push_back(static_cast<char16_t>(
            static_cast<std::uint8_t>(wideBytes[i]) | static_cast<std::uint8_t>(wideBytes[i + 1]) << 8));
    char16_t mime[kMaxMimeCharacters] = {};
    if (!WinTS_getMimeType(wide.c_str(), mime, kMaxMimeCharacters))
        return false;
    type->clear();
    for (const char16_t* c = mime; *c; ++c)
        type->appendChar(static_cast<char>(*c & 0x7F));
    return true;
}

bool platformHostPath(const CVXLString& phonePath, CVXLString* hostPath)
{
    std::string host;
    if (!tessel::kernel::mapPhonePath(phonePath.c_str(), &host))
        return false;
    *hostPath = host.c_str();
    return true;
}

bool platformMakeFolder(const CVXLString& folder)
{
    std::string host;
    return tessel::kernel::mapPhonePath(folder.c_str(), &host) && tessel::kernel::makeHostFolders(host);
}

CVXLString platformFileStoreFolder()
{
    return registryFolder("FileStore", kDefaultFileStore).c_str();
}

CVXLString platformMessageStoreFolder()
{
    char16_t card[260] = {};
    std::string folder;
    if (WinTS_GetStorageCard(card, 260)) {
        std::string bytes;
        for (const char16_t* c = card; *c; ++c) {
            bytes.push_back(static_cast<char>(*c & 0xFF));
            bytes.push_back(static_cast<char>(*c >> 8));
        }
        folder = tessel::kernel::utf16BytesToUtf8Lossy(bytes);
    }
    folder += registryFolder("MessageStore", kDefaultMessageStore);
    if (!usableFolder(folder))
        folder = kDefaultMessageStore;
    return folder.c_str();
}
