#pragma once

#include "engine/core/jobs/VXLCallbackEvent.h"
#include "engine/core/jobs/VXLEventHandler.h"
#include "engine/core/platform/VXLSinkInterface.h"
#include "engine/core/base/VXLString.h"

#include <cstdint>

class CVXLByteBuffer;
class CVXLPersStore;
class CVXLPlatformFileStream;
class CVXLPlatformStore;

// Writes a received stream into a file, one request at a time: open (6,
// answered with 24) starts a new copy of the named file under a temporary
// name, each write (kEventPushWrite, answered with 28) appends a buffer and
// empties it, close (7, answered with 25) puts the copy in place of the
// file; a close posted with a failure result, or a stop, drops the copy and
// leaves the file as it was. Each answer carries 0 or a failure. The
// bytes expected and the bytes written so far are published as two integer
// settings under the keys its owner names.
//
// The file requests belong to the message store manager in the end; until
// it exists the adapter writes through a platform store's streams itself and
// only keeps the target its owner names.
class CVXLPushToFileAdapterJob : public CVXLEventHandler, private CVXLSinkInterface {
public:
    static constexpr std::int32_t kCloseRequest = 7;
    static constexpr std::int32_t kCloseReply = kReplyPushClose;

    CVXLPushToFileAdapterJob();
    ~CVXLPushToFileAdapterJob() override;

    // Names of the settings for the bytes expected and the bytes written.
    void setProgressKeys(const CVXLString& totalKey, const CVXLString& currentKey);
    // The Client's settings store; null publishes nothing.
    void setSettingsStore(CVXLPersStore* settings) { settings_ = settings; }
    // The job that file requests are addressed to (the message store manager).
    void setFileRequestTarget(CVXLEventHandler* target) { fileRequestTarget_ = target; }
    CVXLEventHandler* fileRequestTarget() const { return fileRequestTarget_; }
    // The store whose streams write the files.
    void setFileStore(CVXLPlatformStore* store) { store_ = store; }

    void init() override;
    void onEvent(CVXLEvent* event) override;
    const char* name() const override { return "CVXLPushToFileAdapterJob"; }

    // Bytes written to the file opened last.
    std::uint32_t written() const { return written_; }
    bool isOpen() const { return stream_ != nullptr; }

private:
    const std::uint8_t* getData() override;
    std::uint32_t getLength() override;
    void consume(std::uint32_t count, std::uint32_t error) override;

    void open(CVXLEvent* request);
    void write(CVXLEvent* request);
    void close(CVXLEvent* request);
    void streamDone(std::int32_t status);
    void answer(CVXLEvent* request, std::int32_t status);
    void releaseStream();
    void publish(const CVXLString& key, std::uint32_t value);

    CVXLString totalKey_;
    CVXLString currentKey_;
    CVXLPersStore* settings_ = nullptr;
    CVXLEventHandler* fileRequestTarget_ = nullptr;
    CVXLPlatformStore* store_ = nullptr;
    CVXLPlatformFileStream* stream_ = nullptr;
    // The request whose stream operation has not reported yet.
    CVXLEvent* pending_ = nullptr;
    CVXLByteBuffer* writeBuffer_ = nullptr;
    std::uint32_t written_ = 0;
    CVXLCallbackEvent streamDone_;
};
