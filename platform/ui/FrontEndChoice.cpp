#include "platform/ui/FrontEndChoice.h"

#include <unistd.h>

#include <cstdlib>

namespace tessel::ui {

FrontEnd chooseFrontEnd(bool ttyAsked, const char* display, bool stdinIsTerminal)
{
    if (ttyAsked)
        return FrontEnd::Terminal;
    if (display && *display)
        return FrontEnd::Window;
    return stdinIsTerminal ? FrontEnd::Terminal : FrontEnd::Headless;
}

FrontEnd chooseFrontEnd(bool ttyAsked)
{
    return chooseFrontEnd(ttyAsked, std::getenv("DISPLAY"), ::isatty(STDIN_FILENO) == 1);
}

} // namespace tessel::ui
