#include "platform/ui/ScreenDriver.h"

#include "platform/kernel/Clock.h"
#include "platform/ui/Compositor.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/Notification.h"
#include "platform/ui/SystemMetrics.h"
#include "platform/ui/TextSnapshot.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowSystem.h"

namespace tessel::ui {

namespace {

// The calling thread's topmost visible window (the last made).
Window* topmost()
{
    const auto self = MessageQueue::current();
    Window* top = nullptr;
    for (const TopLevelEntry& entry : topLevelEntries()) {
        Window* window = windowFromHandle(entry.handle);
        if (window && window->visible() && windowQueue(entry.handle) == self)
            top = window;
    }
    return top;
}

} // namespace

ScreenDriver::ScreenDriver(std::uint32_t uiThreadId, bool settles)
    : thread_(uiThreadId)
    , settles_(settles)
{
}

void ScreenDriver::post(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam)
{
    postInput(thread_, message, wParam, lParam);
}

void ScreenDriver::key(std::uint32_t virtualKey)
{
    post(kWmKeyDown, virtualKey);
    post(kWmKeyUp, virtualKey);
    if (settles_)
        settle();
}

void ScreenDriver::chars(const std::u16string& text)
{
    for (char16_t c : text)
        post(kWmChar, c);
    if (settles_)
        settle();
}

void ScreenDriver::softKey(int index)
{
    key(index == 0 ? kVkF1 : kVkF2);
}

bool ScreenDriver::menu(const std::u16string& softKey, const std::u16string& item)
{
    bool chosen = callOnThread(thread_, [&] {
        auto* dialog = dynamic_cast<Dialog*>(topmost());
        return std::int64_t(dialog && dialog->chooseMenu(softKey, item));
    });
    settle();
    return chosen;
}

void ScreenDriver::answer(int answer)
{
    callOnThread(thread_, [&] {
        if (auto* box = dynamic_cast<MessageBoxDialog*>(topmost()))
            postMessage(box->handle(), kWmCommand, static_cast<std::uint64_t>(answer), 0);
        else
            scriptBoxAnswer(answer);
        return std::int64_t(0);
    });
    settle();
}

namespace {

// The deepest shown window of the tree under (x, y), later siblings (drawn
// over earlier ones) first.
Window* shownAt(Window& window, int x, int y)
{
    if (!window.visible() || !window.shownAt().contains(x, y))
        return nullptr;
    const auto& children = window.children();
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
        if (Window* hit = shownAt(**it, x, y))
            return hit;
    }
    return &window;
}

} // namespace

void ScreenDriver::tap(int x, int y)
{
    std::uint32_t softKey = 0;
    const auto routed = callOnThreadWithin(thread_, kCallBoundMs, [&] {
        const int width = systemMetric(kMetricScreenWidth);
        const int barTop = systemMetric(kMetricScreenHeight) - systemMetric(kMetricMenuHeight);
        // The soft-key bar is the shell's: a tap on a half is that key.
        if (y >= barTop) {
            softKey = x < width / 2 ? kVkF1 : kVkF2;
            return std::int64_t(0);
        }
        Window* top = topmost();
        if (auto* dialog = dynamic_cast<Dialog*>(top); dialog && dialog->openMenu()) {
            const Rect box = Compositor::openMenuRect(*dialog, width, barTop);
            if (box.contains(x, y))
                dialog->chooseMenuRow((y - box.top - 1) / Compositor::menuRowHeight());
            else
                dialog->onKeyBeforeFocus(kVkEscape);
            return std::int64_t(0);
        }
        // The notification over the screen takes the taps that land on it.
        Window* over = Notification::current() ? Notification::current() : top;
        Window* target = over ? shownAt(*over, x, y) : nullptr;
        if (!target)
            return std::int64_t(0);
        const Rect at = target->shownAt();
        const std::int64_t inside
            = (static_cast<std::int64_t>((y - at.top) & 0xFFFF) << 16) | ((x - at.left) & 0xFFFF);
        postMessage(target->handle(), kWmLButtonDown, 0, inside);
        postMessage(target->handle(), kWmLButtonUp, 0, inside);
        return std::int64_t(0);
    });
    busy_ = !routed;
    if (softKey)
        key(softKey);
    else if (settles_)
        settle();
}

void ScreenDriver::hold(int x, int y)
{
    const auto routed = callOnThreadWithin(thread_, kCallBoundMs, [&] {
        Window* top = topmost();
        Window* target = top ? shownAt(*top, x, y) : nullptr;
        if (target)
            postMessage(target->handle(), kWmContextMenu, target->handle(),
                (static_cast<std::int64_t>(y & 0xFFFF) << 16) | (x & 0xFFFF));
        return std::int64_t(0);
    });
    busy_ = !routed;
    if (settles_)
        settle();
}

void ScreenDriver::advance(std::uint32_t ms)
{
    kernel::advanceClock(ms);
    settle();
}

bool ScreenDriver::settle()
{
    auto queue = MessageQueue::byId(thread_);
    return queue && queue->awaitIdle(kSettleTimeoutMs);
}

std::vector<std::string> ScreenDriver::snapshot()
{
    std::vector<std::string> lines;
    busy_ = !readOnThreadWithin(thread_, kCallBoundMs, [&] {
        lines = textSnapshot();
        return std::int64_t(0);
    });
    return lines;
}

std::vector<std::string> ScreenDriver::activeSnapshot()
{
    std::vector<std::string> lines;
    busy_ = !readOnThreadWithin(thread_, kCallBoundMs, [&] {
        lines = activeFirstSnapshot();
        return std::int64_t(0);
    });
    return lines;
}

bool ScreenDriver::compose(Compositor* compositor)
{
    const auto changed
        = readOnThreadWithin(thread_, kCallBoundMs, [&] { return std::int64_t(compositor->compose()); });
    busy_ = !changed;
    return changed && *changed != 0;
}

} // namespace tessel::ui
