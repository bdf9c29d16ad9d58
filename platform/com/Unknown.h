#pragma once

#include "platform/com/Guid.h"
#include "platform/com/HResult.h"

// The base interface of every object of the component model, its
// operations in the phone's slot order. Objects count their own references
// and delete themselves at the last release.
namespace tessel::com {

inline constexpr Guid kIidIUnknown = guid("{00000000-0000-0000-C000-000000000046}");

class IUnknown {
public:
    virtual HResult queryInterface(const Guid& iid, void** object) = 0;
    virtual std::uint32_t addRef() = 0;
    virtual std::uint32_t release() = 0;

protected:
    virtual ~IUnknown() = default;
};

} // namespace tessel::com
