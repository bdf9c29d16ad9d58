#pragma once

#include "engine/core/base/VXLString.h"

#include <cstdint>

// The values of one media item that the request writers send.
struct CVRAXMediaFacts {
    CVXLString uid;
    CVXLString title;
    // 1, 2, 3 for 90, 180, 270 degrees; anything else is no rotation.
    std::int32_t orientation = 0;
    std::int32_t captureTime = 0;
    std::int32_t latitude = 0;
    std::int32_t longitude = 0;
    // Of the item's media reference.
    CVXLString mimeType;
};
