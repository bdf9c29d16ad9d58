#pragma once

#include "engine/core/base/VXLByteBuffer.h"
#include "engine/core/base/VXLString.h"
#include "engine/messaging/inbound/InboundJob.h"
#include "engine/messaging/store/VXLStoreRequests.h"
#include "engine/records/VXLInboundRequests.h"
#include "engine/transport/mime/VXLMessage.h"
#include "engine/transport/mms/VXLPduRef.h"

#include <cstdint>
#include <vector>

// The receive of one pushed notification (request 0): decode, the
// subscriber's decision when the relay asks for manual retrieval, the
// preview, its store and the premium and sent-copy roads, the whole message,
// and the notification response last, sent only once the pushed message is
// stored whole. After an unclean end the newest stored messages are searched
// for the notification's location first.
class CInboundReceiveJob : public CInboundJob {
public:
    explicit CInboundReceiveJob(CVXLInboundMessageManager& manager);
    ~CInboundReceiveJob() override;

    const char* name() const override { return "Inbound Receive"; }

protected:
    void begin(CVXLEvent* request) override;
    void onStep(std::int32_t step, std::int32_t result) override;
    void onReply(CVXLEvent* reply) override;
    void wholeStored(std::int32_t result, const CVXLString& text) override;
    void dropSteps() override;
    void fetchStage(std::uint32_t stage) override { setStage(stage); }

private:
    // A preview stored for a notification whose whole message did not come:
    // its retry goes on from it instead of storing a second preview.
    struct StoredPreview {
        CVXLString location;
        CVXLString id;
        std::uint32_t targetBox;
    };

    CPushRequest* push() const { return static_cast<CPushRequest*>(held_); }
    void decoded(std::int32_t result);
    void continueNotification();
    void onDecision(CVXLEvent* reply);
    void requestPreview();
    void previewReceived(std::int32_t result);
    void onPreviewStored(CVXLEvent* reply);
    void onChargedStored(CVXLEvent* reply);
    bool refusedByPremiumInbox(const CVXLString& id);
    void fetchMessage();
    void sendNotifyResponse();
    void notifyResponded(std::int32_t result);
    void onCrashIds(CVXLEvent* reply);
    void onCrashRead(CVXLEvent* reply);
    void onCrashWhole(CVXLEvent* reply);
    void answerPush(std::int32_t result, const CVXLString& text = CVXLString());
    void tellArrived(const CVXLString& id, std::int32_t box);
    void setStage(std::uint32_t value);
    bool takeStoredPreview(const CVXLString& location);

    CVXLByteBuffer pushed_;
    CVXLPduRef notification_;
    // The message being stored: the preview.
    CVXLMessage stored_;
    CVXLString messageId_;
    // The stored preview's "X-QV-Folder".
    CVXLString folder_;
    std::uint32_t targetBox_ = 0;
    std::uint32_t notValidBefore_ = 0;
    // The decision with the Producer; a late answer to an older one is let go.
    CMessageDecisionEvent* decision_ = nullptr;
    std::vector<StoredPreview> previews_;

    CStoreMessageRequest storePreview_;
    CStoreIdListQuery crashIds_;
    CStoreReadRequest crashRead_;
    CStoreReadRequest crashWhole_;
    std::uint32_t crashIndex_ = 0;
};
