#include "ui/WinTSStorage.h"

#include "platform/kernel/DeviceRoot.h"
#include "platform/kernel/TextCodec.h"
#include "platform/tesselres/TesselRes.h"
#include "ui/WinTSLog.h"
#include "ui/WinTSRegistry.h"

#include <dirent.h>
#include <unistd.h>

#include <cctype>
#include <mutex>

namespace {

constexpr int kCardFolderCapacity = 260;

std::mutex gFoldersMutex;
// The temporary folder, known once a temporary name was given out.
std::u16string gTempFolder;
bool gTempFolderKnown = false;

std::u16string nextName(
    const char16_t* store, const char16_t* counter, const char16_t* suffix, std::u16string* folder)
{
    *folder = GetStoragePath(store);
    std::uint32_t number = 0;
    registryReadDword(u"UIConfig", counter, &number, 0);
    ++number;
    registryWriteDword(u"UIConfig", counter, number);
    return *folder + u"\\WTS" + tessel::kernel::utf8ToWide(std::to_string(number)) + suffix;
}

// WTS<digits>.tmp or WTS<digits>.wav, in any case.
bool ownTemporaryName(const std::string& name)
{
    if (name.size() < 8 || !tessel::kernel::equalsIgnoringAsciiCase(name.substr(0, 3), "WTS"))
        return false;
    const std::string extension = name.substr(name.size() - 4);
    if (!tessel::kernel::equalsIgnoringAsciiCase(extension, ".tmp")
        && !tessel::kernel::equalsIgnoringAsciiCase(extension, ".wav"))
        return false;
    for (std::size_t i = 3; i < name.size() - 4; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(name[i])))
            return false;
    }
    return true;
}

} // namespace

std::u16string GetStoragePath(const std::u16string& store)
{
    std::u16string value;
    registryRead(u"Path", store, &value);
    std::u16string path;
    if (!value.empty() && value[0] == u'!') {
        path = value.substr(1);
    } else {
        char16_t card[kCardFolderCapacity] = {};
        if (WinTS_GetStorageCard(card, kCardFolderCapacity))
            path = card;
        path += value;
    }
    CreateDirectoryPath(path);
    return path;
}

std::u16string NextTempFileName()
{
    std::u16string folder;
    std::u16string name = nextName(u"TempStore", u"nextTempName", u".tmp", &folder);
    std::lock_guard<std::mutex> lock(gFoldersMutex);
    gTempFolder = folder;
    gTempFolderKnown = true;
    return name;
}

std::u16string NextSupportFileName()
{
    std::u16string folder;
    return nextName(u"SupportStore", u"nextSupportName", u"", &folder);
}

void DeleteTempFiles()
{
    std::u16string folder;
    {
        std::lock_guard<std::mutex> lock(gFoldersMutex);
        if (!gTempFolderKnown)
            return;
        folder = gTempFolder;
    }
    std::string host;
    if (!tessel::kernel::mapPhonePath(tessel::kernel::wideToUtf8(folder), &host))
        return;
    DIR* dir = ::opendir(host.c_str());
    if (!dir)
        return;
    while (dirent* entry = ::readdir(dir)) {
        if (ownTemporaryName(entry->d_name))
            ::unlink((host + "/" + entry->d_name).c_str());
    }
    ::closedir(dir);
}

void CreateDirectoryPath(const std::u16string& path)
{
    std::string host;
    if (tessel::kernel::mapPhonePath(tessel::kernel::wideToUtf8(path), &host))
        tessel::kernel::makeHostFolders(host);
    else
        winTSLog(kLogWarning, "CreateDirectoryPath refused: " + tessel::kernel::wideToUtf8(path));
}
