#pragma once

#include <cstdint>

// The component model's result values: negative for failure.
namespace tessel::com {

using HResult = std::int32_t;

inline constexpr HResult kSOk = 0;
inline constexpr HResult kSFalse = 1;
inline constexpr HResult kENotImpl = static_cast<HResult>(0x80004001);
inline constexpr HResult kENoInterface = static_cast<HResult>(0x80004002);
inline constexpr HResult kEPointer = static_cast<HResult>(0x80004003);
inline constexpr HResult kEAbort = static_cast<HResult>(0x80004004);
inline constexpr HResult kEFail = static_cast<HResult>(0x80004005);
inline constexpr HResult kEUnexpected = static_cast<HResult>(0x8000FFFF);
inline constexpr HResult kEOutOfMemory = static_cast<HResult>(0x8007000E);
inline constexpr HResult kEInvalidArg = static_cast<HResult>(0x80070057);
inline constexpr HResult kClassENoAggregation = static_cast<HResult>(0x80040110);
inline constexpr HResult kClassEClassNotAvailable = static_cast<HResult>(0x80040111);

constexpr bool succeeded(HResult result)
{
    return result >= 0;
}
constexpr bool failed(HResult result)
{
    return result < 0;
}

} // namespace tessel::com
