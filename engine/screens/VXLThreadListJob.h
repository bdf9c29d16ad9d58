#pragma once

#include "engine/core/base/VXLPtrArray.h"
#include "engine/core/jobs/VXLCancelNotice.h"
#include "engine/core/jobs/VXLUIRequestCodes.h"
#include "engine/messaging/service/MessageServiceJob.h"
#include "engine/messaging/service/MessageServiceRequests.h"
#include "engine/screens/VXLLayoutThreadList.h"
#include "engine/screens/VXLUiJob.h"

#include <cstdint>

// The conversations (UI job 30): a window of the thread database's shown
// threads from the job's own message service job, one list item per thread.
// Continue hands the selected thread to the program in "thread_id" (10),
// Compose asks for a new message (26); Delete and Delete All remove one or
// every thread. While the list is being fetched a spinner shows; leaving it
// then waits for the fetch to be answered before the job tells 8.
class CVXLThreadListJob : public CVXLUiJob {
public:
    static constexpr int kTypeId = 30;
    static constexpr std::int32_t kFirstExternalCode = 127;

    static constexpr std::int32_t kReplyList = 125;
    static constexpr std::int32_t kReplyDelete = 126;

    static constexpr std::int32_t kSignalGoOn = 12;
    static constexpr std::int32_t kSignalCancelled = 13;
    static constexpr std::int32_t kSignalContinue = 117;
    static constexpr std::int32_t kSignalKeyBack = 118;
    static constexpr std::int32_t kSignalKeyExit = 119;
    static constexpr std::int32_t kSignalCompose = 120;
    static constexpr std::int32_t kSignalUpdate = 121;
    static constexpr std::int32_t kSignalDelete = 122;
    static constexpr std::int32_t kSignalDeleteAll = 123;

    static constexpr std::int32_t kEndBack = 8;
    static constexpr std::int32_t kEndExit = 9;
    static constexpr std::int32_t kEndThreadChosen = 10;
    static constexpr std::int32_t kEndCompose = 26;
    static constexpr std::int32_t kUiMessagesChanged = kUIRequestMessagesChanged;
    static constexpr std::int32_t kUiMessagesChanged2 = kUIRequestPushPayload;
    static constexpr const char* kPropertyThread = "thread_id";

    CVXLThreadListJob();
    ~CVXLThreadListJob() override;

    int typeId() const override { return kTypeId; }
    CVXLUiJob* newInstance() const override { return new CVXLThreadListJob; }
    CVXLLayout* getLayout() override { return &layout_; }
    void init() override;
    void onEvent(CVXLEvent* event) override;
    void onLayoutAction(std::uint32_t eventId) override;
    void onUiRequest(std::int32_t code) override;
    std::int32_t onFinished() override;

    CVXLLayoutThreadList& layout() { return layout_; }
    bool isLoading() { return isIn(&CVXLThreadListJob::Loading); }
    bool isWaitingForReply() { return isIn(&CVXLThreadListJob::LeavingAfterReply); }

private:
    CVXLHsmState Initial(const CVXLEvent* event);
    CVXLHsmState Top(const CVXLEvent* event);
    CVXLHsmState Loading(const CVXLEvent* event);
    CVXLHsmState Listing(const CVXLEvent* event);
    CVXLHsmState WaitingForProgram(const CVXLEvent* event);
    CVXLHsmState Deleting(const CVXLEvent* event);
    // Left while the list was being fetched: the fetch is answered first.
    CVXLHsmState LeavingAfterReply(const CVXLEvent* event);
    CVXLHsmState Done(const CVXLEvent* event);

    void postList();
    void takeList(const CThreadListRequest& reply);
    void clearItems();
    void stopSpinner();
    CVXLHsmState finish(std::int32_t result);

    CVXLLayoutThreadList layout_;
    CMessageServiceJob service_;
    // Two, used in turn: a new fetch never reuses the one still answered.
    CThreadListRequest lists_[2] {CThreadListRequest(kReplyList), CThreadListRequest(kReplyList)};
    std::uint32_t nextList_ = 0;
    CMessageTextRequest deleteRequest_ {kServiceRequestDeleteThread, kReplyDelete};
    CVXLCancelNotice cancelNotice_;
    // The items the list shows, the job's.
    CVXLPtrArray items_;
    bool shown_ = false;
    std::int32_t leaveResult_ = kEndBack;
};
