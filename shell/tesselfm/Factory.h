#pragma once

#include "platform/com/ClassFactory.h"

#include <atomic>
#include <cstdint>

// The class factory of the SMS rule client: it serves the one class of its
// factory-data table and makes the rule client on request. Its reference
// count changes atomically, since the rule host calls from any thread; its
// LockServer holds the library loaded.
namespace tessel::fm {

inline constexpr com::Guid kClsidRuleClient = com::guid("{8DCAF4E4-B1DE-4721-BBED-06186ECCA898}");

// One row of the factory-data table: a class and how its objects are made
// (with one reference, which the factory hands on or releases).
struct FactoryData {
    com::Guid clsid;
    com::HResult (*createInstance)(com::IUnknown** object);
};

class CFactory : public com::IClassFactory {
public:
    // A new factory (one reference) for a class of the table, given as iid:
    // only IUnknown and IClassFactory are served.
    static com::HResult GetClassObject(const com::Guid& clsid, const com::Guid& iid, void** object);

    com::HResult queryInterface(const com::Guid& iid, void** object) override;
    std::uint32_t addRef() override;
    std::uint32_t release() override;
    com::HResult createInstance(com::IUnknown* outer, const com::Guid& iid, void** object) override;
    com::HResult lockServer(bool lock) override;

private:
    explicit CFactory(const FactoryData& data);
    ~CFactory() override;

    std::atomic<std::uint32_t> refs_ {1};
    const FactoryData& data_;
};

} // namespace tessel::fm
