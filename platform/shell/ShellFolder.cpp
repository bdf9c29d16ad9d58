#include "platform/shell/ShellFolder.h"

#include "platform/kernel/DeviceRoot.h"
#include "platform/kernel/TextCodec.h"

#include <sys/stat.h>

namespace tessel::shell {

namespace {

struct Folder {
    int csidl;
    const char16_t* path;
};

constexpr Folder kFolders[] = {
    {kCsidlMyVideo, u"\\My Documents\\My Videos"},
    {kCsidlMyPictures, u"\\My Documents\\My Pictures"},
};

} // namespace

bool shellFolderPath(int csidl, std::u16string* path, bool create)
{
    path->clear();
    for (const Folder& folder : kFolders) {
        if (folder.csidl != csidl)
            continue;
        std::string host;
        if (!kernel::mapPhonePath(kernel::wideToUtf8(folder.path), &host))
            return false;
        struct stat st;
        const bool present = ::stat(host.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
        if (!present && create && !kernel::makeHostFolders(host))
            return false;
        *path = folder.path;
        return true;
    }
    return false;
}

} // namespace tessel::shell
