#pragma once

#include "engine/core/base/VXLString.h"
#include "engine/core/jobs/VXLEvent.h"
#include "engine/core/jobs/VXLEventHandler.h"
#include "engine/core/jobs/VXLNamedRequest.h"
#include "engine/files/VXLFileReadRequest.h"
#include "engine/media/VXLMediaItem.h"
#include "engine/media/VXLOnlineMediaSinkAdapterJob.h"
#include "engine/records/MediaUploadRequest.h"
#include "engine/records/OutboundItem.h"
#include "engine/records/OutboundSendRequest.h"
#include "engine/records/VXLInboundRequests.h"
#include "engine/service/VRAXJobRequest.h"
#include "engine/service/VRAXMessageRecord.h"

#include <cstdint>

class CVXLCounterTable;
class CVXLXferJobBase;

// Sends one queued message at a time for the outbound queue, its only
// client: reads the item file, has the Media Upload Manager upload the
// media, copies a recorded voice memo to the service, then sends the message
// through the VRAX job (a composed message) or as an MMS through the inbound
// message manager (a prepared one). Every send request ends with exactly one
// COutboundSendResult to the requester, posted before the request is
// finished.
class COutboundSender : public CVXLEventHandler {
public:
    enum SendStep : std::int32_t {
        kIdle = 0,
        kReadingItem = 2,
        kUploadingMedia = 3,
        kMediaUploaded = 4,
        kOpeningVoiceMemo = 5,
        kCopyingVoiceMemo = 6,
        kSendingToService = 7,
        kServiceAnswered = 8,
        kSendingMms = 9,
    };

    COutboundSender();
    ~COutboundSender() override;

    void onEvent(CVXLEvent* event) override;
    void childFinished(CVXLEventHandler* child) override;
    const char* name() const override { return "Outbound Sender"; }

    void setFileStoreManager(CVXLEventHandler* files) { files_ = files; }
    void setUploadManager(CVXLEventHandler* uploads) { uploads_ = uploads; }
    void setVraxJob(CVXLEventHandler* vrax) { vrax_ = vrax; }
    void setInboundManager(CVXLEventHandler* inbound) { inbound_ = inbound; }
    void setCounters(CVXLCounterTable* counters) { counters_ = counters; }

    SendStep sendStep() const { return step_; }
    // The message being sent; empty when idle.
    const COutboundItem& item() const { return item_; }

    // The type a voice memo is uploaded with: its name when that is a MIME
    // type, else the type its name's extension maps to ("" when none).
    static CVXLString voiceMemoMimeType(const CVXLString& audioName);

private:
    // Reply codes of the sender's own requests.
    static constexpr std::int32_t kReplyItemRead = 1;
    static constexpr std::int32_t kReplyMediaUploaded = 2;
    static constexpr std::int32_t kReplyMemoOpened = 3;
    static constexpr std::int32_t kReplyMemoCopied = 4;
    static constexpr std::int32_t kReplyMemoClosed = 5;
    static constexpr std::int32_t kReplyServiceSent = 6;
    static constexpr std::int32_t kReplyMmsSent = 7;

    void onSendRequest(CVXLEvent* event);
    void onItemRead(CVXLEvent* reply);
    void onMediaUploaded(CVXLEvent* reply);
    void onMemoOpened(CVXLEvent* reply);
    void onMemoCopied(CVXLEvent* reply);
    void onMemoClosed(CVXLEvent* reply);
    void onServiceSent(CVXLEvent* reply);
    void onMmsSent(CVXLEvent* reply);
    void onStop(CVXLEvent* event);

    void sendByKind();
    void fillMessageRecord();
    void endMemoTransfer();
    void report(std::int32_t result, const CVXLString& text, bool permanent = false);
    static bool isPermanentRefusal(std::int32_t result, std::int32_t subCode);

    CVXLEventHandler* files_ = nullptr;
    CVXLEventHandler* uploads_ = nullptr;
    CVXLEventHandler* vrax_ = nullptr;
    CVXLEventHandler* inbound_ = nullptr;
    CVXLCounterTable* counters_ = nullptr;

    SendStep step_ = kIdle;
    // The send request being served, finished once its result is posted.
    CVXLEvent* pending_ = nullptr;
    CVXLEventHandler* requester_ = nullptr;
    CVXLString itemFile_;
    CVXLString audioFile_;
    COutboundItem item_;

    CVXLFileReadRequest itemRead_ {kReplyItemRead};
    CMediaUploadRequest upload_ {kReplyMediaUploaded};
    CVXLNamedRequest memoOpen_ {kEventFileOpenForReading, kReplyMemoOpened};
    CVXLEvent memoRun_ {kEventXferRun, kReplyMemoCopied};
    CVXLEvent memoClose_ {kEventXferClose, kReplyMemoClosed};
    CVRAXJobRequest serviceSend_ {kEventVraxQueuedMessage, kReplyServiceSent};
    CVRAXMessageRecord message_;
    CMmsSendRequest mmsSend_ {kReplyMmsSent};
    COutboundSendResult result_;

    CVXLOnlineMediaSinkAdapterJob memoSink_;
    CVXLXferJobBase* memoSource_ = nullptr;
    CVXLMediaItem memoItem_;
};
