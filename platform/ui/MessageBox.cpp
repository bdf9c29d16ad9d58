#include "platform/ui/MessageBox.h"

#include "platform/kernel/DeviceLog.h"
#include "platform/kernel/TextCodec.h"
#include "platform/ui/Canvas.h"
#include "platform/ui/SystemMetrics.h"
#include "platform/ui/WindowSystem.h"

#include <atomic>
#include <cstdio>
#include <deque>
#include <mutex>

namespace tessel::ui {

namespace {

std::mutex gScriptMutex;
std::deque<int> gScript;
std::atomic<bool> gFrontEnd {false};

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

MessageBoxDialog::MessageBoxDialog(std::u16string text, BoxButtons buttons, int defaultAnswer)
    : message_(std::move(text))
    , buttons_(buttons)
    , default_(defaultAnswer)
{
}

void MessageBoxDialog::onCreate()
{
    auto bar = std::make_shared<Menu>();
    switch (buttons_) {
    case BoxButtons::Ok:
        bar->add(kIdOk, u"OK");
        break;
    case BoxButtons::OkCancel:
        bar->add(kIdOk, u"OK").add(kIdCancel, u"Cancel");
        break;
    case BoxButtons::YesNo:
        bar->add(kIdYes, u"Yes").add(kIdNo, u"No");
        break;
    }
    setMenuBar(bar);
}

void MessageBoxDialog::describe(std::vector<std::u16string>* lines) const
{
    Dialog::describe(lines);
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = message_.find(u'\n', start);
        lines->push_back(message_.substr(start, end == std::u16string::npos ? end : end - start));
        if (end == std::u16string::npos)
            break;
        start = end + 1;
    }
}

int MessageBoxDialog::paint(Canvas& canvas, const Rect& area) const
{
    canvas.setBackgroundMode(BackgroundMode::Transparent);
    canvas.setTextColor(systemColor(kColorWindowText));
    Rect text {area.left + kRowPadding, area.top + kRowPadding, area.right - kRowPadding, area.bottom};
    return canvas.drawText(message_, &text, kDtWordBreak | kDtNoPrefix) + 2 * kRowPadding;
}

std::int64_t MessageBoxDialog::onCommand(std::uint32_t id, std::uint32_t)
{
    const bool yesNo = buttons_ == BoxButtons::YesNo;
    // Enter is the box's default answer; Escape its second answer (or the only one).
    if (id == kIdOk && yesNo)
        id = static_cast<std::uint32_t>(default_ == static_cast<int>(kIdNo) ? kIdNo : kIdYes);
    else if (id == kIdOk && buttons_ == BoxButtons::OkCancel && default_ == static_cast<int>(kIdCancel))
        id = kIdCancel;
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
        const std::string line = kernel::wideToUtf8(caption) + ": " + kernel::wideToUtf8(text) + " -> "
            + answerName(defaultAnswer);
        kernel::appendDeviceLog("msgbox", line);
        std::fprintf(stderr, "message box %s\n", line.c_str());
        return defaultAnswer;
    }
    MessageBoxDialog box(text, buttons, defaultAnswer);
    if (!box.createModeless(caption, owner))
        return defaultAnswer;
    if (scripted)
        postMessage(box.handle(), kWmCommand, static_cast<std::uint64_t>(scripted), 0);
    return box.doModal(caption, owner);
}

} // namespace tessel::ui
