#include "engine/media/VXLMediaLocation.h"

std::uint32_t vxlPackLocation(std::uint16_t storeId, int storeKind)
{
    const std::uint32_t high = static_cast<std::uint32_t>(storeId) << 16;
    switch (storeKind) {
    case kStoreKindUnknown:
        return 0;
    case 1:
        return high + kLocationKindStoreKind1;
    case 2:
        return high + kLocationKindStoreKind2;
    default:
        return high;
    }
}

std::uint32_t vxlLocationKind(std::uint32_t packed)
{
    return packed & 0xFFFFu;
}

std::uint16_t vxlLocationStoreId(std::uint32_t packed)
{
    switch (vxlLocationKind(packed)) {
    case kLocationKindStoreKind1:
    case kLocationKindStoreKind2:
        return static_cast<std::uint16_t>(packed >> 16);
    case kLocationKindFirstStore:
        return 1;
    default:
        return 0;
    }
}

std::uint32_t vxlLocationKindForFlag(std::uint32_t value)
{
    if (value == 1)
        return kLocationKindFirstStore;
    if (value == 0)
        return kLocationKindNoStore;
    return 0;
}

CVXLMediaLocation::CVXLMediaLocation(std::uint32_t packed)
    : byNumber_(true)
    , number_(vxlLocationStoreId(packed))
{
}
