#pragma once

#include "platform/kernel/KernelThread.h"
#include "platform/ui/Compositor.h"
#include "platform/ui/HomeScreen.h"

#include <atomic>
#include <cstdint>

// The window front end (SDL2): shows the user-interface thread's frame at an
// integer scale, or the start screen while it shows nothing, and turns keys
// into the phone's as the terminal does (arrows, Enter, Esc = Back, F1 and
// F2 soft keys, F10 the right one, End, F4, Backspace, typed characters).
// On the Pocket PC profile a mouse click is a tap at frame coordinates.
// Closing the window calls the close hook. Every changed frame goes to the
// snapshot writer, when there is one, once it is on screen. All SDL calls
// run on its own thread.
namespace tessel::ui {

class SnapshotWriter;

class WindowFrontEnd {
public:
    using CloseHook = void (*)(void* context);

    WindowFrontEnd(std::uint32_t uiThreadId, CloseHook closeHook, void* context, int scale = 1);
    ~WindowFrontEnd();
    WindowFrontEnd(const WindowFrontEnd&) = delete;
    WindowFrontEnd& operator=(const WindowFrontEnd&) = delete;

    void setSnapshots(SnapshotWriter* snapshots) { snapshots_ = snapshots; }
    // False when no window could be opened.
    bool start();
    void stop();

private:
    static void entry(void* self);
    void run();
    bool onKey(int key);
    bool onText(const char* utf8);
    void drawHome(Bitmap* frame);

    std::uint32_t uiThread_;
    CloseHook closeHook_;
    void* context_;
    int scale_;
    SnapshotWriter* snapshots_ = nullptr;
    kernel::KernelThread thread_;
    std::atomic<bool> stopping_ {false};
    std::atomic<int> opened_ {0}; // 1 open, -1 failed
    bool started_ = false;
    Compositor compositor_;
    HomeScreen home_;
    bool homeShown_ = false;
    bool homeTouched_ = false;
};

} // namespace tessel::ui
