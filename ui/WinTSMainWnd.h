#pragma once

#include "platform/ui/Dialog.h"
#include "ui/WinTSBase.h"

// The program's hidden window: a dialog titled "Tessel" that the other
// deliverables find by class and title, and that engine messages reach
// while no main dialog exists. It has no behaviour of its own.
class CWinTSMainWnd : public tessel::ui::Dialog {
public:
    CWinTSMainWnd();
    // Made hidden (the phone shows it minimised).
    bool create();

private:
    CWinTSBase base_;
};
