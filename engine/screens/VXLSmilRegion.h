#pragma once

#include "engine/core/base/VXLObject.h"
#include "engine/core/base/VXLString.h"

#include <cstdint>

// How a region fits its media.
enum CVXLSmilFit : std::uint8_t {
    kSmilFitHidden = 0,
    kSmilFitFill = 1,
    kSmilFitMeet = 2,
    kSmilFitScroll = 3,
    kSmilFitSlice = 4,
};

// One region of a presentation's layout: its id, how it fits its media, and
// where it sits, in percent of the root layout (0 when not given).
class CVXLSmilRegion : public CVXLObject {
public:
    // The fit named by a SMIL "fit" value; anything unknown hides.
    static CVXLSmilFit fitOf(const CVXLString& value);

    std::uint8_t fit = kSmilFitHidden;
    CVXLString id;
    std::int32_t top = 0;
    std::int32_t left = 0;
    std::int32_t height = 0;
    std::int32_t width = 0;
};
