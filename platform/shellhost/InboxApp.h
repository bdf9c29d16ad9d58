#pragma once

#include "platform/shellhost/InboxDialog.h"
#include "platform/ui/UiThread.h"
#include "platform/ui/Window.h"

// The phone's messaging application: its main window of class
// "Inbox.MainWnd" (hidden, seen by other processes, ends the application
// when it gets WM_CLOSE) and the Inbox on screen.
namespace tessel::shellhost {

inline constexpr const char16_t* kInboxWindowClass = u"Inbox.MainWnd";

class InboxApp : public ui::UiThread {
public:
    explicit InboxApp(const TesselFmLibrary& library)
        : inbox_(library)
    {
    }

    bool initInstance() override;
    void onThreadMessage(const ui::Message& message) override;

private:
    class MainWindow : public ui::Window {
    public:
        std::int64_t windowProc(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam) override;
    };

    MainWindow main_;
    InboxDialog inbox_;
};

} // namespace tessel::shellhost
