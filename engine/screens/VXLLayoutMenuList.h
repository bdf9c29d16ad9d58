#pragma once

#include "engine/core/base/VXLPtrArray.h"
#include "engine/core/base/VXLString.h"
#include "engine/media/VXLMediaRefHandle.h"
#include "engine/screens/VXLLayout.h"

#include <cstdint>

class CVXLElement;

// The menu-list screen (type 10): a list of choices shown as a menu, each an
// edit-text or menu-item element, with a title and an optional picture.
// The entries are not owned, except that clear deletes them.
class CVXLLayoutMenuList : public CVXLLayout {
public:
    // "" in the text table.
    static constexpr std::uint32_t kEmptyTitleId = 795;

    CVXLLayoutMenuList();
    explicit CVXLLayoutMenuList(std::uint32_t initialState);
    ~CVXLLayoutMenuList() override = default;

    // The title text when there is one, else the text of the title id.
    CVXLString getTitle() const override;
    const CVXLLayoutCommandRow* getCommandTable() const override;
    std::uint32_t getCommandCount() const override;
    std::int32_t getHandlerKey() const override { return menuId_; }

    std::uint32_t getItemCount() const { return entries_.count(); }
    // Null past the end.
    CVXLElement* itemAt(std::uint32_t index) const;
    // Appends the entry and makes the layout its owner; the first entry of an
    // empty menu becomes the current element. False when it cannot be kept.
    bool addItem(CVXLElement* entry);
    // Takes every entry out without deleting it.
    void removeAll();
    // Deletes every entry and drops the picture.
    void clear();
    // A non-empty link makes (or keeps) the picture reference, typed by
    // `mimeType`; an empty one drops it.
    void setImageLink(const CVXLString& link, const CVXLString& mimeType);
    const CVXLString& imageLink() const { return imageLink_; }
    const CVXLMediaRefHandle& picture() const { return picture_; }

    std::uint32_t titleId() const { return titleId_; }
    void setTitleId(std::uint32_t id) { titleId_ = id; }
    const CVXLString& titleText() const { return titleText_; }
    void setTitleText(const CVXLString& text) { titleText_ = text; }
    std::int32_t menuId() const { return menuId_; }
    void setMenuId(std::int32_t id) { menuId_ = id; }

private:
    CVXLPtrArray entries_;
    std::uint32_t titleId_ = kEmptyTitleId;
    std::int32_t menuId_ = 0;
    CVXLMediaRefHandle picture_;
    CVXLString imageLink_;
    CVXLString titleText_;
};
