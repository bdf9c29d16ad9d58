#include "ui/WinTSLayoutWindow.h"

#include "engine/screens/VXLLayout.h"
#include "platform/kernel/TextCodec.h"
#include "platform/ui/WindowSystem.h"
#include "ui/WinTSMessages.h"

CWinTSLayoutWindow::CWinTSLayoutWindow(
    const char16_t* className, CVXLLayout* layout, const WinTSDialogLink& link)
    : base_(className)
    , layout_(layout)
    , link_(link)
{
}

int CWinTSLayoutWindow::run(tessel::ui::Window* parent)
{
    const int result = doModal(tessel::kernel::utf8ToWide(layout_->getTitle().c_str()), parent);
    return result < 0 ? 0 : (exitSubmitted_ ? 1 : result);
}

bool CWinTSLayoutWindow::submitExit()
{
    const std::uint32_t id = layoutEventId(layout_->layoutType(), kLayoutActionExit);
    if (layout_->submitAction(id) != 1)
        return false;
    exitSubmitted_ = true;
    tessel::ui::postMessage(link_.dialog, link_.actionSubmitted, id, 0);
    return true;
}

void CWinTSLayoutWindow::update(CVXLLayout* layout)
{
    layout_ = layout;
    tessel::ui::postMessage(link_.dialog, link_.actionsMapped, 0, 0);
}

std::int64_t CWinTSLayoutWindow::windowProc(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam)
{
    if (message == kWmLayoutRunChild) {
        auto* child = reinterpret_cast<CWinTSLayoutWindow*>(static_cast<std::uintptr_t>(wParam));
        CVXLLayout* layout = child->layout();
        const int result = child->run(this);
        delete child;
        tessel::ui::postMessage(
            link_.dialog, link_.layoutEnded, reinterpret_cast<std::uintptr_t>(layout), result);
        return 0;
    }
    if (message == kWmLayoutRelease) {
        endDialog(exitSubmitted_ ? 1 : 0);
        return 0;
    }
    return Dialog::windowProc(message, wParam, lParam);
}
