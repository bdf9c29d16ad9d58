#pragma once

#include "engine/core/base/VXLObject.h"
#include "engine/core/base/VXLString.h"

// A link of the main menu: the URL to open and the caption shown for it.
class CVXLMenuLink : public CVXLObject {
public:
    CVXLMenuLink(const CVXLString& url, const CVXLString& caption)
        : url_(url)
        , caption_(caption)
    {
    }

    const CVXLString& url() const { return url_; }
    const CVXLString& caption() const { return caption_; }

private:
    CVXLString url_;
    CVXLString caption_;
};
