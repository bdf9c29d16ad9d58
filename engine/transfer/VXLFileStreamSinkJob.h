#pragma once

#include "engine/core/base/VXLByteBuffer.h"
#include "engine/core/jobs/VXLCallbackEvent.h"
#include "engine/core/jobs/VXLSimpleEvent.h"
#include "engine/core/platform/VXLSinkInterface.h"
#include "engine/transfer/VXLStreamJob.h"

#include <cstdint>

// Writes the chunks it receives to a file. Writing from the start replaces
// the file whole: the bytes go to a temporary file that becomes the file only
// when the transfer ended complete and the close succeeded, so a failed,
// cancelled or interrupted write leaves the previous file as it was.
// A scratch write goes into the file itself and is never flushed to disk:
// for a file read once by its own transfer and dropped at the next start,
// where neither the old bytes nor the new need to outlive a crash.
class CVXLFileStreamSinkJob : public CVXLStreamJob, private CVXLSinkInterface {
public:
    static constexpr std::int32_t kOpenWrite = 1;
    static constexpr std::int32_t kOpenAppend = 2;
    static constexpr std::int32_t kOpenScratch = 3;

    CVXLFileStreamSinkJob();

    void onEvent(CVXLEvent* event) override;
    const char* name() const override { return "CVXLFileStreamSinkJob"; }
    void onBegin(std::int32_t total) override;
    void onData(const CVXLByteBuffer& buffer) override;
    void onEnd(bool complete) override;

    // Any mode but an append replaces: a mode a request carries never asks
    // for a scratch write, which only its owner chooses (setScratch).
    void setOpenMode(std::int32_t mode) { openMode_ = mode == kOpenAppend ? kOpenAppend : kOpenWrite; }
    void setScratch() { openMode_ = kOpenScratch; }
    std::int32_t openMode() const { return openMode_; }

private:
    static constexpr std::int32_t kOpened = 5;
    static constexpr std::int32_t kClosed = 6;
    static constexpr std::int32_t kWriteMore = 7;

    const std::uint8_t* getData() override;
    std::uint32_t getLength() override;
    void consume(std::uint32_t count, std::uint32_t error) override;
    void writeNext();

    CVXLByteBuffer pending_;
    std::uint32_t consumed_ = 0;
    CVXLCallbackEvent callback_;
    CVXLSimpleEvent writeMore_ {kWriteMore};
    std::int32_t openMode_ = kOpenWrite;
    bool fileOpen_ = false;
};
