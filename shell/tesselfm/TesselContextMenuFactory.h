#pragma once

#include "platform/com/ClassFactory.h"

#include <atomic>
#include <cstdint>

// The class factory of one variant of the context-menu extension (0 media
// files, 1 contacts, 2 send via and 3 reply via a message, 4 call-log
// entries). It counts among the module's live objects while it exists;
// LockServer does nothing.
namespace tessel::fm {

class CTesselContextMenuFactory : public com::IClassFactory {
public:
    explicit CTesselContextMenuFactory(int variant);

    com::HResult queryInterface(const com::Guid& iid, void** object) override;
    std::uint32_t addRef() override;
    std::uint32_t release() override;
    com::HResult createInstance(com::IUnknown* outer, const com::Guid& iid, void** object) override;
    com::HResult lockServer(bool lock) override;

    // Deletes a factory no one took a reference on.
    void discard();

private:
    ~CTesselContextMenuFactory() override;

    std::atomic<std::uint32_t> refs_ {0};
    int variant_;
};

} // namespace tessel::fm
