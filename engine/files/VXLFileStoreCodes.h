#pragma once

#include <cstdint>

// The File Store Manager's own request codes (its open requests are engine
// event codes), and the open modes of a write.
inline constexpr std::int32_t kFileRequestDelete = 0;
inline constexpr std::int32_t kFileRequestRead = 2;
inline constexpr std::int32_t kFileRequestWrite = 3;

inline constexpr std::int32_t kFileModeWrite = 1; // replaces the file whole
inline constexpr std::int32_t kFileModeAppend = 2;
