#pragma once

#include "engine/core/base/VXLObject.h"
#include "engine/core/base/VXLString.h"
#include "engine/core/base/VXLStringMap.h"

#include <cstdint>

// The kinds of a slide's media, in the order of a slide's counters.
enum CVXLSmilMediaKind : std::int32_t {
    kSmilAudio = 0,
    kSmilVideo = 1,
    kSmilText = 2,
    kSmilImage = 3,
    kSmilAnimation = 4,
    kSmilTextStream = 5,
    kSmilRef = 6,
};

// One media element of a slide: what it shows (src), where (the region's
// name), when (begin and end in milliseconds, 0 when not given), and its
// params, each value a heap string owned here.
class CVXLSmilMedia : public CVXLObject {
public:
    static constexpr std::int32_t kKindCount = 7;

    explicit CVXLSmilMedia(std::int32_t kind)
        : kind(kind)
    {
    }
    CVXLSmilMedia(const CVXLSmilMedia&) = delete;
    CVXLSmilMedia& operator=(const CVXLSmilMedia&) = delete;
    ~CVXLSmilMedia() override { params.removeAll(true); }

    // Stores a copy of the value under the name, deleting one stored before.
    void setParam(const CVXLString& name, const CVXLString& value);
    // The value stored under the name, null when none.
    const CVXLString* param(const CVXLString& name) const;
    // A picture or a video: what makes a slide visual.
    bool isVisual() const { return kind == kSmilImage || kind == kSmilVideo; }

    CVXLStringMap params;
    CVXLString id;
    CVXLString region;
    CVXLString src;
    std::int32_t begin = 0;
    std::int32_t end = 0;
    std::int32_t kind;
};
