#pragma once

#include "engine/core/base/VXLByteBuffer.h"
#include "engine/core/jobs/VXLCallbackEvent.h"
#include "engine/core/platform/VXLDataSink.h"
#include "engine/transfer/VXLStreamJob.h"

#include <cstdint>

// Reads a file in chunks into its destination: the whole file (up to the
// announced total, or until the file reports its end when the total is
// unknown), or a window of it.
class CVXLFileStreamSourceJob : public CVXLStreamJob, private CVXLDataSink {
public:
    CVXLFileStreamSourceJob();

    void onEvent(CVXLEvent* event) override;
    const char* name() const override { return "CVXLFileStreamSourceJob"; }
    void restart() override;
    void onOpen() override;
    void produceChunk(std::int32_t size) override;
    void onSourceFinished(bool succeeded) override;

    // Start offset and number of bytes; both 0 means the whole file.
    void setReadWindow(std::int32_t start, std::int32_t length);
    // The size the owner announced (the store's figure); -1 unknown.
    std::int32_t fileSize() const { return announcedTotal(); }

private:
    static constexpr std::int32_t kOpened = 5;
    static constexpr std::int32_t kClosed = 6;
    static constexpr std::int32_t kSought = 7;

    void dataArrived(const std::uint8_t* bytes, std::uint32_t count) override;
    void complete(std::uint32_t status) override;
    void onCallback(std::int32_t code, std::int32_t status);

    CVXLCallbackEvent callback_;
    CVXLByteBuffer readData_;
    std::int32_t remaining_ = 0;
    std::int32_t windowStart_ = 0;
    std::int32_t windowLength_ = 0;
    bool windowSet_ = false;
    bool fileOpen_ = false;
    bool readFailed_ = false;
};
