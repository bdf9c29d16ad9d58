#pragma once

#include "platform/ui/Bitmap.h"
#include "ui/Layouts/WinTSLayout.h"

#include <array>
#include <cstdint>

// What the progress bar and the spinner share: an icon of eight frames
// turning every 200 ms, a box three quarters of the screen wide in its
// middle, and the layout's Cancel, Back and Exit on the button and the soft
// keys (their rows are all hard keys, so the first without a key of its own
// takes button 1003). The framework paints them: no wallpaper.
class CWinTSLayoutProgress : public CWinTSLayout {
public:
    static constexpr int kFrameCount = 8;
    static constexpr std::uint64_t kAnimationTimer = 1;
    static constexpr std::uint32_t kFrameMs = 200;
    static constexpr std::uint32_t kSettingOrientation = 0x3004;
    // The icons in the order shown.
    static constexpr std::array<int, kFrameCount> kIcons = {1213, 1206, 1207, 1208, 1209, 1210, 1211, 1212};

    CWinTSLayoutProgress(int templateId, int iconControl, const char16_t* className, CVXLLayout* layout,
        const WinTSDialogLink& link);
    ~CWinTSLayoutProgress() override;

    int frame() const { return frame_; }
    // The resource id of the icon shown.
    int iconShown() const { return kIcons[frame_]; }
    const tessel::ui::Bitmap& icon(int frame) const { return icons_[frame]; }
    // The part of the window below the caption that our windows carry.
    tessel::ui::Rect shownClient() const;

    void EndLayout(CWinTSLayoutWindow* window) override;
    int paint(tessel::ui::Canvas& canvas, const tessel::ui::Rect& area) const override;
    std::int64_t windowProc(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam) override;

protected:
    void onCreate() override;
    void onDestroy() override;
    void OnSettingChange(std::uint32_t flags) override;
    void OnTimer();
    void PositionWindow();
    virtual void ArrangeControls() = 0;
    // The height under the title that the box needs, and the height it
    // centres by.
    virtual int boxHeight(int iconHeight, int titleHeight) const = 0;
    virtual int centringHeight(int iconHeight, int titleHeight) const = 0;

    int iconControl_;

private:
    std::array<tessel::ui::Bitmap, kFrameCount> icons_;
    int frame_ = 0;
};
