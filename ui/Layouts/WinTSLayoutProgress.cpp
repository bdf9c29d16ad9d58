#include "ui/Layouts/WinTSLayoutProgress.h"

#include "platform/tesselres/ResourceImages.h"
#include "platform/ui/SystemMetrics.h"
#include "platform/ui/WindowSystem.h"
#include "ui/WinTSHelpers.h"
#include "ui/WinTSLog.h"

#include <algorithm>

using tessel::ui::Rect;

CWinTSLayoutProgress::CWinTSLayoutProgress(int templateId, int iconControl, const char16_t* className,
    CVXLLayout* layout, const WinTSDialogLink& link)
    : CWinTSLayout(templateId, className, layout, link)
    , iconControl_(iconControl)
{
    winTSLog(kLogTrace, "Constructor");
    for (int i = 0; i < kFrameCount; ++i) {
        if (auto bitmap = tessel::tesselres::loadIcon(kIcons[i]))
            icons_[i] = std::move(*bitmap);
    }
}

CWinTSLayoutProgress::~CWinTSLayoutProgress() = default;

Rect CWinTSLayoutProgress::shownClient() const
{
    const Rect client = clientRect();
    return Rect {0, 0, client.width(),
        std::max(0, client.height() - tessel::ui::systemMetric(tessel::ui::kMetricCaptionHeight))};
}

void CWinTSLayoutProgress::onCreate()
{
    CWinTSLayout::onCreate();
    // The first frame shown is the second of the list.
    OnTimer();
    tessel::ui::setTimer(handle(), kAnimationTimer, kFrameMs);
    clearTransparentControls();
    PositionWindow();
    ArrangeControls();
}

void CWinTSLayoutProgress::onDestroy()
{
    tessel::ui::killTimer(handle(), kAnimationTimer);
    CWinTSLayout::onDestroy();
}

void CWinTSLayoutProgress::OnTimer()
{
    frame_ = frame_ + 1 >= kFrameCount ? 0 : frame_ + 1;
    if (tessel::ui::Window* icon = child(iconControl_))
        icon->windowProc(tessel::ui::kStmSetImage, tessel::ui::kImageIcon,
            static_cast<std::int64_t>(reinterpret_cast<std::uintptr_t>(&icons_[frame_])));
}

void CWinTSLayoutProgress::PositionWindow()
{
    using namespace tessel::ui;
    const int width = systemMetric(kMetricScreenWidth);
    const int height = systemMetric(kMetricScreenHeight);
    const int iconHeight = systemMetric(kMetricIconHeight);
    const int titleHeight = titleWindow() ? titleWindow()->clientRect().height() : 0;
    const int boxWidth = (width / 4) * 3;
    const int x = (width - boxWidth) / 2;
    const int y = height / 2 - centringHeight(iconHeight, titleHeight) / 2;
    // Our windows carry a caption strip above their client area.
    moveWindow(Rect {
        x, y, x + boxWidth, y + boxHeight(iconHeight, titleHeight) + systemMetric(kMetricCaptionHeight)});
    if (!hasRect())
        ShowHtmlNotification(u"Could not position window");
}

void CWinTSLayoutProgress::EndLayout(CWinTSLayoutWindow* window)
{
    CWinTSLayout::EndLayout(window);
    PositionWindow();
    ArrangeControls();
}

void CWinTSLayoutProgress::OnSettingChange(std::uint32_t flags)
{
    CWinTSLayout::OnSettingChange(flags);
    if (flags == kSettingOrientation) {
        PositionWindow();
        ArrangeControls();
    }
}

int CWinTSLayoutProgress::paint(tessel::ui::Canvas& canvas, const Rect& area) const
{
    return Dialog::paint(canvas, area);
}

std::int64_t CWinTSLayoutProgress::windowProc(
    std::uint32_t message, std::uint64_t wParam, std::int64_t lParam)
{
    if (message == tessel::ui::kWmTimer && wParam == kAnimationTimer) {
        OnTimer();
        return 0;
    }
    return CWinTSLayout::windowProc(message, wParam, lParam);
}
