#pragma once

#include "engine/client/menu/GlobalMenuEntry.h"
#include "engine/media/VXLMediaRefHandle.h"

// A stored cool site (action 30): its id, and the media link and
// type of its button image (empty when it has none).
class CGlobalMenuCoolSiteEntry : public CGlobalMenuEntry {
public:
    static constexpr std::int32_t kAction = 30;

    CGlobalMenuCoolSiteEntry(const CVXLString& caption, const CVXLString& id, const CVXLString& button,
        const CVXLString& buttonType)
        : CGlobalMenuEntry(kMenuEntryCoolSite, caption, kOriginStored, kAction)
        , id_(id)
        , button_(button)
        , buttonType_(button.length() == 0 ? CVXLString() : buttonType)
    {
    }

    const CVXLString& id() const { return id_; }
    const CVXLString& button() const { return button_; }
    const CVXLString& buttonType() const { return buttonType_; }
    // The reference the button image is fetched through, once one is set.
    const CVXLMediaRefHandle& iconMedia() const { return iconMedia_; }
    void setIconMedia(const CVXLMediaRefHandle& media) { iconMedia_ = media; }

private:
    CVXLString id_;
    CVXLString button_;
    CVXLString buttonType_;
    CVXLMediaRefHandle iconMedia_;
};
