#pragma once

#include "engine/access/MediaAccessRequests.h"
#include "engine/core/jobs/VXLSimpleEvent.h"
#include "engine/media/VXLAlbum.h"
#include "engine/records/MediaUploadRequest.h"
#include "engine/screens/VXLLayoutMediaBrowser.h"
#include "engine/screens/VXLUiJob.h"

#include <cstdint>

class CMediaAccessManager;
class CMediaSelection;

// The base of the screens that page through the media of one album and act
// on the selection: it owns a media browser (type 7), asks the Media Access
// Manager for windows of the album's elements, keeps one contiguous cache
// of them around the window (never more than the layout's cache limit),
// prefetches whole pages beside the window, keeps the selection in the
// manager and hands the chosen command to the program as a result code.
// Derived jobs open their album and refresh its summary their own way.
//
// A stop is answered once nothing is outstanding: with the album open the
// elements are released and the manager's hold ended first.
class CVXLMediaBrowseJob : public CVXLUiJob {
public:
    static constexpr std::int32_t kFirstExternalCode = 147;

    // Replies of the job's requests.
    static constexpr std::int32_t kReplyOpen = 147;
    static constexpr std::int32_t kReplyOpenLocal = 148;
    static constexpr std::int32_t kReplyEnd = 149;
    static constexpr std::int32_t kReplyEndAfterFilter = 150;
    static constexpr std::int32_t kReplyCommit = 151;
    static constexpr std::int32_t kReplyMove = 152;
    static constexpr std::int32_t kReplyCopy = 153;
    static constexpr std::int32_t kReplyDelete = 155;
    static constexpr std::int32_t kReplyOnline = 156;
    static constexpr std::int32_t kReplyRange = 157;
    static constexpr std::int32_t kReplyRelease = 158;
    static constexpr std::int32_t kReplyReleaseOnStop = 160;
    static constexpr std::int32_t kReplyUpload = 161;
    static constexpr std::int32_t kReplySummary = 162;

    // Signals.
    static constexpr std::int32_t kSignalSucceeded = 6;
    static constexpr std::int32_t kSignalFailed = 7;
    static constexpr std::int32_t kSignalFinishBack = 8;
    static constexpr std::int32_t kSignalFinishExit = 9;
    static constexpr std::int32_t kSignalContinue = 10;
    static constexpr std::int32_t kSignalGoOn = 12;
    static constexpr std::int32_t kSignalAbandoned = 13;
    static constexpr std::int32_t kSignalProgramExit = 15;
    static constexpr std::int32_t kSignalProgramBack = 16;
    static constexpr std::int32_t kSignalKeyBack = 117;
    static constexpr std::int32_t kSignalBack = 118;
    static constexpr std::int32_t kSignalKeyExit = 119;
    static constexpr std::int32_t kSignalRangeFailed = 121;
    static constexpr std::int32_t kSignalAlbumList = 122;
    static constexpr std::int32_t kSignalReleased = 123;
    static constexpr std::int32_t kSignalPost = 124;
    static constexpr std::int32_t kSignalCopy = 125;
    static constexpr std::int32_t kSignalDelete = 126;
    static constexpr std::int32_t kSignalRange = 127;
    static constexpr std::int32_t kSignalMove = 128;
    static constexpr std::int32_t kSignalOpened = 129;
    static constexpr std::int32_t kSignalOpenedLocal = 130;
    static constexpr std::int32_t kSignalHoldEnded = 131;
    static constexpr std::int32_t kSignalPrint = 132;
    static constexpr std::int32_t kSignalSelect = 133;
    static constexpr std::int32_t kSignalSelectAll = 134;
    static constexpr std::int32_t kSignalDeselectAll = 135;
    static constexpr std::int32_t kSignalSendToContacts = 137;
    static constexpr std::int32_t kSignalUpdate = 139;
    static constexpr std::int32_t kSignalUpload = 140;
    static constexpr std::int32_t kSignalRefresh = 141;
    static constexpr std::int32_t kSignalAssign = 142;
    static constexpr std::int32_t kSignalNoArgument = 143;
    static constexpr std::int32_t kSignalArgument = 144;
    static constexpr std::int32_t kSignalNext = 145;
    static constexpr std::int32_t kSignalVoiceSend = 146;

    // Results told to the program.
    static constexpr std::int32_t kEndBack = 8;
    static constexpr std::int32_t kEndExit = 9;
    static constexpr std::int32_t kEndContinue = 10;
    static constexpr std::int32_t kEndAlbumList = 22;
    static constexpr std::int32_t kEndSendToContacts = 27;
    static constexpr std::int32_t kEndChooseAlbum = 36;
    static constexpr std::int32_t kEndPrint = 37;
    static constexpr std::int32_t kEndPost = 43;
    static constexpr std::int32_t kEndVoiceSend = 58;
    static constexpr std::int32_t kEndConfirmUpload = 67;

    // Notices (the information table's rows).
    static constexpr std::uint32_t kNoticeEmptyAlbum = 1;
    static constexpr std::uint32_t kNoticeNoCard = 6;
    static constexpr std::uint32_t kNoticeQueued = 24;
    static constexpr std::uint32_t kNoticeQueuedTooLarge = 25;
    static constexpr std::uint32_t kNoticeUploadCancelled = 26;
    // The progress bar's state while an upload is queued.
    static constexpr std::uint32_t kUploadProgressState = 0;

    // Storage classes of an album.
    static constexpr std::uint32_t kStorageOnline = 0;
    static constexpr std::uint32_t kStoragePhone = 1;
    static constexpr std::uint32_t kStorageCard = 2;
    static constexpr std::int32_t kFavoriteSlots = 11;

    static constexpr const char* kPropertyAlbum = "album_summary";
    static constexpr const char* kPropertyAlbumId = "album_id";
    static constexpr const char* kPropertyFavorite = "favorite_position";

    CVXLMediaBrowseJob();
    ~CVXLMediaBrowseJob() override;

    // The storage class of a packed media location: kind 1 online, kind 3
    // phone, kind 4 memory card.
    static std::uint32_t storageClassOf(std::uint32_t packedLocation);
    // The album a value names: an album record, or the program's summary of
    // a local album (at the location asked for even when the summary
    // failed). False for anything else.
    static bool albumOf(const CVXLVariant& value, CVXLAlbum* out);

    CVXLLayout* getLayout() override { return &layout_; }
    void setProperty(const CVXLString& name, const CVXLVariant& value) override;
    void onLayoutAction(std::uint32_t eventId) override;
    void onUiRequest(std::int32_t code) override;
    void init() override;
    void onEvent(CVXLEvent* event) override;
    std::int32_t onFinished() override;

    CVXLLayoutMediaBrowser& layout() { return layout_; }
    const CVXLAlbum& album() const { return album_; }
    std::uint32_t total() const { return total_; }
    std::int32_t pendingFocus() const { return pendingFocus_; }
    std::uint32_t prefetchLimitBefore() const { return limitBefore_; }
    std::uint32_t prefetchLimitAfter() const { return limitAfter_; }
    bool albumOpen() const { return albumOpen_ != 0; }
    // The range request last sent (its start in the payload word, its count
    // in the cursor).
    const CMediaAccessQuery& currentPage() const { return *page_; }
    bool isBrowsing() { return isIn(&CVXLMediaBrowseJob::stateBrowse); }
    bool isPrefetching() { return isIn(&CVXLMediaBrowseJob::statePrefetch); }
    bool isDone() { return isIn(&CVXLMediaBrowseJob::stateDone); }

    // The window placement before a fetch: the window inside the total, the
    // pending focus inside it; `initial` (no focus to keep) shows the album's
    // last row with its last item focused.
    void placeWindow(bool initial);
    // The pages to prefetch before and after the window.
    virtual void computePrefetchLimits();

protected:
    // Added operations, in this order.
    virtual bool predicate() const { return false; }
    virtual CVXLStateHandler reloadState();
    virtual CVXLStateHandler deleteState();
    virtual bool requestPage();
    virtual void startDelete();
    virtual void openAlbum();
    virtual void refreshAlbum();
    virtual void computeTotals();
    // Lets go of the loaded elements and loads the album again.
    virtual CVXLHsmState resetAlbum();

    // The layout state the job starts in.
    virtual std::uint32_t startState() const { return 0; }
    // A failed range counts as an empty one (an item asked by identity that
    // is gone).
    virtual bool rangeFailureIsEmpty() const { return false; }

    // The request code of a delete in the album's storage.
    std::int32_t deleteCode() const;
    // Removes from the selection the items the filter leaves out.
    void applyFilterToSelection();
    // A picker for a message keeps the selection and the manager's hold
    // when it ends, and takes the filter armed for it.
    void startAsPicker();
    // Sends [start, start + count) through the spare request, after making
    // room in the cache; it becomes the current request.
    virtual void sendRange(std::int32_t start, std::uint32_t count);
    // Releases the loaded elements at the front or back in the manager and
    // drops them from the layout.
    void evictFront(std::uint32_t n);
    void evictBack(std::uint32_t n);
    void evictAll();
    // Nothing selected and an item focused: the focused item is selected.
    void selectFocusedIfNeeded();
    void clearSelection();
    void releaseSelectionList();
    void cancelMediaTraffic();
    // Takes the running child screen (a progress bar) off.
    void endChildScreen();
    void showOrUpdate();
    CVXLHsmState finishWith(std::int32_t result);
    // Copies the album into the member and points the property at it.
    void takeAlbum(const CVXLAlbum& album);

    CVXLStateHandler toState(CVXLHsmState (CVXLMediaBrowseJob::*state)(const CVXLEvent*))
    {
        return toHandler(state);
    }

    // States.
    CVXLHsmState stateInitial(const CVXLEvent* e);
    CVXLHsmState stateRoot(const CVXLEvent* e);
    CVXLHsmState stateStart(const CVXLEvent* e);
    CVXLHsmState stateLoading(const CVXLEvent* e);
    CVXLHsmState stateRefreshAlbum(const CVXLEvent* e);
    CVXLHsmState stateOpenAlbum(const CVXLEvent* e);
    CVXLHsmState stateEmptyAlbum(const CVXLEvent* e);
    CVXLHsmState stateFetchWindow(const CVXLEvent* e);
    CVXLHsmState stateRequestWindow(const CVXLEvent* e);
    CVXLHsmState stateWaitWindow(const CVXLEvent* e);
    CVXLHsmState stateWaitThenPlace(const CVXLEvent* e);
    CVXLHsmState stateWindowReady(const CVXLEvent* e);
    CVXLHsmState statePrefetch(const CVXLEvent* e);
    CVXLHsmState statePrefetchAfter(const CVXLEvent* e);
    CVXLHsmState stateWaitAfter(const CVXLEvent* e);
    CVXLHsmState statePrefetchBefore(const CVXLEvent* e);
    CVXLHsmState stateWaitBefore(const CVXLEvent* e);
    CVXLHsmState stateBrowse(const CVXLEvent* e);
    CVXLHsmState stateHandOver(const CVXLEvent* e);
    // The album a copy or move goes into is chosen, then `next` runs.
    CVXLHsmState chooseTargetAlbum(const CVXLEvent* e, CVXLStateHandler next);
    CVXLHsmState stateCopyTarget(const CVXLEvent* e);
    CVXLHsmState stateMoveTarget(const CVXLEvent* e);
    CVXLHsmState stateCommand(const CVXLEvent* e);
    CVXLHsmState stateCopy(const CVXLEvent* e);
    CVXLHsmState stateMove(const CVXLEvent* e);
    CVXLHsmState stateDelete(const CVXLEvent* e);
    CVXLHsmState stateCommitItem(const CVXLEvent* e);
    CVXLHsmState stateErrorShown(const CVXLEvent* e);
    CVXLHsmState stateResume(const CVXLEvent* e);
    CVXLHsmState stateConfirmUpload(const CVXLEvent* e);
    CVXLHsmState stateUpload(const CVXLEvent* e);
    CVXLHsmState stateApplyFilter(const CVXLEvent* e);
    CVXLHsmState stateAfterError(const CVXLEvent* e);
    CVXLHsmState stateClosing(const CVXLEvent* e);
    CVXLHsmState stateDone(const CVXLEvent* e);

    CVXLAlbum album_;
    CMediaOpenAlbumRequest openRequest_ {kReplyOpen};
    CMediaAccessQuery pageA_ {kReplyRange};
    CMediaAccessQuery pageB_ {kReplyRange};
    // The request whose reply is merged, and the one sent next.
    CMediaAccessQuery* page_ = &pageA_;
    CMediaAccessQuery* spare_ = &pageB_;
    CMediaElementRequest releaseRequest_ {kMediaRelease, kReplyRelease};
    CMediaAlbumOperationRequest copyRequest_ {kReplyCopy};
    CMediaAlbumOperationRequest moveRequest_ {kReplyMove};
    CMediaElementRequest deleteRequest_ {kMediaDeleteOnlineItems, kReplyDelete};
    CMediaElementRequest commitRequest_ {kMediaSaveItem, kReplyCommit};
    CMediaAccessBasicRequest endRequest_ {kMediaClose, kReplyEndAfterFilter};
    // The release and the end of a stop, apart from the ones a state may
    // have out.
    CMediaElementRequest stopRelease_ {kMediaRelease, kReplyReleaseOnStop};
    CMediaAccessBasicRequest stopEnd_ {kMediaClose, kReplyEnd};
    CMediaUploadRequest uploadRequest_ {kReplyUpload};
    CVXLString uploadAlbumId_;
    CVXLLayoutMediaBrowser layout_;
    CMediaAccessManager* mam_ = nullptr;
    std::uint32_t total_ = 0;
    std::int32_t pendingFocus_ = -1;
    CMediaSelection* selectionList_ = nullptr;
    CVXLEvent* stopEvent_ = nullptr;
    std::uint32_t albumOnlineCount_ = 0;
    std::uint32_t prefetchBefore_ = 0;
    std::uint32_t prefetchAfter_ = 0;
    std::uint32_t limitBefore_ = 0;
    std::uint32_t limitAfter_ = 0;
    std::uint32_t windowFirst_ = 0;
    std::uint32_t windowSize_ = 0;
    std::uint8_t releaseOnStop_ = 1;
    std::uint8_t clearSelectionOnExit_ = 1;
    std::uint8_t albumOpen_ = 0;
    std::uint8_t refreshPending_ = 0;
    std::uint8_t noAutoSelect_ = 0;
    std::uint8_t showAnew_ = 0;
    std::uint8_t windowJustShown_ = 0;
    // The result of the reply being dispatched.
    std::int32_t lastResult_ = 0;
    // The result a closing job gives once its traffic is answered.
    std::int32_t closingResult_ = kEndBack;
    // The hand-over waiting for the program's 12 or 13.
    std::int32_t handedOver_ = 0;
    // The release sequence of a stop runs.
    bool stopping_ = false;

private:
    static bool isCommand(std::int32_t signal);
    // Dispatches a reply under its signal.
    void dispatchReply(CVXLEvent* reply, std::int32_t signal);
    void answerStopWhenIdle();
    CVXLHsmState commandInBrowse(std::int32_t signal);
    CVXLHsmState handOverWith(std::int32_t result);
    // Takes an arrived range into the cache.
    void mergeRange();
    bool prefetchNextAfter();
    bool prefetchNextBefore();
    void assignFavorite();
    void startUpload();
    void takeUploadReply();
    void cancelUpload();
};
