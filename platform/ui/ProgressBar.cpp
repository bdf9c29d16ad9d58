#include "platform/ui/ProgressBar.h"

#include "platform/ui/Canvas.h"
#include "platform/ui/SystemMetrics.h"

#include <algorithm>
#include <string>

namespace tessel::ui {

namespace {

constexpr int kBarCells = 10;

} // namespace

bool ProgressBar::create(Window* parent, int controlId)
{
    return Window::create(kClassName, u"", parent, controlId);
}

bool ProgressBar::create(Window* parent, int controlId, const Rect& rect)
{
    return Window::create(kClassName, u"", parent, controlId, rect);
}

int ProgressBar::paint(Canvas& canvas, const Rect& area) const
{
    if (!hasRect())
        return Window::paint(canvas, area);
    canvas.fillRect(area, Brush::solid(systemColor(kColorWindow)));
    const Rect inner {area.left + 1, area.top + 1, area.right - 1, area.bottom - 1};
    canvas.fillRect(Rect {inner.left, inner.top, inner.left + inner.width() * percent() / 100, inner.bottom},
        Brush::solid(systemColor(kColorHighlight)));
    const Pen pen = canvas.selectPen(Pen::solid(systemColor(kColorButtonShadow)));
    const Brush brush = canvas.selectBrush(Brush::null());
    canvas.rectangle(area);
    canvas.selectPen(pen);
    canvas.selectBrush(brush);
    return 0;
}

int ProgressBar::percent() const
{
    if (high_ <= low_)
        return 0;
    return static_cast<int>((static_cast<std::int64_t>(position_ - low_) * 100) / (high_ - low_));
}

void ProgressBar::describe(std::vector<std::u16string>* lines) const
{
    const int filled = percent() * kBarCells / 100;
    std::u16string line
        = u"[" + std::u16string(filled, u'#') + std::u16string(kBarCells - filled, u' ') + u"] ";
    for (char c : std::to_string(percent()))
        line += static_cast<char16_t>(c);
    lines->push_back(line + u"%");
}

std::int64_t ProgressBar::windowProc(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam)
{
    switch (message) {
    case kPbmSetRange:
    case kPbmSetRange32: {
        const std::int64_t previous = (static_cast<std::int64_t>(high_ & 0xFFFF) << 16) | (low_ & 0xFFFF);
        if (message == kPbmSetRange) {
            low_ = static_cast<int>(lParam & 0xFFFF);
            high_ = static_cast<int>((lParam >> 16) & 0xFFFF);
        } else {
            low_ = static_cast<int>(wParam);
            high_ = static_cast<int>(lParam);
        }
        position_ = std::clamp(position_, std::min(low_, high_), std::max(low_, high_));
        return previous;
    }
    case kPbmSetPos: {
        const int previous = position_;
        position_ = std::clamp(static_cast<int>(wParam), std::min(low_, high_), std::max(low_, high_));
        return previous;
    }
    case kPbmGetPos:
        return position_;
    default:
        return Window::windowProc(message, wParam, lParam);
    }
}

} // namespace tessel::ui
