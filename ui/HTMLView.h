#pragma once

#include "platform/htmlview/HtmlView.h"
#include "ui/WinTSBase.h"

#include <cstdint>
#include <string>

namespace tessel::ui {
class Font;
}

// A plain text from the engine shown in the phone's HTML view control, so
// that it wraps and scrolls and its e-mail addresses, web addresses and
// telephone numbers become links (shown by their contacts' names where the
// phone has them). The conversion escapes what the text holds, so neither
// the text nor a contact's data can add markup or end a link's target; each
// pass links only plain text, never what an earlier pass made.
class CHTMLView : public tessel::htmlview::HtmlView {
public:
    // The control's id once created, whatever id it was created with.
    static constexpr int kControlId = 12321;

    CHTMLView();
    ~CHTMLView() override = default;

    // The plain text as the body's HTML (without the body tag).
    static std::u16string ToHtml(const std::u16string& text);

    // A child of parent at (rect.left, rect.top), rect.right wide and
    // rect.bottom tall; the layout windows move it where it belongs.
    bool Create(tessel::ui::Window* parent, const tessel::ui::Rect& rect, const std::u16string& text,
        int controlId, std::uint32_t background);

    // The added operations, in the Part's order.
    virtual void SetText(const std::u16string& text);
    virtual void Move(const tessel::ui::Rect& rect, bool repaint);
    virtual void SetFont(tessel::ui::Font* font);
    virtual int GetLayoutHeight();

    // A link was activated (the control's notification, or its reflection
    // by the parent): the control is cleared. True when it was a link's.
    bool OnChildNotify(const tessel::ui::NotifyHeader& header);

    std::uint32_t background() const { return background_; }

private:
    CWinTSBase base_;
    std::uint32_t background_ = 0;
};
