#pragma once

#include "engine/core/jobs/VXLCallbackEvent.h"
#include "engine/core/jobs/VXLEvent.h"
#include "engine/core/jobs/VXLEventHandler.h"
#include "engine/core/jobs/VXLNamedRequest.h"
#include "engine/files/VXLFileStoreCodes.h"
#include "engine/files/VXLItemInfoEvent.h"
#include "engine/transfer/VXLByteBufferSink.h"
#include "engine/transfer/VXLByteBufferSource.h"

#include <cstdint>

class CVXLFileStreamSinkJob;
class CVXLFileStreamSourceJob;
class CVXLPlatformFactory;
class CVXLPlatformFileStore;
class CVXLPlatformStore;

// The one job through which the engine reads, writes and deletes the files of
// its working folder. Requests (CVXLFileDeleteRequest, CVXLFileReadRequest,
// CVXLFileWriteRequest, CVXLNamedRequest) are posted to it and come back as
// replies with the sender's reply code, result 0 on success.
//
// Requests are served one at a time in the order they arrive: a request
// waits in the incoming queue until the one before it has been answered.
// Buffer writes from the start replace the file atomically. A stop answers
// the request being served and those queued with 24 and gives every stream
// back; a write cut short leaves the old file.
class CVXLFileStoreManager : public CVXLEventHandler {
public:
    CVXLFileStoreManager();
    ~CVXLFileStoreManager() override;

    void onEvent(CVXLEvent* event) override;
    std::int32_t onFinished() override;
    void childFinished(CVXLEventHandler* child) override;
    const char* name() const override { return "CVXLFileStoreManager"; }

    // The platform store to work on: shared (not owned; the file store, or
    // the message store for the files a transport writes), or a file store
    // made through the factory at start and given back at the end.
    void setFileStore(CVXLPlatformStore* store) { store_ = store; }
    void setFactory(CVXLPlatformFactory* factory) { factory_ = factory; }
    CVXLPlatformStore* fileStore() const { return store_; }

private:
    // Codes of the manager's own steps.
    static constexpr std::int32_t kDeleteDone = 1;
    static constexpr std::int32_t kReadOpened = 4;
    static constexpr std::int32_t kWriteOpened = 5;
    static constexpr std::int32_t kReadTransferred = 6;
    static constexpr std::int32_t kWriteTransferred = 7;
    static constexpr std::int32_t kReadClosed = 8;
    static constexpr std::int32_t kWriteClosed = 9;
    static constexpr std::int32_t kSizeKnown = 10;

    void onStart(CVXLEvent* event);
    void onStop(CVXLEvent* event);
    void onDelete(CVXLEvent* event);
    void onDeleteDone(CVXLEvent* callback);
    void onRead(CVXLEvent* event);
    void onOpenForReading(CVXLEvent* event);
    void onSizeKnown(CVXLEvent* callback);
    void onReadOpened(CVXLEvent* reply);
    void onReadTransferred(CVXLEvent* reply);
    void onReadClosed(CVXLEvent* reply);
    void onWrite(CVXLEvent* event);
    void onOpenForWriting(CVXLEvent* event);
    void onWriteOpened(CVXLEvent* reply);
    void onWriteTransferred(CVXLEvent* reply);
    void onWriteClosed(CVXLEvent* reply);
    void finishCurrent();
    void releaseJob(CVXLEventHandler* job);

    CVXLPlatformStore* store_ = nullptr;
    CVXLPlatformFactory* factory_ = nullptr;
    CVXLPlatformFileStore* ownedStore_ = nullptr;
    CVXLCallbackEvent deleteCallback_ {this, kDeleteDone};
    CVXLItemInfoEvent sizeCallback_ {this, kSizeKnown};
    CVXLNamedRequest readRequest_ {kEventFileOpenForReading, kReadOpened};
    CVXLNamedRequest writeRequest_ {kEventFileOpenForWriting, kWriteOpened};
    CVXLEvent transferStart_ {kEventXferRun, kEventXferRunDone};
    CVXLEvent transferStop_ {kEventXferClose, kEventXferCloseDone};
    CVXLByteBufferSource bufferSource_;
    CVXLByteBufferSink bufferSink_;
    CVXLFileStreamSourceJob* currentSource_ = nullptr;
    CVXLFileStreamSinkJob* currentSink_ = nullptr;
    // The delete, read or write request being served.
    CVXLEvent* current_ = nullptr;
    // The open request waiting for the item information.
    CVXLNamedRequest* pendingOpen_ = nullptr;
};
