#pragma once

#include "platform/ui/Dialog.h"
#include "platform/ui/ListView.h"

#include <string>
#include <vector>

// The messaging application's Inbox: the SMS store's Inbox listed by
// subject, read again every second so that a message that arrives shows.
// Open (or Enter) opens the selected message; Reply and Forward hand it to
// the library's compose form.
namespace tessel::shellhost {

class TesselFmLibrary;

class InboxDialog : public ui::Dialog {
public:
    explicit InboxDialog(const TesselFmLibrary& library)
        : library_(library)
    {
    }

protected:
    void onCreate() override;
    std::int64_t onCommand(std::uint32_t id, std::uint32_t code) override;
    std::int64_t windowProc(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam) override;
    // The Inbox stays: Back does not close it.
    void onCancel() override { }
    void onOk() override { open(list_.selectionMark()); }

private:
    void refresh();
    void open(int row);
    void composeFor(int row, std::uint32_t kind);

    const TesselFmLibrary& library_;
    ui::ListView list_;
    std::vector<std::string> entryIds_;
};

} // namespace tessel::shellhost
