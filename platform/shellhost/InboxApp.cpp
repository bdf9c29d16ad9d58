#include "platform/shellhost/InboxApp.h"

#include "platform/ipc/WindowExchange.h"
#include "platform/kernel/DeviceLog.h"
#include "platform/ui/WindowSystem.h"

namespace tessel::shellhost {

bool InboxApp::initInstance()
{
    if (!ipc::startWindowExchange())
        return false;
    if (!main_.create(kInboxWindowClass, u"Inbox"))
        return false;
    main_.show(false);
    return inbox_.createModeless(u"Inbox");
}

void InboxApp::onThreadMessage(const ui::Message& message)
{
    if (message.id == ui::kWmClose)
        ui::postQuitMessage(0);
}

std::int64_t InboxApp::MainWindow::windowProc(
    std::uint32_t message, std::uint64_t wParam, std::int64_t lParam)
{
    if (message == ui::kWmClose) {
        kernel::appendDeviceLog("inbox", "closed by WM_CLOSE");
        ui::postQuitMessage(0);
        return 0;
    }
    return Window::windowProc(message, wParam, lParam);
}

} // namespace tessel::shellhost
