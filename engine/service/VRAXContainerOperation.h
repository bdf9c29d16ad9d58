#pragma once

#include "engine/core/base/VXLString.h"
#include "engine/core/base/VXLStringArray.h"

#include <cstdint>

// An operation on an online album (delete, rename) or on items (delete,
// move, copy of listed items or of a whole album's media).
class CVRAXContainerOperation {
public:
    // Album operations.
    static constexpr std::int32_t kDeleteAlbum = 0;
    static constexpr std::int32_t kRenameAlbum = 1;
    // Item operations.
    static constexpr std::int32_t kDeleteItems = 1;
    static constexpr std::int32_t kMoveItems = 2;
    static constexpr std::int32_t kCopyItems = 3;

    std::int32_t kind = 0;
    CVXLString containerId;
    // The new title of a rename; the destination album of a move or copy.
    CVXLString text;
    // Items: the album's media of the types in mediaBits instead of the list.
    bool wholeAlbum = false;
    std::int32_t mediaBits = 0;
    CVXLStringArray itemUids;
};
