#pragma once

#include "engine/core/base/VXLElement.h"
#include "engine/core/base/VXLString.h"

#include <cstdint>

// A small element of the album family: a text and six integers.
class CVXLMediaItemElement : public CVXLElement {
public:
    static constexpr std::uint32_t kValues = 6;

    CVXLMediaItemElement() = default;
    ~CVXLMediaItemElement() override = default;

    std::uint32_t elementType() const override { return kElementRecord; }
    CVXLMediaItemElement* asType6() override { return elementType() == kElementRecord ? this : nullptr; }
    int accept() override { return 1; }
    bool isModified() const override { return false; }

    const CVXLString& text() const { return text_; }
    void setText(const CVXLString& text) { text_ = text; }
    // Values are numbered 1 to 6; the engine sets the fifth.
    std::int32_t value(std::uint32_t number) const;
    void setValue5(std::int32_t value) { values_[4] = value; }

private:
    CVXLString text_;
    std::int32_t values_[kValues] = {};
};
