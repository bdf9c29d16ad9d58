#include "platform/ui/Compositor.h"

#include "platform/kernel/DeviceFacts.h"
#include "platform/ui/Canvas.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/Notification.h"
#include "platform/ui/SystemMetrics.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowSystem.h"

#include <algorithm>

namespace tessel::ui {

namespace {

constexpr int kPanelMargin = 12;
constexpr int kIndent = 8;

// The scroll bar of a window with one, at the right edge of its area.
void paintScrollBar(Canvas& canvas, const Window& window, const Rect& area)
{
    if (!window.hasScrollBar() || area.empty())
        return;
    const ScrollInfo& info = window.scrollInfo();
    const Rect bar {area.right - systemMetric(kMetricVScrollWidth), area.top, area.right, area.bottom};
    canvas.fillRect(bar, Brush::solid(systemColor(kColorScrollbar)));
    const long long range = static_cast<long long>(info.max) - info.min + 1;
    const int height = bar.height();
    const int thumbHeight
        = std::clamp(static_cast<int>(info.page * height / range), std::min(8, height), height);
    const int thumbTop = bar.top + static_cast<int>((info.position - info.min) * height / range);
    canvas.fillRect(
        Rect {bar.left + 2, thumbTop, bar.right - 2, std::min(bar.bottom, thumbTop + thumbHeight)},
        Brush::solid(systemColor(kColorButtonShadow)));
}

int paintTree(Canvas& canvas, const Window& window, Rect area, int depth);

// A window with a rectangle: drawn there, clipped to it (and to its
// parent), its children placed in its client area.
void paintPlaced(Canvas& parent, const Window& window)
{
    Canvas canvas = parent.within(window.windowRect());
    window.setShownAt(Rect {canvas.originX(), canvas.originY(),
        canvas.originX() + window.windowRect().width(), canvas.originY() + window.windowRect().height()}
                          .intersect(canvas.clip()));
    const Rect client = window.clientRect();
    const int used = window.paint(canvas, client);
    paintTree(canvas, window, Rect {client.left, client.top + used, client.right, client.bottom}, 0);
    paintScrollBar(canvas, window, client);
}

int paintTree(Canvas& canvas, const Window& window, Rect area, int depth)
{
    int used = 0;
    for (const Window* child : window.children()) {
        if (!child->visible())
            continue;
        if (child->hasRect()) {
            paintPlaced(canvas, *child);
            continue;
        }
        if (area.top + used >= area.bottom)
            continue;
        const Rect at {area.left + depth * kIndent, area.top + used, area.right, area.bottom};
        const int height = child->paint(canvas, at);
        child->setShownAt(Rect {canvas.originX() + at.left, canvas.originY() + at.top,
            canvas.originX() + at.right, canvas.originY() + at.top + height}
                              .intersect(canvas.clip()));
        paintScrollBar(canvas, *child, Rect {at.left, at.top, at.right, at.top + height});
        used += height;
        used += paintTree(
            canvas, *child, Rect {area.left, area.top + used, area.right, area.bottom}, depth + 1);
    }
    return used;
}

// A top-level window: caption, then its own painting below it (by default
// the lines it describes beyond its title), then its controls.
int paintTopLevel(Canvas& canvas, const Window& window, const Rect& area)
{
    canvas.fillRect(area, Brush::solid(systemColor(kColorWindow)));
    const int caption = systemMetric(kMetricCaptionHeight);
    // Its client area below the caption is where a tap reaches it.
    window.setShownAt(Rect {area.left, area.top + caption, area.right, area.bottom}.intersect(canvas.clip()));
    canvas.fillRect(Rect {area.left, area.top, area.right, area.top + caption},
        Brush::solid(systemColor(kColorActiveCaption)));
    canvas.setBackgroundMode(BackgroundMode::Transparent);
    canvas.setTextColor(systemColor(kColorCaptionText));
    Rect title {area.left + kRowPadding, area.top, area.right - kRowPadding, area.top + caption};
    canvas.drawText(window.text(), &title, kDtVCenter | kDtSingleLine | kDtNoPrefix | kDtEndEllipsis);
    Canvas client = canvas.within(Rect {area.left, area.top + caption, area.right, area.bottom});
    const Rect inner {0, 0, area.width(), std::max(0, area.height() - caption)};
    int y = window.paint(client, inner);
    y += paintTree(client, window, Rect {inner.left, y, inner.right, inner.bottom}, 0);
    paintScrollBar(client, window, inner);
    return caption + y;
}

// Draws a window as a bordered panel at the top of area, as high as it needs.
void paintPanel(Canvas& canvas, const Window& window, const Rect& area)
{
    // Measure first on a scratch frame, then draw at that height.
    Bitmap scratch(area.width(), area.height());
    Canvas measure(&scratch, -area.left, -area.top, scratch.bounds());
    const int height = std::min(area.height(), paintTopLevel(measure, window, area) + kRowPadding);
    const Rect panel {area.left, area.top, area.right, area.top + height};
    paintTopLevel(canvas, window, panel);
    const Pen pen = canvas.selectPen(Pen::solid(systemColor(kColorWindowFrame)));
    const Brush brush = canvas.selectBrush(Brush::null());
    canvas.rectangle(panel);
    canvas.selectPen(pen);
    canvas.selectBrush(brush);
}

// Forgets where the windows were drawn, so that one not drawn now takes no tap.
void forgetShown(const Window& window)
{
    window.setShownAt(Rect {});
    for (const Window* child : window.children())
        forgetShown(*child);
}

void paintMenu(Canvas& canvas, const Dialog& dialog, int barTop, int width)
{
    const Menu* menu = dialog.openMenu();
    if (!menu)
        return;
    const int rowHeight = Compositor::menuRowHeight();
    const Rect box = Compositor::openMenuRect(dialog, width, barTop);
    canvas.fillRect(box, Brush::solid(systemColor(kColorMenu)));
    for (int i = 0; i < menu->size(); ++i) {
        const MenuItem& item = menu->items()[i];
        if (item.separator) {
            const int y = box.top + 1 + i * rowHeight + rowHeight / 2;
            canvas.fillRect(
                Rect {box.left + 4, y, box.right - 4, y + 1}, Brush::solid(systemColor(kColorGrayText)));
            continue;
        }
        std::u16string text = (item.checked ? u"\u2713 " : u"") + item.text + (item.popup ? u" \u25B8" : u"");
        paintRow(canvas, Rect {box.left + 1, box.top + 1 + i * rowHeight, box.right - 1, box.bottom}, text,
            i == dialog.menuSelection(), !item.grayed);
    }
    const Pen pen = canvas.selectPen(Pen::solid(systemColor(kColorWindowFrame)));
    const Brush brush = canvas.selectBrush(Brush::null());
    canvas.rectangle(box);
    canvas.selectPen(pen);
    canvas.selectBrush(brush);
}

void paintSoftKeys(Canvas& canvas, const Dialog* dialog, const Notification* notice, const Rect& bar)
{
    canvas.fillRect(bar, Brush::solid(systemColor(kColorButtonFace)));
    canvas.setBackgroundMode(BackgroundMode::Transparent);
    canvas.setTextColor(systemColor(kColorButtonText));
    if (notice) {
        Rect left {bar.left, bar.top, bar.left + bar.width() / 2, bar.bottom};
        canvas.drawText(
            notice->softKey(), &left, kDtCenter | kDtVCenter | kDtSingleLine | kDtNoPrefix | kDtEndEllipsis);
        return;
    }
    const Menu* keys = dialog ? dialog->menuBar() : nullptr;
    for (int i = 0; keys && i < keys->size() && i < 2; ++i) {
        Rect half {bar.left + i * bar.width() / 2, bar.top, bar.left + (i + 1) * bar.width() / 2, bar.bottom};
        canvas.setTextColor(systemColor(keys->items()[i].grayed ? kColorGrayText : kColorButtonText));
        canvas.drawText(keys->items()[i].text, &half,
            kDtCenter | kDtVCenter | kDtSingleLine | kDtNoPrefix | kDtEndEllipsis);
    }
}

} // namespace

int Compositor::menuRowHeight()
{
    std::shared_ptr<Font> font = Font::system();
    return (font ? font->lineHeight() : kSystemFontCellHeight) + kRowPadding;
}

Rect Compositor::openMenuRect(const Dialog& dialog, int width, int barTop)
{
    const Menu* menu = dialog.openMenu();
    if (!menu)
        return Rect {};
    const int height = menuRowHeight() * menu->size() + 2;
    if (dialog.menuAtPoint()) {
        // A context menu opens at its point, kept on the screen above the bar.
        const int boxWidth = width - width / 3;
        const int left = std::clamp(dialog.menuX(), 0, std::max(0, width - boxWidth));
        const int top = std::clamp(dialog.menuY(), 0, std::max(0, barTop - height));
        return Rect {left, top, left + boxWidth, std::min(barTop, top + height)};
    }
    return Rect {width / 3, std::max(0, barTop - height), width, barTop};
}

Compositor::Compositor()
    : Compositor(kernel::deviceFacts().screenWidth, kernel::deviceFacts().screenHeight)
{
}

Compositor::Compositor(int width, int height)
    : frame_(width, height, systemColor(kColorWindow))
{
}

bool Compositor::compose()
{
    Bitmap next(frame_.width(), frame_.height(), systemColor(kColorWindow));
    Canvas canvas(&next, 0, 0, next.bounds());
    const int barHeight = systemMetric(kMetricMenuHeight);
    const Rect content {0, 0, next.width(), next.height() - barHeight};
    const auto self = MessageQueue::current();
    const Dialog* top = nullptr;
    const Notification* notification = nullptr;
    for (const TopLevelEntry& entry : topLevelEntries()) {
        const Window* window = windowFromHandle(entry.handle);
        if (window && windowQueue(entry.handle) == self)
            forgetShown(*window);
    }
    for (const TopLevelEntry& entry : topLevelEntries()) {
        const Window* window = windowFromHandle(entry.handle);
        if (!window || !window->visible() || windowQueue(entry.handle) != self)
            continue;
        if (const auto* n = dynamic_cast<const Notification*>(window)) {
            notification = n;
            continue;
        }
        if (dynamic_cast<const MessageBoxDialog*>(window)) {
            paintPanel(canvas, *window,
                Rect {content.left + kPanelMargin, content.top + content.height() / 4,
                    content.right - kPanelMargin, content.bottom - kPanelMargin});
        } else if (window->hasRect()) {
            const Rect at = window->windowRect();
            paintTopLevel(canvas, *window,
                Rect {content.left + at.left, content.top + at.top, content.left + at.right,
                    content.top + at.bottom});
        } else {
            paintTopLevel(canvas, *window, content);
        }
        if (const auto* dialog = dynamic_cast<const Dialog*>(window))
            top = dialog;
    }
    if (top)
        paintMenu(canvas, *top, content.bottom, next.width());
    if (notification)
        paintPanel(canvas, *notification,
            Rect {content.left + kPanelMargin / 2, content.top + kPanelMargin,
                content.right - kPanelMargin / 2, content.bottom});
    paintSoftKeys(canvas, top, notification, Rect {0, content.bottom, next.width(), next.height()});
    const bool changed = !composed_ || !(next == frame_);
    composed_ = true;
    if (changed)
        frame_ = std::move(next);
    return changed;
}

} // namespace tessel::ui
