#include "ui/Layouts/WinTSLayoutProgressSpinner.h"

#include "platform/ui/SystemMetrics.h"

#include <algorithm>

using tessel::ui::Rect;

namespace {

constexpr int kBoxPadding = 10;

} // namespace

CWinTSLayoutProgressSpinner::CWinTSLayoutProgressSpinner(CVXLLayout* layout, const WinTSDialogLink& link)
    : CWinTSLayoutProgress(kTemplate, kIconControl, u"CWinTSLayoutProgressSpinner", layout, link)
{
}

int CWinTSLayoutProgressSpinner::boxHeight(int iconHeight, int titleHeight) const
{
    const tessel::ui::Window* button = child(kButton);
    return std::max(iconHeight, titleHeight + (button ? button->windowRect().height() : 0)) + kBoxPadding;
}

void CWinTSLayoutProgressSpinner::ArrangeControls()
{
    using namespace tessel::ui;
    const Rect client = shownClient();
    if (Window* button = child(kButton)) {
        const Rect r = button->windowRect();
        button->moveWindow(
            Rect {client.right - r.width(), client.bottom - r.height(), client.right, client.bottom});
    }
    Rect iconAt;
    if (Window* icon = child(kIconControl)) {
        const Rect r = icon->windowRect();
        iconAt = Rect {0, 0, r.width(), r.height()};
        icon->moveWindow(iconAt);
    }
    if (CWinTSTitle* title = titleWindow()) {
        const int height = title->windowRect().height();
        title->moveWindow(Rect {iconAt.right, 0, client.right, height});
    }
}
