#pragma once

// Which front end shows the screen: the window when a display is present and
// `--tty` is not given; else the terminal when asked or when standard input
// is a terminal; else none (headless).
namespace tessel::ui {

enum class FrontEnd { Window, Terminal, Headless };

FrontEnd chooseFrontEnd(bool ttyAsked, const char* display, bool stdinIsTerminal);
// The same with this process's DISPLAY and standard input.
FrontEnd chooseFrontEnd(bool ttyAsked);

} // namespace tessel::ui
