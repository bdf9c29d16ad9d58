#include "shell/LaunchHandoff.h"

#include "platform/ipc/WindowExchange.h"
#include "platform/kernel/Clock.h"
#include "platform/kernel/DeviceLog.h"
#include "platform/kernel/NamedSemaphore.h"
#include "platform/kernel/Process.h"
#include "platform/kernel/Registry.h"
#include "platform/ui/MessageBox.h"
#include "ui/LaunchRequest.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

using tessel::kernel::RegistryHive;

constexpr std::uint32_t kLaunchWaitMs = 100;
constexpr int kWindowPolls = 200;
constexpr std::uint32_t kPollMs = 100;
constexpr std::uint32_t kHoldMs = 1000;
constexpr const char16_t* kFailureText = u"Could not launch Norvane Tessel";
constexpr const char16_t* kFailureCaption = u"Norvane Tessel";

std::string asciiName(const char16_t* name)
{
    std::string out;
    for (const char16_t* c = name; c && *c; ++c)
        out += static_cast<char>(*c < 0x80 ? *c : '_');
    return out;
}

std::string sectionKey(const char16_t* section)
{
    std::string key = "Software\\Halvard\\Tessel";
    if (section && *section)
        key += "\\" + asciiName(section);
    return key;
}

std::size_t length(const char16_t* text)
{
    std::size_t n = 0;
    while (text && text[n])
        ++n;
    return n;
}

void writeRequest(const ComposeRequest& request)
{
    RegWriteString(kLaunchSection, kLaunchMedia, request.mediaPath);
    RegWriteString(kLaunchSection, kLaunchTo, request.to);
    RegWriteString(kLaunchSection, kLaunchSubject, request.subject);
    RegWriteString(kLaunchSection, kLaunchText, request.text);
    RegWriteString(kLaunchSection, kLaunchClass, request.messageClass);
}

tessel::ui::WindowHandle programWindow()
{
    const std::u16string title = kLaunchWindowTitle;
    return tessel::ipc::findWindow(kLaunchWindowClass, &title);
}

} // namespace

void RegWriteString(const char16_t* section, const char16_t* valueName, const char16_t* text)
{
    const std::size_t n = length(text);
    // An empty text is one NUL character.
    const std::u16string data = n == 0 ? std::u16string(1, u'\0') : std::u16string(text, n);
    tessel::kernel::registrySetValue(RegistryHive::CurrentUser, sectionKey(section), asciiName(valueName),
        tessel::kernel::kRegText, data.data(), static_cast<std::uint32_t>(data.size() * sizeof(char16_t)));
}

void RegReadString(
    const char16_t* section, const char16_t* valueName, char16_t* buffer, std::uint32_t byteCount)
{
    if (!buffer || byteCount < sizeof(char16_t))
        return;
    std::memset(buffer, 0, byteCount);
    // The last character stays a NUL whatever the value holds.
    std::uint32_t size = byteCount - sizeof(char16_t);
    std::uint32_t type = 0;
    if (tessel::kernel::registryQueryValue(
            RegistryHive::CurrentUser, sectionKey(section), asciiName(valueName), &type, buffer, &size)
            != tessel::kernel::RegistryRead::Ok
        || type != tessel::kernel::kRegText)
        std::memset(buffer, 0, byteCount);
}

void RegReadDword(
    const char16_t* section, const char16_t* valueName, std::uint32_t* result, std::uint32_t defaultValue)
{
    if (!result)
        return;
    if (!tessel::kernel::registryQueryDword(
            RegistryHive::CurrentUser, sectionKey(section), asciiName(valueName), result))
        *result = defaultValue;
}

int DeliverLaunch(
    const ComposeRequest* request, std::uint32_t message, std::uint64_t wParam, std::int64_t lParam)
{
    tessel::kernel::SemaphoreHandle launch = tessel::kernel::semaphoreCreate(kLaunchSemaphore, 1, 1);
    if (!launch) {
        tessel::kernel::appendDeviceLog("launch", "the launch semaphore could not be made; nothing launched");
        return 0;
    }
    if (tessel::kernel::semaphoreWait(launch, kLaunchWaitMs) != tessel::kernel::SemaphoreWait::Taken) {
        // Another launch runs: its values must stay as they are.
        tessel::kernel::appendDeviceLog(
            "launch", "another launch runs; this one is dropped, nothing written");
        tessel::kernel::semaphoreClose(launch);
        return 0;
    }
    if (request)
        writeRequest(*request);
    tessel::ui::WindowHandle window = programWindow();
    if (window == 0) {
        if (tessel::kernel::startDetachedProcess(kLaunchProgram, {}) < 0)
            tessel::kernel::appendDeviceLog("launch", std::string("could not start ") + kLaunchProgram);
        for (int poll = 0; poll < kWindowPolls && window == 0; ++poll) {
            tessel::kernel::sleepMs(kPollMs);
            window = programWindow();
        }
    }
    int delivered = 0;
    if (message != 0) {
        if (window != 0 && tessel::ipc::postToProcess(window, message, wParam, lParam))
            delivered = 1;
        else
            tessel::ui::messageBox(
                nullptr, kFailureText, kFailureCaption, tessel::ui::BoxButtons::Ok, tessel::ui::kIdOk);
    } else {
        delivered = window != 0 ? 1 : 0;
    }
    tessel::kernel::sleepMs(kHoldMs);
    tessel::kernel::semaphoreRelease(launch, 1, nullptr);
    tessel::kernel::semaphoreClose(launch);
    return delivered;
}

int PostComposeRequest(const char16_t* messageClass, const char16_t* to, const char16_t* subject,
    const char16_t* mediaPath, const char16_t* text)
{
    ComposeRequest request;
    request.messageClass = messageClass;
    request.to = to;
    request.subject = subject;
    request.mediaPath = mediaPath;
    request.text = text;
    return DeliverLaunch(&request, kLaunchMessage, 0, 0);
}

int LaunchMainProgram(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam)
{
    return DeliverLaunch(nullptr, message, wParam, lParam);
}
