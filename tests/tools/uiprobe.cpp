// A second process for the cross-process window tests. Exit status 0 means
// done, 1 not found or failed, 2 bad usage.
//
//   uiprobe show     show a dialog "Tessel" (class "Dialog"); its thread's hook logs
//                    every application message as "hook HANDLE ID WPARAM LPARAM" (hex)
//                    to log/uiprobe.log; WM_CLOSE ends it with 0. An echo request
//                    (0x8100, wParam: a window, lParam: a steady-clock reading in ns) is
//                    answered with 0x8101 to that window, wParam: ns from then to the hook
//   uiprobe post ID  find "Dialog"/"Tessel" and post ID (hex) with 0, 0
//   uiprobe close    find "Dialog"/"Tessel", send it WM_CLOSE, return once it has ended

#include "platform/ipc/WindowExchange.h"
#include "platform/kernel/DeviceLog.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/UiThread.h"
#include "platform/ui/WindowSystem.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

using namespace tessel;

namespace {

constexpr std::uint32_t kEchoRequest = 0x8100;
constexpr std::uint32_t kEchoAnswer = 0x8101;

std::string hex(unsigned long long value)
{
    char text[24];
    std::snprintf(text, sizeof text, "%llx", value);
    return text;
}

class ProbeDialog : public ui::Dialog {
protected:
    void onDestroy() override { ui::postQuitMessage(0); }
};

class ProbeApp : public ui::UiThread {
public:
    bool initInstance() override
    {
        if (!dialog_.createModeless(u"Tessel") || !ipc::startWindowExchange())
            return false;
        kernel::appendDeviceLog("uiprobe", "shown " + hex(dialog_.handle()));
        return true;
    }
    bool preTranslateMessage(ui::Message& message) override
    {
        if (message.id == kEchoRequest) {
            const auto now = std::chrono::duration_cast<std::chrono::nanoseconds>(
                std::chrono::steady_clock::now().time_since_epoch());
            ui::postMessage(
                message.wParam, kEchoAnswer, static_cast<std::uint64_t>(now.count() - message.lParam), 0);
            return true;
        }
        if (message.id >= ui::kWmApp)
            kernel::appendDeviceLog("uiprobe",
                "hook " + hex(message.window) + " " + hex(message.id) + " " + hex(message.wParam) + " "
                    + hex(message.lParam));
        return false;
    }

private:
    ProbeDialog dialog_;
};

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return 2;
    const std::string command = argv[1];
    const std::u16string title = u"Tessel";
    if (command == "show") {
        ProbeApp app;
        return app.runHere() == 0 ? 0 : 1;
    }
    ui::WindowHandle found = ipc::findWindow(ui::Dialog::kClassName, &title);
    if (!found)
        return 1;
    if (command == "post" && argc == 3)
        return ipc::postToProcess(found, static_cast<std::uint32_t>(std::strtoul(argv[2], nullptr, 16)), 0, 0)
            ? 0
            : 1;
    if (command == "close") {
        if (!ipc::startWindowExchange())
            return 1;
        ui::sendMessage(found, ui::kWmClose, 0, 0);
        return ipc::findWindow(ui::Dialog::kClassName, &title) == 0 ? 0 : 1;
    }
    return 2;
}
