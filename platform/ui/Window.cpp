#include "platform/ui/Window.h"

#include "platform/ui/Canvas.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/WindowSystem.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <map>
#include <mutex>

namespace tessel::ui {

namespace {

struct Entry {
    Window* window;
    std::shared_ptr<MessageQueue> queue;
    bool topLevel;
    std::u16string className;
    std::u16string title;
};

// Never destroyed: a window that outlives main (a static of some other
// file) still detaches itself at exit.
std::mutex& windowsMutex()
{
    static auto* mutex = new std::mutex;
    return *mutex;
}

std::map<WindowHandle, Entry>& windows() // handles grow, so this is creation order
{
    static auto* all = new std::map<WindowHandle, Entry>;
    return *all;
}
std::uint32_t gLastSerial = 0;
std::atomic<TopLevelListener> gTopLevelListener { nullptr };

void tellTopLevelListener()
{
    if (TopLevelListener listener = gTopLevelListener.load())
        listener();
}

} // namespace

Window::~Window()
{
    destroy();
}

bool Window::create(const std::u16string& className, const std::u16string& text, Window* parent, int controlId)
{
    if (handle_ != 0)
        return false;
    className_ = className;
    text_ = text;
    parent_ = parent;
    controlId_ = controlId;
    {
        std::lock_guard<std::mutex> lock(windowsMutex());
        if (++gLastSerial == 0)
            ++gLastSerial;
        handle_ = (static_cast<WindowHandle>(::getpid()) << 32) | gLastSerial;
        windows()[handle_] = Entry { this, MessageQueue::current(), parent == nullptr, className, text };
    }
    if (parent_)
        parent_->children_.push_back(this);
    windowProc(kWmCreate, 0, 0);
    if (!parent_)
        tellTopLevelListener();
    return true;
}

void Window::destroy()
{
    if (handle_ == 0)
        return;
    while (!children_.empty())
        children_.back()->destroy();
    windowProc(kWmDestroy, 0, 0);
    detach();
}

void Window::detach()
{
    const WindowHandle handle = handle_;
    if (focused())
        setFocus(0);
    killWindowTimers(handle);
    bool topLevel;
    {
        std::lock_guard<std::mutex> lock(windowsMutex());
        topLevel = windows()[handle].topLevel;
        windows().erase(handle);
    }
    if (parent_)
        std::erase(parent_->children_, this);
    parent_ = nullptr;
    handle_ = 0;
    if (topLevel)
        tellTopLevelListener();
}

Window* Window::child(int controlId) const
{
    for (Window* child : children_) {
        if (child->controlId_ == controlId)
            return child;
    }
    return nullptr;
}

Window* Window::topLevel()
{
    Window* window = this;
    while (window->parent_)
        window = window->parent_;
    return window;
}

void Window::setText(const std::u16string& text)
{
    windowProc(kWmSetText, 0, reinterpret_cast<std::int64_t>(text.c_str()));
}

void Window::show(bool visible)
{
    if (visible_ == visible)
        return;
    visible_ = visible;
    windowProc(kWmShowWindow, visible ? 1 : 0, 0);
}

bool Window::focused() const
{
    return handle_ != 0 && focusWindow() == handle_;
}

void Window::describe(std::vector<std::u16string>* lines) const
{
    if (!text_.empty())
        lines->push_back(text_);
}

int Window::paint(Canvas& canvas, const Rect& area) const
{
    std::vector<std::u16string> lines;
    describe(&lines);
    int y = area.top;
    for (std::size_t i = 0; i < lines.size(); ++i)
        y += paintRow(canvas, Rect { area.left, y, area.right, area.bottom }, lines[i], i == 0 && focused(), enabled());
    return y - area.top;
}

std::int64_t Window::onCommand(std::uint32_t, std::uint32_t)
{
    return 0;
}

std::int64_t Window::windowProc(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam)
{
    switch (message) {
    case kWmCreate:
        onCreate();
        return 0;
    case kWmDestroy:
        onDestroy();
        return 0;
    case kWmSetText: {
        const auto* text = reinterpret_cast<const char16_t*>(lParam);
        text_ = text ? std::u16string(text) : std::u16string();
        bool topLevel = false;
        {
            std::lock_guard<std::mutex> lock(windowsMutex());
            auto it = windows().find(handle_);
            if (it != windows().end()) {
                it->second.title = text_;
                topLevel = it->second.topLevel;
            }
        }
        if (topLevel)
            tellTopLevelListener();
        return 1;
    }
    case kWmGetText: {
        auto* buffer = reinterpret_cast<char16_t*>(lParam);
        if (!buffer || wParam == 0)
            return 0;
        std::size_t count = std::min<std::size_t>(text_.size(), wParam - 1);
        std::copy_n(text_.begin(), count, buffer);
        buffer[count] = u'\0';
        return static_cast<std::int64_t>(count);
    }
    case kWmGetTextLength:
        return static_cast<std::int64_t>(text_.size());
    case kWmClose:
        destroy();
        return 0;
    case kWmCommand:
        return onCommand(static_cast<std::uint32_t>(wParam & 0xFFFF), static_cast<std::uint32_t>(wParam >> 16));
    case kWmKeyDown:
    case kWmChar:
        return kKeyLeft;
    default:
        return 0;
    }
}

Window* windowFromHandle(WindowHandle handle)
{
    std::lock_guard<std::mutex> lock(windowsMutex());
    auto it = windows().find(handle);
    return it == windows().end() ? nullptr : it->second.window;
}

std::shared_ptr<MessageQueue> windowQueue(WindowHandle handle)
{
    std::lock_guard<std::mutex> lock(windowsMutex());
    auto it = windows().find(handle);
    return it == windows().end() ? nullptr : it->second.queue;
}

std::vector<TopLevelEntry> topLevelEntries()
{
    std::vector<TopLevelEntry> entries;
    std::lock_guard<std::mutex> lock(windowsMutex());
    for (const auto& [handle, entry] : windows()) {
        if (entry.topLevel)
            entries.push_back(TopLevelEntry { handle, entry.className, entry.title });
    }
    return entries;
}

void setTopLevelListener(TopLevelListener listener)
{
    gTopLevelListener.store(listener);
}

} // namespace tessel::ui
