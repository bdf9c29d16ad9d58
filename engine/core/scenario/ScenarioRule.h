#pragma once

#include "engine/core/base/VXLObject.h"
#include "engine/core/base/VXLString.h"

// A soft key's rule: one text that the screen flow interprets.
class CScenarioRule : public CVXLObject {
public:
    const CVXLString& text() const { return text_; }
    void setText(const CVXLString& text) { text_ = text; }

private:
    CVXLString text_;
};
