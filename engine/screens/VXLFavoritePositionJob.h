#pragma once

#include "engine/screens/VXLAlbumSummaryJob.h"

#include <cstdint>

// UI job 8: the one item stored as favourite N ("favorite_position"), shown
// alone so that the user can act on it like any browsed item. Its window
// holds one item, asked of the Media Access Manager by its stored identity;
// a delete ends the job with Back.
class CVXLFavoritePositionJob : public CVXLAlbumSummaryJob {
public:
    static constexpr int kTypeId = 8;

    int typeId() const override { return kTypeId; }
    CVXLUiJob* newInstance() const override { return new CVXLFavoritePositionJob; }
    void init() override;
    std::int32_t favoriteIndex() const { return favoriteIndex_; }

protected:
    std::uint32_t startState() const override { return onCard() ? 15 : 14; }
    bool requestPage() override;
    CVXLHsmState resetAlbum() override;
    // Nothing beside the one item.
    void computePrefetchLimits() override;
    bool rangeFailureIsEmpty() const override { return true; }

private:
    std::int32_t favoriteIndex_ = -1;
};
