#include "platform/ui/Static.h"

#include "platform/ui/Canvas.h"
#include "platform/ui/SystemMetrics.h"

namespace tessel::ui {

bool Static::create(Window* parent, int controlId, const std::u16string& text, unsigned style)
{
    style_ = style;
    return Window::create(kClassName, text, parent, controlId);
}

bool Static::create(Window* parent, int controlId, const std::u16string& text, const Rect& rect, unsigned style)
{
    style_ = style;
    return Window::create(kClassName, text, parent, controlId, rect);
}

int Static::paint(Canvas& canvas, const Rect& area) const
{
    if (bitmap_ && !bitmap_->empty()) {
        const int x = area.left + std::max(0, (area.width() - bitmap_->width()) / 2);
        const int y = area.top + std::max(0, (area.height() - bitmap_->height()) / 2);
        canvas.bitBlt(x, y, bitmap_->width(), bitmap_->height(), *bitmap_, 0, 0);
        return hasRect() ? 0 : bitmap_->height();
    }
    if (!hasRect())
        return Window::paint(canvas, area);
    canvas.setBackgroundMode(BackgroundMode::Transparent);
    canvas.setTextColor(systemColor(enabled() ? kColorWindowText : kColorGrayText));
    Rect box = area;
    const unsigned align = style_ == kCenter ? kDtCenter : style_ == kRight ? kDtRight : 0;
    canvas.drawText(text(), &box, align | kDtWordBreak | kDtNoPrefix);
    return 0;
}

} // namespace tessel::ui
