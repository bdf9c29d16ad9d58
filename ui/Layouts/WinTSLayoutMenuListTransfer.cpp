#include "ui/Layouts/WinTSLayoutMenuListTransfer.h"

#include "platform/kernel/DeviceRoot.h"
#include "platform/kernel/TextCodec.h"
#include "ui/WinTSLog.h"
#include "ui/WinTSRegistry.h"
#include "ui/WinTSStorage.h"

#include <cstdio>
#include <string>

CWinTSLayoutMenuListTransfer::CWinTSLayoutMenuListTransfer(int entry, const std::u16string& iconName)
    : CWinTSTransfer(nullptr, entry)
    , base_(u"CWinTSLayoutMenuListTransfer")
{
    setName(iconName);
}

std::u16string CWinTSLayoutMenuListTransfer::iconFileName(const std::u16string& link)
{
    const std::size_t slash = link.find_last_of(u"/\\");
    const std::u16string name = slash == std::u16string::npos ? link : link.substr(slash + 1);
    if (name.empty() || name == u"." || name == u"..")
        return {};
    for (char16_t c : name) {
        const bool allowed = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9')
            || c == u'-' || c == u'_' || c == u'.';
        if (!allowed)
            return {};
    }
    return name;
}

void CWinTSLayoutMenuListTransfer::onEnded()
{
    winTSLog(kLogTrace, "Received menu icon for index " + std::to_string(index()));
    if (failed() || getSize() == 0 || iconFileName(name()).empty()) {
        winTSLog(kLogWarning,
            "a menu icon that did not arrive whole is not kept: " + tessel::kernel::wideToUtf8(name()));
        delete this;
        return;
    }
    const std::u16string path = NextSupportFileName() + u"_" + name();
    std::string host;
    std::FILE* file = nullptr;
    if (tessel::kernel::mapPhonePath(tessel::kernel::wideToUtf8(path), &host))
        file = std::fopen(host.c_str(), "wb+");
    if (file) {
        const bool written = std::fwrite(getData(), 1, getSize(), file) == getSize();
        const bool closed = std::fclose(file) == 0;
        if (written && closed) {
            registryWrite(u"MenuIcons", name(), path);
        } else {
            // A half-written icon is no icon: the next build fetches it again.
            std::remove(host.c_str());
            winTSLog(kLogFailure, "a menu icon could not be written: " + tessel::kernel::wideToUtf8(path));
        }
    } else {
        winTSLog(kLogFailure, "a menu icon file could not be made: " + tessel::kernel::wideToUtf8(path));
    }
    delete this;
}
