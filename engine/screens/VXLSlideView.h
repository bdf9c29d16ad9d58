#pragma once

#include "engine/core/base/VXLList.h"
#include "engine/core/base/VXLObject.h"

#include <cstdint>

// What the message view shows of the current slide: its media in order (the
// presentation's), its duration in milliseconds and its position, counted
// among the slides the navigator shows.
class CVXLSlideView : public CVXLObject {
public:
    CVXLSlideView() = default;
    CVXLSlideView(const CVXLSlideView&) = delete;
    CVXLSlideView& operator=(const CVXLSlideView&) = delete;

    CVXLList media;
    std::int32_t duration = 0;
    std::int32_t position = 0;
};
