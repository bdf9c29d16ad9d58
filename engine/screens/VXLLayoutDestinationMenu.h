#pragma once

#include "engine/core/base/VXLString.h"
#include "engine/screens/VXLLayoutMenuList.h"

// The destination menu: a menu list (type 10, made in state 1) of the
// service's categories and destinations with a title of its own. Select is
// refused on an entry whose marker word (its value) is not 0; the job that
// fills the menu marks the entries that cannot be picked.
class CVXLLayoutDestinationMenu : public CVXLLayoutMenuList {
public:
    static constexpr std::uint32_t kInitialState = 1;

    CVXLLayoutDestinationMenu();

    CVXLString getTitle() const override { return title_; }
    bool canSubmitAction(std::uint32_t eventId) const override;

    void setTitle(const CVXLString& title) { title_ = title; }

private:
    CVXLString title_;
};
