#pragma once

#include "engine/core/base/VXLElement.h"
#include "engine/core/base/VXLString.h"
#include "engine/media/VXLTrackedText.h"

#include <cstdint>

// One item of a choice-selection screen: a key the program knows it by, the
// text shown and whether the user selected it. A change of text or selection
// shows as modified until committed.
class CVXLChoiceElement : public CVXLElement {
public:
    static constexpr std::uint32_t kElementType = 2;

    CVXLChoiceElement() = default;

    std::uint32_t elementType() const override { return kElementType; }
    bool isModified() const override { return status_ != committedStatus_ || text_.isModified(); }
    void commit() override;

    const CVXLString& key() const { return key_; }
    void setKey(const CVXLString& key) { key_ = key; }
    const CVXLString& text() const { return text_.text(); }
    void setText(const CVXLString& text) { text_.setText(text); }
    bool isSelected() const { return selected_ == 1; }
    // Only the word 1 selects.
    void setSelected(std::int32_t selected);
    // Makes the next answer count as a change whatever the user does.
    void clearCommitted() { committed_ = 0; }
    bool isCommitted() const { return committed_ != 0; }

private:
    CVXLString key_;
    CVXLTrackedText text_;
    std::int32_t selected_ = 0;
    // 1 while selected, and its value at the last commit.
    std::int32_t status_ = 0;
    std::int32_t committedStatus_ = 0;
    std::uint8_t committed_ = 1;
};
