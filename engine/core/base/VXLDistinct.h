#pragma once

#include <cstddef>

// True when no two of the values are equal. The code lists check themselves
// with it at compile time, so a number given twice does not build.
template <typename T, std::size_t N>
constexpr bool vxlAllDistinct(const T (&values)[N])
{
    for (std::size_t i = 0; i < N; ++i) {
        for (std::size_t j = i + 1; j < N; ++j) {
            if (values[i] == values[j])
                return false;
        }
    }
    return true;
}
