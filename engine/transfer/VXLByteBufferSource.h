#pragma once

#include "engine/core/base/VXLByteBuffer.h"
#include "engine/transfer/VXLXferJobBase.h"

#include <cstdint>

// Hands out the bytes of its buffer from the start, in the amounts its
// destination asks for; chunks share the buffer's block until written to.
class CVXLByteBufferSource : public CVXLXferJobBase {
public:
    const char* name() const override { return "CVXLByteBufferSource"; }
    void onOpen() override;
    void produceChunk(std::int32_t size) override;
    void onSourceFinished(bool succeeded) override;

    void setBuffer(const CVXLByteBuffer& buffer) { buffer_ = buffer; }
    const CVXLByteBuffer& buffer() const { return buffer_; }

private:
    CVXLByteBuffer buffer_;
    std::uint32_t offset_ = 0;
};
