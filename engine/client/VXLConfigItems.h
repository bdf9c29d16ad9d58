#pragma once

#include "engine/core/settings/VXLConfigItem.h"

#include <cstdint>

// How the user interface hands an item over.
enum CVXLConfigValueType : char {
    kConfigNotSet = '-', // no registry value names it
    kConfigText = 'T',
    kConfigNumber = 'N',
};

struct CVXLConfigItemInfo {
    int item;
    const char* registryName; // null when the user interface does not set it
    CVXLConfigValueType type;
    const char* defaultValue; // numbers in decimal
};

// The row of item N (1..53), null outside.
const CVXLConfigItemInfo* vxlConfigItemInfo(int item);
// The row whose registry value name is `name` (exact), null when none.
const CVXLConfigItemInfo* vxlConfigItemByName(const char* name);
