// The phone's shell, where it meets libtesselfm.so:
//
//   tessel-shellhost sms FROM TEXT         a text message arrives: stored in
//                                          the SMS Inbox and handed to the
//                                          library's rule client
//   tessel-shellhost [--tty] [--snapshots DIR] [--scale N] inbox [...]
//                                          the messaging application: the
//                                          Inbox, the read form, reply and
//                                          forward
//   tessel-shellhost menu KIND ITEM [ENTRY]
//                                          a context menu of the library's
//                                          extensions for a file, contact,
//                                          message or calllog entry, printed;
//                                          ENTRY (a menu text) is chosen
//
// The device root is $TESSEL_ROOT (else ~/.local/share/tessel); the
// library is $TESSEL_FM, else lib/libtesselfm.so beside bin/.

#include "platform/shellhost/InboxApp.h"
#include "platform/shellhost/MenuHost.h"
#include "platform/shellhost/RuleHost.h"
#include "platform/shellhost/TesselFmLibrary.h"
#include "platform/ui/FrontEndRun.h"

#include <cstdio>
#include <cstring>
#include <string>

using namespace tessel;

namespace {

int usage()
{
    std::fprintf(stderr,
        "usage: tessel-shellhost sms FROM TEXT\n"
        "       tessel-shellhost inbox [--tty] [--snapshots DIR] [--scale N]\n"
        "       tessel-shellhost menu file|contact|message|calllog ITEM [ENTRY]\n");
    return 2;
}

void closeInbox(void* app)
{
    static_cast<shellhost::InboxApp*>(app)->postThreadMessage(ui::kWmClose, 0, 0);
}

} // namespace

int main(int argc, char** argv)
{
    // Front-end options may come first (as a terminal's runner gives them).
    ui::FrontEndOptions options;
    const int first = ui::parseFrontEndOptions(argc, argv, 1, &options);
    if (first >= argc)
        return usage();
    shellhost::TesselFmLibrary library;
    if (!library.load()) {
        std::fprintf(stderr, "tessel-shellhost: %s\n", library.error().c_str());
        return 1;
    }
    const std::string command = argv[first];
    const int words = argc - first;
    if (command == "sms" && words == 3) {
        std::int32_t handled = 0;
        const int status = shellhost::RuleHost(library).receive(argv[first + 1], argv[first + 2], &handled);
        std::printf("handled %d\n", handled);
        return status;
    }
    if (command == "menu" && (words == 3 || words == 4)) {
        std::string out;
        const int status = shellhost::MenuHost(library).run(
            argv[first + 1], argv[first + 2], words == 4 ? argv[first + 3] : "", &out);
        std::fputs(out.c_str(), stdout);
        return status;
    }
    if (command == "inbox") {
        if (ui::parseFrontEndOptions(argc, argv, first + 1, &options) < argc)
            return usage();
        shellhost::InboxApp app(library);
        return ui::runWithFrontEnd(app, options, closeInbox, &app);
    }
    return usage();
}
