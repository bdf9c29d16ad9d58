#pragma once

#include "engine/core/base/VXLCallback.h"

#include <cstdint>

// Where a user-interface source reports what a read produced: the bytes,
// then one status (0 more may follow, 3 end of data or read error, 4 not
// open, 1 out of memory).
class CVXLOemXferReader {
public:
    virtual ~CVXLOemXferReader() = default;
    virtual void data(const std::uint8_t* bytes, std::uint32_t count) = 0;
    virtual void status(std::int32_t code) = 0;
};

// What the user interface implements to offer a file to send. Calls come on
// the engine host thread; open and rewind answer through their callbacks.
class CVXLOemXferSource {
public:
    static constexpr std::int32_t kReadMore = 0;
    static constexpr std::int32_t kReadOutOfMemory = 1;
    static constexpr std::int32_t kReadEnd = 3;
    static constexpr std::int32_t kNotOpen = 4;

    virtual ~CVXLOemXferSource() = default;
    // Reports 0 when open, 4 when the data cannot be opened.
    virtual void open(CVXLCallback* callback) = 0;
    virtual void close() = 0;
    virtual void read(CVXLOemXferReader* reader, std::int32_t size) = 0;
    virtual void rewind(CVXLCallback* callback) = 0;
    // Total size in bytes; 0 when unknown.
    virtual std::int32_t getSize() = 0;
    virtual const char16_t* getMimeType() = 0;
};
