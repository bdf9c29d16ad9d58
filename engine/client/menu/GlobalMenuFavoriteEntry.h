#pragma once

#include "engine/client/menu/GlobalMenuEntry.h"

#include <cstdint>

// A stored favorite (action 27). With its delete flag set, running
// it removes the favorite instead of opening it.
class CGlobalMenuFavoriteEntry : public CGlobalMenuEntry {
public:
    static constexpr std::int32_t kAction = 27;

    CGlobalMenuFavoriteEntry(
        const CVXLString& caption, std::int32_t position, std::uint32_t storageLocation, const CVXLString& id)
        : CGlobalMenuEntry(kMenuEntryFavorite, caption, kOriginStored, kAction)
        , position_(position)
        , id_(id)
        , storageLocation_(storageLocation)
    {
    }

    std::int32_t position() const { return position_; }
    const CVXLString& id() const { return id_; }
    std::uint32_t storageLocation() const { return storageLocation_; }
    bool deleteFlag() const { return deleteFlag_ != 0; }
    void setDeleteFlag(bool on) { deleteFlag_ = on ? 1 : 0; }

private:
    std::int32_t position_;
    CVXLString id_;
    std::uint32_t storageLocation_;
    std::uint8_t deleteFlag_ = 0;
};
