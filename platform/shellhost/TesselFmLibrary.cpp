#include "platform/shellhost/TesselFmLibrary.h"

#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>

namespace tessel::shellhost {

namespace {

std::string libraryPath()
{
    if (const char* path = std::getenv("TESSEL_FM"); path && *path)
        return path;
    char self[PATH_MAX] = {};
    const ssize_t size = ::readlink("/proc/self/exe", self, sizeof self - 1);
    std::string folder = size > 0 ? std::string(self, static_cast<std::size_t>(size)) : std::string();
    folder = folder.substr(0, folder.rfind('/'));
    return folder.substr(0, folder.rfind('/')) + "/lib/libtesselfm.so";
}

} // namespace

TesselFmLibrary::TesselFmLibrary() = default;

TesselFmLibrary::~TesselFmLibrary()
{
    if (handle_ && canUnloadNow())
        ::dlclose(handle_);
}

bool TesselFmLibrary::load()
{
    const std::string path = libraryPath();
    handle_ = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) {
        error_ = ::dlerror();
        return false;
    }
    getClassObject_ = reinterpret_cast<GetClassObject>(::dlsym(handle_, "DllGetClassObject"));
    canUnloadNow_ = reinterpret_cast<CanUnloadNow>(::dlsym(handle_, "DllCanUnloadNow"));
    formFactory_ = reinterpret_cast<FormFactory>(::dlsym(handle_, "FormFactoryEx"));
    installExit_ = reinterpret_cast<InstallExit>(::dlsym(handle_, "Install_Exit"));
    uninstallExit_ = reinterpret_cast<UninstallExit>(::dlsym(handle_, "Uninstall_Exit"));
    if (!getClassObject_ || !canUnloadNow_ || !formFactory_ || !installExit_ || !uninstallExit_) {
        error_ = path + ": an entry point is missing";
        return false;
    }
    return true;
}

com::HResult TesselFmLibrary::classObject(const com::Guid& clsid, const com::Guid& iid, void** object) const
{
    return getClassObject_ ? getClassObject_(&clsid, &iid, object) : com::kEFail;
}

com::HResult TesselFmLibrary::createObject(const com::Guid& clsid, const com::Guid& iid, void** object) const
{
    com::IClassFactory* factory = nullptr;
    com::HResult result = classObject(clsid, com::kIidIClassFactory, reinterpret_cast<void**>(&factory));
    if (com::failed(result))
        return result;
    result = factory->createInstance(nullptr, iid, object);
    factory->release();
    return result;
}

com::HResult TesselFmLibrary::formProvider(
    const std::u16string& messageClass, mapi::IFormProvider** provider) const
{
    return formFactory_ ? formFactory_(messageClass.c_str(), provider) : com::kEFail;
}

bool TesselFmLibrary::canUnloadNow() const
{
    return canUnloadNow_ && canUnloadNow_() == com::kSOk;
}

std::int32_t TesselFmLibrary::installExit(ui::WindowHandle parent) const
{
    return installExit_ ? installExit_(parent, u"\\Program Files\\Tessel", 0, 0, 0, 0, 0) : -1;
}

std::int32_t TesselFmLibrary::uninstallExit(ui::WindowHandle parent) const
{
    return uninstallExit_ ? uninstallExit_(parent) : -1;
}

} // namespace tessel::shellhost
