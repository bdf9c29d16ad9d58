#pragma once

#include "engine/client/menu/GlobalMenuEntry.h"

// A folder entry, with one text: "Inbox" for actions 3 and 22, the
// caption for actions 4 and 5, else empty.
class CGlobalMenuTextEntry : public CGlobalMenuEntry {
public:
    CGlobalMenuTextEntry(const CVXLString& caption, std::int32_t origin, std::int32_t action)
        : CGlobalMenuEntry(kMenuEntryFolder, caption, origin, action)
    {
        if (action == 3 || action == 22)
            text_ = "Inbox";
        else if (action == 4 || action == 5)
            text_ = caption;
    }

    const CVXLString& text() const { return text_; }

private:
    CVXLString text_;
};
