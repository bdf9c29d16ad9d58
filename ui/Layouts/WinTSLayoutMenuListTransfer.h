#pragma once

#include "ui/WinTSBase.h"
#include "ui/WinTSTransfer.h"

#include <string>

// The icon of one menu-list entry on its way from the engine: at its end it
// writes the bytes to a support file named after the icon, records that
// file under section MenuIcons and deletes itself. The window is not told;
// the icon shows from the next list build on, so the transfer needs no
// window and may end after the window has gone.
class CWinTSLayoutMenuListTransfer : public CWinTSTransfer {
public:
    CWinTSLayoutMenuListTransfer(int entry, const std::u16string& iconName);

    // The MenuIcons name of an icon link: the part after its last "/" or
    // "\"; empty (refused) when that is empty, "." or "..", or holds other
    // than letters, digits, "-", "_" and ".".
    static std::u16string iconFileName(const std::u16string& link);

protected:
    void onEnded() override;

private:
    CWinTSBase base_;
};
