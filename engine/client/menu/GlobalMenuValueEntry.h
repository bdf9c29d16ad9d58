#pragma once

#include "engine/client/menu/GlobalMenuEntry.h"

#include <cstdint>

// An entry with one number: 32 bits for type 4, 16 bits for type 7.
class CGlobalMenuValueEntry : public CGlobalMenuEntry {
public:
    static constexpr std::int32_t kType16 = 7;

    using CGlobalMenuEntry::CGlobalMenuEntry;

    std::uint32_t value() const { return value_; }
    void setValue(std::uint32_t value) { value_ = getMenuEntryType() == kType16 ? value & 0xFFFFu : value; }

private:
    std::uint32_t value_ = 0;
};
