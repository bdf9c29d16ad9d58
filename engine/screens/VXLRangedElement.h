#pragma once

#include "engine/core/base/VXLElement.h"

#include <cstdint>

// An element whose value has a minimum and a maximum (a count of entries, a
// length of text).
class CVXLRangedElement : public CVXLElement {
public:
    static constexpr std::uint32_t kElementType = 16;

    CVXLRangedElement() = default;
    CVXLRangedElement(std::int32_t minimum, std::int32_t maximum)
        : minimum_(minimum)
        , maximum_(maximum)
    {
    }

    std::uint32_t elementType() const override { return kElementType; }
    std::int32_t minimum() const { return minimum_; }
    std::int32_t maximum() const { return maximum_; }
    void setRange(std::int32_t minimum, std::int32_t maximum)
    {
        minimum_ = minimum;
        maximum_ = maximum;
    }

private:
    std::int32_t minimum_ = 0;
    std::int32_t maximum_ = 0;
};
