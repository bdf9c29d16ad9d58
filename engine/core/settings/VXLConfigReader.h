#pragma once

#include "engine/core/base/VXLString.h"

#include <cstdint>

// Reads the engine's numbered configuration items (VXLConfigItem.h); false
// when the item is absent. A tree's root carries one
// (CVXLEventHandler::setConfig) for the jobs below it.
class CVXLConfigReader {
public:
    virtual ~CVXLConfigReader() = default;
    virtual bool readItem(std::int32_t item, CVXLString* text) const = 0;
};
