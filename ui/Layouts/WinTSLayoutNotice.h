#pragma once

#include "platform/ui/Bitmap.h"
#include "ui/HTMLView.h"
#include "ui/Layouts/WinTSLayout.h"

#include <memory>
#include <string>

// What the error and information windows share: an icon at the top left of
// the content and, beside it over the wallpaper, the text in an HTML view as
// tall as the text needs (a multiple of it for the error) but never taller
// than the screen. The text is shown once, when the window opens; an
// updated layout only maps its actions anew.
class CWinTSLayoutNotice : public CWinTSLayout {
public:
    static constexpr int kTextControl = 1007;
    static constexpr int kIconControl = 1008;
    static constexpr int kIconMargin = 10;
    static constexpr int kTextLeft = 16;
    static constexpr int kTextTop = 13;
    static constexpr int kTextGrowth = 3;

    CHTMLView* view() const { return view_.get(); }
    const std::u16string& displayText() const { return text_; }
    const tessel::ui::Rect& viewRect() const { return viewRect_; }
    // The colour the text's body has: UIConfig "RGBWallPaper".
    static std::uint32_t WallpaperColor();

    std::int64_t windowProc(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam) override;

protected:
    CWinTSLayoutNotice(int templateId, const char16_t* className, CVXLLayout* layout,
        const WinTSDialogLink& link, int iconId, int heightFactor);

    // The window's own initialisation after the base's: its text and the
    // controls drawn over the wallpaper.
    virtual std::u16string NoticeText() const = 0;
    virtual void AddTransparentControls() = 0;

    void onCreate() override;
    void OnSettingChange(std::uint32_t flags) override;
    void ArrangeControls();

private:
    int iconId_;
    int heightFactor_;
    tessel::ui::Bitmap icon_;
    std::u16string text_;
    std::unique_ptr<CHTMLView> view_;
    tessel::ui::Rect viewRect_;
};
