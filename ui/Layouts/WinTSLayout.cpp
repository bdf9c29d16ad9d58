#include "ui/Layouts/WinTSLayout.h"

#include "engine/screens/VXLLayout.h"
#include "platform/kernel/TextCodec.h"
#include "platform/shell/ShellExecute.h"
#include "platform/tesselres/DialogTemplates.h"
#include "platform/ui/Canvas.h"
#include "platform/ui/SystemMetrics.h"
#include "platform/ui/WindowSystem.h"
#include "ui/Elements/WinTSElement.h"
#include "ui/WinTSHelpers.h"
#include "ui/WinTSLog.h"
#include "ui/WinTSMessages.h"
#include "ui/WinTSRegistry.h"

#include <cstdlib>
#include <mutex>
#include <string>
#include <vector>

using tessel::kernel::utf8ToWide;
using tessel::ui::Menu;
using tessel::ui::Rect;

namespace {

constexpr const char16_t* kBrowser = u"/Windows/iexplore.exe";
constexpr const char16_t* kHelpPage = u"file:///windows/tesselhelp.htm#";
constexpr int kContentMargin = 10;

std::mutex gWallpaperMutex;
std::shared_ptr<tessel::ui::Bitmap> gWallpaper;

struct RightSideEntry {
    std::uint32_t command;
    std::u16string label;
    bool grayed;
};

// Whether the keys are with a window over the screens (a picker or a box,
// neither a screen nor the main dialog): a screen mapping its actions
// again while it shows leaves them there.
bool keysWithAWindowOver(tessel::ui::WindowHandle mainDialog)
{
    tessel::ui::Window* focused = tessel::ui::windowFromHandle(tessel::ui::focusWindow());
    if (!focused)
        return false;
    const tessel::ui::Window* top = focused->topLevel();
    return top->handle() != mainDialog && !dynamic_cast<const CWinTSLayoutWindow*>(top);
}

std::string hex(std::uint32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", value);
    return text;
}

} // namespace

CWinTSLayout::CWinTSLayout(
    int templateId, const char16_t* className, CVXLLayout* layout, const WinTSDialogLink& link)
    : CWinTSLayoutWindow(className, layout, link)
    , templateId_(templateId)
    , className_(className)
{
    if (const auto* t = tessel::tesselres::dialogTemplate(templateId))
        setTemplate(t->controls);
    LogFont font;
    LoadFontFromRegistry(u"LayoutTitle", &font);
    titleFont_ = tessel::ui::Font::create(font.description());
    if (!titleFont_)
        titleFont_ = tessel::ui::Font::system();
    titleHeight_ = std::abs(font.lfHeight) + 2;
}

CWinTSLayout::~CWinTSLayout()
{
    winTSLog(kLogTrace, "~CWinTSLayout");
    transfers_.closeAll();
    if (HtmlNotificationShown())
        DismissHtmlNotification();
}

void CWinTSLayout::BuildWallpaper(bool force)
{
    std::lock_guard<std::mutex> lock(gWallpaperMutex);
    if (force)
        gWallpaper.reset();
    if (gWallpaper)
        return;
    std::uint32_t color = kDefaultWallpaper;
    registryReadDword(u"UIConfig", u"RGBWallPaper", &color, kDefaultWallpaper);
    gWallpaper
        = std::make_shared<tessel::ui::Bitmap>(tessel::ui::systemMetric(tessel::ui::kMetricScreenWidth),
            tessel::ui::systemMetric(tessel::ui::kMetricScreenHeight), tessel::ui::opaque(color));
}

std::shared_ptr<const tessel::ui::Bitmap> CWinTSLayout::wallpaper()
{
    std::lock_guard<std::mutex> lock(gWallpaperMutex);
    return gWallpaper;
}

void CWinTSLayout::addTransparentControl(int id)
{
    if (transparentCount_ < kMaxTransparent)
        transparent_[transparentCount_++] = id;
}

void CWinTSLayout::onCreate()
{
    transfers_.setWindow(handle());
    BuildWallpaper(false);
    const std::u16string title = utf8ToWide(layout_->getTitle().c_str());
    tessel::ui::Window* placeholder = child(kTitlePlaceholder);
    if (placeholder)
        placeholder->show(false);
    if (showTitle_ && !title.empty()) {
        addTransparentControl(kTitlePlaceholder);
        if (placeholder) {
            const Rect client = clientRect();
            title_ = std::make_unique<CWinTSTitle>();
            title_->create(u"WinTSTitle", u"WinTSTitle", this, kTitleWindow,
                Rect {client.left, client.top, client.right, client.top + titleHeight_});
            title_->moveWindow(Rect {client.left, client.top, client.right, client.top + titleHeight_});
            title_->windowProc(tessel::ui::kWmSetFont, reinterpret_cast<std::uintptr_t>(titleFont_.get()), 1);
            title_->setText(title);
        }
    }
    tessel::ui::postMessage(link_.dialog, link_.actionsMapped, 0, 0);
    // The close button would follow the OK command, which the first mapping
    // below only sets: on first display there is none to follow.
    if (!MapActions(true))
        winTSLog(kLogFailure, "Failure to render actions");
    setText(u"Tessel");
}

void CWinTSLayout::onDestroy()
{
    // Transfers still running end without a window to tell.
    transfers_.closeAll();
    CWinTSLayoutWindow::onDestroy();
}

void CWinTSLayout::rememberOkCandidate(std::uint32_t eventId, std::uint32_t command)
{
    switch (eventId & 0xFF) {
    case kLayoutActionBack:
        candidateBack_ = command;
        break;
    case kLayoutActionExit:
        candidateExit_ = command;
        break;
    case kLayoutActionCancel:
        candidateCancel_ = command;
        break;
    default:
        break;
    }
}

bool CWinTSLayout::MapActions(bool inputPanel)
{
    auto bar = std::make_shared<Menu>();
    for (std::uint32_t n = 1; n <= actionCount_; ++n)
        actions_[n] = ActionEntry {};
    actionCount_ = 0;
    defaultCommand_ = 0;
    candidateBack_ = candidateExit_ = candidateCancel_ = 0;
    std::vector<RightSideEntry> right;
    bool haveLeft = false;
    bool buttonTried = false;
    tessel::ui::Window* button = child(kButton);
    if (button)
        button->show(false);

    auto addRight = [&right](std::uint32_t command, const std::u16string& label, bool grayed) {
        if (right.size() >= kMaxRightSide) {
            winTSLog(kLogWarning,
                "a right-side action beyond the list's 20 is not offered: " + std::to_string(command));
            return;
        }
        right.push_back(RightSideEntry {command, label, grayed});
    };

    layout_->firstAction();
    while (layout_->hasNextAction()) {
        const std::uint32_t eventId = layout_->nextAction();
        if (eventId == CVXLLayout::kNoMoreActions)
            break;
        if (IsActionHidden(eventId) || (eventId & 0xFFFF) == kLayoutActionUpdate)
            continue;
        if (actionCount_ >= kMaxActions) {
            winTSAssert("a state maps at most 99 actions; not offered: " + hex(eventId));
            continue;
        }
        const std::uint32_t n = ++actionCount_;
        actions_[n] = ActionEntry {eventId, 0, nullptr};
        const std::uint32_t command = kFirstActionCommand + n;
        const bool enabled = layout_->canSubmitAction(eventId);
        const std::u16string label = utf8ToWide(layout_->getActionLabel(eventId).c_str());
        const std::uint32_t kind = layout_->getActionKind(eventId);
        if (enabled)
            rememberOkCandidate(eventId, command);

        switch (kind) {
        case kActionKindLeftSoftKey:
            bar->add(command, label, !enabled);
            defaultCommand_ = command;
            haveLeft = true;
            break;
        case kActionKindRightSoftKey:
        case kActionKindMenuItem:
            addRight(command, label, !enabled);
            break;
        case kActionKindHardKey:
        case kActionKindUnplaced: {
            std::uint32_t key = 0;
            registryReadDword(u"HardKey", utf8ToWide(std::to_string(eventId & 0xFF)), &key, 0);
            if (key != 0) {
                actions_[n].keyCode = key;
                break;
            }
            // The first such action of the pass tries the template's button.
            if (!buttonTried) {
                buttonTried = true;
                if (button) {
                    button->setText(label);
                    button->enable(enabled);
                    button->show(true);
                    if (!keysWithAWindowOver(link_.dialog))
                        tessel::ui::setFocus(button->handle());
                    actions_[n].button = button;
                    break;
                }
            }
            addRight(command, label, !enabled);
            break;
        }
        default:
            break;
        }
    }

    for (std::uint32_t i = 0; i < GetExtraActionCount(); ++i) {
        std::uint32_t command = 0;
        std::u16string label;
        bool grayed = false;
        GetExtraAction(i, &command, &label, &grayed);
        addRight(command, label, grayed);
    }

    // Without a left soft key, Enter takes the first right-side entry that
    // can be chosen; none when all are grayed.
    if (!haveLeft) {
        for (const RightSideEntry& entry : right) {
            if (!entry.grayed) {
                defaultCommand_ = entry.command;
                break;
            }
        }
    }

    if (right.size() == 1 || (right.size() == 2 && !haveLeft)) {
        for (const RightSideEntry& entry : right) {
            if (!entry.grayed)
                bar->add(entry.command, entry.label, false);
        }
    } else if (right.size() >= 2) {
        auto popup = std::make_shared<Menu>();
        for (const RightSideEntry& entry : right)
            popup->add(entry.command, entry.label, entry.grayed);
        bar->addPopup(u"Options", popup);
    }

    if (layout_->layoutType() != kLayoutMessageComposer) {
        if (bar->size() > 0) {
            SetMenuBar(bar, inputPanel);
        } else {
            winTSLog(kLogInfo, "Action Menubar is empty");
            SetMenuBar(nullptr, inputPanel);
        }
    }

    if (candidateExit_)
        okCommand_ = candidateExit_;
    if (candidateBack_)
        okCommand_ = candidateBack_;
    if (candidateCancel_)
        okCommand_ = candidateCancel_;
    return true;
}

bool CWinTSLayout::SetMenuBar(std::shared_ptr<Menu> menu, bool)
{
    setMenuBar(menu ? std::move(menu) : std::make_shared<Menu>());
    return true;
}

void CWinTSLayout::SubmitAction(std::uint32_t command)
{
    const std::uint32_t n = command - kFirstActionCommand;
    if (command <= kFirstActionCommand || n > actionCount_) {
        winTSLog(kLogWarning, "SubmitAction failure: no action has command " + std::to_string(command));
        return;
    }
    // Until the engine answers the window takes no further choice.
    if (!enabled()) {
        winTSLog(kLogInfo, "SubmitAction ignored: the window waits for the engine");
        return;
    }
    const std::uint32_t eventId = actions_[n].eventId;
    if ((eventId & 0xFF) == kLayoutActionExit) {
        winTSLog(kLogTrace, "Process EXIT, set releaseLayoutFlag");
        exitSubmitted_ = true;
    }
    if (layout_->submitAction(eventId) != 1)
        winTSLog(kLogFailure, "SubmitAction failure");
    tessel::ui::postMessage(link_.dialog, link_.actionSubmitted, eventId, 0);
    enable(false);
}

bool CWinTSLayout::OnHardKey(std::uint32_t key)
{
    for (std::uint32_t n = 1; n <= actionCount_; ++n) {
        if (actions_[n].keyCode != 0 && actions_[n].keyCode == key) {
            winTSLog(kLogTrace, "Hardkey Action detection");
            tessel::ui::postMessage(handle(), tessel::ui::kWmCommand, kFirstActionCommand + n, 0);
            return true;
        }
    }
    if (key == tessel::ui::kVkReturn && defaultCommand_ != 0)
        SubmitAction(defaultCommand_);
    return false;
}

void CWinTSLayout::OnButton()
{
    tessel::ui::Window* button = child(kButton);
    for (std::uint32_t n = 1; button && n <= actionCount_; ++n) {
        if (actions_[n].button == button) {
            winTSLog(kLogTrace, "Button Action detection");
            tessel::ui::postMessage(handle(), tessel::ui::kWmCommand, kFirstActionCommand + n, 0);
            return;
        }
    }
}

bool CWinTSLayout::submitExit()
{
    for (std::uint32_t n = 1; n <= actionCount_; ++n) {
        if ((actions_[n].eventId & 0xFF) == kLayoutActionExit) {
            winTSLog(kLogTrace, "submitExit Found Action");
            tessel::ui::postMessage(handle(), tessel::ui::kWmCommand, kFirstActionCommand + n, 0);
            return true;
        }
    }
    winTSLog(kLogTrace, "submitExit Action not found, aborting :(");
    return false;
}

void CWinTSLayout::onOk()
{
    if (okCommand_ != 0)
        SubmitAction(okCommand_);
    else
        winTSLog(kLogTrace, "No OnOK Handler");
}

bool CWinTSLayout::onSoftKey(int index)
{
    return enabled() && Dialog::onSoftKey(index);
}

std::int64_t CWinTSLayout::onCommand(std::uint32_t id, std::uint32_t code)
{
    if (id >= kFirstActionCommand && id <= kLastActionCommand) {
        SubmitAction(id);
        return 0;
    }
    if (id == kCommandAbout) {
        ShowAbout();
        return 0;
    }
    if (id == static_cast<std::uint32_t>(kButton)) {
        OnButton();
        return 0;
    }
    return CWinTSLayoutWindow::onCommand(id, code);
}

void CWinTSLayout::Refresh(CVXLLayout* layout)
{
    if (layout)
        layout_ = layout;
    enable(true);
    if (!MapActions(true))
        winTSLog(kLogFailure, "Failure to render actions");
    tessel::ui::postMessage(link_.dialog, link_.actionsMapped, 0, 0);
}

void CWinTSLayout::EndLayout(CWinTSLayoutWindow* window)
{
    if (runningChild_)
        winTSAssert("a nested layout window runs already");
    runningChild_ = true;
    enable(false);
    CVXLLayout* layout = window->layout();
    const int result = window->run(this);
    delete window;
    runningChild_ = false;
    tessel::ui::postMessage(
        link_.dialog, link_.layoutEnded, reinterpret_cast<std::uintptr_t>(layout), result);
    enable(true);
}

void CWinTSLayout::OnReleaseWindow()
{
    winTSLog(kLogTrace, "OnReleaseWindow");
    endDialog(exitSubmitted_ ? 1 : 0);
}

void CWinTSLayout::SetCurrentElement(CWinTSElement* element)
{
    if (element && element == currentElement_)
        return;
    if (currentElement_)
        currentElement_->SetFocused(false);
    tessel::ui::setFocus(handle());
    currentElement_ = element;
    if (element) {
        element->SetFocused(true);
        helpTopic_ = element->className();
    } else {
        helpTopic_ = className_;
    }
}

void CWinTSLayout::ShowHelp()
{
    tessel::shell::ShellExecuteInfo info;
    info.window = handle();
    info.file = kBrowser;
    info.parameters = kHelpPage + helpTopic_;
    info.show = tessel::shell::kSwShowNormal;
    tessel::shell::shellExecuteEx(&info);
}

void CWinTSLayout::ShowAbout()
{
    // The program carries no version resource here: the notice is empty,
    // as it is wherever the version cannot be read.
    ShowHtmlNotification(u"");
}

void CWinTSLayout::OnSettingChange(std::uint32_t flags)
{
    if (flags != kSettingFonts && flags != kSettingScreen)
        return;
    if (!MapActions(true)) {
        winTSLog(kLogFailure, "Failure to render actions");
        return;
    }
    BuildWallpaper(true);
    if (title_) {
        const Rect at = title_->windowRect();
        title_->moveWindow(Rect {0, at.top, clientRect().width(), at.bottom});
    }
}

Rect CWinTSLayout::GetContentRect() const
{
    Rect r = clientRect();
    if (title_) {
        r.left += kContentMargin;
        r.right -= kContentMargin;
        r.top += titleHeight_;
        r.bottom -= titleHeight_;
    }
    return r;
}

void CWinTSLayout::ScrollContent(int dy)
{
    if (dy == 0)
        return;
    scrollOffset_ += dy;
    // The title band stays; what lies below it moves.
    for (tessel::ui::Window* child : children()) {
        if (child == title_.get() || !child->hasRect())
            continue;
        const Rect r = child->windowRect();
        child->moveWindow(Rect {r.left, r.top + dy, r.right, r.bottom + dy});
    }
}

int CWinTSLayout::paint(tessel::ui::Canvas& canvas, const Rect& area) const
{
    const std::shared_ptr<const tessel::ui::Bitmap> picture = wallpaper();
    if (!picture) {
        winTSAssert("no wallpaper to paint");
        return 0;
    }
    canvas.stretchBlt(area, *picture, picture->bounds());
    return 0;
}

std::int64_t CWinTSLayout::windowProc(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam)
{
    switch (message) {
    case tessel::ui::kWmKeyUp:
        return 0;
    case tessel::ui::kWmHelp:
        ShowHelp();
        return 0;
    case tessel::ui::kWmSettingChange:
        OnSettingChange(static_cast<std::uint32_t>(wParam));
        return 0;
    case kWmLayoutSetElement:
        SetCurrentElement(reinterpret_cast<CWinTSElement*>(static_cast<std::uintptr_t>(wParam)));
        return 0;
    case kWmLayoutRunChild:
        EndLayout(reinterpret_cast<CWinTSLayoutWindow*>(static_cast<std::uintptr_t>(wParam)));
        return 0;
    case kWmLayoutRelease:
        OnReleaseWindow();
        return 0;
    case kWmTransferEnded:
        if (CWinTSTransfer* transfer = transfers_.take(lParam))
            OnTransferEnded(transfer, transfer->index());
        return 0;
    default:
        return CWinTSLayoutWindow::windowProc(message, wParam, lParam);
    }
}
