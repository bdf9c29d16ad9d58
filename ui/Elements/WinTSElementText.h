#pragma once

#include "platform/ui/Static.h"
#include "ui/Elements/WinTSElement.h"

#include <memory>
#include <string>

class CVXLDisplayTextElement;

// A read-only text on a screen (a display text element): word-wrapped in
// the element's width, the element growing to the height the text needs.
// An empty text hides its control and still tells the layout its height.
class CWinTSElementText : public CWinTSElement {
public:
    static constexpr int kTextId = 0xF00;
    static constexpr int kMargin = 10;
    static constexpr int kTextPadding = 5;
    static constexpr int kBottomPadding = 20;
    static constexpr int kFrameMargin = 5;

    explicit CWinTSElementText(const WinTSElementLink& link);

    // The operations of the element base.
    int Refresh(CVXLElement* element) override;
    int Layout(const tessel::ui::Rect& rect) override;
    int OnCreate() override;

    tessel::ui::Static& text() { return text_; }
    const tessel::ui::Rect& textRect() const { return textRect_; }

    int paint(tessel::ui::Canvas& canvas, const tessel::ui::Rect& area) const override;

private:
    void SetText(const std::u16string& text);
    CVXLDisplayTextElement* display() const;

    std::shared_ptr<tessel::ui::Font> font_;
    tessel::ui::Static text_;
    tessel::ui::Rect textRect_;
};
