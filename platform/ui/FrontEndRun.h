#pragma once

#include <string>

// The one call a program with windows ends its main with: it picks the
// front end (the window when a display is present and --tty is not asked,
// else the terminal, else none), starts it over the application's thread,
// writes a PNG of every changed frame to the snapshot folder when one is
// given, turns SIGINT and SIGTERM (and closing the window, or a hang-up of
// the terminal) into the close hook, runs the application object on the
// calling thread and stops the front end when it ends. The application's
// exit code, or 1 when the chosen terminal cannot be started.
namespace tessel::ui {

class UiThread;

struct FrontEndOptions {
    bool tty = false; // --tty
    std::string snapshots; // --snapshots DIR; empty: none
    int scale = 1; // --scale N of the window
};

// Takes "--tty", "--snapshots DIR" and "--scale N" from argv[first..argc);
// the index of the first argument it does not know, or argc.
int parseFrontEndOptions(int argc, char** argv, int first, FrontEndOptions* options);

using CloseHook = void (*)(void* context);

int runWithFrontEnd(UiThread& app, const FrontEndOptions& options, CloseHook close, void* context);

} // namespace tessel::ui
