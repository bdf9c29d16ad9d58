#pragma once

#include "engine/core/jobs/VXLEvent.h"
#include "engine/media/VXLAlbum.h"

#include <cstdint>

// Asks the Local Media Manager for the album summary of a packed media
// location (code 119). The answer fills the summary record and the item
// count (images plus videos); on failure the summary is none and the count 0.
class CVXLAlbumSummaryRequest : public CVXLEvent {
public:
    static constexpr std::int32_t kRequestCode = 119;

    explicit CVXLAlbumSummaryRequest(std::uint32_t location)
        : CVXLEvent(kRequestCode, kRequestCode)
        , location_(location)
    {
    }

    std::uint32_t location() const { return location_; }
    CVXLObject* summary() const { return summary_; }
    std::uint32_t itemCount() const { return itemCount_; }
    void setSummary(CVXLObject* summary, std::uint32_t itemCount)
    {
        summary_ = summary;
        itemCount_ = itemCount;
    }
    // The record the Local Media Manager fills and points the summary at.
    CVXLAlbum& album() { return album_; }

private:
    std::uint32_t location_;
    CVXLObject* summary_ = nullptr;
    std::uint32_t itemCount_ = 0;
    CVXLAlbum album_;
};
