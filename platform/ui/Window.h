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
namespace tessel::ui {

class Canvas;
class MessageQueue;

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

    // What the text snapshot shows of this window: its lines, top to bottom
    // (a control with text shows one line by default).
    virtual void describe(std::vector<std::u16string>* lines) const;
    // Draws this window (not its children) from area's top left, one row
    // per line it describes; the height it took.
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
    bool visible_ = true;
    bool enabled_ = true;
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
