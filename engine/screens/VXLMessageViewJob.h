#pragma once

#include "engine/core/base/VXLString.h"
#include "engine/core/jobs/VXLSimpleEvent.h"
#include "engine/messaging/service/MessageServiceJob.h"
#include "engine/records/VXLInboundRequests.h"
#include "engine/screens/VXLLayoutMessageView.h"
#include "engine/screens/VXLMessageParts.h"
#include "engine/screens/VXLSlideNavigator.h"
#include "engine/screens/VXLSmilPresentation.h"
#include "engine/screens/VXLUiJob.h"

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

class CVXLMediaItem;
class CVXLMessageSummary;
class CVXLSlideView;
class CVXLSmilMedia;

// Reading one stored message (UI jobs 31 to 35): the message is opened
// through the job's message service job (or the premium inbox), its parts'
// headers read, and a presentation built from its SMIL part, or one slide
// of all its pictures, videos and texts when it has none. The current
// slide's media are read into the message-view layout one by one; the user
// moves between slides, follows a link in the slide's text, saves, deletes
// or forwards the message, or hands reply, reply to all, print or assign
// audio back to the program. The five jobs differ in the message location
// they name, the layout state they show and the last rows of their commands.
class CVXLMessageViewJob : public CVXLUiJob {
public:
    static constexpr std::int32_t kFirstExternalCode = 134;
    static constexpr std::int32_t kReplyRead = 134;
    static constexpr std::int32_t kReplyTimer = 135;
    static constexpr std::int32_t kReplyOpen = 136;
    static constexpr std::int32_t kReplyDelete = 137;
    static constexpr std::int32_t kReplySave = 138;
    static constexpr std::int32_t kReplyForward = 139;

    // Signals: a reply's outcome, the program's answers, the commands.
    static constexpr std::int32_t kSignalSucceeded = 6;
    static constexpr std::int32_t kSignalFailed = 7;
    static constexpr std::int32_t kSignalGoOn = 12;
    static constexpr std::int32_t kSignalCancelled = 13;
    static constexpr std::int32_t kSignalReply = 44;
    static constexpr std::int32_t kSignalReplyAll = 45;
    static constexpr std::int32_t kSignalForward = 33;
    static constexpr std::int32_t kSignalSaveMedia = 48;
    static constexpr std::int32_t kSignalAssignMedia = 23;
    static constexpr std::int32_t kSignalAssignAudio = 24;
    static constexpr std::int32_t kSignalSaveMessage = 125;
    static constexpr std::int32_t kSignalPrintMedia = 37;
    static constexpr std::int32_t kSignalDelete = 126;
    static constexpr std::int32_t kSignalNextSlide = 122;
    static constexpr std::int32_t kSignalPreviousSlide = 123;
    static constexpr std::int32_t kSignalFollowUrl = 129;
    static constexpr std::int32_t kSignalViewMedia = 133;
    static constexpr std::int32_t kSignalKeyBack = 118;
    static constexpr std::int32_t kSignalKeyExit = 117;
    // The next medium of the slide is to be read.
    static constexpr std::int32_t kSignalLoadNext = 130;

    static constexpr std::int32_t kEndBack = 8;
    static constexpr std::int32_t kEndExit = 9;

    static constexpr std::uint32_t kNoticeDeleted = 12;
    static constexpr std::uint32_t kNoticeForwarded = 15;
    static constexpr std::uint32_t kNoticeQueueFull = 20;
    static constexpr std::uint32_t kNoticeSaved = 21;
    static constexpr std::int32_t kErrorNoSlides = 62;
    static constexpr std::int32_t kErrorPartMissing = 63;
    static constexpr std::uint32_t kTimerDelay = 500;
    static constexpr std::int32_t kConfigOwnNumber = 7;
    static constexpr std::uint32_t kTextForwardPrefix = 752;
    static constexpr std::uint32_t kTextForwardReady = 753;
    static constexpr std::uint32_t kTextForwardEnd = 754;
    // The location a save names: the saved folder.
    static constexpr std::uint32_t kSaveLocation = 2;
    // The premium inbox's layout state: its requests go to the premium inbox.
    static constexpr std::uint32_t kPremiumState = 8;

    static constexpr const char* kPropertySummary = "message_summary";
    static constexpr const char* kPropertyTitle = "message_title";
    static constexpr const char* kPropertyVisualSlide = "visual_slide";
    static constexpr const char* kPropertyAudio = "audio_ref";

    // One row of a job's command map.
    struct Command {
        std::uint32_t action;
        std::int32_t signal;
    };

    CVXLMessageViewJob(
        int typeId, std::uint32_t location, const std::uint32_t (&states)[3], const Command (&last)[2]);
    ~CVXLMessageViewJob() override;

    int typeId() const override { return typeId_; }
    CVXLLayout* getLayout() override { return &layout_; }
    void init() override;
    void onEvent(CVXLEvent* event) override;
    void onLayoutAction(std::uint32_t eventId) override;
    std::int32_t onFinished() override;
    // The layout shows sent or saved mail.
    virtual bool isSentOrSaved() const { return layout_.state() == 1 || layout_.state() == 2; }

    // Set by whoever prepares the job; the start resets it to 0.
    void setEntryMode(std::uint32_t mode) { entryMode_ = mode; }
    std::uint32_t location() const { return location_; }
    CVXLLayoutMessageView& layout() { return layout_; }
    const CVXLSmilPresentation& presentation() const { return presentation_; }
    const CVXLSlideNavigator& navigator() const { return navigator_; }
    bool hasLink() const { return link_ != 0; }
    const CVXLString& link() const { return linkText_; }
    bool isViewing() { return isIn(&CVXLMessageViewJob::Viewing); }

private:
    struct Part;

    CVXLHsmState Initial(const CVXLEvent* event);
    CVXLHsmState Top(const CVXLEvent* event);
    CVXLHsmState Notice(const CVXLEvent* event);
    CVXLHsmState Opening(const CVXLEvent* event);
    CVXLHsmState ReadingSmil(const CVXLEvent* event);
    CVXLHsmState Loading(const CVXLEvent* event);
    CVXLHsmState Viewing(const CVXLEvent* event);
    CVXLHsmState WaitingForProgram(const CVXLEvent* event);
    CVXLHsmState ConfirmingForward(const CVXLEvent* event);
    CVXLHsmState Requesting(const CVXLEvent* event);
    CVXLHsmState Saving(const CVXLEvent* event);
    CVXLHsmState Deleting(const CVXLEvent* event);
    CVXLHsmState Forwarding(const CVXLEvent* event);
    CVXLHsmState NoticeShown(const CVXLEvent* event);
    CVXLHsmState Failed(const CVXLEvent* event);
    CVXLHsmState Done(const CVXLEvent* event);

    CVXLEventHandler* target();
    CVXLString messageId() const;
    void sendOpen(std::uint32_t mode);
    // The index of the part a medium names, -1 when none.
    // Positions the navigator on its first slide and starts loading it.
    void attachNavigator();
    void startSlide();
    void readPart(std::uint32_t part, std::uint32_t mode);
    enum class Next { Reading, Done, Missing };
    // Asks for the next medium of the slide.
    Next readNextMedium();
    void takeMedium(const CVXLEvent& reply);
    void slideLoaded();
    void moveSlide(bool forward);
    void takeContacts(bool everyone);
    void stopChild();
    CVXLHsmState showAndView();
    CVXLHsmState handOver(std::int32_t result);
    CVXLHsmState finish(std::int32_t result);
    CVXLHsmState showOutcome(const CVXLEvent& answer, std::uint32_t notice, bool endsView);
    CVXLHsmState fail(std::int32_t code);
    CVXLHsmState failWith(const CVXLEvent& event);

    int typeId_;
    std::uint32_t location_;
    std::uint32_t states_[3];
    Command last_[2];

    CVXLLayoutMessageView layout_;
    CVXLMessageSummary* summary_ = nullptr;
    int smilIndex_ = -1;
    std::uint32_t partCount_ = 0;
    CVXLMessageParts parts_;
    // The first open and its retry: the retry is sent while the first's
    // reply is still in hand.
    CMessageOpenRequest opens_[2] {CMessageOpenRequest(kReplyOpen), CMessageOpenRequest(kReplyOpen)};
    CMessageReadRequest reads_[2] {CMessageReadRequest(kReplyRead), CMessageReadRequest(kReplyRead)};
    CMessageReadRequest* read_ = &reads_[1];
    CMessageItemRequest delete_ {kReplyDelete};
    CMmboxStoreRequest save_ {kReplySave};
    CNetworkMessageRequest forward_ {kReplyForward};
    CVXLSimpleEvent timer_ {kReplyTimer};
    CMessageServiceJob service_;
    CVXLSmilPresentation presentation_;
    CVXLSlideNavigator navigator_ {true};
    // The media of a presentation built without SMIL and the parts they were
    // made from: a part may have neither an id nor a location, or share
    // its location with another.
    std::vector<std::pair<const CVXLSmilMedia*, int>> ownParts_;
    CVXLSlideView* view_ = nullptr;
    const CVXLList::Node* medium_ = nullptr;
    const CVXLSmilMedia* reading_ = nullptr;
    std::unique_ptr<CVXLMediaItem> item_;
    std::uint32_t entryMode_ = 0;
    CVXLString linkText_;
    std::uint8_t link_ = 0;
    std::uint8_t shown_ = 0;
    bool reopened_ = false;
    bool reloaded_ = false;
    // The reply being delivered as signal 6 or 7.
    const CVXLEvent* reply_ = nullptr;
    // The result handed to the program; the answer that follows is for it.
    std::int32_t handed_ = 0;
    // What a notice's answer leads to: back to viewing, or the end.
    bool endAfterNotice_ = false;
};
