// A small screen for the terminal front end's tests, run by hand too:
//
//   uidemo --tty     a list (Alice, Bob, Carol) with "Select" and an "Options" menu
//                    ("Reset", a grayed "Delete", "Close"); Enter opens a row, Select
//                    chooses it (the title tells); Close leaves no window, so the
//                    start screen of shortcuts.conf shows; Ctrl-C ends it with 0.
//   uidemo --rows N  the list holds "Row 01" to row N instead
//   uidemo [--snapshots DIR] [--scale N]
//                    the same screen in a window (SDL2) when a display is present,
//                    else in the terminal when standard input is one, else headless
//                    (SIGTERM or SIGINT end it); with --snapshots every changed
//                    frame becomes DIR/NNNN.png. Closing the window ends it with 0.

#include "platform/ui/Dialog.h"
#include "platform/ui/FrontEndRun.h"
#include "platform/ui/ListView.h"
#include "platform/ui/UiThread.h"
#include "platform/ui/WindowSystem.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

using namespace tessel::ui;

namespace {

constexpr std::uint32_t kSelect = 100;
constexpr std::uint32_t kReset = 32781;
constexpr std::uint32_t kClose = 32790;
constexpr int kList = 1006;

int gRows = 0;

class DemoDialog : public Dialog {
protected:
    void onCreate() override
    {
        auto options = std::make_shared<Menu>();
        options->add(kReset, u"Reset").add(32782, u"Delete", true).add(kClose, u"Close");
        auto bar = std::make_shared<Menu>();
        bar->add(kSelect, u"Select").addPopup(u"Options", options);
        setMenuBar(bar);
        list_.create(this, kList, ListView::kReport);
        for (const char16_t* row : {u"Alice", u"Bob", u"Carol"}) {
            if (gRows == 0)
                list_.insertItem(-1, row);
        }
        for (int i = 1; i <= gRows; ++i)
            list_.insertItem(
                -1, u"Row " + std::u16string(1, u'0' + i / 10 % 10) + std::u16string(1, u'0' + i % 10));
        setFocus(list_.handle());
    }
    std::int64_t windowProc(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam) override
    {
        if (message == kWmNotify) {
            const auto* header = reinterpret_cast<const NotifyHeader*>(lParam);
            if (header->code == kNotifyItemActivate)
                setText(u"Opened " + list_.itemText(header->item));
            return 0;
        }
        return Dialog::windowProc(message, wParam, lParam);
    }
    std::int64_t onCommand(std::uint32_t id, std::uint32_t code) override
    {
        if (id == kSelect)
            setText(u"Chose " + list_.itemText(list_.selectionMark()));
        else if (id == kReset)
            setText(u"Demo");
        else if (id == kClose)
            destroy();
        else
            return Dialog::onCommand(id, code);
        return 0;
    }

private:
    ListView list_;
};

class DemoApp : public UiThread {
public:
    bool initInstance() override { return dialog_.createModeless(u"Demo"); }
    void onThreadMessage(const Message& message) override
    {
        if (message.id == kWmClose)
            postQuitMessage(0);
    }

private:
    DemoDialog dialog_;
};

void closeProgram(void* app)
{
    static_cast<DemoApp*>(app)->postThreadMessage(kWmClose, 0, 0);
}

} // namespace

int main(int argc, char** argv)
{
    FrontEndOptions options;
    for (int i = 1; i < argc; ++i) {
        i = parseFrontEndOptions(argc, argv, i, &options);
        if (i >= argc)
            break;
        if (std::strcmp(argv[i], "--rows") == 0 && i + 1 < argc)
            gRows = std::atoi(argv[++i]);
        else
            return 2;
    }
    DemoApp app;
    return runWithFrontEnd(app, options, closeProgram, &app);
}
