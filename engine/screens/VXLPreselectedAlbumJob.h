#pragma once

#include "engine/core/base/VXLVariant.h"
#include "engine/media/VXLLocalMediaRequest.h"
#include "engine/screens/VXLLayoutList.h"
#include "engine/screens/VXLUiJob.h"

#include <cstdint>

class CVXLAlbum;

// UI job 45: the storage locations as albums (the phone's stores, "OnLine
// Albums" unless "local_show_only" is 1, the memory card's when item 41 says
// a card is there), with the item counts of every local album read from the
// Local Media Manager one album at a time before the list shows. The pick
// goes back in "album_summary": 51 for the online albums, 50 for a local
// one, whose counts are read again first. An album in "preselected_album"
// is picked as soon as the counts are in, and the value is cleared.
class CVXLPreselectedAlbumJob : public CVXLUiJob {
public:
    static constexpr int kTypeId = 45;
    static constexpr std::int32_t kFirstExternalCode = 122;
    // The count request's reply.
    static constexpr std::int32_t kReplyCounts = kEventLocalAlbumCountsDone;
    // Images, videos and sounds.
    static constexpr std::uint32_t kCountMask = 7;

    static constexpr std::int32_t kSignalGoOn = 12;
    static constexpr std::int32_t kSignalExit = 117;
    static constexpr std::int32_t kSignalBack = 118;
    static constexpr std::int32_t kSignalContinue = 119;
    static constexpr std::int32_t kSignalUpdate = 120;
    static constexpr std::int32_t kSignalRebuild = 121;

    static constexpr std::int32_t kEndBack = 8;
    static constexpr std::int32_t kEndExit = 9;
    static constexpr std::int32_t kEndLocalAlbum = 50;
    static constexpr std::int32_t kEndOnlineAlbum = 51;

    static constexpr const char* kPropertyAlbum = "album_summary";
    static constexpr const char* kPropertyPreselected = "preselected_album";
    static constexpr const char* kPropertyLocalOnly = "local_show_only";

    CVXLPreselectedAlbumJob();
    ~CVXLPreselectedAlbumJob() override = default;

    int typeId() const override { return kTypeId; }
    CVXLUiJob* newInstance() const override { return new CVXLPreselectedAlbumJob; }
    CVXLLayout* getLayout() override { return &layout_; }
    void init() override;
    void onEvent(CVXLEvent* event) override;
    void onLayoutAction(std::uint32_t eventId) override;
    void onUiRequest(std::int32_t code) override;
    std::int32_t onFinished() override;

    CVXLLayoutList& layout() { return layout_; }
    bool isCounting() { return isIn(&CVXLPreselectedAlbumJob::CountingAlbums); }
    bool isListShown() { return isIn(&CVXLPreselectedAlbumJob::AlbumListShown); }
    bool isPicked() { return isIn(&CVXLPreselectedAlbumJob::AlbumPicked); }

private:
    CVXLHsmState Initial(const CVXLEvent* event);
    CVXLHsmState AlbumListTop(const CVXLEvent* event);
    CVXLHsmState CountingAlbums(const CVXLEvent* event);
    CVXLHsmState AlbumListShown(const CVXLEvent* event);
    CVXLHsmState RereadingAlbum(const CVXLEvent* event);
    CVXLHsmState AlbumPicked(const CVXLEvent* event);
    CVXLHsmState Done(const CVXLEvent* event);

    // Counts the albums from the first; false when no count was asked for.
    bool startCounting();
    // To the state that waits for the counts, or to the list shown when
    // none was asked for.
    CVXLHsmState countAll();
    // Asks for the counts of the next album that has them to give; the
    // others count 0. False when the walk is done.
    bool countNext();
    // Asks the Local Media Manager for the album's counts; false when the
    // album's counts cannot be read now.
    bool postCount(CVXLAlbum* album);
    void clearMediaElements();
    // "album_summary" := the album, and its result.
    CVXLHsmState pick(const CVXLVariant& album, std::uint32_t location);
    CVXLHsmState pickFocused(CVXLAlbum* album);
    // The stop waits for the count request to come back.
    void answerStopWhenIdle();

    CVXLLayoutList layout_;
    CVXLLocalMediaRequest countRequest_ {kEventLocalAlbumBySelector, kReplyCounts};
    // The album whose counts are asked for, and its sum before a re-read.
    CVXLAlbum* counted_ = nullptr;
    std::int32_t sumBefore_ = 0;
    bool refreshPending_ = false;
    CVXLEvent* stopEvent_ = nullptr;
};
