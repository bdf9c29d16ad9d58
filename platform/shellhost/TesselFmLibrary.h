#pragma once

#include "platform/com/ClassFactory.h"
#include "platform/mapi/MessageForm.h"
#include "platform/ui/UiMessages.h"

#include <cstdint>
#include <string>

// libtesselfm.so as the phone's hosts use it: loaded by name, reached only
// through its exported entry points. It is $TESSEL_FM when set, else
// lib/libtesselfm.so beside the host's own bin/ folder.
namespace tessel::shellhost {

class TesselFmLibrary {
public:
    TesselFmLibrary();
    ~TesselFmLibrary();
    TesselFmLibrary(const TesselFmLibrary&) = delete;
    TesselFmLibrary& operator=(const TesselFmLibrary&) = delete;

    // False (with error() telling why) when it cannot be loaded whole.
    bool load();
    const std::string& error() const { return error_; }

    // A class object, queried for iid; the result of DllGetClassObject.
    com::HResult classObject(const com::Guid& clsid, const com::Guid& iid, void** object) const;
    // An object of the class: its factory's CreateInstance.
    com::HResult createObject(const com::Guid& clsid, const com::Guid& iid, void** object) const;
    com::HResult formProvider(const std::u16string& messageClass, mapi::IFormProvider** provider) const;
    bool canUnloadNow() const;
    std::int32_t installExit(ui::WindowHandle parent) const;
    std::int32_t uninstallExit(ui::WindowHandle parent) const;

private:
    using GetClassObject = com::HResult (*)(const com::Guid*, const com::Guid*, void**);
    using CanUnloadNow = com::HResult (*)();
    using FormFactory = com::HResult (*)(const char16_t*, mapi::IFormProvider**);
    using InstallExit = std::int32_t (*)(ui::WindowHandle, const char16_t*, std::uint16_t, std::uint16_t,
        std::uint16_t, std::uint16_t, std::uint16_t);
    using UninstallExit = std::int32_t (*)(ui::WindowHandle);

    void* handle_ = nullptr;
    std::string error_;
    GetClassObject getClassObject_ = nullptr;
    CanUnloadNow canUnloadNow_ = nullptr;
    FormFactory formFactory_ = nullptr;
    InstallExit installExit_ = nullptr;
    UninstallExit uninstallExit_ = nullptr;
};

} // namespace tessel::shellhost
