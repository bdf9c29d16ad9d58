#pragma once

#include "engine/core/base/VXLByteBuffer.h"
#include "engine/core/base/VXLCallback.h"
#include "engine/core/base/VXLObject.h"

#include <cstdint>

// The buffer a storage object reads into or writes from, with the callback
// that its completion reaches. Read statuses: 0 more to come, 3 end of data,
// anything else an error; write statuses: 0 or an error.
class CVXLStorageBlock : public CVXLObject {
public:
    explicit CVXLStorageBlock(CVXLCallback* callback)
        : callback_(callback)
    {
    }

    CVXLByteBuffer& bytes() { return bytes_; }
    std::uint32_t status() const { return status_; }
    // How many bytes from the front the last write took.
    std::uint32_t written() const { return written_; }

    // Called by the storage object when a read or a write has ended.
    void complete(std::uint32_t status, std::uint32_t written = 0)
    {
        status_ = status;
        written_ = written;
        if (callback_)
            callback_->call(status);
    }

private:
    CVXLByteBuffer bytes_;
    CVXLCallback* callback_;
    std::uint32_t status_ = 0;
    std::uint32_t written_ = 0;
};
