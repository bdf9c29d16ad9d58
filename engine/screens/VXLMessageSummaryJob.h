#pragma once

#include "engine/core/jobs/VXLSimpleEvent.h"
#include "engine/core/jobs/VXLUIRequestCodes.h"
#include "engine/core/settings/VXLConfigItem.h"
#include "engine/messaging/service/MessageServiceJob.h"
#include "engine/messaging/service/MessageServiceRequests.h"
#include "engine/messaging/store/VXLMessageSummary.h"
#include "engine/records/VXLInboundRequests.h"
#include "engine/screens/VXLLayoutMessageSummary.h"
#include "engine/screens/VXLUiJob.h"

#include <cstdint>

// The summary screen of one message (UI job 28), driven by the engine's
// events the program hands it: a message that arrived (109) or is named
// (100) shows its stored summary, with View and Delete; a message waiting
// for the subscriber's consent to be fetched at a charge (115) is fetched at
// once unless configuration item 43 asks first, and then only when the user
// chose Retrieve Summary. That event is always answered, also when the job
// is left or stopped: with "retrieve" only after Retrieve Summary.
class CVXLMessageSummaryJob : public CVXLUiJob {
public:
    static constexpr int kTypeId = 28;
    static constexpr std::int32_t kFirstExternalCode = 126;
    static constexpr std::int32_t kReplySummary = 126;
    static constexpr std::int32_t kReplyDelete = 127;

    // Engine events handed on by the program.
    static constexpr std::int32_t kEventNamedMessage = 100;
    static constexpr std::int32_t kEventArrived = 109;
    static constexpr std::int32_t kEventConsent = 115;
    static constexpr std::int32_t kEventPushHandled = 59;

    static constexpr std::int32_t kSignalGoOn = 12;
    static constexpr std::int32_t kSignalCancelled = 13;
    static constexpr std::int32_t kSignalRetrieve = 117;
    static constexpr std::int32_t kSignalView = 118;
    static constexpr std::int32_t kSignalDelete = 119;
    static constexpr std::int32_t kSignalFollowUrl = 120;
    static constexpr std::int32_t kSignalKeyBack = 121;
    static constexpr std::int32_t kSignalKeyExit = 122;
    static constexpr std::int32_t kSignalPushHandled = 123;
    static constexpr std::int32_t kSignalUiProgressStart = 124;
    static constexpr std::int32_t kSignalUiProgress = 125;

    static constexpr std::int32_t kEndBack = 8;
    static constexpr std::int32_t kEndExit = 9;
    static constexpr std::int32_t kEndDone = 10;
    static constexpr std::int32_t kEndViewInbox = 55;
    static constexpr std::int32_t kEndViewPremium = 56;

    // The answer that fetches; a pending event that is not to be fetched
    // gets the other, since the manager presets this one.
    static constexpr std::uint32_t kDecisionRetrieve = 2;
    static constexpr std::uint32_t kDecisionNotNow = 0;
    static constexpr std::int32_t kConfigAskBeforeCharge = kCfgWebGuard;
    static constexpr std::uint32_t kNoticeDeleted = 12;
    static constexpr std::int32_t kUiRequestBack = kUIRequestScreenFlowNotice;
    static constexpr std::int32_t kUiProgressStart = kUIRequestNotificationStored;
    static constexpr std::int32_t kUiProgress = kUIRequestFetchStarted;
    // The Client tells every job when it has handled a push.
    static constexpr std::int32_t kUiPushHandled = kUIRequestPushPayload;
    static constexpr const char* kPropertySummary = "message_summary";

    CVXLMessageSummaryJob();
    ~CVXLMessageSummaryJob() override;

    int typeId() const override { return kTypeId; }
    CVXLUiJob* newInstance() const override { return new CVXLMessageSummaryJob; }
    CVXLLayout* getLayout() override { return &layout_; }
    std::uint32_t spinnerState() const override { return 3; }
    void init() override;
    void onEvent(CVXLEvent* event) override;
    void onLayoutAction(std::uint32_t eventId) override;
    void onUiRequest(std::int32_t code) override;
    std::int32_t onFinished() override;

    CVXLLayoutMessageSummary& layout() { return layout_; }
    bool isAskingConsent() { return isIn(&CVXLMessageSummaryJob::Consent); }
    bool isShowingSummary() { return isIn(&CVXLMessageSummaryJob::Summary); }

private:
    CVXLHsmState Initial(const CVXLEvent* event);
    CVXLHsmState Top(const CVXLEvent* event);
    CVXLHsmState Idle(const CVXLEvent* event);
    CVXLHsmState Fetching(const CVXLEvent* event);
    CVXLHsmState Summary(const CVXLEvent* event);
    CVXLHsmState WaitingForProgram(const CVXLEvent* event);
    CVXLHsmState Deleting(const CVXLEvent* event);
    CVXLHsmState NoticeShown(const CVXLEvent* event);
    CVXLHsmState Consent(const CVXLEvent* event);
    CVXLHsmState Retrieving(const CVXLEvent* event);
    CVXLHsmState Done(const CVXLEvent* event);

    // Answers the pending consent event, if any.
    void answerConsent(std::uint32_t decision);
    void fetchSummary(const CVXLString& messageId, std::uint32_t kind);
    void stopChildScreen();
    CVXLHsmState finish(std::int32_t result, bool release = true);

    CVXLLayoutMessageSummary layout_;
    CMessageServiceJob service_;
    CMessageBoxListRequest summaryRequest_;
    CVXLStringArray ids_;
    CMessageTextRequest deleteRequest_ {kServiceRequestRemoveFromThread, kReplyDelete};
    CVXLMessageSummary summary_;
    CVXLString messageId_;
    std::uint32_t kind_ = 0;
    // The consent event, held until it is answered.
    CMessageDecisionEvent* consent_ = nullptr;
    const CVXLEvent* inHand_ = nullptr;
    // Signals through the job's own queue, as signal + kOwnOffset: a key
    // taken while the consent event is held, and the user interface's
    // codes while a progress child runs.
    static constexpr std::int32_t kOwnOffset = 1000;
    CVXLSimpleEvent key_ {kOwnOffset};
    bool progressShown_ = false;
};
