#include "platform/ui/MessageBox.h"

#include "platform/kernel/DeviceLog.h"
#include "platform/kernel/TextCodec.h"
#include "platform/ui/WindowSystem.h"

#include <atomic>
#include <cstdio>
#include <deque>
#include <mutex>

namespace tessel::ui {

namespace {

std::mutex gScriptMutex;
std::deque<int> gScript;
std::atomic<bool> gFrontEnd { false };

const char* answerName(int answer)
{
    switch (answer) {
    case kIdOk:
        return "OK";
    case kIdCancel:
        return "Cancel";
    case kIdYes:
        return "Yes";
    case kIdNo:
        return "No";
    default:
        return "?";
    }
}

} // namespace

void scriptBoxAnswer(int answer)
{
    std::lock_guard<std::mutex> lock(gScriptMutex);
    gScript.push_back(answer);
}

void setFrontEndPresent(bool present)
{
    gFrontEnd.store(present);
}

bool frontEndPresent()
{
    return gFrontEnd.load();
}

MessageBoxDialog::MessageBoxDialog(std::u16string text, BoxButtons buttons)
    : message_(std::move(text))
    , buttons_(buttons)
{
}

void MessageBoxDialog::describe(std::vector<std::u16string>* lines) const
{
    Dialog::describe(lines);
    lines->push_back(message_);
    switch (buttons_) {
    case BoxButtons::Ok:
        lines->push_back(u"[OK]");
        break;
    case BoxButtons::OkCancel:
        lines->push_back(u"[OK] [Cancel]");
        break;
    case BoxButtons::YesNo:
        lines->push_back(u"[Yes] [No]");
        break;
    }
}

std::int64_t MessageBoxDialog::onCommand(std::uint32_t id, std::uint32_t)
{
    const bool yesNo = buttons_ == BoxButtons::YesNo;
    // Enter is the first button, Escape the second (or the only one).
    if (id == kIdOk && yesNo)
        id = kIdYes;
    if (id == kIdCancel && yesNo)
        id = kIdNo;
    if (id == kIdCancel && buttons_ == BoxButtons::Ok)
        id = kIdOk;
    const bool valid = yesNo ? (id == kIdYes || id == kIdNo)
                             : (id == kIdOk || (id == kIdCancel && buttons_ == BoxButtons::OkCancel));
    if (valid)
        endDialog(static_cast<int>(id));
    return 0;
}

int messageBox(Window* owner, const std::u16string& text, const std::u16string& caption, BoxButtons buttons,
               int defaultAnswer)
{
    int scripted = 0;
    {
        std::lock_guard<std::mutex> lock(gScriptMutex);
        if (!gScript.empty()) {
            scripted = gScript.front();
            gScript.pop_front();
        }
    }
    if (!scripted && !frontEndPresent()) {
        const std::string line = kernel::wideToUtf8(caption) + ": " + kernel::wideToUtf8(text) + " -> " + answerName(defaultAnswer);
        kernel::appendDeviceLog("msgbox", line);
        std::fprintf(stderr, "message box %s\n", line.c_str());
        return defaultAnswer;
    }
    MessageBoxDialog box(text, buttons);
    if (!box.createModeless(caption, owner))
        return defaultAnswer;
    if (scripted)
        postMessage(box.handle(), kWmCommand, static_cast<std::uint64_t>(scripted), 0);
    return box.doModal(caption, owner);
}

} // namespace tessel::ui
