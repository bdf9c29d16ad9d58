#pragma once

#include "engine/core/base/VXLCallback.h"
#include "engine/core/base/VXLObject.h"

#include <cstdint>

class CVXLStorageBlock;

// A stored object read or written asynchronously: open and close report
// their status (0 success) to a callback, reads and writes to the block's
// own callback. One operation at a time.
class CVXLStorageObject : public CVXLObject {
public:
    static constexpr std::uint32_t kOpenRead = 1;
    static constexpr std::uint32_t kOpenWrite = 2;

    virtual void open(CVXLCallback* callback, std::uint32_t mode) = 0;
    // Appends at most maxBytes to the block's bytes.
    virtual void read(CVXLStorageBlock* block, std::uint32_t maxBytes) = 0;
    // Writes from the front of the block's bytes and reports how many it took.
    virtual void write(CVXLStorageBlock* block) = 0;
    virtual void close(CVXLCallback* callback) = 0;
    // Forgets the operation in progress: its end is reported to nobody, and
    // the block or callback it was given may be gone after this call.
    virtual void abandon() = 0;
};
