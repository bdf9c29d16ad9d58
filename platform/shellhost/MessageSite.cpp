#include "platform/shellhost/MessageSite.h"

#include "platform/kernel/DeviceLog.h"

#include <string>

namespace tessel::shellhost {

com::HResult MessageSite::queryInterface(const com::Guid& iid, void** object)
{
    if (!object)
        return com::kEPointer;
    if (iid != com::kIidIUnknown) {
        *object = nullptr;
        return com::kENoInterface;
    }
    *object = static_cast<mapi::IMessageSite*>(this);
    addRef();
    return com::kSOk;
}

std::uint32_t MessageSite::addRef()
{
    return refs_.fetch_add(1) + 1;
}

std::uint32_t MessageSite::release()
{
    const std::uint32_t count = refs_.fetch_sub(1) - 1;
    if (count == 0)
        delete this;
    return count;
}

com::HResult MessageSite::formAction(std::uint32_t action, mapi::IMessageForm*, mapi::MapiMessage*)
{
    kernel::appendDeviceLog("inbox", "form action " + std::to_string(action));
    return com::kSOk;
}

com::HResult MessageSite::formClosing(mapi::IMessageForm*, mapi::MapiMessage*, std::uint32_t)
{
    kernel::appendDeviceLog("inbox", "form closing");
    return com::kSOk;
}

com::HResult MessageSite::siteCall(std::uint32_t what)
{
    kernel::appendDeviceLog("inbox", "site call " + std::to_string(what));
    return com::kSOk;
}

} // namespace tessel::shellhost
