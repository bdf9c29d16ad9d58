#pragma once

#include "engine/media/VXLAlbumSummaryRequest.h"

#include <cstdint>

// One "_local_album_summary_for_storage_location" of a run: the request to
// the Local Media Manager for the album summary of a packed media location,
// and its answer, which is also the result record the program holds (the
// summary object and its item count; none and 0 when the request failed).
// The helper keeps it until the run ends.
class CKORVAlbumSummaryRequest : public CVXLAlbumSummaryRequest {
public:
    explicit CKORVAlbumSummaryRequest(std::uint32_t location)
        : CVXLAlbumSummaryRequest(location)
    {
    }
};
