#pragma once

#include "engine/client/menu/GlobalMenuEntry.h"

#include <cstdint>

// An entry with one number: 32 bits for a favorite slot, 16 bits for a
// storage area.
class CGlobalMenuValueEntry : public CGlobalMenuEntry {
public:
    using CGlobalMenuEntry::CGlobalMenuEntry;

    std::uint32_t value() const { return value_; }
    void setValue(std::uint32_t value)
    {
        value_ = getMenuEntryType() == kMenuEntryStorageArea ? value & 0xFFFFu : value;
    }

private:
    std::uint32_t value_ = 0;
};
