#pragma once

#include "engine/core/base/VXLByteBuffer.h"
#include "engine/core/jobs/VXLCallbackEvent.h"
#include "engine/core/jobs/VXLEventHandler.h"
#include "engine/core/platform/VXLDataSink.h"
#include "engine/messaging/store/VXLSegmentReadRequest.h"

#include <cstdint>

class CVXLPlatformFileStream;
class CVXLPlatformStore;

// Reads a stored message file of segments (two big-endian 32-bit lengths,
// then the first part and the second part) and hands the wanted ones to the
// requester one at a time. Segments with nothing to hand over are passed by.
// Both lengths are checked against the bytes left in the file before anything
// is read or allocated; a segment running past the end ends the request with
// the end-of-data status (3), as reading past the last segment does.
class CVXLMessageSegmentReaderJob : public CVXLEventHandler, private CVXLDataSink {
public:
    CVXLMessageSegmentReaderJob();
    ~CVXLMessageSegmentReaderJob() override;

    void onEvent(CVXLEvent* event) override;
    const char* name() const override { return "CVXLMessageSegmentReaderJob"; }

    // The message store the files are opened in.
    void setStore(CVXLPlatformStore* store) { store_ = store; }

private:
    // Callback codes.
    static constexpr std::int32_t kOpened = 5;
    static constexpr std::int32_t kSought = 6;
    static constexpr std::int32_t kRead = 7;
    static constexpr std::int32_t kReadRest = 8;
    static constexpr std::int32_t kClosed = 9;

    static constexpr std::uint32_t kHeaderBytes = 8;

    void onRequest(CVXLSegmentReadRequest* request);
    void onCallback(std::int32_t code, std::uint32_t status);
    void onHeader();
    void onData();
    void onSegmentDone(CVXLEvent* reply);
    void onWithdrawn(CVXLEvent* notice);
    void readBytes(std::uint32_t count);
    void seekTo(std::uint32_t offset);
    void closeFile(std::int32_t result);
    void completeRequest();
    void call(std::int32_t code);

    void dataArrived(const std::uint8_t* bytes, std::uint32_t count) override;
    void complete(std::uint32_t status) override;

    CVXLPlatformStore* store_ = nullptr;
    CVXLCallbackEvent callback_;
    CVXLSegmentEvent segment_;
    CVXLSegmentReadRequest* request_ = nullptr;
    CVXLPlatformFileStream* file_ = nullptr;
    std::uint64_t fileSize_ = 0;
    std::uint32_t offset_ = 0;
    CVXLByteBuffer buffer_;
    std::uint32_t counter_ = 0;
    std::uint32_t wanted_ = 0;
    bool readingHeader_ = false;
    bool cancelled_ = false;
    bool readFailed_ = false;
    std::int32_t result_ = 0;
};
