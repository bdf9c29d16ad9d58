#pragma once

#include <cstdint>

// Requests the File Store Manager serves, and the open modes of a write.
inline constexpr std::int32_t kFileRequestDelete = 0;
inline constexpr std::int32_t kFileRequestRead = 2;
inline constexpr std::int32_t kFileRequestWrite = 3;
inline constexpr std::int32_t kFileOpenForReading = 0x800004d;
inline constexpr std::int32_t kFileOpenForWriting = 0x800004e;
inline constexpr std::int32_t kFileStoreOpenForReading = 0x800004f;

inline constexpr std::int32_t kFileModeWrite = 1; // replaces the file whole
inline constexpr std::int32_t kFileModeAppend = 2;
