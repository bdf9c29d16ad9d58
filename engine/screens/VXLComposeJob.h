#pragma once

#include "engine/access/MediaAccessRequests.h"
#include "engine/core/base/VXLList.h"
#include "engine/core/base/VXLPtrArray.h"
#include "engine/core/base/VXLString.h"
#include "engine/core/scenario/ScenarioLayout.h"
#include "engine/core/scenario/ScenarioResultEvent.h"
#include "engine/media/VXLAlbum.h"
#include "engine/records/OutboundQueueRequests.h"
#include "engine/screens/VXLLayoutMessageComposer.h"
#include "engine/screens/VXLUiJob.h"
#include "engine/service/VRAXJobRequest.h"
#include "engine/service/VRAXMessageRecord.h"

#include <cstdint>

class CVXLMessageSummary;

// The message composer flow (UI job 10). Started with a scenario name in
// "scenario", it asks the Scenario Manager for the scenario's definition,
// fills its composer layout from it, checks the selected media and the
// recipients against the scenario's limits and shows the compose screen. On
// Continue it hands the message to the outbound queue (or, for a
// configuration scenario, the entered settings to the service protocol job),
// shows the outcome and ends with one result code for the program. Modify
// asks the program for a sub-flow (27 recipients, 34 media or text, 36
// album) and waits for 12 (re-check) or 13 on return.
//
// A submit once posted is never taken back: Back and Cancel on its spinner
// wait for the answer, and Exit waits and then ends with 9. A refused submit
// shows its notice and returns to the composer with the message intact.
class CVXLComposeJob : public CVXLUiJob {
public:
    static constexpr int kTypeId = 10;
    static constexpr std::int32_t kFirstExternalCode = 129;

    // Replies of the job's requests.
    static constexpr std::int32_t kReplySubmit = 129;
    static constexpr std::int32_t kReplyConfigure = 130;
    static constexpr std::int32_t kReplyScenario = 131;
    static constexpr std::int32_t kReplyMediaAdded = 132;

    // Private signals.
    static constexpr std::int32_t kSignalThreadSet = 6;
    static constexpr std::int32_t kSignalNoThread = 7;
    static constexpr std::int32_t kSignalRecheck = 12;
    static constexpr std::int32_t kSignalResend = 13;
    static constexpr std::int32_t kSignalProgramExit = 15;
    static constexpr std::int32_t kSignalProgramIgnored = 16;
    static constexpr std::int32_t kSignalKeyExit = 117;
    static constexpr std::int32_t kSignalKeyContinue = 118;
    static constexpr std::int32_t kSignalKeyBack = 119;
    static constexpr std::int32_t kSignalKeyCancel = 120;
    static constexpr std::int32_t kSignalKeyModify = 121;
    static constexpr std::int32_t kSignalKeyUpdate = 122;
    static constexpr std::int32_t kSignalKeyHelp = 126;
    static constexpr std::int32_t kSignalProgramClose = 127;
    static constexpr std::int32_t kSignalAddingMedia = 128;

    // Results for the program, as the job ends or asks for a sub-flow.
    static constexpr std::int32_t kEndBack = 8;
    static constexpr std::int32_t kEndExit = 9;
    static constexpr std::int32_t kEndSent = 10;
    static constexpr std::int32_t kEndCancel = 17;
    static constexpr std::int32_t kEndModifyRecipients = 27;
    static constexpr std::int32_t kEndModifyMedia = 34;
    static constexpr std::int32_t kEndModifyAlbum = 36;
    static constexpr std::int32_t kEndSentToThread = 57;

    // Notices by index of the notice table.
    static constexpr std::uint32_t kNoticeConfigFailed = 4;
    static constexpr std::uint32_t kNoticeConfigured = 5;
    static constexpr std::uint32_t kNoticeFieldText = 7;
    static constexpr std::uint32_t kNoticeSendFailed = 14;
    static constexpr std::uint32_t kNoticeBeingSent = 18;
    static constexpr std::uint32_t kNoticeMediaSent = 19;
    static constexpr std::uint32_t kNoticeQueueFull = 20;

    // Errors of a scenario without the field for what is selected.
    static constexpr std::int32_t kErrorNoVideos = 71;
    static constexpr std::int32_t kErrorNoImages = 72;
    static constexpr std::int32_t kErrorNoContacts = 73;

    static constexpr const char* kPropertyScenario = "scenario";
    static constexpr const char* kPropertyGcOp = "gc_op";
    static constexpr const char* kPropertyMessageSummary = "message_summary";
    static constexpr const char* kPropertyAlbum = "album_share_summary";
    static constexpr const char* kPropertyDestination = "dest_list_id";
    static constexpr const char* kPropertyThread = "thread_id";

    CVXLComposeJob();
    ~CVXLComposeJob() override;

    int typeId() const override { return kTypeId; }
    CVXLUiJob* newInstance() const override { return new CVXLComposeJob; }
    CVXLLayout* getLayout() override { return &layout_; }
    std::uint32_t spinnerState() const override { return 2; }
    void init() override;
    void onEvent(CVXLEvent* event) override;
    void onLayoutAction(std::uint32_t eventId) override;
    std::int32_t onFinished() override;

    // For the user interface: a media file to add to the selection (its
    // path and 16-bit storage id), and an item to take out of it (false when
    // it was not selected).
    void addMediaFile(const CVXLString& path, std::uint16_t storageId);
    bool removeMediaItem(const CVXLMediaItem& item);

    CVXLLayoutMessageComposer& layout() { return layout_; }
    const CScenarioLayout& scenario() const { return scenario_; }
    bool isRecipientScenario() const;
    bool isEditing() { return isIn(&CVXLComposeJob::Editing); }
    bool isSending() { return isIn(&CVXLComposeJob::Sending); }

private:
    CVXLHsmState Initial(const CVXLEvent* event);
    CVXLHsmState Composing(const CVXLEvent* event);
    CVXLHsmState QueueFull(const CVXLEvent* event);
    CVXLHsmState LoadingScenario(const CVXLEvent* event);
    CVXLHsmState LoadFailed(const CVXLEvent* event);
    CVXLHsmState StartRefused(const CVXLEvent* event);
    CVXLHsmState Editing(const CVXLEvent* event);
    CVXLHsmState EditRefused(const CVXLEvent* event);
    CVXLHsmState ComposerHelp(const CVXLEvent* event);
    CVXLHsmState AddingMedia(const CVXLEvent* event);
    CVXLHsmState Incomplete(const CVXLEvent* event);
    CVXLHsmState Sending(const CVXLEvent* event);
    CVXLHsmState SentNotice(const CVXLEvent* event);
    CVXLHsmState ThreadHandoff(const CVXLEvent* event);
    CVXLHsmState Done(const CVXLEvent* event);

    // Ends the job: the layout released (when asked), the result told.
    CVXLHsmState finish(std::int32_t result, bool release = true);
    // The Modify of the focused field: its result, the one-shot media
    // filter armed first for a media or text field.
    std::int32_t modifyResult();
    // Fills the definition and the layout once the definition is in.
    void prefill();
    // The four start checks; false (and a notice or error shown) at the
    // first that fails.
    bool checksPass();
    // Posts the submit or the configuration; false when the layout refuses
    // it as incomplete.
    CVXLHsmState submit();
    void stopCurrentChild();
    void endActivity();
    void dropVoiceMemo();
    void fillConfigRecord();
    bool isConfiguration() const { return scenario_.isConfiguration(); }

    CVXLLayoutMessageComposer layout_;
    COutboundSubmitRequest submitEvent_ {kReplySubmit};
    CVRAXJobRequest configEvent_ {kEventVraxMessageXfer, kReplyConfigure};
    CVRAXMessageRecord configRecord_;
    CScenarioResultEvent scenarioRequest_ {kReplyScenario};
    CMediaItemEvent mediaEvent_ {kReplyMediaAdded};
    CVXLString scenarioName_;
    CVXLString helpLink_;
    CScenarioLayout scenario_;
    CVXLMessageSummary* summary_ = nullptr;
    CVXLAlbum album_;
    // "thread_id" as set for result 57; kept past the end, for the program.
    CVXLString threadId_;
    std::int32_t gcOp_ = 0;
    // The voice memo the outbound queue copies from, kept until it answers.
    CVXLObject* memo_ = nullptr;
    // The help texts the help notice lists.
    CVXLPtrArray helpTexts_;
    CVXLList helpList_;
    bool submitAccepted_ = false;
    // Exit taken while the submit was out: the job ends once it is answered.
    bool exitAfterSubmit_ = false;
};
