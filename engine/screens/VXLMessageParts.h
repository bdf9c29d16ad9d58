#pragma once

#include "engine/core/base/VXLHeaderMap.h"
#include "engine/core/base/VXLString.h"

#include <cstdint>
#include <utility>
#include <vector>

class CVXLSmilMedia;
class CVXLSmilPresentation;

// The part headers of a message opened for viewing, as the open request
// fills them: which part holds the SMIL presentation, which part a
// presentation's source names (by "cid:" and Content-Id, or by location),
// and the one slide that stands in for a message without SMIL.
class CVXLMessageParts {
public:
    // Room for `count` empty parts, for the open request to fill.
    void reset(std::uint32_t count) { parts_.assign(count, CVXLHeaderMap()); }
    void clear() { parts_.clear(); }
    CVXLHeaderMap* data() { return parts_.data(); }

    // -1 when no part is "application/smil".
    int smilPart() const;
    // -1 when no part answers to the source.
    int findPart(const CVXLString& source) const;
    // One slide of the pictures, videos and texts in part order, the pictures
    // and videos in regions stacked from the top; each medium names its part
    // back, and `own` gets (medium, part index) for each.
    void buildSingleSlide(
        CVXLSmilPresentation& presentation, std::vector<std::pair<const CVXLSmilMedia*, int>>& own) const;

private:
    std::vector<CVXLHeaderMap> parts_;
};
