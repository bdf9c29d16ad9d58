#pragma once

#include "engine/core/base/VXLByteBuffer.h"
#include "engine/core/jobs/VXLEventHandler.h"
#include "engine/core/jobs/VXLEventTypes.h"
#include "engine/core/jobs/VXLSimpleEvent.h"
#include "engine/transfer/VXLDataEvent.h"
#include "engine/transfer/VXLXferBeginEvent.h"

#include <cstdint>

class CVXLPersStore;

// What the file and byte-buffer sinks ask for at a time.
inline constexpr std::int32_t kXferSinkChunkSize = 51200;
// A file source that knows no size reads up to this many bytes (until the
// file reports its end).
inline constexpr std::int32_t kXferUnknownSizeLimit = 0x7FFFFFF;

// The protocol every data source and sink speaks. A source pushes chunks to
// its destination; the sink names the chunk size and completes each chunk
// before the source produces the next (one chunk in flight).
//
// The owner sets the source's destination, starts both as children and posts
// kEventXferRun to the source, which answers it when the transfer is over
// with the first non-zero result that arose (the source's failure, the
// sink's end result, or 24 for an abort), else 0.
class CVXLXferJobBase : public CVXLEventHandler {
public:
    CVXLXferJobBase();
    ~CVXLXferJobBase() override;

    void onEvent(CVXLEvent* event) override;
    const char* name() const override { return "CVXLXferJobBase"; }
    // Back to the state between transfers; called after a close while the
    // restart flag is set.
    virtual void restart();

    // Source side.
    virtual void onOpen();
    virtual void produceChunk(std::int32_t size);
    virtual void onSourceFinished(bool succeeded);
    // Sink side.
    virtual void onBegin(std::int32_t total);
    virtual void onData(const CVXLByteBuffer& buffer);
    virtual void onEnd(bool complete);

    void setDestination(CVXLEventHandler* destination) { destination_ = destination; }
    CVXLEventHandler* destination() const { return destination_; }
    // Settings keys of `store` that receive the total and the bytes moved
    // (decimal). A null store or key leaves it unset.
    void setProgressKeys(CVXLPersStore* store, const char* totalKey, const char* currentKey);
    void setRestart(bool flag) { restart_ = flag; }
    // The figure a source begins with when it has no better one (-1 unknown).
    void setAnnouncedTotal(std::int32_t total) { announcedTotal_ = total; }
    std::int32_t announcedTotal() const { return announcedTotal_; }
    std::int32_t total() const { return total_; }
    std::int32_t count() const { return count_; }
    bool isOpened() const { return opened_; }

protected:
    // Source side.
    void begin(std::int32_t total);
    void sendChunk(const CVXLByteBuffer& buffer);
    void sendEnd();
    void fail(std::int32_t code);
    void completeSource();
    // Sink side.
    // A refusal carries failCode, which becomes the transfer's result.
    void completeBegin(bool success, std::int32_t chunkSize, std::int32_t failCode = kResultFailed);
    void completeData(bool success, std::int32_t failCode = kResultFailed);
    void completeSink(std::int32_t code, const CVXLString& text);

private:
    void onStop(CVXLEvent* event);
    void onRun(CVXLEvent* event);
    void onClose(CVXLEvent* event);
    void onCloseDone(CVXLEvent* reply);
    void onFinishEvent(CVXLEvent* event);
    void onOpened(CVXLEvent* event);
    void onBeginRequest(CVXLEvent* event);
    void onDataRequest(CVXLEvent* event);
    void onEndRequest(CVXLEvent* event, bool complete);
    void onChunkReply(CVXLEvent* reply, bool isBegin);
    void onEndReply(CVXLEvent* reply, bool aborted);
    void publishProgress();
    std::int32_t chunkResult(bool success, std::int32_t failCode) const;
    void settle();

    CVXLEvent* runRequest_ = nullptr;
    CVXLEvent* pendingStop_ = nullptr;
    CVXLEventHandler* destination_ = nullptr;
    std::int32_t chunkSize_ = -1;
    std::int32_t announcedTotal_ = -1;
    bool opened_ = false;
    bool chunkRequested_ = false;
    bool ended_ = false;
    bool finished_ = false;

    CVXLSimpleEvent openedNotice_ {kEventXferOpened};
    CVXLXferBeginEvent beginEvent_;
    CVXLDataEvent dataEvent_;
    CVXLEvent endEvent_ {kEventXferEnd, kEventXferEndDone};
    CVXLEvent abortEvent_ {kEventXferAbort, kEventXferAbortDone};
    CVXLSimpleEvent finishEvent_ {kEventXferFinish};
    CVXLEvent closeEvent_ {kEventXferClose, kEventXferCloseDone};

    // Sink side: the requests received and not yet completed.
    CVXLXferBeginEvent* pendingBegin_ = nullptr;
    CVXLDataEvent* pendingData_ = nullptr;
    CVXLEvent* pendingEnd_ = nullptr;
    bool sinkActive_ = false;
    bool endReceived_ = false;

    CVXLEvent* pendingClose_ = nullptr;
    CVXLEvent* pendingEndReply_ = nullptr;
    bool restart_ = true;
    std::int32_t total_ = 0;
    std::int32_t count_ = 0;
    CVXLPersStore* progressStore_ = nullptr;
    const char* totalKey_ = nullptr;
    const char* currentKey_ = nullptr;
};
