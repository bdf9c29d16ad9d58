// The phone program: the engine and the phone user interface, shown in a
// window (SDL2) when a display is present or in the terminal with --tty.
//
//   tessel [--tty] [--snapshots DIR] [--scale N]
//
// The device root is $TESSEL_ROOT (else ~/.local/share/tessel). SIGINT and
// SIGTERM, or closing the window, shut the engine down; the program ends
// once the engine has saved and ended.

#include "platform/ui/FrontEndRun.h"
#include "platform/ui/UiMessages.h"
#include "ui/WinTS.h"
#include "ui/WinTSEngineClient.h"

#include <cstdio>

namespace {

void closeProgram(void* app)
{
    static_cast<CWinTS*>(app)->postThreadMessage(tessel::ui::kWmClose, 0, 0);
}

} // namespace

int main(int argc, char** argv)
{
    tessel::ui::FrontEndOptions options;
    for (int i = 1; i < argc; ++i) {
        i = tessel::ui::parseFrontEndOptions(argc, argv, i, &options);
        if (i >= argc)
            break;
        std::fprintf(stderr, "usage: tessel [--tty] [--snapshots DIR] [--scale N]\n");
        return 2;
    }
    CWinTSEngineClient engine;
    CWinTS app(engine, true);
    return tessel::ui::runWithFrontEnd(app, options, closeProgram, &app);
}
