#pragma once

#include "engine/core/base/VXLObject.h"
#include "engine/core/base/VXLString.h"

// A text that remembers its last committed value, so that an edited value can
// be told from an unchanged one.
class CVXLTrackedText : public CVXLObject {
public:
    explicit CVXLTrackedText(const CVXLString& text = CVXLString());
    CVXLTrackedText(const CVXLTrackedText& other) = default;
    // Copies both the current and the committed text.
    CVXLTrackedText& operator=(const CVXLTrackedText& other) = default;
    ~CVXLTrackedText() override = default;

    const CVXLString& text() const { return current_; }
    const CVXLString& committedText() const { return committed_; }
    // Replaces the current text only.
    void setText(const CVXLString& text) { current_ = text; }
    bool isModified() const { return current_ != committed_; }
    // True when there was a change to commit.
    bool commit();

private:
    CVXLString current_;
    CVXLString committed_;
};
