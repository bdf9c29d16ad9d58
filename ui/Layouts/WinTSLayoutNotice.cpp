#include "ui/Layouts/WinTSLayoutNotice.h"

#include "platform/tesselres/ResourceImages.h"
#include "platform/ui/SystemMetrics.h"
#include "ui/WinTSLog.h"
#include "ui/WinTSRegistry.h"

#include <algorithm>

using tessel::ui::Rect;

CWinTSLayoutNotice::CWinTSLayoutNotice(int templateId, const char16_t* className, CVXLLayout* layout,
    const WinTSDialogLink& link, int iconId, int heightFactor)
    : CWinTSLayout(templateId, className, layout, link)
    , iconId_(iconId)
    , heightFactor_(heightFactor)
{
}

std::uint32_t CWinTSLayoutNotice::WallpaperColor()
{
    std::uint32_t color = kDefaultWallpaper;
    registryReadDword(u"UIConfig", u"RGBWallPaper", &color, kDefaultWallpaper);
    return color;
}

void CWinTSLayoutNotice::onCreate()
{
    CWinTSLayout::onCreate();
    if (auto icon = tessel::tesselres::loadIcon(iconId_)) {
        icon_ = std::move(*icon);
        if (tessel::ui::Window* control = child(kIconControl))
            control->windowProc(tessel::ui::kStmSetImage, tessel::ui::kImageIcon,
                static_cast<std::int64_t>(reinterpret_cast<std::uintptr_t>(&icon_)));
    } else {
        winTSAssert("icon " + std::to_string(iconId_) + " is missing");
    }
    text_ = NoticeText();
    AddTransparentControls();
    const tessel::ui::Window* placeholder = child(kTextControl);
    const Rect at = placeholder ? placeholder->windowRect() : GetContentRect();
    view_ = std::make_unique<CHTMLView>();
    if (!view_->Create(this, at, text_, kTextControl, WallpaperColor()))
        winTSLog(kLogFailure, "the text's view could not be made");
    ArrangeControls();
}

void CWinTSLayoutNotice::ArrangeControls()
{
    using namespace tessel::ui;
    const Rect content = GetContentRect();
    const int iconWidth = systemMetric(kMetricIconWidth);
    const int iconHeight = systemMetric(kMetricIconHeight);
    if (Window* icon = child(kIconControl))
        icon->moveWindow(Rect {content.left + kIconMargin, content.top + kIconMargin,
            content.left + kIconMargin + iconWidth, content.top + kIconMargin + iconHeight});
    if (!view_ || !view_->exists())
        return;
    Rect r {content.left + kTextLeft + iconWidth, content.top + kTextTop, content.right - kIconMargin, 0};
    // The height the text needs at this width.
    view_->Move(Rect {r.left, r.top, r.right, r.top + content.height()}, false);
    r.bottom = std::min(
        r.top + heightFactor_ * view_->GetLayoutHeight() + kTextGrowth, systemMetric(kMetricScreenHeight));
    viewRect_
        = Rect {r.left - kTextGrowth, r.top - kTextGrowth, r.right + kTextGrowth, r.bottom + kTextGrowth};
    view_->Move(viewRect_, true);
}

void CWinTSLayoutNotice::OnSettingChange(std::uint32_t flags)
{
    CWinTSLayout::OnSettingChange(flags);
    if (flags == kSettingScreen)
        ArrangeControls();
}

std::int64_t CWinTSLayoutNotice::windowProc(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam)
{
    // The view's link notification comes back to it, as a reflection.
    if (message == tessel::ui::kWmNotify && view_ && lParam != 0
        && view_->OnChildNotify(*reinterpret_cast<const tessel::ui::NotifyHeader*>(lParam)))
        return 0;
    return CWinTSLayout::windowProc(message, wParam, lParam);
}
