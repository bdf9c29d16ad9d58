#pragma once

#include "engine/messaging/service/MessageServiceJob.h"
#include "engine/messaging/service/MessageServiceRequests.h"
#include "engine/messaging/store/VXLMessageSummary.h"
#include "engine/screens/VXLUiJob.h"

#include <cstdint>

// A job without a screen (UI job 29): fetches the summary of the stored
// message named in "message_id" through its own message service job and
// hands it to the program in "message_summary", with the folder holding the
// message in "folder_location" (0 inbox, 1 sent, 2 saved, 4 premium), then
// tells 10 and waits for the program. A message that cannot be read shows
// the error of its result; its answer tells 7.
class CMessageSummaryGetter : public CVXLUiJob {
public:
    static constexpr int kTypeId = 29;
    static constexpr std::int32_t kFirstExternalCode = 117;
    static constexpr std::int32_t kReplySummary = 117;

    static constexpr std::int32_t kSignalGoOn = 12;
    static constexpr std::int32_t kSignalCancelled = 13;
    static constexpr std::int32_t kEndBack = 8;
    static constexpr std::int32_t kEndDelivered = 10;
    static constexpr std::int32_t kEndFailed = 7;

    // Folders as the program numbers them.
    static constexpr std::int32_t kFolderInbox = 0;
    static constexpr std::int32_t kFolderSent = 1;
    static constexpr std::int32_t kFolderSaved = 2;
    static constexpr std::int32_t kFolderPremium = 4;

    static constexpr const char* kPropertyId = "message_id";
    static constexpr const char* kPropertySummary = "message_summary";
    static constexpr const char* kPropertyFolder = "folder_location";

    CMessageSummaryGetter();
    ~CMessageSummaryGetter() override;

    int typeId() const override { return kTypeId; }
    CVXLUiJob* newInstance() const override { return new CMessageSummaryGetter; }
    void init() override;
    void onEvent(CVXLEvent* event) override;
    const char* name() const override { return "MessageSummaryGetter"; }

    // The program's folder number of a stored message id, -1 for none.
    static std::int32_t folderOf(const CVXLString& messageId);

    const CVXLMessageSummary& summary() const { return summary_; }

private:
    CVXLHsmState Initial(const CVXLEvent* event);
    CVXLHsmState Fetching(const CVXLEvent* event);
    CVXLHsmState Delivered(const CVXLEvent* event);
    CVXLHsmState Failed(const CVXLEvent* event);
    CVXLHsmState Done(const CVXLEvent* event);

    CVXLHsmState finish(std::int32_t result);

    CMessageServiceJob service_;
    CMessageListRequest request_ {kReplySummary};
    CVXLMessageSummary summary_;
    CVXLString messageId_;
};
