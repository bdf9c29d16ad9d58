#include "shell/tesselfm/Factory.h"

#include "shell/tesselfm/FmModule.h"
#include "shell/tesselfm/RuleClient_Tessel.h"

#include <new>

namespace tessel::fm {

namespace {

const FactoryData kFactoryData[] = {
    {kClsidRuleClient, &CRuleClient_Tessel::create},
};

} // namespace

com::HResult CFactory::GetClassObject(const com::Guid& clsid, const com::Guid& iid, void** object)
{
    if (!object)
        return com::kEPointer;
    *object = nullptr;
    if (iid != com::kIidIUnknown && iid != com::kIidIClassFactory)
        return com::kENoInterface;
    for (const FactoryData& data : kFactoryData) {
        if (data.clsid != clsid)
            continue;
        auto* factory = new (std::nothrow) CFactory(data);
        if (!factory)
            return com::kEOutOfMemory;
        *object = static_cast<com::IClassFactory*>(factory);
        return com::kSOk;
    }
    return com::kClassEClassNotAvailable;
}

CFactory::CFactory(const FactoryData& data)
    : data_(data)
{
}

CFactory::~CFactory()
{
    fmTrace("CFactory - destroying self.");
}

com::HResult CFactory::queryInterface(const com::Guid& iid, void** object)
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

std::uint32_t CFactory::addRef()
{
    const std::uint32_t count = refs_.fetch_add(1) + 1;
    fmTrace("CFactory::AddRef->m_cRef is now %u\r\n", count);
    return count;
}

std::uint32_t CFactory::release()
{
    const std::uint32_t count = refs_.fetch_sub(1) - 1;
    fmTrace("CFactory::Release->m_cRef is now %u\r\n", count);
    if (count == 0) {
        fmTrace("CFactory::Release -> CFactory Deleted!\r\n");
        delete this;
    }
    return count;
}

com::HResult CFactory::createInstance(com::IUnknown* outer, const com::Guid& iid, void** object)
{
    if (!object)
        return com::kEPointer;
    *object = nullptr;
    if (outer)
        return com::kClassENoAggregation;
    com::IUnknown* made = nullptr;
    com::HResult result = data_.createInstance(&made);
    if (com::failed(result)) {
        fmLog("CFactory::CreateInstance - m_FactoryData.CreateInstance failed");
        return result;
    }
    result = made->queryInterface(iid, object);
    if (com::failed(result))
        fmLog("CFactory::CreateInstance - QueryInterface failed");
    made->release();
    return result;
}

com::HResult CFactory::lockServer(bool lock)
{
    moduleLock(lock);
    return com::kSOk;
}

} // namespace tessel::fm
