#include "ui/Layouts/WinTSLayoutProgressBar.h"

#include "engine/screens/VXLLayoutProgressBar.h"
#include "platform/ui/ProgressBar.h"
#include "platform/ui/SystemMetrics.h"
#include "ui/WinTSLog.h"

#include <algorithm>

using tessel::ui::Rect;

namespace {

constexpr int kBoxPadding = 10;

} // namespace

CWinTSLayoutProgressBar::CWinTSLayoutProgressBar(CVXLLayout* layout, const WinTSDialogLink& link)
    : CWinTSLayoutProgress(kTemplate, kIconControl, u"CWinTSLayoutProgressBar", layout, link)
{
}

void CWinTSLayoutProgressBar::onCreate()
{
    CWinTSLayoutProgress::onCreate();
    OnProgress();
}

int CWinTSLayoutProgressBar::boxHeight(int iconHeight, int titleHeight) const
{
    const tessel::ui::Window* progress = child(kProgressControl);
    return centringHeight(iconHeight, titleHeight) + (progress ? progress->windowRect().height() : 0);
}

int CWinTSLayoutProgressBar::centringHeight(int iconHeight, int titleHeight) const
{
    return std::max(iconHeight, titleHeight) + kBoxPadding;
}

void CWinTSLayoutProgressBar::ArrangeControls()
{
    using namespace tessel::ui;
    const Rect client = shownClient();
    Window* icon = child(kIconControl);
    Rect iconAt;
    if (icon) {
        const Rect r = icon->windowRect();
        iconAt = Rect {0, 0, r.width(), r.height()};
        icon->moveWindow(iconAt);
    }
    Rect buttonAt;
    if (Window* button = child(kButton)) {
        const int width = systemMetric(kMetricIconWidth);
        const int height = (systemMetric(kMetricCaptionHeight) / 4) * 3;
        buttonAt = Rect {client.right - width, client.bottom - height, client.right, client.bottom};
        button->moveWindow(buttonAt);
    }
    if (Window* progress = child(kProgressControl))
        progress->moveWindow(Rect {0, buttonAt.top, buttonAt.left, buttonAt.bottom});
    if (CWinTSTitle* title = titleWindow()) {
        const int height = title->windowRect().height();
        title->moveWindow(Rect {iconAt.right, 0, client.right, height});
    }
    clearTransparentControls();
}

void CWinTSLayoutProgressBar::OnProgress()
{
    CVXLLayoutProgressBar* bar = layout_ ? layout_->asProgressBar() : nullptr;
    tessel::ui::Window* progress = child(kProgressControl);
    if (bar && progress)
        progress->windowProc(tessel::ui::kPbmSetPos,
            static_cast<std::uint64_t>(std::clamp<std::int64_t>(bar->third(), 0, 100)), 0);
}

void CWinTSLayoutProgressBar::Refresh(CVXLLayout* layout)
{
    if (layout)
        layout_ = layout;
    OnProgress();
    CWinTSLayoutProgress::Refresh(layout);
}

std::int64_t CWinTSLayoutProgressBar::windowProc(
    std::uint32_t message, std::uint64_t wParam, std::int64_t lParam)
{
    if (message == tessel::ui::kWmShowWindow) {
        winTSLog(kLogTrace, "Showing Window");
        PositionWindow();
        ArrangeControls();
    }
    return CWinTSLayoutProgress::windowProc(message, wParam, lParam);
}
