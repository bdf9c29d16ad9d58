// The library's nine entry points; the version script exports these and
// nothing else.

#include "platform/com/ClassFactory.h"
#include "platform/mapi/MessageForm.h"
#include "platform/phone/DeviceControl.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/Window.h"
#include "shell/tesselfm/Factory.h"
#include "shell/tesselfm/FmModule.h"
#include "shell/tesselfm/SetupHooks.h"
#include "shell/tesselfm/TesselContextMenu.h"
#include "shell/tesselfm/TesselContextMenuFactory.h"
#include "shell/tesselfm/TesselFormProvider.h"

#include <new>

using namespace tessel;
using namespace tessel::fm;

namespace {

struct MenuClass {
    com::Guid clsid;
    int variant;
};

constexpr MenuClass kMenuClasses[] = {
    {kClsidMenuMedia, 0},
    {kClsidMenuContact, 1},
    {kClsidMenuSendVia, 2},
    {kClsidMenuReplyVia, 3},
    {kClsidMenuCallLog, 4},
};

constexpr const char16_t* kResetQuestion
    = u"You must power cycle your phone in order to complete installation.\n\nDo you wish to reset now?";

} // namespace

extern "C" {

com::HResult DllGetClassObject(const com::Guid* clsid, const com::Guid* iid, void** object)
{
    if (!clsid || !iid || !object)
        return com::kEInvalidArg;
    *object = nullptr;
    for (const MenuClass& menu : kMenuClasses) {
        if (menu.clsid != *clsid)
            continue;
        auto* factory = new (std::nothrow) CTesselContextMenuFactory(menu.variant);
        if (!factory)
            return com::kEOutOfMemory;
        const com::HResult result = factory->queryInterface(*iid, object);
        // A factory no one took stays no longer alive (nor counted).
        if (com::failed(result))
            factory->discard();
        return result;
    }
    if (*clsid == kClsidRuleClient) {
        com::IUnknown* factory = nullptr;
        com::HResult result = CFactory::GetClassObject(*clsid, *iid, reinterpret_cast<void**>(&factory));
        if (com::failed(result)) {
            fmLog("DllGetClassObject - CFactory::GetClassObject failed");
            return result;
        }
        result = factory->queryInterface(*iid, object);
        if (com::failed(result))
            fmLog("DllGetClassObject - QueryInterface failed");
        factory->release();
        return result;
    }
    return com::kEFail;
}

com::HResult DllCanUnloadNow()
{
    return moduleCanUnload() ? com::kSOk : com::kSFalse;
}

com::HResult DllRegisterServer()
{
    return com::kSOk;
}

com::HResult DllUnregisterServer()
{
    return com::kSOk;
}

com::HResult FormFactoryEx(const char16_t* messageClass, mapi::IFormProvider** result)
{
    if (!messageClass || !result)
        return com::kEInvalidArg;
    *result = nullptr;
    auto* provider = new (std::nothrow) CTesselFormProvider;
    if (!provider)
        return com::kEOutOfMemory;
    const com::HResult answer = provider->setMessageClass(messageClass);
    if (com::failed(answer))
        provider->release();
    else
        *result = provider;
    return answer;
}

std::int32_t Install_Init(ui::WindowHandle, std::int32_t, std::int32_t, const char16_t*)
{
    return 0;
}

std::int32_t Install_Exit(ui::WindowHandle parent, const char16_t*, std::uint16_t, std::uint16_t,
    std::uint16_t, std::uint16_t, std::uint16_t)
{
    if (ui::messageBox(
            ui::windowFromHandle(parent), kResetQuestion, u"Tessel", ui::BoxButtons::YesNo, ui::kIdYes)
        == ui::kIdYes)
        phone::kernelIoControl(phone::kIoctlReboot);
    return 0;
}

std::int32_t Uninstall_Init(ui::WindowHandle, const char16_t*)
{
    return 0;
}

std::int32_t Uninstall_Exit(ui::WindowHandle)
{
    CloseInbox();
    DeleteFolderTree(kDataFolder);
    return 0;
}

} // extern "C"
