#include "ui/WinTSTitle.h"

#include "platform/ui/Canvas.h"
#include "platform/ui/SystemMetrics.h"
#include "platform/ui/UiMessages.h"

using namespace tessel::ui;

CWinTSTitle::CWinTSTitle()
    : base_(u"WinTSTitle")
    , top_(systemColor(kColorActiveCaption))
    , bottom_(systemColor(kColor3dDkShadow))
    , text_(systemColor(kColorCaptionText))
{
}

Color CWinTSTitle::gradientColor(Color top, Color bottom, int row, int height)
{
    auto component = [row, height](int from, int to) {
        return static_cast<unsigned>(from + (to - from) * row / height);
    };
    return rgb(component(static_cast<int>(red(top)), static_cast<int>(red(bottom))),
        component(static_cast<int>(green(top)), static_cast<int>(green(bottom))),
        component(static_cast<int>(blue(top)), static_cast<int>(blue(bottom))));
}

void CWinTSTitle::buildGradient(int width, int height)
{
    if (gradient_ || width <= 0 || height <= 0)
        return;
    auto bitmap = std::make_shared<Bitmap>(width, height);
    for (int i = 0; i < height; ++i)
        bitmap->fill(Rect {0, i, width, i + 1}, gradientColor(top_, bottom_, i, height));
    gradient_ = std::move(bitmap);
}

std::int64_t CWinTSTitle::windowProc(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam)
{
    const std::int64_t result = Window::windowProc(message, wParam, lParam);
    if (message == kWmMove) {
        const Rect client = clientRect();
        if (client.right != lastClient_.right) {
            lastClient_ = client;
            buildGradient(client.width(), client.height());
        }
    }
    return result;
}

int CWinTSTitle::paint(Canvas& canvas, const Rect& area) const
{
    const Rect client = clientRect();
    if (gradient_) {
        // No outline: the strip's first and last rows are the gradient's.
        const Pen pen = canvas.selectPen(Pen::null());
        const Brush brush = canvas.selectBrush(Brush::patterned(gradient_));
        canvas.rectangle(client);
        canvas.selectBrush(brush);
        canvas.selectPen(pen);
    }
    if (!text().empty()) {
        std::shared_ptr<Font> before = font() ? canvas.selectFont(font()) : canvas.font();
        canvas.setBackgroundMode(BackgroundMode::Transparent);
        Rect measured = client;
        canvas.drawText(text(), &measured, kDtCalcRect);
        const int width = std::min(measured.width(), client.width());
        Rect place {client.left + (client.width() - width) / 2, client.top, 0, client.bottom};
        place.right = place.left + width;
        const Color color = canvas.setTextColor(text_);
        canvas.drawText(text(), &place, kDtCenter | kDtVCenter | kDtWordBreak | kDtNoPrefix | kDtEndEllipsis);
        canvas.setTextColor(color);
        canvas.selectFont(std::move(before));
    }
    return area.height();
}
