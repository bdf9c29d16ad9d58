#pragma once

#include "engine/core/base/VXLByteBuffer.h"
#include "engine/core/base/VXLHeaderMap.h"

#include <cstdint>

// The byte form of a header map inside message segments: per name, each
// non-empty value as "name NUL value NUL", a value's parameter map following
// it as 0xE0 0x00, its own block, 0xEA 0x00. Reading never looks past
// start + length; a string without its NUL ends there.
//
// A name without a non-empty value is left out: written alone it would read
// back as the name of the next value and shift every later pair. So is a name
// beginning with a mark byte (0xE0, 0xEA), which would read back as the mark.
class CVXLHeaderBlock {
public:
    // Parameter maps nested deeper than this are read as plain pairs, so a
    // hostile block cannot exhaust the stack.
    static constexpr int kMaxParameterDepth = 16;

    static bool write(const CVXLHeaderMap& map, CVXLByteBuffer& out);
    // Adds the pairs found in bytes[start, start + length) to map.
    static void read(
        const CVXLByteBuffer& bytes, std::uint32_t start, std::uint32_t length, CVXLHeaderMap& map);

    // Index files ("mms.new", "mms.notyet"): each name followed by one NUL,
    // values ignored; read back as names with empty values.
    static bool writeIndex(const CVXLHeaderMap& ids, CVXLByteBuffer& out);
    static void readIndex(const CVXLByteBuffer& bytes, CVXLHeaderMap& ids);
};
