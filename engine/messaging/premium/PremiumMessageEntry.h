#pragma once

#include "engine/core/base/VXLObject.h"
#include "engine/core/base/VXLString.h"

#include <cstdint>

class CPremiumGroup;

// One message of the premium box and the group it belongs to (not owned).
class CPremiumMessageEntry : public CVXLObject {
public:
    CVXLString messageId;
    std::uint32_t receivedTime = 0;
    CPremiumGroup* group = nullptr;
    // Not saved: rebuilt from the store's new index.
    bool read = false;
};
