#pragma once

#include "engine/core/jobs/VXLEvent.h"

#include <cstdint>

// One "_local_album_summary_for_storage_location" of a run: the request to
// the Local Media Manager for the album summary of a packed media location,
// and its answer, which is also the result record the program holds (the
// summary object and its item count; none and 0 when the request failed).
// The helper keeps it until the run ends.
class CKORVAlbumSummaryRequest : public CVXLEvent {
public:
    static constexpr std::int32_t kRequestCode = 119;

    explicit CKORVAlbumSummaryRequest(std::uint32_t location)
        : CVXLEvent(kRequestCode, kRequestCode)
        , location_(location)
    {
    }

    std::uint32_t location() const { return location_; }

    // Filled by the Local Media Manager before it finishes the request.
    CVXLObject* summary() const { return summary_; }
    std::uint32_t itemCount() const { return itemCount_; }
    void setSummary(CVXLObject* summary, std::uint32_t itemCount)
    {
        summary_ = summary;
        itemCount_ = itemCount;
    }

private:
    std::uint32_t location_;
    CVXLObject* summary_ = nullptr;
    std::uint32_t itemCount_ = 0;
};
