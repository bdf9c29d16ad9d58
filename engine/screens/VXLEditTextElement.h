#pragma once

#include "engine/core/base/VXLElement.h"
#include "engine/core/base/VXLString.h"
#include "engine/media/VXLTrackedText.h"

#include <cstdint>

// An editable text that can be checked (a menu entry with a check box).
class CVXLEditTextElement : public CVXLElement {
public:
    static constexpr std::uint32_t kElementType = 9;

    CVXLEditTextElement() = default;

    std::uint32_t elementType() const override { return kElementType; }
    bool isModified() const override { return text_.isModified(); }
    void commit() override;

    const CVXLString& getText() const { return text_.text(); }
    // Replaces the current text.
    void setText(const CVXLString& text) { text_.setText(text); }
    void toggleChecked() { checked_ = checked_ ? 0 : 1; }
    bool isChecked() const { return checked_ != 0; }
    // The entry's kind (its icon number): a menu list shows an entry, and
    // its stock icon, by it. 0 at construction.
    std::int32_t value() const { return value_; }
    void setValue(std::int32_t value) { value_ = value; }

private:
    CVXLTrackedText text_;
    std::int32_t value_ = 0;
    std::uint8_t checked_ = 0;
};
