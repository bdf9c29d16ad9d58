#include "platform/ui/Button.h"

#include "platform/ui/Canvas.h"
#include "platform/ui/SystemMetrics.h"
#include "platform/ui/WindowSystem.h"

namespace tessel::ui {

bool Button::create(Window* parent, int controlId, const std::u16string& label)
{
    return Window::create(kClassName, label, parent, controlId);
}

bool Button::create(Window* parent, int controlId, const std::u16string& label, const Rect& rect)
{
    return Window::create(kClassName, label, parent, controlId, rect);
}

void Button::press()
{
    if (!enabled() || !parent())
        return;
    sendMessage(parent()->handle(), kWmCommand,
        (static_cast<std::uint64_t>(kBnClicked) << 16) | (controlId() & 0xFFFF),
        static_cast<std::int64_t>(handle()));
}

void Button::describe(std::vector<std::u16string>* lines) const
{
    lines->push_back(u"[ " + text() + u" ]");
}

int Button::paint(Canvas& canvas, const Rect& area) const
{
    std::shared_ptr<Font> font = canvas.font() ? canvas.font() : Font::system();
    const int rowHeight = (font ? font->lineHeight() : kSystemFontCellHeight) + kRowPadding;
    const Rect face = hasRect() ? area : Rect {area.left, area.top, area.right, area.top + rowHeight};
    const bool hot = focused();
    canvas.fillRect(face, Brush::solid(systemColor(hot ? kColorHighlight : kColorButtonFace)));
    const Pen pen = canvas.selectPen(Pen::solid(systemColor(kColorButtonShadow)));
    const Brush brush = canvas.selectBrush(Brush::null());
    canvas.rectangle(face);
    canvas.selectPen(pen);
    canvas.selectBrush(brush);
    canvas.setBackgroundMode(BackgroundMode::Transparent);
    canvas.setTextColor(systemColor(!enabled() ? kColorGrayText
            : hot                              ? kColorHighlightText
                                               : kColorButtonText));
    Rect label = face;
    canvas.drawText(text(), &label, kDtCenter | kDtVCenter | kDtSingleLine | kDtNoPrefix | kDtEndEllipsis);
    return hasRect() ? 0 : rowHeight;
}

std::int64_t Button::windowProc(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam)
{
    switch (message) {
    case kWmKeyDown:
        if (wParam != kVkReturn)
            return kKeyLeft;
        press();
        return 0;
    case kWmChar:
        if (wParam != u' ')
            return kKeyLeft;
        press();
        return 0;
    case kWmLButtonUp:
        press();
        return 0;
    default:
        return Window::windowProc(message, wParam, lParam);
    }
}

} // namespace tessel::ui
