#pragma once

#include "platform/com/Unknown.h"

// The interface that makes the objects of one class, in the phone's slot
// order (after IUnknown's three).
namespace tessel::com {

inline constexpr Guid kIidIClassFactory = guid("{00000001-0000-0000-C000-000000000046}");

class IClassFactory : public IUnknown {
public:
    virtual HResult createInstance(IUnknown* outer, const Guid& iid, void** object) = 0;
    virtual HResult lockServer(bool lock) = 0;
};

} // namespace tessel::com
