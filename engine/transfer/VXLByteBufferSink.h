#pragma once

#include "engine/core/base/VXLByteBuffer.h"
#include "engine/transfer/VXLXferJobBase.h"

#include <cstdint>

// Collects every chunk it receives, asking for kXferSinkChunkSize at a time;
// the owner copies the bytes out after the transfer.
class CVXLByteBufferSink : public CVXLXferJobBase {
public:
    const char* name() const override { return "CVXLByteBufferSink"; }
    void restart() override { buffer_.clear(); }
    void onBegin(std::int32_t total) override;
    void onData(const CVXLByteBuffer& buffer) override;
    void onEnd(bool complete) override;

    CVXLByteBuffer data() const { return buffer_; }

private:
    CVXLByteBuffer buffer_;
};
