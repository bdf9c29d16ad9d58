#pragma once

#include "engine/core/base/VXLByteBuffer.h"
#include "engine/core/base/VXLString.h"
#include "engine/core/jobs/VXLEvent.h"
#include "engine/core/settings/VXLPersKeys.h"
#include "engine/files/VXLFileStoreManager.h"
#include "engine/transfer/VXLPushOpenRequest.h"
#include "engine/transfer/VXLPushToFileAdapterJob.h"
#include "engine/transfer/VXLPushWriteRequest.h"
#include "engine/transport/http/HTTPv2Job.h"
#include "engine/transport/http/VXLHttpRequest.h"
#include "engine/transport/mime/VXLEntityRef.h"
#include "engine/transport/tasks/VXLProcessor.h"

#include <cstdint>

class CVXLHttpSettings;
class CVXLHttpTransaction;
class CVXLPersStore;
class CVXLPlatformStore;

// Runs "CVXLHttpTransaction"s: one GET or POST to the transaction's URL,
// HTTP/1.0 through the configured proxy, with the engine's headers and the
// request message's headers (and, for POST, its in-memory body). The reply
// headers go into the response message; a 2xx reply's body goes into the
// file that the response body entity names, which is created or emptied
// when the 2xx head arrives, in chunks of at most kReadChunkBytes written
// one at a time. Results: 0, 50 for a status outside 200..299, 24 when
// cancelled, else the HTTP job's or the file step's failure.
class CVXLHttpProcessor : public CVXLProcessor {
public:
    static constexpr std::uint32_t kReadChunkBytes = 51200;
    static constexpr std::int32_t kGetReply = 26;
    static constexpr std::int32_t kPostReply = 27;
    static constexpr const char* kProgressTotalKey = kPersProgressTotal;
    static constexpr const char* kProgressCurrentKey = kPersProgressCurrent;

    CVXLHttpProcessor();
    ~CVXLHttpProcessor() override;

    // Configuration items 2, 4 and 7 and the version text, read at the start
    // of each exchange; shared with the HTTP job.
    void setSettings(const CVXLHttpSettings* settings);
    void setDialer(CVXLEventHandler* dialer)
    {
        dialer_ = dialer;
        job_.setDialer(dialer);
    }
    // Where the file adapter publishes its progress (the Client's settings).
    void setSettingsStore(CVXLPersStore* settings) { adapter_.setSettingsStore(settings); }
    // The job that opens the response files; without one, the processor's own
    // File Store Manager over the message store does.
    void setFileRequestTarget(CVXLEventHandler* target) { fileRequestTarget_ = target; }
    // The store whose streams write the response files.
    void setMessageStore(CVXLPlatformStore* store) { responseFiles_.setFileStore(store); }

    // The HTTP job's last failure (the Client's error code).
    std::int32_t errorCode() const { return job_.errorCode(); }

    void init() override;
    void onEvent(CVXLEvent* event) override;
    // Refuses a transaction whose response message names no file.
    int beginTransaction(CVXLTransaction* transaction) override;
    bool acceptsTransaction(CVXLTransaction* transaction) override;

protected:
    void finishTransaction() override;
    void onCancel() override;

private:
    // Drops the buffers and pointers of the exchange under way.
    void forgetExchange();
    void startRequest();
    void composeHeaders(CVXLHttpRequest& request, const CVXLHttpTransaction& transaction);
    void onBodyRequest(CVXLEvent* event);
    void onResponseHead(CVXLEvent* event);
    void onBodyData(CVXLEvent* event);
    void onRequestDone(CVXLEvent* event);
    void onOpened(CVXLEvent* event);
    void onWritten(CVXLEvent* event);
    void onClosed(CVXLEvent* event);
    void answer(CVXLEvent*& held, std::int32_t result);
    void end(std::int32_t result);

    CHTTPv2Job job_;
    CVXLHttpRequest get_ {CVXLHttpRequest::kGet, kGetReply};
    CVXLHttpRequest post_ {CVXLHttpRequest::kPost, kPostReply};
    // The body-data event whose bytes are being written.
    CVXLEvent* pendingChunk_ = nullptr;
    // The 2xx head, held until the file is open.
    CVXLEvent* pendingHead_ = nullptr;
    CVXLFileStoreManager responseFiles_;
    CVXLPushToFileAdapterJob adapter_;
    CVXLPushWriteRequest write_;
    CVXLPushOpenRequest open_;
    CVXLEvent close_ {CVXLPushToFileAdapterJob::kCloseRequest, CVXLPushToFileAdapterJob::kCloseReply};
    CVXLByteBuffer requestBody_;
    CVXLByteBuffer chunk_;
    CVXLByteBuffer writeBuffer_;
    // What a length-delimited body request gets once the body has gone.
    CVXLByteBuffer noMoreBody_;

    const CVXLHttpSettings* settings_ = nullptr;
    CVXLEventHandler* fileRequestTarget_ = nullptr;
    CVXLEventHandler* dialer_ = nullptr;
    CVXLHttpRequest* request_ = nullptr;
    // Kept apart from the transaction, which may go away while running.
    CVXLEntityRef responseBody_;
    std::int32_t result_ = 0;
    std::int32_t expectedTotal_ = -1;
    bool adapterOpen_ = false;
    bool bodyHandedOut_ = false;
    bool cancelRequested_ = false;
};
