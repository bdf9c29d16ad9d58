#pragma once

#include "engine/core/base/VXLString.h"

class CVXLEventHandler;

#include <cstdint>

// A batch of online media renditions fetched in one exchange: up to nine
// slots, each naming the item, its type and the rendition wanted, and the
// job that takes the item's bytes (the part whose Content-ID is the slot's).
// A slot is opened while its job takes bytes and done once it was told that
// its fetch is over.
class CVRAXFetchBatch {
public:
    static constexpr std::int32_t kMaxSlots = 9;
    static constexpr std::int32_t kFullSize = 0;
    static constexpr std::int32_t kPreview = 1;
    static constexpr std::int32_t kView = 2;
    static constexpr std::int32_t kStretch = 0;
    static constexpr std::int32_t kCrop = 1;
    static constexpr std::int32_t kKeepAspectRatio = 2;

    struct Slot {
        CVXLString itemId;
        CVXLString mimeType;
        CVXLString outputMimeType;
        std::int32_t kind = kFullSize;
        std::int32_t orientation = 0;
        std::int32_t scaling = kKeepAspectRatio;
        bool explicitSize = false;
        std::int32_t width = 0;
        std::int32_t height = 0;
        CVXLEventHandler* target = nullptr;
        CVXLString contentId;
        bool opened = false;
        bool done = false;
    };

    // Counts beyond the slots are cut to them.
    std::int32_t slotCount() const { return count < 0 ? 0 : (count > kMaxSlots ? kMaxSlots : count); }

    std::int32_t count = 0;
    Slot slots[kMaxSlots];
    // Set once no slot is opened any more.
    bool allIdle = false;
    std::int32_t cursor = 0;
    std::int32_t mark = -1;
};
