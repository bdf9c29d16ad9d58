#pragma once

#include "ui/Layouts/WinTSLayoutProgress.h"

// The progress-bar screen (layout type 16): the turning icon, the title
// beside it and a progress control at the bottom with the button at its
// right; the control shows the layout's third value.
class CWinTSLayoutProgressBar : public CWinTSLayoutProgress {
public:
    static constexpr int kTemplate = 106;
    static constexpr int kIconControl = 1005;
    static constexpr int kProgressControl = 1004;

    CWinTSLayoutProgressBar(CVXLLayout* layout, const WinTSDialogLink& link);

    void Refresh(CVXLLayout* layout) override;
    std::int64_t windowProc(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam) override;

protected:
    void onCreate() override;
    void ArrangeControls() override;
    int boxHeight(int iconHeight, int titleHeight) const override;
    int centringHeight(int iconHeight, int titleHeight) const override;

private:
    void OnProgress();
};
