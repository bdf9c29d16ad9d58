#pragma once

#include "engine/access/MediaAccessRequests.h"
#include "engine/core/base/VXLString.h"
#include "engine/screens/VXLLayoutList.h"
#include "engine/screens/VXLUiJob.h"

#include <cstdint>

class CMediaAccessManager;
class CVXLAlbum;

// The base of the screens that list the subscriber's online albums (a list
// layout, type 0) and let the user pick one, create, rename or delete one,
// or send one. The list comes from the Media Access Manager one album per
// request, a window at a time; the picked album goes back to the program
// in named values. Leaving the job gives the manager its previous list
// back; a stop is answered once that is done and nothing is outstanding.
//
// The albums are the manager's: a change that succeeds deletes every one it
// holds, so the list is let go before a change is sent and fetched again
// after it, whatever its result.
class CVXLAlbumPickJob : public CVXLUiJob {
public:
    static constexpr std::int32_t kFirstExternalCode = 130;

    // Replies of the job's requests.
    static constexpr std::int32_t kReplyRange = 130;
    static constexpr std::int32_t kReplyList = 131;
    static constexpr std::int32_t kReplyRestore = 132;
    static constexpr std::int32_t kReplyCreate = 133;
    static constexpr std::int32_t kReplyRename = 134;
    static constexpr std::int32_t kReplyDelete = 135;
    static constexpr std::int32_t kReplyResync = 136;

    // Signals.
    static constexpr std::int32_t kSignalSucceeded = 6;
    static constexpr std::int32_t kSignalFailed = 7;
    static constexpr std::int32_t kSignalGoOn = 12;
    static constexpr std::int32_t kSignalAbandoned = 13;
    static constexpr std::int32_t kSignalProgramExit = 15;
    static constexpr std::int32_t kSignalProgramBack = 16;
    static constexpr std::int32_t kSignalDelete = 117;
    static constexpr std::int32_t kSignalCreate = 118;
    static constexpr std::int32_t kSignalRefetch = 119;
    static constexpr std::int32_t kSignalRename = 120;
    static constexpr std::int32_t kSignalContinue = 121;
    static constexpr std::int32_t kSignalRange = 122;
    static constexpr std::int32_t kSignalSend = 123;
    static constexpr std::int32_t kSignalCloseBack = 124;
    static constexpr std::int32_t kSignalCloseExit = 125;
    static constexpr std::int32_t kSignalNext = 126;
    static constexpr std::int32_t kSignalUpdate = 127;
    static constexpr std::int32_t kSignalArgument = 128;
    static constexpr std::int32_t kSignalNoArgument = 129;

    // Results told to the program.
    static constexpr std::int32_t kEndBack = 8;
    static constexpr std::int32_t kEndExit = 9;
    static constexpr std::int32_t kEndPicked = 10;
    static constexpr std::int32_t kEndSendAlbum = 27;
    static constexpr std::int32_t kEndAlbumPicked = 49;

    static constexpr const char* kPropertyAlbum = "album_summary";

    // The steps of a window fetch.
    enum FetchStep : std::uint32_t {
        kFetchWindow = 0,
        kFetchFirstFollow = 1,
        kFetchSecondFollow = 2,
        kFetchDone = 3
    };

    CVXLAlbumPickJob();
    ~CVXLAlbumPickJob() override;

    CVXLLayout* getLayout() override { return &layout_; }
    void onLayoutAction(std::uint32_t eventId) override;
    void init() override;
    void onEvent(CVXLEvent* event) override;
    std::int32_t onFinished() override;

    CVXLLayoutList& layout() { return layout_; }
    bool isBrowsing() { return isInState(browseState()); }
    bool isFinished() { return isIn(&CVXLAlbumPickJob::stateFinished); }
    bool listOpen() const { return listOpen_; }
    std::uint32_t fetchStep() const { return fetchStep_; }
    const CVXLString& preselectedId() const { return preselectedId_; }

protected:
    // The state the user browses the list in.
    virtual CVXLStateHandler browseState();
    // The layout state the job starts in.
    virtual std::uint32_t startState() const = 0;
    // Sends a range for the album at the index; the test of the fetch steps
    // sees each one.
    virtual void sendRange(CMediaElementRequest& request, std::int32_t index);

    // One step of the window fetch; whether a request was sent.
    bool fetchNext();
    // The list layout forgets its albums and their uses go back.
    void forgetList();
    void cancelMediaTraffic();
    void stopSpinner();
    // The focused album, null when none.
    CVXLAlbum* focusedAlbum();
    // Leaves the screen and hands the focused album over as "album_summary".
    CVXLHsmState handOver(std::int32_t result);
    CVXLHsmState closeWith(std::int32_t kind);

    CVXLStateHandler toState(CVXLHsmState (CVXLAlbumPickJob::*state)(const CVXLEvent*))
    {
        return toHandler(state);
    }

    // States.
    CVXLHsmState stateInitial(const CVXLEvent* e);
    CVXLHsmState stateRoot(const CVXLEvent* e);
    CVXLHsmState stateStart(const CVXLEvent* e);
    CVXLHsmState stateOpenList(const CVXLEvent* e);
    CVXLHsmState stateBusy(const CVXLEvent* e);
    CVXLHsmState stateListOpening(const CVXLEvent* e);
    CVXLHsmState stateFetchFirst(const CVXLEvent* e);
    CVXLHsmState stateWaitFirst(const CVXLEvent* e);
    CVXLHsmState stateFirstWindow(const CVXLEvent* e);
    CVXLHsmState stateRefetch(const CVXLEvent* e);
    CVXLHsmState stateWaitMore(const CVXLEvent* e);
    CVXLHsmState stateFetchMore(const CVXLEvent* e);
    CVXLHsmState stateRefetchPending(const CVXLEvent* e);
    CVXLHsmState stateBrowse(const CVXLEvent* e);
    CVXLHsmState stateHandedOver(const CVXLEvent* e);
    CVXLHsmState stateWork(const CVXLEvent* e);
    CVXLHsmState stateCreate(const CVXLEvent* e);
    CVXLHsmState stateRename(const CVXLEvent* e);
    CVXLHsmState stateDelete(const CVXLEvent* e);
    CVXLHsmState stateErrorBack(const CVXLEvent* e);
    CVXLHsmState stateToBrowse(const CVXLEvent* e);
    CVXLHsmState stateAfterError(const CVXLEvent* e);
    CVXLHsmState stateFailed(const CVXLEvent* e);
    CVXLHsmState stateClosing(const CVXLEvent* e);
    CVXLHsmState stateClosed(const CVXLEvent* e);
    CVXLHsmState stateFinished(const CVXLEvent* e);

    CMediaAccessBasicRequest listRequest_ {kMediaAlbumList, kReplyList};
    CMediaAccessBasicRequest restoreRequest_ {kMediaAlbumListEnd, kReplyRestore};
    CMediaElementRequest rangeRequest_ {kMediaAlbumAt, kReplyRange};
    CMediaElementRequest spareRangeRequest_ {kMediaAlbumAt, kReplyRange};
    CMediaAlbumTextRequest createRequest_ {kMediaCreateAlbum, kReplyCreate};
    CMediaElementRequest renameRequest_ {kMediaRenameAlbum, kReplyRename};
    CMediaAlbumTextRequest deleteRequest_ {kMediaDeleteAlbum, kReplyDelete};
    CMediaElementRequest resyncRequest_ {kMediaReleaseAlbums, kReplyResync};
    CMediaAccessManager* mam_ = nullptr;
    std::int32_t closingKind_ = kSignalCloseBack;
    CVXLString preselectedId_;
    CVXLLayoutList layout_;
    std::uint32_t fetchStep_ = kFetchWindow;
    // The result of the reply being dispatched, and the range it brought.
    std::int32_t lastResult_ = 0;
    CMediaElementRequest* arrived_ = nullptr;
    bool listOpen_ = false;
    CVXLEvent* stopEvent_ = nullptr;
    bool closed_ = false;

private:
    CVXLHsmState commandInBrowse(std::int32_t signal);
    // Takes an arrived album into the window.
    void mergeRange();
    // The refined signal of Update, 0 for none.
    std::int32_t refineUpdate();
    bool isFetching();
    void answerStopWhenIdle();
};
