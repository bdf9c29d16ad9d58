#pragma once

#include "platform/ui/Bitmap.h"
#include "platform/ui/UiMessages.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// A window of the headless window model: a handle, a class name, a text, a
// parent and its children, and a procedure that its thread's pump calls.
// The window belongs to the thread that creates it; the C++ object belongs
// to whoever made it and outlives destroy(). Controls, dialogs and the
// program's windows derive from it and override windowProc.
//
// A window may have a rectangle, in its parent's client coordinates (a
// top-level window's in the screen area above the soft-key bar): it is then
// drawn there, clipped to its parent. A window without one is drawn in
// rows below what came before it, as a list of lines.
namespace tessel::ui {

class Canvas;
class Font;
class MessageQueue;

// A window's vertical scroll range, the part shown (page) and the first
// unit shown (position), in the window's own units.
struct ScrollInfo {
    int min = 0;
    int max = 0;
    int page = 0;
    int position = 0;
    bool operator==(const ScrollInfo&) const = default;
};

class Window {
public:
    Window() = default;
    virtual ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    // Registers the window on the calling thread; the procedure gets
    // kWmCreate. False when it exists already.
    bool create(const std::u16string& className, const std::u16string& text, Window* parent = nullptr,
        int controlId = 0);
    // The same, placed at rect from the start.
    bool create(const std::u16string& className, const std::u16string& text, Window* parent, int controlId,
        const Rect& rect);
    // Children first; each gets kWmDestroy and loses its handle.
    void destroy();

    WindowHandle handle() const { return handle_; }
    bool exists() const { return handle_ != 0; }
    Window* parent() const { return parent_; }
    const std::vector<Window*>& children() const { return children_; }
    Window* child(int controlId) const;
    Window* topLevel();
    int controlId() const { return controlId_; }
    // A control's id set anew after creation (the window's GWL_ID).
    void setControlId(int controlId) { controlId_ = controlId; }
    const std::u16string& className() const { return className_; }
    const std::u16string& text() const { return text_; }
    void setText(const std::u16string& text);
    bool visible() const { return visible_; }
    void show(bool visible);
    bool enabled() const { return enabled_; }
    void enable(bool enabled) { enabled_ = enabled; }
    bool focused() const;
    // The font of kWmSetFont (null: the system font); the window keeps it.
    const std::shared_ptr<Font>& font() const { return font_; }

    bool hasRect() const { return hasRect_; }
    // In the parent's client coordinates; empty without a rectangle.
    const Rect& windowRect() const { return rect_; }
    // (0, 0) to the window's size. Without a rectangle: a top-level window
    // has the screen below its caption and above the soft-key bar, a child
    // nothing.
    Rect clientRect() const;
    // Places the window (kWmMove, and kWmSize when its size changed).
    void moveWindow(const Rect& rect);
    // Moves every child that has a rectangle by (dx, dy), as a scroll of the
    // client area carries them.
    void scrollChildren(int dx, int dy);

    // Where the compositor last drew the window, in frame coordinates (empty
    // when it was not drawn): a tap lands on the deepest window there.
    const Rect& shownAt() const { return shownAt_; }
    void setShownAt(const Rect& rect) const { shownAt_ = rect; }

    // The position is held inside the range less the page; the new one.
    int setScrollInfo(const ScrollInfo& info);
    const ScrollInfo& scrollInfo() const { return scroll_; }
    // A range bigger than the page shows a bar at the right edge.
    bool hasScrollBar() const;

    // What the text snapshot shows of this window: its lines, top to bottom
    // (a control with text shows one line by default).
    virtual void describe(std::vector<std::u16string>* lines) const;
    // The line of describe that the focus mark goes on.
    virtual int focusLine() const { return 0; }
    // Draws this window (not its children) from area's top left, one row
    // per line it describes; the height it took.
    // A top-level window's first line is its title, which its caption shows.
    virtual int paint(Canvas& canvas, const Rect& area) const;
    virtual std::int64_t windowProc(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam);
    // A key-down that the focused window left, offered to its top-level
    // window; true when used.
    virtual bool onUnusedKey(std::uint32_t) { return false; }
    // A key-down offered to the top-level window before the focused one
    // (an open menu takes the keys); true when used.
    virtual bool onKeyBeforeFocus(std::uint32_t) { return false; }

protected:
    virtual void onCreate() { }
    virtual void onDestroy() { }
    // kWmVScroll: the new position for a scroll request (code in the low
    // word of wParam, a thumb position in the high word). The base counts
    // in pixels, a line being one row of the system font.
    virtual int scrollTarget(std::uint32_t code, int thumb) const;
    // After kWmVScroll moved the position by delta: the base scrolls the
    // children that have rectangles.
    virtual void onScrolled(int delta);
    // A command or notification from a child.
    virtual std::int64_t onCommand(std::uint32_t id, std::uint32_t code);

private:
    void detach();

    WindowHandle handle_ = 0;
    Window* parent_ = nullptr;
    std::vector<Window*> children_;
    int controlId_ = 0;
    std::u16string className_;
    std::u16string text_;
    std::shared_ptr<Font> font_;
    bool visible_ = true;
    bool enabled_ = true;
    bool hasRect_ = false;
    Rect rect_;
    ScrollInfo scroll_;
    mutable Rect shownAt_;
};

// Finds the live window of this process with that handle; null otherwise.
// Only the owning thread may use the window it answers.
Window* windowFromHandle(WindowHandle handle);
// The queue of the thread that owns the window; null when none.
std::shared_ptr<MessageQueue> windowQueue(WindowHandle handle);
// Every live top-level window of this process, in creation order; any
// thread may ask.
struct TopLevelEntry {
    WindowHandle handle;
    std::u16string className;
    std::u16string title;
};
std::vector<TopLevelEntry> topLevelEntries();

// Told of every change to this process's top-level windows (the window
// table of other processes' searches); one listener.
using TopLevelListener = void (*)();
void setTopLevelListener(TopLevelListener listener);

} // namespace tessel::ui
