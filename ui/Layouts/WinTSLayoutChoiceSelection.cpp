#include "ui/Layouts/WinTSLayoutChoiceSelection.h"

#include "engine/screens/VXLChoiceElement.h"
#include "engine/screens/VXLLayoutChoiceSelection.h"
#include "platform/kernel/TextCodec.h"
#include "platform/tesselres/ResourceImages.h"
#include "platform/ui/ListView.h"
#include "platform/ui/SystemMetrics.h"
#include "platform/ui/WindowSystem.h"
#include "ui/Layouts/WinTSLayoutNotice.h"
#include "ui/WinTSHelpers.h"
#include "ui/WinTSLog.h"

#include <algorithm>

using tessel::ui::ListView;
using tessel::ui::Rect;

namespace {

constexpr int kMargin = 10;
constexpr int kPromptLeft = 15;
constexpr int kPromptGrowth = 5;
constexpr int kListPadding = 10;
constexpr std::uint32_t kMsPerSecond = 1000;

CVXLLayoutChoiceSelection* choices(CVXLLayout* layout)
{
    return layout ? layout->asChoiceSelection() : nullptr;
}

} // namespace

CWinTSLayoutChoiceSelection::CWinTSLayoutChoiceSelection(CVXLLayout* layout, const WinTSDialogLink& link)
    : CWinTSLayout(kTemplate, u"CWinTSLayoutChoiceSelection", layout, link)
{
    LogFont font;
    LoadFontFromRegistry(u"ChoiceSelect", &font);
    listFont_ = tessel::ui::Font::create(font.description());
}

CWinTSLayoutChoiceSelection::~CWinTSLayoutChoiceSelection() = default;

void CWinTSLayoutChoiceSelection::onCreate()
{
    CWinTSLayout::onCreate();
    if (auto icon = tessel::tesselres::loadIcon(kIcon)) {
        icon_ = std::move(*icon);
        if (tessel::ui::Window* control = child(kIconControl))
            control->windowProc(tessel::ui::kStmSetImage, tessel::ui::kImageIcon,
                static_cast<std::int64_t>(reinterpret_cast<std::uintptr_t>(&icon_)));
    } else {
        winTSAssert("icon 1010 is missing");
    }
    addTransparentControl(kIconControl);

    auto* list = dynamic_cast<ListView*>(child(kListControl));
    CVXLLayoutChoiceSelection* layout = choices(layout_);
    if (list && layout) {
        list->setStyle(ListView::kReport);
        if (listFont_)
            list->windowProc(tessel::ui::kWmSetFont, reinterpret_cast<std::uintptr_t>(listFont_.get()), 0);
        bool anySelected = false;
        for (std::uint32_t j = 0; j < layout->getItemCount(); ++j)
            anySelected = anySelected || (layout->choiceAt(j) && layout->choiceAt(j)->isSelected());
        // A smartphone has no pointer: a row starts selected so that a key can pick it.
        const bool preselect = !anySelected && !IsPocketPC();
        for (std::uint32_t j = 0; j < layout->getItemCount(); ++j) {
            const CVXLChoiceElement* choice = layout->choiceAt(j);
            if (!choice)
                continue;
            const int row = list->insertItem(-1, tessel::kernel::utf8ToWide(choice->text().c_str()), j);
            if (row < 0) {
                winTSLog(kLogFailure, "Failure to Append Menu");
                continue;
            }
            if (choice->isSelected() || (preselect && j == 0))
                list->select(row);
        }
        const std::uint32_t timeout = layout->timeout() & kTimeoutMask;
        if (timeout != 0)
            timerRunning_ = tessel::ui::setTimer(handle(), kSelectionTimer, timeout * kMsPerSecond);
        prompt_ = tessel::kernel::utf8ToWide(layout->titleText().c_str());
    }
    const tessel::ui::Window* placeholder = child(kPromptControl);
    view_ = std::make_unique<CHTMLView>();
    if (!view_->Create(this, placeholder ? placeholder->windowRect() : GetContentRect(), prompt_,
            kPromptControl, CWinTSLayoutNotice::WallpaperColor()))
        winTSLog(kLogFailure, "the prompt's view could not be made");
    ArrangeControls();
    show(true);
    if (list)
        tessel::ui::setFocus(list->handle());
}

void CWinTSLayoutChoiceSelection::onDestroy()
{
    StopTimer();
    CWinTSLayout::onDestroy();
}

void CWinTSLayoutChoiceSelection::ArrangeControls()
{
    using namespace tessel::ui;
    const Rect client = clientRect();
    const int top = client.top + (titleWindow() ? titleHeight() : 0);
    const int iconWidth = systemMetric(kMetricIconWidth);
    const int iconHeight = systemMetric(kMetricIconHeight);
    if (Window* icon = child(kIconControl))
        icon->moveWindow(Rect {client.left + kMargin, top + kMargin, client.left + kMargin + iconWidth,
            top + kMargin + iconHeight});
    auto* list = dynamic_cast<ListView*>(child(kListControl));
    const int rows = list ? list->itemCount() : 0;
    const int listHeight = list ? rows * list->rowHeight() : 0;
    const int listWidth = std::max(0, client.width() - 2 * kListPadding);

    Rect prompt {client.left + iconWidth + kPromptLeft, top + kMargin, client.right - kMargin, 0};
    int promptHeight = 0;
    if (view_ && view_->exists()) {
        view_->Move(Rect {prompt.left, prompt.top, prompt.right, client.bottom}, false);
        promptHeight = view_->GetLayoutHeight() + kPromptGrowth;
    }
    prompt.bottom = prompt.top + promptHeight;
    if (client.bottom < listHeight + promptHeight + prompt.top + kMargin)
        prompt.bottom = client.bottom - listHeight - kPromptGrowth;
    viewRect_ = Rect {prompt.left - kPromptGrowth, prompt.top - kPromptGrowth, prompt.right + kPromptGrowth,
        prompt.bottom + kPromptGrowth};
    if (view_ && view_->exists())
        view_->Move(viewRect_, true);
    if (Window* placeholder = child(kPromptControl); placeholder && placeholder != view_.get())
        placeholder->show(false);

    if (list) {
        const int x = client.width() / 2 - listWidth / 2;
        const int y = viewRect_.bottom + kPromptGrowth;
        const int bottom = std::min(client.bottom, y + listHeight + kListPadding);
        list->moveWindow(Rect {x, y, x + listWidth + kListPadding, std::max(y, bottom)});
        list->show(rows > 0);
    }
}

bool CWinTSLayoutChoiceSelection::SubmitIfAllowed(std::uint32_t eventId)
{
    if (!layout_->hasAction(eventId) || !layout_->canSubmitAction(eventId))
        return false;
    if (layout_->submitAction(eventId) != 1)
        winTSLog(kLogFailure, "SubmitAction failure");
    tessel::ui::postMessage(link_.dialog, link_.actionSubmitted, eventId, 0);
    return true;
}

void CWinTSLayoutChoiceSelection::OnSelect()
{
    // A window that has submitted waits for the engine.
    if (selected_ || !enabled())
        return;
    auto* list = dynamic_cast<ListView*>(child(kListControl));
    const int mark = list ? list->selectionMark() : -1;
    // Only a row counts: an attempt without one leaves later picks open.
    if (mark < 0 || mark >= list->itemCount())
        return;
    selected_ = true;
    StopTimer();
    const auto index = static_cast<std::int32_t>(list->itemData(mark));
    winTSLog(kLogTrace,
        "CWinTSLayoutChoiceSelection select: " + std::to_string(mark) + "/" + std::to_string(index));
    if (CVXLLayoutChoiceSelection* layout = choices(layout_)) {
        layout->deselectAll();
        if (CVXLChoiceElement* choice = layout->choiceAt(static_cast<std::uint32_t>(index)))
            choice->setSelected(1);
        layout->setSelectedIndex(index);
    }
    SubmitIfAllowed(kSelect);
    SubmitIfAllowed(kContinue);
    enable(false);
}

void CWinTSLayoutChoiceSelection::SubmitAction(std::uint32_t command)
{
    const std::uint32_t n = command - kFirstActionCommand;
    if (command > kFirstActionCommand && n <= actionCount() && action(n).eventId == kContinue) {
        OnSelect();
        return;
    }
    CWinTSLayout::SubmitAction(command);
}

void CWinTSLayoutChoiceSelection::StopTimer()
{
    if (timerRunning_)
        tessel::ui::killTimer(handle(), kSelectionTimer);
    timerRunning_ = false;
}

void CWinTSLayoutChoiceSelection::OnTimeout()
{
    winTSLog(kLogTrace, "Selection Timeout");
    // Once: a screen that has continued does not continue again.
    StopTimer();
    for (std::uint32_t n = 1; n <= actionCount(); ++n) {
        if (action(n).eventId == kContinue) {
            if (SubmitIfAllowed(kContinue))
                enable(false);
            return;
        }
    }
    winTSAssert("no Continue action for the time-out");
}

void CWinTSLayoutChoiceSelection::OnSettingChange(std::uint32_t flags)
{
    CWinTSLayout::OnSettingChange(flags);
    if (flags == kSettingScreen)
        ArrangeControls();
}

std::int64_t CWinTSLayoutChoiceSelection::windowProc(
    std::uint32_t message, std::uint64_t wParam, std::int64_t lParam)
{
    if (message == tessel::ui::kWmTimer && wParam == kSelectionTimer) {
        if (timerRunning_)
            OnTimeout();
        return 0;
    }
    if (message == tessel::ui::kWmNotify && lParam != 0) {
        const auto& header = *reinterpret_cast<const tessel::ui::NotifyHeader*>(lParam);
        if (view_ && view_->OnChildNotify(header))
            return 0;
        if (header.controlId == kListControl) {
            switch (header.code) {
            case tessel::ui::kNotifyGestureQuery:
                return 1;
            case tessel::ui::kNotifyClick:
                OnSelect();
                return 0;
            // Enter on the list is the dialog's OK on the phone.
            case tessel::ui::kNotifyReturn:
                onOk();
                return 0;
            default:
                break;
            }
        }
    }
    return CWinTSLayout::windowProc(message, wParam, lParam);
}
