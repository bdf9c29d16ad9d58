#pragma once

#include "platform/ui/Dialog.h"
#include "platform/ui/ListView.h"

#include <string>
#include <vector>

// A picker: a modal list of choices (the stand-ins' file and contact
// pickers show theirs through it). Like a message box it waits for a front
// end or a test's scripted answer; with neither it is cancelled at once and
// logged to log/picker.log.
namespace tessel::ui {

// The index of the chosen row, or -1 when cancelled.
int pickFromList(Window* owner, const std::u16string& title, const std::vector<std::u16string>& rows);

// The next picker takes this row (-1: cancels) once it shows.
void scriptPickerAnswer(int row);

class ListPickerDialog : public Dialog {
public:
    explicit ListPickerDialog(const std::vector<std::u16string>& rows);
    ListView& list() { return list_; }

protected:
    void onCreate() override;
    void onOk() override;
    std::int64_t onCommand(std::uint32_t id, std::uint32_t code) override;
    std::int64_t windowProc(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam) override;

private:
    std::vector<std::u16string> rows_;
    ListView list_;
};

} // namespace tessel::ui
