#pragma once

#include "engine/access/MediaAccessRequests.h"
#include "engine/media/VXLLocalMediaRequest.h"
#include "engine/screens/VXLMediaBrowseJob.h"

#include <cstdint>

// UI job 13: browses one album of the phone or the memory card given in
// "album_summary". Its summary (the image and video counts) comes from the
// Local Media Manager, the album opens as a location of the Media Access
// Manager, and a delete shows its progress and loads the album again. A card
// album with no card present shows the no-card notice and ends with Exit.
class CVXLAlbumSummaryJob : public CVXLMediaBrowseJob {
public:
    static constexpr int kTypeId = 13;
    // The summary asks for images, videos and sounds.
    static constexpr std::uint32_t kSummaryMask = 7;

    CVXLAlbumSummaryJob() = default;
    ~CVXLAlbumSummaryJob() override = default;

    int typeId() const override { return kTypeId; }
    CVXLUiJob* newInstance() const override { return new CVXLAlbumSummaryJob; }
    void onUiRequest(std::int32_t code) override;

protected:
    CVXLStateHandler reloadState() override;
    CVXLStateHandler deleteState() override;
    void openAlbum() override;
    void refreshAlbum() override;
    // Empties the manager's lists as well.
    CVXLHsmState resetAlbum() override;
    std::uint32_t startState() const override;
    // The album given is on the memory card.
    bool onCard() const;

    CVXLHsmState stateRefreshSummary(const CVXLEvent* e);
    CVXLHsmState stateDeleteWithProgress(const CVXLEvent* e);

    CVXLLocalMediaRequest summaryRequest_ {kEventLocalAlbumBySelector, kReplySummary};
    CMediaLocationRequest openLocalRequest_ {kReplyOpenLocal};
};

// UI job 14: deleting media of the phone or the card.
class CVXLMediaBrowseJob14 : public CVXLAlbumSummaryJob {
public:
    int typeId() const override { return 14; }
    CVXLUiJob* newInstance() const override { return new CVXLMediaBrowseJob14; }

protected:
    std::uint32_t startState() const override { return onCard() ? 7 : 6; }
};

// UI job 12: assigning media as a favourite.
class CVXLMediaBrowseJob12 : public CVXLAlbumSummaryJob {
public:
    int typeId() const override { return 12; }
    CVXLUiJob* newInstance() const override { return new CVXLMediaBrowseJob12; }

protected:
    std::uint32_t startState() const override { return onCard() ? 13 : 12; }
};
