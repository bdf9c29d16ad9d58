#include "platform/ui/Window.h"

#include "platform/ui/Canvas.h"
#include "platform/ui/Font.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/SystemMetrics.h"
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
std::atomic<TopLevelListener> gTopLevelListener {nullptr};

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

bool Window::create(
    const std::u16string& className, const std::u16string& text, Window* parent, int controlId)
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
        windows()[handle_] = Entry {this, MessageQueue::current(), parent == nullptr, className, text};
    }
    if (parent_)
        parent_->children_.push_back(this);
    windowProc(kWmCreate, 0, 0);
    if (!parent_)
        tellTopLevelListener();
    return true;
}

bool Window::create(const std::u16string& className, const std::u16string& text, Window* parent,
    int controlId, const Rect& rect)
{
    if (handle_ != 0)
        return false;
    rect_ = rect;
    hasRect_ = true;
    return create(className, text, parent, controlId);
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

Rect Window::clientRect() const
{
    if (hasRect_)
        return Rect {0, 0, rect_.width(), rect_.height()};
    if (parent_)
        return Rect {};
    return Rect {0, 0, systemMetric(kMetricScreenWidth),
        systemMetric(kMetricScreenHeight) - systemMetric(kMetricCaptionHeight)
            - systemMetric(kMetricMenuHeight)};
}

void Window::moveWindow(const Rect& rect)
{
    const bool resized = !hasRect_ || rect.width() != rect_.width() || rect.height() != rect_.height();
    rect_ = rect;
    hasRect_ = true;
    if (handle_ == 0)
        return;
    windowProc(kWmMove, 0, (static_cast<std::int64_t>(rect.top & 0xFFFF) << 16) | (rect.left & 0xFFFF));
    if (resized)
        windowProc(
            kWmSize, 0, (static_cast<std::int64_t>(rect.height() & 0xFFFF) << 16) | (rect.width() & 0xFFFF));
}

void Window::scrollChildren(int dx, int dy)
{
    for (Window* child : children_) {
        if (!child->hasRect_)
            continue;
        const Rect r = child->rect_;
        child->moveWindow(Rect {r.left + dx, r.top + dy, r.right + dx, r.bottom + dy});
    }
}

int Window::setScrollInfo(const ScrollInfo& info)
{
    scroll_ = info;
    if (scroll_.max < scroll_.min)
        scroll_.max = scroll_.min;
    scroll_.page = std::clamp(scroll_.page, 0, scroll_.max - scroll_.min + 1);
    const int last = std::max(scroll_.min, scroll_.max - std::max(scroll_.page, 1) + 1);
    scroll_.position = std::clamp(scroll_.position, scroll_.min, last);
    return scroll_.position;
}

bool Window::hasScrollBar() const
{
    return scroll_.page > 0 && scroll_.max - scroll_.min + 1 > scroll_.page;
}

int Window::scrollTarget(std::uint32_t code, int thumb) const
{
    const int line = kSystemFontCellHeight + kRowPadding;
    const int page = std::max(scroll_.page, 1);
    switch (code) {
    case kSbLineUp:
        return scroll_.position - line;
    case kSbLineDown:
        return scroll_.position + line;
    case kSbPageUp:
        return scroll_.position - page;
    case kSbPageDown:
        return scroll_.position + page;
    case kSbThumbPosition:
    case kSbThumbTrack:
        return thumb;
    case kSbTop:
        return scroll_.min;
    case kSbBottom:
        return scroll_.max;
    default:
        return scroll_.position;
    }
}

void Window::onScrolled(int delta)
{
    scrollChildren(0, -delta);
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
    // Siblings in rows share the canvas: its font is given back afterwards.
    std::shared_ptr<Font> before = font_ ? canvas.selectFont(font_) : canvas.font();
    int y = area.top;
    for (std::size_t i = parent_ ? 0 : 1; i < lines.size(); ++i)
        y += paintRow(
            canvas, Rect {area.left, y, area.right, area.bottom}, lines[i], i == 0 && focused(), enabled());
    canvas.selectFont(std::move(before));
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
    case kWmSetFont: {
        auto* font = reinterpret_cast<Font*>(static_cast<std::uintptr_t>(wParam));
        font_ = font ? font->shared_from_this() : nullptr;
        return 0;
    }
    case kWmGetFont:
        return static_cast<std::int64_t>(reinterpret_cast<std::uintptr_t>(font_.get()));
    case kWmClose:
        destroy();
        return 0;
    case kWmCommand:
        return onCommand(
            static_cast<std::uint32_t>(wParam & 0xFFFF), static_cast<std::uint32_t>(wParam >> 16));
    case kWmVScroll: {
        const int before = scroll_.position;
        const int thumb = static_cast<std::int16_t>(wParam >> 16);
        ScrollInfo next = scroll_;
        next.position = scrollTarget(static_cast<std::uint32_t>(wParam & 0xFFFF), thumb);
        if (setScrollInfo(next) != before)
            onScrolled(scroll_.position - before);
        return 0;
    }
    case kWmKeyDown:
    case kWmChar:
        return kKeyLeft;
    case kWmContextMenu:
        // A control leaves its context menu to its parent.
        return parent_ ? parent_->windowProc(message, wParam, lParam) : 0;
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
            entries.push_back(TopLevelEntry {handle, entry.className, entry.title});
    }
    return entries;
}

void setTopLevelListener(TopLevelListener listener)
{
    gTopLevelListener.store(listener);
}

} // namespace tessel::ui
