#pragma once

#include <cstdint>

// The events between the jobs of one transfer (a source and its sink, or a
// chain of them). Replies come back under the second code of each pair.
enum XferEventId : std::int32_t {
    XFER_RUN = 0x8000004,
    XFER_CLOSE = 0x8000005,
    XFER_FINISH = 0x8000006,
    XFER_OPENED = 0x8000007,
    XFER_BEGIN = 0x8000008,
    XFER_DATA = 0x8000009,
    XFER_END = 0x800000a,
    XFER_ABORT = 0x800000b,
    XFER_RUN_DONE = 0x800000c,
    XFER_CLOSE_DONE = 0x800000d,
    XFER_BEGIN_DONE = 0x8000010,
    XFER_DATA_DONE = 0x8000011,
    XFER_END_DONE = 0x8000012,
    XFER_ABORT_DONE = 0x8000013,
};

// What the file and byte-buffer sinks ask for at a time.
inline constexpr std::int32_t kXferSinkChunkSize = 51200;
// A file source that knows no size reads up to this many bytes (until the
// file reports its end).
inline constexpr std::int32_t kXferUnknownSizeLimit = 0x7FFFFFF;
