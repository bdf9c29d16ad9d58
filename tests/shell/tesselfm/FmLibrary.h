#pragma once

#include "platform/com/ClassFactory.h"
#include "platform/mapi/MessageForm.h"
#include "platform/ui/UiMessages.h"

#include <dlfcn.h>

#include <cstdint>
#include <string>

// The built libtesselfm.so, loaded the way a host loads it: by dlopen, its
// nine entry points looked up by name. The library takes the platform from
// this test program, which exports it.
struct FmLibrary {
    using GetClassObject
        = tessel::com::HResult (*)(const tessel::com::Guid*, const tessel::com::Guid*, void**);
    using NoArguments = tessel::com::HResult (*)();
    using FormFactory = tessel::com::HResult (*)(const char16_t*, tessel::mapi::IFormProvider**);
    using InstallExit = std::int32_t (*)(tessel::ui::WindowHandle, const char16_t*, std::uint16_t,
        std::uint16_t, std::uint16_t, std::uint16_t, std::uint16_t);
    using UninstallExit = std::int32_t (*)(tessel::ui::WindowHandle);

    static constexpr const char* kPath = TESSEL_BINARY_DIR "/lib/libtesselfm.so";

    FmLibrary()
    {
        handle = ::dlopen(kPath, RTLD_NOW | RTLD_LOCAL);
        if (!handle)
            error = ::dlerror();
        getClassObject = reinterpret_cast<GetClassObject>(find("DllGetClassObject"));
        canUnloadNow = reinterpret_cast<NoArguments>(find("DllCanUnloadNow"));
        formFactory = reinterpret_cast<FormFactory>(find("FormFactoryEx"));
        installExit = reinterpret_cast<InstallExit>(find("Install_Exit"));
        uninstallExit = reinterpret_cast<UninstallExit>(find("Uninstall_Exit"));
    }
    ~FmLibrary()
    {
        if (handle)
            ::dlclose(handle);
    }
    FmLibrary(const FmLibrary&) = delete;
    FmLibrary& operator=(const FmLibrary&) = delete;

    void* find(const char* name) const { return handle ? ::dlsym(handle, name) : nullptr; }
    bool loaded() const
    {
        return getClassObject && canUnloadNow && formFactory && installExit && uninstallExit;
    }

    // A class object of the library queried for iid; null when refused.
    template <typename T>
    T* classObject(const tessel::com::Guid& clsid, const tessel::com::Guid& iid,
        tessel::com::HResult* result = nullptr) const
    {
        void* object = nullptr;
        const tessel::com::HResult answer = getClassObject(&clsid, &iid, &object);
        if (result)
            *result = answer;
        return static_cast<T*>(object);
    }

    void* handle = nullptr;
    std::string error;
    GetClassObject getClassObject = nullptr;
    NoArguments canUnloadNow = nullptr;
    FormFactory formFactory = nullptr;
    InstallExit installExit = nullptr;
    UninstallExit uninstallExit = nullptr;
};
