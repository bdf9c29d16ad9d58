#include "platform/ui/ScreenDriver.h"

#include "platform/kernel/Clock.h"
#include "platform/ui/Compositor.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/MessageQueue.h"
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

ScreenDriver::ScreenDriver(std::uint32_t uiThreadId)
    : thread_(uiThreadId)
{
}

void ScreenDriver::post(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam)
{
    callOnThread(thread_, [&] {
        WindowHandle target = focusWindow();
        if (!windowFromHandle(target)) {
            Window* top = topmost();
            target = top ? top->handle() : 0;
        }
        return std::int64_t(target && postMessage(target, message, wParam, lParam));
    });
}

void ScreenDriver::key(std::uint32_t virtualKey)
{
    post(kWmKeyDown, virtualKey);
    post(kWmKeyUp, virtualKey);
    settle();
}

void ScreenDriver::chars(const std::u16string& text)
{
    for (char16_t c : text)
        post(kWmChar, c);
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

void ScreenDriver::tap(int x, int y)
{
    const std::int64_t at = (static_cast<std::int64_t>(y & 0xFFFF) << 16) | (x & 0xFFFF);
    for (std::uint32_t message : { kWmLButtonDown, kWmLButtonUp }) {
        callOnThread(thread_, [&] {
            Window* top = topmost();
            return std::int64_t(top && postMessage(top->handle(), message, 0, at));
        });
    }
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
    callOnThread(thread_, [&] {
        lines = textSnapshot();
        return std::int64_t(0);
    });
    return lines;
}

bool ScreenDriver::compose(Compositor* compositor)
{
    return callOnThread(thread_, [&] { return std::int64_t(compositor->compose()); }) != 0;
}

} // namespace tessel::ui
