// A messaging application that will not close: it shows a window of class
// "Inbox.MainWnd" to other processes and only logs the WM_CLOSE it gets
// (log/deafinbox.log), so whoever closes it must end its process.
//
//   deafinbox

#include "platform/ipc/WindowExchange.h"
#include "platform/kernel/DeviceLog.h"
#include "platform/ui/UiThread.h"
#include "platform/ui/Window.h"

using namespace tessel;

namespace {

class DeafWindow : public ui::Window {
public:
    std::int64_t windowProc(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam) override
    {
        if (message == ui::kWmClose) {
            kernel::appendDeviceLog("deafinbox", "ignored WM_CLOSE");
            return 0;
        }
        return Window::windowProc(message, wParam, lParam);
    }
};

class DeafApp : public ui::UiThread {
public:
    bool initInstance() override
    {
        if (!window_.create(u"Inbox.MainWnd", u"Inbox") || !ipc::startWindowExchange())
            return false;
        kernel::appendDeviceLog("deafinbox", "shown");
        return true;
    }

private:
    DeafWindow window_;
};

} // namespace

int main()
{
    DeafApp app;
    return app.runHere();
}
