#pragma once

#include "engine/core/base/VXLObject.h"
#include "engine/core/base/VXLString.h"

#include <cstdint>

// The entry types, which the user interface reads and which say what an entry
// carries besides its caption.
enum MenuEntryType : std::int32_t {
    kMenuEntryPlain = 0,
    // A contact list to send to.
    kMenuEntryContacts = 1,
    // A message folder's name.
    kMenuEntryFolder = 2,
    // Acts on the media the user chose (setSelectedMedia); nothing more.
    kMenuEntrySelectedMedia = 3,
    // The favorite slot an album is added at (32 bits).
    kMenuEntryFavoriteSlot = 4,
    kMenuEntryFavorite = 5,
    // A subject, a body and a contact list.
    kMenuEntrySms = 6,
    // The storage area whose media it deletes or browses (16 bits).
    kMenuEntryStorageArea = 7,
    kMenuEntryCoolSite = 8,
};

// One entry of the global menu: what the user interface shows (its caption
// and entry type) and what running it does (its action). Plain and
// selected-media entries carry nothing more; the other types are subclasses.
class CGlobalMenuEntry : public CVXLObject {
public:
    enum Origin : std::int32_t {
        kOriginTable = 1,
        kOriginStored = 2,
    };

    CGlobalMenuEntry(std::int32_t type, const CVXLString& caption, std::int32_t origin, std::int32_t action)
        : type_(type)
        , caption_(caption)
        , origin_(origin)
        , action_(action)
    {
    }
    CGlobalMenuEntry(const CGlobalMenuEntry&) = delete;
    CGlobalMenuEntry& operator=(const CGlobalMenuEntry&) = delete;
    ~CGlobalMenuEntry() override = default;

    std::int32_t getMenuEntryType() const { return type_; }
    const CVXLString& caption() const { return caption_; }
    std::int32_t origin() const { return origin_; }
    std::int32_t action() const { return action_; }

private:
    std::int32_t type_;
    CVXLString caption_;
    std::int32_t origin_;
    std::int32_t action_;
};
