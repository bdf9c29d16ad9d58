#pragma once

#include <cstddef>
#include <cstdint>

// True when no two of the values are equal.
template <typename T, std::size_t N> constexpr bool vxlAllDistinct(const T (&values)[N])
{
    for (std::size_t i = 0; i < N; ++i) {
        for (std::size_t j = i + 1; j < N; ++j) {
            if (values[i] == values[j])
                return false;
        }
    }
    return true;
}

// Expands a code list, an X-macro of X(name, number, meaning) entries, into
// an enum of its names and an array of its numbers, and fails the build when
// the list gives a number twice (a name given twice fails as an enumerator).
#define VXL_CODE_ENUMERATOR(name, number, meaning) name = (number),
#define VXL_CODE_NUMBER(name, number, meaning) (number),
#define VXL_CODE_LIST(Enum, numbers, LIST)                                                                   \
    enum Enum : std::int32_t { LIST(VXL_CODE_ENUMERATOR) };                                                  \
    inline constexpr std::int32_t numbers[] = {LIST(VXL_CODE_NUMBER)};                                       \
    static_assert(vxlAllDistinct(numbers), #LIST " gives a number twice")
