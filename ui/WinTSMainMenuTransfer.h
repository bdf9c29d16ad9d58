#pragma once

#include "ui/WinTSTransfer.h"

#include <string>

// The icon of one cool-site entry on its way from the engine. Its end is
// posted to the cool-sites screen as 0x8016 (wParam the entry's position,
// lParam the transfer), which then owns it; the entry's text is kept for
// the registry value the icon is cached under.
class CWinTSMainMenuTransfer : public CWinTSTransfer {
public:
    static constexpr std::uint32_t kIconReceived = 0x8016;

    CWinTSMainMenuTransfer(CWinTSTransferList* screen, int entry, const std::u16string& text)
        : CWinTSTransfer(screen, entry)
        , text_(text)
    {
        setEndMessage(kIconReceived);
    }

    const std::u16string& text() const { return text_; }

private:
    std::u16string text_;
};
