#pragma once

#include "engine/core/base/VXLObject.h"
#include "engine/core/base/VXLString.h"

#include <cstdint>

// A named group (content channel) of the premium box. Only the group's
// identity, its order key and receivedTotal are saved; the counts are
// rebuilt from the entries.
class CPremiumGroup : public CVXLObject {
public:
    static constexpr std::int32_t kDefaultPriority = 0x60000000;

    std::uint32_t createdTime = 0;
    CVXLString groupId;
    // Lower first.
    std::int32_t priority = kDefaultPriority;
    CVXLString name;
    // Location on the online store; empty when none.
    CVXLString thumbnail;
    // Messages ever added; saved, not otherwise used.
    std::uint32_t receivedTotal = 0;
    std::uint32_t messageCount = 0;
    std::uint32_t unreadCount = 0;
    // Scratch key of the ordering by latest message.
    std::uint32_t latestTime = 0;
};
