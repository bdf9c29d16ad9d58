#pragma once

#include "engine/core/jobs/VXLSimpleEvent.h"
#include "engine/core/jobs/VXLUIRequestCodes.h"
#include "engine/core/settings/VXLConfigItem.h"
#include "engine/messaging/service/MessageServiceJob.h"
#include "engine/messaging/service/MessageServiceRequests.h"
#include "engine/records/OutboundQueueRequests.h"
#include "engine/records/VXLInboundRequests.h"
#include "engine/screens/VXLLayoutMessageList.h"
#include "engine/screens/VXLUiJob.h"

#include <cstdint>

class CVXLContactListElement;

// The base of the message box screens (UI jobs 21 to 26): a message list of
// one box or one thread, filled window by window through the job's own
// message service job (the pending list from the outbound queue, the
// premium list from the premium inbox). The user's choice on the selected
// message goes to the program as its signal number, with the message's
// summary in "message_summary"; the job then waits for the program's 12 or
// 13. Delete, Delete All, Save Message and Resend are carried out here and
// the window is loaded again. A request once posted is awaited: after half
// a second a spinner shows, and Back or Exit first cancel what is out.
class CVXLMessageListJob : public CVXLUiJob {
public:
    static constexpr std::int32_t kFirstExternalCode = 129;

    // Replies of the job's requests, and its own timer.
    static constexpr std::int32_t kReplyList = 129;
    static constexpr std::int32_t kReplyDelete = 130;
    static constexpr std::int32_t kReplyBack = 131;
    static constexpr std::int32_t kReplySave = 132;
    static constexpr std::int32_t kReplyResend = 133;
    static constexpr std::int32_t kTimerWaiting = 134;
    static constexpr std::int32_t kReplyForward = 135;
    static constexpr std::uint32_t kWaitBeforeSpinnerMs = 500;

    // Private signals; the user's choices are also the codes the program
    // is told.
    static constexpr std::int32_t kSignalSucceeded = 6;
    static constexpr std::int32_t kSignalFailed = 7;
    static constexpr std::int32_t kSignalNotifyExit = 9;
    static constexpr std::int32_t kSignalGoOn = 12;
    static constexpr std::int32_t kSignalCancelled = 13;
    static constexpr std::int32_t kSignalProgramExit = 15;
    static constexpr std::int32_t kSignalProgramBack = 16;
    static constexpr std::int32_t kSignalAssignMedia = 23;
    static constexpr std::int32_t kSignalForward = 33;
    static constexpr std::int32_t kSignalPrintMedia = 37;
    static constexpr std::int32_t kSignalReply = 44;
    static constexpr std::int32_t kSignalReplyAll = 45;
    static constexpr std::int32_t kSignalReplyToThread = 46;
    static constexpr std::int32_t kSignalSaveMedia = 48;
    static constexpr std::int32_t kSignalView = 53;
    static constexpr std::int32_t kSignalViewMedia = 54;
    static constexpr std::int32_t kSignalKeyExit = 117;
    static constexpr std::int32_t kSignalKeyBack = 118;
    static constexpr std::int32_t kSignalDelete = 120;
    static constexpr std::int32_t kSignalDeleteAll = 121;
    static constexpr std::int32_t kSignalSaveMessage = 122;
    static constexpr std::int32_t kSignalResend = 123;
    static constexpr std::int32_t kSignalUpdate = 124;
    static constexpr std::int32_t kSignalReload = 125;

    static constexpr std::int32_t kEndBack = 8;
    static constexpr std::int32_t kEndExit = 9;
    static constexpr std::int32_t kEndBackGoForward = 60;

    // Notices and texts.
    static constexpr std::uint32_t kNoticeQueueFull = 20;
    static constexpr std::uint32_t kTextForwardPrefix = 752;
    static constexpr std::int32_t kConfigOwnAddress = kCfgUserIdentity;
    // UI request codes that reload the list (9 for the pending list).
    static constexpr std::int32_t kUiOutboxChanged = kUIRequestOutboxChanged;
    static constexpr std::int32_t kUiMessagesChanged = kUIRequestMessagesChanged;
    static constexpr std::int32_t kUiMessagesChanged2 = kUIRequestPushPayload;

    static constexpr const char* kPropertySummary = "message_summary";
    static constexpr const char* kPropertyTitle = "message_title";
    static constexpr const char* kPropertyThread = "thread_id";
    static constexpr const char* kPropertyGoForward = "go_forward";

    CVXLMessageListJob(int typeId, std::uint32_t listMode, std::uint32_t startState);
    ~CVXLMessageListJob() override;

    int typeId() const override { return typeId_; }
    CVXLLayout* getLayout() override { return &layout_; }
    void init() override;
    void onEvent(CVXLEvent* event) override;
    void onLayoutAction(std::uint32_t eventId) override;
    void onUiRequest(std::int32_t code) override;
    std::int32_t onFinished() override;

    // The recipients of a reply to the summary (signal 44, 45 or 46) into
    // the contacts: the reply-to address, else the sender up to its first
    // ","; for Reply All also every To and Cc recipient; for Reply To Thread
    // the thread. The own address and the reply-to are never added twice.
    static void fillReplyRecipients(CVXLContactListElement& contacts, const CVXLMessageSummary& summary,
        std::int32_t signal, const CVXLString& ownAddress, const CVXLString& thread);

    CVXLLayoutMessageList& layout() { return layout_; }
    std::uint32_t listMode() const { return listMode_; }
    const CVXLString& threadId() const { return threadId_; }
    bool isListing() { return isIn(&CVXLMessageListJob::Listing); }
    bool isWaitingForProgram() { return isIn(&CVXLMessageListJob::WaitingForProgram); }

private:
    CVXLHsmState Initial(const CVXLEvent* event);
    CVXLHsmState Top(const CVXLEvent* event);
    CVXLHsmState Listing(const CVXLEvent* event);
    CVXLHsmState WaitingForProgram(const CVXLEvent* event);
    CVXLHsmState QueueFull(const CVXLEvent* event);
    CVXLHsmState ForwardChosen(const CVXLEvent* event);
    // A request is out; the spinner shows when the timer fires first.
    CVXLHsmState Waiting(const CVXLEvent* event);
    CVXLHsmState Loading(const CVXLEvent* event);
    CVXLHsmState Deleting(const CVXLEvent* event);
    CVXLHsmState Saving(const CVXLEvent* event);
    CVXLHsmState Forwarding(const CVXLEvent* event);
    CVXLHsmState ClosingDown(const CVXLEvent* event);
    CVXLHsmState Done(const CVXLEvent* event);

    // Where the layout state's requests go.
    CVXLEventHandler* requestTarget();
    // Posts the window's request; false when there is nothing to load.
    bool postReload();
    void takeListReply();
    void showOrUpdate();
    // The user's choice told to the program with the selected summary.
    void tellProgram(std::int32_t signal);
    CVXLHsmState handOver(std::int32_t signal);
    void postDelete();
    void postDeleteAll();
    void postSave();
    void postResend();
    void postForward();
    // Cancels what is out and ends with the result once that is answered.
    CVXLHsmState closeDown(std::int32_t result);
    CVXLHsmState leave();
    void stopSpinner();

    int typeId_;
    std::uint32_t listMode_;
    std::uint32_t startState_;
    CVXLLayoutMessageList layout_;
    CMessageServiceJob service_;
    CMessageListRequest listRequest_ {kReplyList};
    CMessageQuery threadRequest_ {kReplyList};
    COutboxListRequest outboxRequest_ {kReplyList};
    CMessageItemRequest itemRequest_ {kReplyDelete};
    CMessageTextRequest deleteRequest_ {kServiceRequestRemoveFromThread, kReplyDelete};
    CMessageTextRequest deleteAllRequest_ {kServiceRequestDeleteThread, kReplyDelete};
    CMmboxStoreRequest saveRequest_ {kReplySave};
    COutboundRetryRequest resendRequest_ {kReplyResend};
    CNetworkMessageRequest forwardRequest_ {kReplyForward};
    CVXLSimpleEvent timer_ {kTimerWaiting};
    CVXLString pendingId_;
    CVXLString threadId_;
    std::uint8_t refreshPending_ = 0;
    bool spinnerShown_ = false;
    std::int32_t endResult_ = kEndBack;
};
