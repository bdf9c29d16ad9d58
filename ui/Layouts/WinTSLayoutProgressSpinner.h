#pragma once

#include "ui/Layouts/WinTSLayoutProgress.h"

// The "Please Wait..." screen (layout type 17): the turning icon, the title
// beside it and the button in the bottom-right corner.
class CWinTSLayoutProgressSpinner : public CWinTSLayoutProgress {
public:
    static constexpr int kTemplate = 105;
    static constexpr int kIconControl = 1001;

    CWinTSLayoutProgressSpinner(CVXLLayout* layout, const WinTSDialogLink& link);

protected:
    void ArrangeControls() override;
    int boxHeight(int iconHeight, int titleHeight) const override;
    int centringHeight(int iconHeight, int titleHeight) const override
    {
        return boxHeight(iconHeight, titleHeight);
    }
};
