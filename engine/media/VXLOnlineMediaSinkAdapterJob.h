#pragma once

#include "engine/core/base/VXLString.h"
#include "engine/transfer/VXLOnlineUploadRequest.h"
#include "engine/transfer/VXLXferJobBase.h"

#include <cstdint>

class CVXLMediaItem;
class CVXLUploadOutcomeRecorder;

// The sink of an upload: its begin posts an upload request to the service
// protocol job, and each data request of that job is answered with the next
// chunk of the transfer, or with an empty buffer and 3 (complete) or 1000
// (aborted) at its end. The job's answer to the upload ends the sink with
// its result; the outcome is recorded first.
class CVXLOnlineMediaSinkAdapterJob : public CVXLXferJobBase {
public:
    enum Phase : std::int32_t {
        kIdle = 0,
        kBegun = 1,
        kDataWaiting = 2,
        kChunkRequested = 3,
        kEnded = 4,
    };

    CVXLOnlineMediaSinkAdapterJob();

    void onEvent(CVXLEvent* event) override;
    const char* name() const override { return "CVXLOnlineMediaSinkAdapterJob"; }
    void onBegin(std::int32_t total) override;
    void onData(const CVXLByteBuffer& buffer) override;
    void onEnd(bool complete) override;

    void setProtocolJob(CVXLEventHandler* job) { protocolJob_ = job; }
    void setRecorder(CVXLUploadOutcomeRecorder* recorder) { recorder_ = recorder; }
    // What the next upload is about.
    void setUpload(CVXLMediaItem* item, std::int32_t transferKind, const CVXLString& parentId);

    Phase phase() const { return phase_; }
    bool completedWithoutData() const { return completedWithoutData_; }
    const CVXLOnlineUploadRequest& uploadRequest() const { return upload_; }

private:
    static constexpr std::int32_t kUploadDone = 5;

    void onDataAsked(CVXLEvent* event);
    void onUploadDone(CVXLEvent* reply);
    // Gives the upload up and answers the held end as cancelled.
    void withdraw();
    void answerAsk(const CVXLByteBuffer& buffer, std::int32_t result);

    CVXLEventHandler* protocolJob_ = nullptr;
    CVXLUploadOutcomeRecorder* recorder_ = nullptr;
    CVXLOnlineUploadRequest upload_ {kUploadDone};
    CVXLMediaItem* item_ = nullptr;
    std::int32_t transferKind_ = 0;
    CVXLString parentId_;
    Phase phase_ = kIdle;
    bool completedWithoutData_ = false;
    bool aborted_ = false;
    CVXLUploadDataRequest* ask_ = nullptr;
};
