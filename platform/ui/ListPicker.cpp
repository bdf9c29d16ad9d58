#include "platform/ui/ListPicker.h"

#include "platform/kernel/DeviceLog.h"
#include "platform/kernel/TextCodec.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/WindowSystem.h"

#include <deque>
#include <mutex>

namespace tessel::ui {

namespace {

// A scripted answer arrives as this command, with the row in its code half.
constexpr std::uint32_t kScriptedRow = 0x7F00;
constexpr int kListId = 1;

std::mutex gScriptMutex;
std::deque<int> gScript;

} // namespace

void scriptPickerAnswer(int row)
{
    std::lock_guard<std::mutex> lock(gScriptMutex);
    gScript.push_back(row);
}

ListPickerDialog::ListPickerDialog(const std::vector<std::u16string>& rows)
    : rows_(rows)
{
}

void ListPickerDialog::onCreate()
{
    list_.create(this, kListId, 0);
    for (const std::u16string& row : rows_)
        list_.insertItem(-1, row);
    if (!rows_.empty())
        list_.select(0);
    setFocus(list_.handle());
}

void ListPickerDialog::onOk()
{
    endDialog(list_.selectionMark());
}

// The list keeps Enter for itself and reports the row as activated: that is
// the choice, or a person at the keys could only cancel.
std::int64_t ListPickerDialog::windowProc(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam)
{
    if (message == kWmNotify) {
        const auto* header = reinterpret_cast<const NotifyHeader*>(lParam);
        if (header->controlId == kListId && header->code == kNotifyItemActivate) {
            endDialog(header->item >= 0 && header->item < list_.itemCount() ? header->item : -1);
            return 0;
        }
    }
    return Dialog::windowProc(message, wParam, lParam);
}

std::int64_t ListPickerDialog::onCommand(std::uint32_t id, std::uint32_t code)
{
    if (id == kScriptedRow) {
        const int row = static_cast<std::int16_t>(code);
        endDialog(row >= 0 && row < list_.itemCount() ? row : -1);
        return 0;
    }
    if (id == kIdCancel) {
        endDialog(-1);
        return 0;
    }
    return Dialog::onCommand(id, code);
}

int pickFromList(Window* owner, const std::u16string& title, const std::vector<std::u16string>& rows)
{
    bool scripted = false;
    int answer = -1;
    {
        std::lock_guard<std::mutex> lock(gScriptMutex);
        if (!gScript.empty()) {
            scripted = true;
            answer = gScript.front();
            gScript.pop_front();
        }
    }
    if (!scripted && !frontEndPresent()) {
        kernel::appendDeviceLog("picker", kernel::wideToUtf8(title) + ": cancelled, no one to choose");
        return -1;
    }
    ListPickerDialog picker(rows);
    if (!picker.createModeless(title, owner))
        return -1;
    if (scripted)
        postMessage(picker.handle(), kWmCommand,
            (static_cast<std::uint64_t>(static_cast<std::uint16_t>(answer)) << 16) | kScriptedRow, 0);
    return picker.doModal(title, owner);
}

} // namespace tessel::ui
