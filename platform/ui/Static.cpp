#include "platform/ui/Static.h"

#include "platform/ui/Canvas.h"
#include "platform/ui/SystemMetrics.h"

namespace tessel::ui {

bool Static::create(Window* parent, int controlId, const std::u16string& text, unsigned style)
{
    style_ = style;
    return Window::create(kClassName, text, parent, controlId);
}

bool Static::create(
    Window* parent, int controlId, const std::u16string& text, const Rect& rect, unsigned style)
{
    style_ = style;
    return Window::create(kClassName, text, parent, controlId, rect);
}

int Static::paint(Canvas& canvas, const Rect& area) const
{
    const Bitmap* picture = image_ ? image_ : bitmap_.get();
    if (picture && !picture->empty()) {
        const int x = area.left + std::max(0, (area.width() - picture->width()) / 2);
        const int y = area.top + std::max(0, (area.height() - picture->height()) / 2);
        canvas.bitBlt(x, y, picture->width(), picture->height(), *picture, 0, 0);
        return hasRect() ? 0 : picture->height();
    }
    if (!hasRect())
        return Window::paint(canvas, area);
    std::shared_ptr<Font> before = font() ? canvas.selectFont(font()) : canvas.font();
    canvas.setBackgroundMode(BackgroundMode::Transparent);
    canvas.setTextColor(systemColor(enabled() ? kColorWindowText : kColorGrayText));
    Rect box = area;
    const unsigned align = style_ == kCenter ? kDtCenter : style_ == kRight ? kDtRight : 0;
    canvas.drawText(text(), &box, align | kDtWordBreak | kDtNoPrefix);
    canvas.selectFont(std::move(before));
    return 0;
}

std::int64_t Static::windowProc(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam)
{
    switch (message) {
    case kStmSetImage: {
        // Only bitmaps and icons; any other type changes nothing.
        if (wParam != kImageBitmap && wParam != kImageIcon)
            return 0;
        const Bitmap* previous = image_;
        image_ = reinterpret_cast<const Bitmap*>(lParam);
        imageType_ = static_cast<std::uint32_t>(wParam);
        return static_cast<std::int64_t>(reinterpret_cast<std::uintptr_t>(previous));
    }
    case kStmGetImage:
        return wParam == imageType_ ? static_cast<std::int64_t>(reinterpret_cast<std::uintptr_t>(image_)) : 0;
    default:
        return Window::windowProc(message, wParam, lParam);
    }
}

} // namespace tessel::ui
