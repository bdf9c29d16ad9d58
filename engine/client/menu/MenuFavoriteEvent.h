#pragma once

#include "engine/core/base/VXLString.h"
#include "engine/core/jobs/VXLFlagEvent.h"

#include <cstdint>

// An activity about a favorite or an album: its position, its storage
// location and its id. Its second flag tells the Producer that it carries
// favorite data.
class CMenuFavoriteEvent : public CVXLFlagEvent {
public:
    explicit CMenuFavoriteEvent(std::int32_t code = kEventNone)
        : CVXLFlagEvent(code)
    {
        setSecondFlag(1);
    }

    std::uint32_t position() const { return position_; }
    void setPosition(std::uint32_t position) { position_ = position; }
    std::uint32_t storageLocation() const { return storageLocation_; }
    void setStorageLocation(std::uint32_t location) { storageLocation_ = location; }
    const CVXLString& text() const { return text_; }
    void setText(const CVXLString& text) { text_ = text; }

private:
    std::uint32_t position_ = 0;
    std::uint32_t storageLocation_ = 0;
    CVXLString text_;
};
