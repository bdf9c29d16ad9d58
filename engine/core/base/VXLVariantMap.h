#pragma once

#include "engine/core/base/VXLString.h"
#include "engine/core/base/VXLStringMap.h"
#include "engine/core/base/VXLVariant.h"

#include <cstdint>

// Name to variant; the map owns heap copies of the values.
class CVXLVariantMap : public CVXLStringMap {
public:
    explicit CVXLVariantMap(std::uint32_t reserveCount = 0);
    ~CVXLVariantMap() override;

    // Deletes values and keys.
    virtual void clear();

    // Replaces (and deletes) a stored value with a heap copy. False, with the
    // old value kept, when the heap refuses.
    bool set(const CVXLString& name, const CVXLVariant& value);
    // A copy of the stored value; an absent name reads as the integer 0.
    CVXLVariant get(const CVXLString& name) const;
};
