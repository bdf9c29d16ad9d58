#include "shell/tesselfm/TesselContextMenuFactory.h"

#include "shell/tesselfm/FmModule.h"
#include "shell/tesselfm/TesselContextMenu.h"

#include <new>

namespace tessel::fm {

CTesselContextMenuFactory::CTesselContextMenuFactory(int variant)
    : variant_(variant)
{
    moduleObjectCreated();
}

CTesselContextMenuFactory::~CTesselContextMenuFactory()
{
    moduleObjectDestroyed();
}

void CTesselContextMenuFactory::discard()
{
    if (refs_.load() == 0)
        delete this;
}

com::HResult CTesselContextMenuFactory::queryInterface(const com::Guid& iid, void** object)
{
    if (!object)
        return com::kEPointer;
    if (iid != com::kIidIUnknown && iid != com::kIidIClassFactory) {
        *object = nullptr;
        return com::kENoInterface;
    }
    *object = static_cast<com::IClassFactory*>(this);
    addRef();
    return com::kSOk;
}

std::uint32_t CTesselContextMenuFactory::addRef()
{
    return refs_.fetch_add(1) + 1;
}

std::uint32_t CTesselContextMenuFactory::release()
{
    const std::uint32_t count = refs_.fetch_sub(1) - 1;
    if (count == 0)
        delete this;
    return count;
}

com::HResult CTesselContextMenuFactory::createInstance(
    com::IUnknown* outer, const com::Guid& iid, void** object)
{
    if (!object)
        return com::kEInvalidArg;
    *object = nullptr;
    if (outer)
        return com::kClassENoAggregation;
    auto* menu = new (std::nothrow) CTesselContextMenu(variant_);
    if (!menu)
        return com::kEOutOfMemory;
    const com::HResult result = menu->queryInterface(iid, object);
    // An interface the object does not have leaves it without a reference.
    if (com::failed(result))
        menu->discard();
    return result;
}

com::HResult CTesselContextMenuFactory::lockServer(bool)
{
    return com::kSOk;
}

} // namespace tessel::fm
