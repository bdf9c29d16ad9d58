#pragma once

#include "engine/core/base/VXLByteBuffer.h"
#include "engine/core/jobs/VXLCallbackEvent.h"
#include "engine/transfer/VXLOemXferSource.h"
#include "engine/transfer/VXLXferJobBase.h"

#include <cstdint>

// The transfer source that reads a user-interface source: it opens it, begins
// with its size (unknown when the source says 0), and reads one chunk per
// request of its sink until the size is reached or the source reports the
// end. A source that cannot be opened fails the transfer with its open
// status; a read that reports anything but more or end cancels it (24).
class CVXLOemXferSourceAdapter : public CVXLXferJobBase, private CVXLOemXferReader {
public:
    CVXLOemXferSourceAdapter();

    void onEvent(CVXLEvent* event) override;
    const char* name() const override { return "CVXLOemXferSourceAdapter"; }
    void onOpen() override;
    void produceChunk(std::int32_t size) override;
    void onSourceFinished(bool succeeded) override;

    void setSource(CVXLOemXferSource* source);
    CVXLOemXferSource* source() const { return source_; }

private:
    static constexpr std::int32_t kOpenAnswered = 5;

    void data(const std::uint8_t* bytes, std::uint32_t count) override;
    void status(std::int32_t code) override;

    CVXLOemXferSource* source_ = nullptr;
    std::int32_t size_ = 0;
    std::int32_t read_ = 0;
    bool endSeen_ = false;
    CVXLCallbackEvent callback_;
    CVXLByteBuffer buffer_;
};
