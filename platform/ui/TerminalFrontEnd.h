#pragma once

#include "platform/kernel/KernelThread.h"
#include "platform/ui/HomeScreen.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

// The terminal front end (`--tty`): shows the text snapshot of the user-
// interface thread's screen, or the start screen while it shows nothing,
// and turns keys into the phone's: arrows, Enter, Esc (Back), F1 and F2
// (soft keys), F10 (the menu, the right soft key), End and F4, characters as
// character messages. A resize redraws. Ctrl-C, SIGTERM and a hang-up call
// the close hook (on the front end's own thread). All terminal calls run on
// the front end's thread.
namespace tessel::ui {

// The first of lines to show on rows terminal lines: 0 when all fit, else
// the last focus mark ("> " after the indent) stays on screen.
std::size_t firstShownLine(const std::vector<std::string>& lines, int rows);

class TerminalFrontEnd {
public:
    using CloseHook = void (*)(void* context);

    TerminalFrontEnd(std::uint32_t uiThreadId, CloseHook closeHook, void* context);
    ~TerminalFrontEnd();
    TerminalFrontEnd(const TerminalFrontEnd&) = delete;
    TerminalFrontEnd& operator=(const TerminalFrontEnd&) = delete;

    bool start();
    void stop();

private:
    static void entry(void* self);
    void run();
    void handleKey(int kind, unsigned key);
    void redraw(bool force);
    void draw(const std::vector<std::string>& lines);

    std::uint32_t uiThread_;
    CloseHook closeHook_;
    void* context_;
    kernel::KernelThread thread_;
    int stopPipe_[2] = {-1, -1};
    bool started_ = false;
    HomeScreen home_;
    bool homeShown_ = false;
    std::vector<std::string> shown_;
};

} // namespace tessel::ui
