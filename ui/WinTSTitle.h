#pragma once

#include "platform/ui/Bitmap.h"
#include "platform/ui/Window.h"
#include "ui/WinTSBase.h"

#include <memory>

// The title strip at the top of a screen: the window text drawn centred
// over a vertical gradient from the active caption's colour to the dark
// shadow colour. The gradient is made once, at the size of the first move;
// a wider strip repeats it across.
class CWinTSTitle : public tessel::ui::Window {
public:
    CWinTSTitle();

    // Row i of a gradient height rows tall: each component runs linearly
    // from top to bottom (integer division).
    static tessel::ui::Color gradientColor(
        tessel::ui::Color top, tessel::ui::Color bottom, int row, int height);

    const tessel::ui::Bitmap* gradient() const { return gradient_.get(); }
    tessel::ui::Color topColor() const { return top_; }
    tessel::ui::Color bottomColor() const { return bottom_; }

    int paint(tessel::ui::Canvas& canvas, const tessel::ui::Rect& area) const override;
    std::int64_t windowProc(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam) override;

private:
    void buildGradient(int width, int height);

    CWinTSBase base_;
    std::shared_ptr<tessel::ui::Bitmap> gradient_;
    tessel::ui::Color top_;
    tessel::ui::Color bottom_;
    tessel::ui::Color text_;
    tessel::ui::Rect lastClient_;
};
