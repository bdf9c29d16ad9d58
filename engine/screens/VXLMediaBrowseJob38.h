#pragma once

#include "engine/screens/VXLMediaBrowseJob.h"

#include <cstdint>

// UI job 38: browses one online album ("album_summary") in the browser's
// "Online Albums" state; the album opens in the Media Access Manager as an
// online album.
class CVXLMediaBrowseJob38 : public CVXLMediaBrowseJob {
public:
    static constexpr int kTypeId = 38;

    int typeId() const override { return kTypeId; }
    CVXLUiJob* newInstance() const override { return new CVXLMediaBrowseJob38; }
};
