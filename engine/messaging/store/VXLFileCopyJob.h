#pragma once

#include "engine/core/base/VXLByteBuffer.h"
#include "engine/core/jobs/VXLCallbackEvent.h"
#include "engine/core/jobs/VXLEventHandler.h"
#include "engine/core/platform/VXLDataSink.h"
#include "engine/core/platform/VXLSinkInterface.h"
#include "engine/messaging/store/VXLCopyRequest.h"

#include <cstdint>

// Copies a byte range of one file into another, or rewrites a file in place
// as a range of itself, and appends trailing bytes; one copy at a time.
//
// An in-place rewrite starts only after all `count` bytes were read, and goes
// to a temporary file renamed over the source (the stream's replace mode): a
// read failure, a file shorter than asked or a failed write leave the source
// as it was. Reads go in chunks, so a count beyond the file allocates no more
// than a chunk before the file's end is found.
class CVXLFileCopyJob : public CVXLEventHandler, private CVXLDataSink, private CVXLSinkInterface {
public:
    static constexpr std::uint32_t kChunkBytes = 51200;
    // The result of a copy whose write failed.
    static constexpr std::int32_t kWriteFailed = 4;

    CVXLFileCopyJob();

    void onEvent(CVXLEvent* event) override;
    const char* name() const override { return "CVXLFileCopyJob"; }

private:
    // Callback codes.
    static constexpr std::int32_t kSourceOpened = 5;
    static constexpr std::int32_t kSourceSought = 6;
    static constexpr std::int32_t kSourceClosed = 7;
    static constexpr std::int32_t kDestinationOpened = 9;
    static constexpr std::int32_t kDestinationClosed = 11;
    static constexpr std::int32_t kSourceReopened = 12;
    static constexpr std::int32_t kRewriteClosed = 13;
    static constexpr std::int32_t kReadDone = 14;
    static constexpr std::int32_t kWritten = 15;

    void onRequest(CVXLCopyRequest* request);
    void onCallback(std::int32_t code, std::uint32_t status);
    void onReadDone(std::uint32_t status);
    void onWritten();
    void readNext();
    void afterCopiedBytes();
    void write();
    void fail(std::int32_t result);
    void closeNext();
    void completeCopy();
    void call(std::int32_t code);
    CVXLPlatformFileStream* writer() const;

    void dataArrived(const std::uint8_t* bytes, std::uint32_t count) override;
    void complete(std::uint32_t status) override;
    const std::uint8_t* getData() override { return buffer_.data(); }
    std::uint32_t getLength() override { return buffer_.length(); }
    void consume(std::uint32_t count, std::uint32_t error) override;

    CVXLCallbackEvent callback_;
    CVXLByteBuffer buffer_;
    CVXLCopyRequest* request_ = nullptr;
    CVXLEvent* stopPending_ = nullptr;
    std::uint32_t countRead_ = 0;
    std::uint32_t written_ = 0;
    std::uint32_t writeError_ = 0;
    std::int32_t result_ = 0;
    bool readFailed_ = false;
    bool sourceOpen_ = false;
    bool destinationOpen_ = false;
    bool rewriteOpen_ = false;
    bool rewriteStarted_ = false;
    bool failed_ = false;
};
