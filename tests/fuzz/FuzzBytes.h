#pragma once

#include "engine/core/base/VXLByteBuffer.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// The input as an engine buffer; false for inputs larger than the stored
// files they stand for, or when the heap refuses.
inline bool fuzzBytes(const std::uint8_t* data, std::size_t size, CVXLByteBuffer& bytes)
{
    if (size > 1 << 16)
        return false;
    return size == 0 || bytes.append(data, static_cast<std::uint32_t>(size));
}

inline bool sameBytes(const CVXLByteBuffer& a, const CVXLByteBuffer& b)
{
    return a.length() == b.length() && (a.length() == 0 || std::memcmp(a.data(), b.data(), a.length()) == 0);
}

// Names the invariant that failed before aborting.
#define FUZZ_CHECK(condition)                                                                                \
    do {                                                                                                     \
        if (!(condition)) {                                                                                  \
            std::fprintf(stderr, "invariant failed: %s\n", #condition);                                      \
            std::abort();                                                                                    \
        }                                                                                                    \
    } while (0)
