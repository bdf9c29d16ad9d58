#include "shell/tesselfm/RuleClientBase.h"

#include "shell/tesselfm/FmModule.h"

namespace tessel::fm {

CRuleClientBase::~CRuleClientBase()
{
    fmTrace("CRuleClientBase - Destroying self");
}

com::HResult CRuleClientBase::queryInterface(const com::Guid& iid, void** object)
{
    if (!object)
        return com::kEPointer;
    if (iid != com::kIidIUnknown && iid != mapi::kIidMailRuleClient) {
        *object = nullptr;
        return com::kENoInterface;
    }
    *object = static_cast<mapi::IMailRuleClient*>(this);
    addRef();
    return com::kSOk;
}

std::uint32_t CRuleClientBase::addRef()
{
    return refs_.fetch_add(1) + 1;
}

std::uint32_t CRuleClientBase::release()
{
    const std::uint32_t count = refs_.fetch_sub(1) - 1;
    if (count == 0)
        delete this;
    return count;
}

com::HResult CRuleClientBase::initialize(mapi::MessageStore*, std::int32_t*)
{
    return com::kENotImpl;
}

com::HResult CRuleClientBase::processMessage(mapi::MessageStore*, std::uint32_t, const std::uint8_t*,
    std::uint32_t, const std::uint8_t*, std::uint32_t*, std::int32_t*)
{
    return com::kENotImpl;
}

} // namespace tessel::fm
