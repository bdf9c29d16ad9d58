#pragma once

#include <cstdint>

// Status codes that the platform layer reports to its sinks. Several
// meanings share a number where the platform's callers expect it so.
inline constexpr std::uint32_t kPlatformOk = 0;
inline constexpr std::uint32_t kPlatformNoBuffer = 1; // stream read, or a transfer, got no buffer
inline constexpr std::uint32_t kPlatformSeekFailed = 1; // stream seek
inline constexpr std::uint32_t kPlatformDeleteFailed = 1; // a file that exists was not removed
inline constexpr std::uint32_t kPlatformUnknownType = 2; // media source: no MIME type for the item
inline constexpr std::uint32_t kPlatformEndOfData = 3; // stream read at the end of the file
inline constexpr std::uint32_t kPlatformOpenFailed = 4;
inline constexpr std::uint32_t kPlatformCloseFailed = 5;
inline constexpr std::uint32_t kPlatformNotOpen = 6;
inline constexpr std::uint32_t kPlatformAlreadyOpen = 7;
inline constexpr std::uint32_t kPlatformNoSuchItem = 8; // store item information of a missing file
inline constexpr std::uint32_t kPlatformNoNetworkPath = 9;
inline constexpr std::uint32_t kPlatformReadFailed = 10;
inline constexpr std::uint32_t kPlatformConnectionCloseFailed = 11;
inline constexpr std::uint32_t kPlatformConnectFailed = 12; // also: no cellular system
inline constexpr std::uint32_t kPlatformConnectUnderWay = 13;
inline constexpr std::uint32_t kPlatformWriteFailed = 14; // fewer bytes written than asked (disk full)
inline constexpr std::uint32_t kPlatformReceiveFailed = 15;
inline constexpr std::uint32_t kPlatformSendFailed = 16;
// The peer closed the connection in order. Not "no data yet" (0): a kept
// connection would otherwise be polled until the receive time-out.
inline constexpr std::uint32_t kPlatformPeerClosed = 17;
inline constexpr std::uint32_t kPlatformNoMoreEntries = 23;
