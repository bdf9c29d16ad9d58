#include "ui/WinTSDlg.h"

#include "engine/client/VXLUIRequest.h"
#include "engine/screens/VXLLayout.h"
#include "engine/screens/VXLLayoutMessageComposer.h"
#include "platform/kernel/Clock.h"
#include "platform/kernel/DeviceRoot.h"
#include "platform/kernel/TextCodec.h"
#include "platform/mapi/MailCompose.h"
#include "platform/mapi/MapiFolder.h"
#include "platform/mapi/MapiSession.h"
#include "platform/mapi/MessageStore.h"
#include "platform/mapi/PropValue.h"
#include "platform/shell/FilePicker.h"
#include "platform/shell/ShellExecute.h"
#include "platform/tesselres/TesselRes.h"
#include "platform/ui/Canvas.h"
#include "platform/ui/WindowSystem.h"
#include "ui/LaunchRequest.h"
#include "ui/Layouts/WinTSLayoutChoiceSelection.h"
#include "ui/Layouts/WinTSLayoutContactChooser.h"
#include "ui/Layouts/WinTSLayoutError.h"
#include "ui/Layouts/WinTSLayoutInformation.h"
#include "ui/Layouts/WinTSLayoutMenuList.h"
#include "ui/Layouts/WinTSLayoutMessageComposer.h"
#include "ui/Layouts/WinTSLayoutProgressBar.h"
#include "ui/Layouts/WinTSLayoutProgressSpinner.h"
#include "ui/WinTSClient.h"
#include "ui/WinTSLog.h"
#include "ui/WinTSMainMenu.h"
#include "ui/WinTSMessages.h"
#include "ui/WinTSRegistry.h"
#include "ui/WinTSStorage.h"

#include <atomic>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

using tessel::kernel::wideToUtf8;

namespace {

// The service's notices, as the clean-up compares them (with case).
constexpr const char* kServiceNoticeClass = "IPM.SMStext.Tessel";
constexpr const char16_t* kBrowser = u"/Windows/iexplore.exe";
constexpr const char16_t* kPickerTitle = u"Select Image to Post";
constexpr std::uint32_t kPickerExFlags = 0x30002;

std::atomic<std::uint32_t> gLaunchKind {0};

std::u16string trimmed(const std::u16string& text)
{
    const auto blank = [](char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; };
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && blank(text[first]))
        ++first;
    while (last > first && blank(text[last - 1]))
        --last;
    return text.substr(first, last - first);
}

bool sameIgnoringCase(const std::u16string& a, const char16_t* b)
{
    const std::u16string other(b);
    if (a.size() != other.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower
            = [](char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; };
        if (lower(a[i]) != lower(other[i]))
            return false;
    }
    return true;
}

std::u16string launchValue(const char16_t* name)
{
    std::u16string text;
    registryRead(kLaunchSection, name, &text);
    return text;
}

void clearLaunchValue(const char16_t* name)
{
    registryWrite(kLaunchSection, name, u"");
}

} // namespace

std::uint32_t CWinTSDlg::launchKind()
{
    return gLaunchKind;
}

CWinTSDlg::CWinTSDlg(CWinTSClient& client, tessel::ui::WindowHandle hiddenWindow)
    : base_(u"Norvane Tessel")
    , client_(client)
    , hiddenWindow_(hiddenWindow)
{
    LoadFontFromRegistry(u"MainMenu", &menuFont_);
    registryReadDword(u"UIConfig", u"ForegroundForce", &foregroundForce_, 1500);
}

CWinTSDlg::~CWinTSDlg()
{
    DeleteTempFiles();
}

int CWinTSDlg::paint(tessel::ui::Canvas& canvas, const tessel::ui::Rect& area) const
{
    const int used = Dialog::paint(canvas, area);
    if (const int mark = client_.heartbeatMark()) {
        const tessel::ui::Color color
            = mark == 1 ? tessel::ui::rgb(255, 0, 0) : tessel::ui::rgb(255, 255, 255);
        canvas.fillRect(
            tessel::ui::Rect {area.right - kHeartbeatSide, area.top, area.right, area.top + kHeartbeatSide},
            tessel::ui::Brush::solid(color));
    }
    return used;
}

bool CWinTSDlg::create()
{
    if (!createModeless(u"Tessel"))
        return false;
    show(false);
    return true;
}

void CWinTSDlg::onCreate()
{
    // An empty menu bar: the layouts bring their own soft keys.
    setMenuBar(std::make_shared<tessel::ui::Menu>());
    client_.SetWindow(handle(), kWmMainActivity, kWmMainShutdown, kWmMainDontRun);
    setText(u"Tessel");
}

WinTSDialogLink CWinTSDlg::link() const
{
    return WinTSDialogLink {
        handle(), kMsgActionSubmitted, kMsgActionsMapped, kMsgLayoutEnded, kMsgElementStored};
}

CWinTSLayoutWindow* CWinTSDlg::layoutWindow(int index) const
{
    return index >= 0 && index <= top_ ? stack_[index] : nullptr;
}

CWinTSLayoutWindow* CWinTSDlg::createLayoutWindow(
    std::uint32_t type, tessel::ui::Window*, CVXLLayout* layout, const WinTSDialogLink& link)
{
    switch (type) {
    case kLayoutChoiceSelection:
        return new CWinTSLayoutChoiceSelection(layout, link);
    case kLayoutContactChooser:
        return new CWinTSLayoutContactChooser(layout, link);
    case kLayoutError:
        return new CWinTSLayoutError(layout, link);
    case kLayoutInformation:
        return new CWinTSLayoutInformation(layout, link);
    case kLayoutMenuList:
        return new CWinTSLayoutMenuList(layout, link);
    case kLayoutMessageComposer:
        return new CWinTSLayoutMessageComposer(static_cast<CVXLLayoutMessageComposer*>(layout), link);
    case kLayoutProgressBar:
        return new CWinTSLayoutProgressBar(layout, link);
    case kLayoutProgressSpinner:
        return new CWinTSLayoutProgressSpinner(layout, link);
    default:
        return nullptr;
    }
}

void CWinTSDlg::kick()
{
    client_.ArmTimer(1);
}

std::int64_t CWinTSDlg::windowProc(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam)
{
    switch (message) {
    case kMsgLaunch:
        OnLaunchCommand();
        return 1;
    case kMsgLaunchExit:
        OnLaunchExit();
        return 0;
    case kWmMainActivity:
        OnEngineRequest(wParam);
        return 0;
    case kWmMainShutdown:
        OnEngineShutdown();
        return 0;
    case kWmMainDontRun:
        winTSLog(kLogTrace, "OnDontRun() received");
        return 0;
    case kMsgRun:
        winTSLog(kLogTrace, "OnRun() received");
        kick();
        return 0;
    case kMsgActionSubmitted:
    case kMsgActionsMapped:
    case kMsgElementStored:
        kick();
        return 1;
    case kMsgLayoutEnded:
        OnLayoutReleased(reinterpret_cast<CVXLLayout*>(static_cast<std::uintptr_t>(wParam)), lParam);
        return 0;
    case tessel::ui::kWmTimer:
        OnTimer(wParam);
        return 0;
    default:
        return Dialog::windowProc(message, wParam, lParam);
    }
}

bool CWinTSDlg::systemStatePasses(const char* what)
{
    char16_t text[kStateTextCapacity] = {};
    if (WinTS_CheckSystemState(text, kStateTextCapacity))
        return true;
    text[kStateTextCapacity - 1] = 0;
    ShowHtmlNotification(text);
    winTSLog(kLogWarning, std::string("WinTS_CheckSystemState does not pass - ") + what);
    QuitApplication();
    return false;
}

void CWinTSDlg::OnEngineRequest(std::uint64_t wParam)
{
    // Everything of the request is copied first: a kick inside a nested run
    // lets the engine step, and its next step frees the request.
    const auto* request = reinterpret_cast<const CVXLUIRequest*>(static_cast<std::uintptr_t>(wParam));
    if (!request) {
        kick();
        return;
    }
    const UIRequestKind kind = request->kind();
    CVXLLayout* layout = request->layout();
    CVXLLayout* replaced = request->replacedLayout();
    const std::string url = request->url().c_str();
    request = nullptr;

    switch (kind) {
    case kUIRequestNewLayout:
        if (!systemStatePasses("NEW_LAYOUT"))
            return;
        tessel::ui::killTimer(handle(), kHideTimer);
        CreateLayout(layout);
        TraceEvent(kLogTrace, kTraceActivity, 0, 0, "New");
        return;
    case kUIRequestReleaseLayout:
        ReleaseLayout(layout);
        TraceEvent(kLogTrace, kTraceActivity, 0, 0, "Release");
        return;
    case kUIRequestUpdatedLayout:
        if (!systemStatePasses("UPDATED_LAYOUT"))
            return;
        UpdateLayout(layout);
        TraceEvent(kLogTrace, kTraceActivity, 0, 0, "Updated");
        return;
    case kUIRequestReplaceLayout:
        CreateLayout(layout);
        ReleaseLayout(replaced);
        TraceEvent(kLogTrace, kTraceActivity, 0, 0, "Replace");
        return;
    case kUIRequestReturnToMenu:
        winTSLog(kLogTrace, "Returning to main menu...");
        ReturnToMain();
        return;
    case kUIRequestProcessUrl:
        winTSLog(kLogTrace, "process URL");
        LaunchBrowser(url);
        kick();
        return;
    case kUIRequestReturnToIdle:
        winTSLog(kLogTrace, "Returning to IDLE...");
        ReturnToMain();
        return;
    default:
        // Nothing here shows these; the engine is kicked so it never waits.
        TraceEvent(kLogInfo, kTraceActivity, static_cast<std::int32_t>(kind), 0, "UNSUPPORTED");
        kick();
        return;
    }
}

void CWinTSDlg::CreateLayout(CVXLLayout* layout)
{
    if (!layout) {
        kick();
        return;
    }
    const std::uint32_t type = layout->layoutType();
    if (top_ + 1 >= kMaxLayouts) {
        winTSLog(kLogWarning, "a layout beyond the screen stack's 30 is released");
        releaseToEngine(layout);
        return;
    }
    tessel::ui::Window* parent = top_ >= 0 ? static_cast<tessel::ui::Window*>(stack_[top_]) : this;
    const bool windowless = type == kLayoutMediaBrowser || type == kLayoutMessageList
        || type == kLayoutMessageSummary || type == kLayoutThreadList;
    CWinTSLayoutWindow* window = windowless ? nullptr : createLayoutWindow(type, parent, layout, link());
    if (!window) {
        if (!windowless)
            winTSLog(kLogInfo, "Unsupported layout type " + std::to_string(type));
        answerWithoutWindow(layout);
        return;
    }
    show(true);
    stack_[++top_] = window;
    layout->setView(window);
    if (top_ > 0) {
        tessel::ui::postMessage(
            stack_[top_ - 1]->handle(), kWmLayoutRunChild, reinterpret_cast<std::uintptr_t>(window), 0);
        return;
    }
    if (bottomRunning_)
        winTSAssert("the bottom layout runs already");
    bottomRunning_ = true;
    const int result = window->run(this);
    delete window;
    bottomRunning_ = false;
    tessel::ui::postMessage(handle(), kMsgLayoutEnded, reinterpret_cast<std::uintptr_t>(layout), result);
}

// A layout without a window: the media browser goes on, the others go back,
// else exit, else go back to the engine.
void CWinTSDlg::answerWithoutWindow(CVXLLayout* layout)
{
    const std::uint32_t type = layout->layoutType();
    std::vector<std::uint32_t> actions;
    if (type == kLayoutMediaBrowser)
        actions.push_back(kLayoutActionContinue);
    actions.push_back(kLayoutActionBack);
    actions.push_back(kLayoutActionExit);
    for (std::uint32_t action : actions) {
        const std::uint32_t id = layoutEventId(type, action);
        if (layout->submitAction(id) == 1) {
            tessel::ui::postMessage(handle(), kMsgActionSubmitted, id, 0);
            return;
        }
    }
    winTSLog(kLogWarning, "SubmitAction failure: layout type " + std::to_string(type) + " released");
    releaseToEngine(layout);
}

void CWinTSDlg::releaseToEngine(CVXLLayout* layout)
{
    client_.postThreadMessage(kMsgReleaseLayout, reinterpret_cast<std::uintptr_t>(layout), 0);
    kick();
}

void CWinTSDlg::ReleaseLayout(CVXLLayout* layout)
{
    if (!layout) {
        kick();
        return;
    }
    // By the window's own layout: a job that ended before its release came
    // here has let go of the layout's view already.
    CWinTSLayoutWindow* window = nullptr;
    for (int n = top_; n >= 0 && !window; --n) {
        if (stack_[n] && stack_[n]->layout() == layout)
            window = stack_[n];
    }
    if (!window) {
        winTSLog(kLogTrace, "Released MESSAGE_THREAD_BROWSER");
        releaseToEngine(layout);
        return;
    }
    tessel::ui::postMessage(window->handle(), kWmLayoutRelease, 0, 0);
}

void CWinTSDlg::UpdateLayout(CVXLLayout* layout)
{
    auto* window = layout ? static_cast<CWinTSLayoutWindow*>(layout->view()) : nullptr;
    if (!window) {
        winTSLog(kLogTrace, "an update of a layout without a window");
        kick();
        return;
    }
    window->update(layout);
}

void CWinTSDlg::OnLayoutReleased(CVXLLayout* layout, std::int64_t result)
{
    if (client_.engineEnded()) {
        // The program's quit ended the window after the engine had ended:
        // the layout went with the engine, so only the window goes.
        if (top_ >= 0)
            stack_[top_--] = nullptr;
        return;
    }
    // A view already let go of is the engine's doing (its job has ended).
    if (top_ < 0 || !layout || (layout->view() && layout->view() != stack_[top_]))
        winTSAssert("the ended layout's window is not the top of the stack");
    if (layout && top_ >= 0 && layout->view() == stack_[top_])
        layout->detachView();
    if (top_ >= 0)
        stack_[top_--] = nullptr;
    if (top_ < 0) {
        if (result == 1) {
            winTSLog(kLogTrace, "Released with an EXIT, return to main");
            ReturnToMain();
        } else {
            winTSLog(kLogTrace,
                "Released with an something other than an exit.  If there is long delay we want to hide");
            tessel::ui::setTimer(handle(), kHideTimer, kHideAfterMs);
        }
    }
    client_.postThreadMessage(kMsgReleaseLayout, reinterpret_cast<std::uintptr_t>(layout), 0);
    kick();
}

void CWinTSDlg::ReturnToMain()
{
    winTSLog(kLogTrace, "Returning to main");
    if (reopenConfigure_) {
        reopenConfigure_ = false;
        // The engine goes on while the menu is up: what it left under way
        // (a settings write) must not wait for the menu to end.
        kick();
        LaunchToConfigure();
    } else {
        tessel::ui::setTimer(handle(), kHideTimer, kHideAfterMs);
        runExitCommand();
        OnClose();
    }
    CleanSmsInbox();
    kick();
}

void CWinTSDlg::LaunchToConfigure()
{
    winTSLog(kLogTrace, "Launch to Configure");
    client_.SelectGlobalMenu(u"FUN", configureText_);
    CGlobalMenuList* menu = client_.GetCoolSites();
    if (!menu)
        winTSLog(kLogWarning, "the engine has no cool-sites menu; the configuration menu is empty");
    int result = 0;
    {
        auto screen = std::make_unique<CWinTSMainMenu>(menu, configureText_, this);
        configureMenu_ = screen.get();
        result = runConfigureMenu(*screen);
        configureMenu_ = nullptr;
    }
    if (result == 1 || result == 2) {
        onOk();
    } else if (result >= CWinTSMainMenu::kSelectBase && result < CWinTSMainMenu::kHoldBase) {
        client_.RunGlobalMenuOption(
            u"Fun", static_cast<std::uint32_t>(result - CWinTSMainMenu::kSelectBase), configureText_);
        reopenConfigure_ = true;
    } else {
        kick();
    }
}

void CWinTSDlg::OnLaunchCommand()
{
    winTSLog(kLogInfo, "OnLaunchCommand");
    std::u16string messageClass = launchValue(kLaunchClass);
    std::u16string media = launchValue(kLaunchMedia);
    exitCommand_ = launchValue(kLaunchExitCommand);
    clearLaunchValue(kLaunchExitCommand);
    messageClass = trimmed(messageClass);
    media = trimmed(media);

    if (sameIgnoringCase(messageClass, kLaunchClassSms)) {
        OpenSmsComposer(messageClass);
    } else if (sameIgnoringCase(messageClass, kLaunchClassTessel)) {
        gLaunchKind = kLaunchCompose;
        if (!media.empty()) {
            clearLaunchValue(kLaunchMedia);
            media = usableMedia(media);
        }
        if (!media.empty())
            client_.RunGlobalMenuOption(u"CAPTURE_OPTIONS", 0, media);
        else
            client_.RunGlobalMenuOption(u"SEND_MESSAGE_GENERIC", 0, u"");
    } else if (sameIgnoringCase(messageClass, kLaunchClassPost)) {
        const std::u16string to = launchValue(kLaunchTo);
        if (to == kLaunchConfigure)
            LaunchToConfigure();
        else if (to.empty())
            PostToService(media);
    } else if (!messageClass.empty()) {
        winTSLog(kLogInfo, "a launch of class " + wideToUtf8(messageClass) + " is ignored");
    }
}

void CWinTSDlg::OpenSmsComposer(const std::u16string& messageClass)
{
    const std::u16string to = launchValue(kLaunchTo);
    std::u16string subject = launchValue(kLaunchSubject);
    std::u16string oldSubject;
    const bool hasOldSubject = registryRead(kLaunchSection, kLaunchOldSubject, &oldSubject);
    if (subject.empty())
        subject = oldSubject;
    const std::u16string body = launchValue(kLaunchText);
    for (const char16_t* name : {kLaunchClass, kLaunchMedia, kLaunchTo, kLaunchSubject, kLaunchText})
        clearLaunchValue(name);
    if (hasOldSubject)
        clearLaunchValue(kLaunchOldSubject);
    // The phone's composer comes up once the program's own screen has gone.
    tessel::kernel::sleepMs(kSmsComposerDelayMs);
    tessel::mapi::ComposeFields fields;
    fields.to = wideToUtf8(to);
    fields.subject = wideToUtf8(subject);
    fields.body = wideToUtf8(body);
    fields.account = "SMS";
    fields.messageClass = wideToUtf8(messageClass);
    if (const std::uint32_t result = tessel::mapi::mailComposeMessage(fields)) {
        char line[64];
        std::snprintf(line, sizeof line, "SMS Composer Failure %x\n", result);
        winTSLog(kLogWarning, line);
    }
    OnClose();
}

void CWinTSDlg::PostToService(std::u16string media)
{
    gLaunchKind = kLaunchPostToService;
    if (media.empty()) {
        std::u16string filter;
        std::u16string title;
        registryRead(u"UIConfig", u"MediaFilter", &filter);
        registryRead(u"UIConfig", u"PostMediaTitle", &title);
        tessel::shell::OpenFileNameEx picker;
        picker.owner = handle();
        picker.filter = std::u16string(u"Tessel Files") + u'\0' + filter + u'\0';
        picker.filterIndex = 1;
        picker.title = kPickerTitle;
        picker.exFlags = kPickerExFlags;
        if (tessel::shell::getOpenFileNameEx(&picker))
            media = picker.file;
    }
    if (media.empty())
        return;
    clearLaunchValue(kLaunchMedia);
    media = usableMedia(media);
    if (!media.empty())
        client_.RunGlobalMenuOption(u"CAPTURE_OPTIONS", 4, media);
}

std::u16string CWinTSDlg::usableMedia(const std::u16string& path)
{
    std::string host;
    if (tessel::kernel::mapPhonePath(wideToUtf8(path), &host))
        return path;
    winTSLog(kLogWarning,
        "a launch's media path that would leave the device root is ignored: " + wideToUtf8(path));
    return u"";
}

int CWinTSDlg::runConfigureMenu(CWinTSMainMenu& menu)
{
    return menu.run();
}

bool CWinTSDlg::PreTranslateMessage(const tessel::ui::Message& message)
{
    return configureMenu_ && configureMenu_->PreTranslateMessage(message);
}

void CWinTSDlg::runExitCommand()
{
    if (exitCommand_.empty())
        return;
    const std::u16string command = exitCommand_;
    exitCommand_.clear();
    const std::size_t blank = command.find(u' ');
    tessel::shell::ShellExecuteInfo info;
    info.window = handle();
    info.file = command.substr(0, blank);
    info.parameters = blank == std::u16string::npos ? std::u16string() : command.substr(blank + 1);
    info.show = tessel::shell::kSwShow;
    if (!tessel::shell::shellExecuteEx(&info))
        winTSLog(kLogWarning, "the exit command did not start: " + wideToUtf8(command));
}

void CWinTSDlg::LaunchBrowser(const std::string& url)
{
    tessel::shell::ShellExecuteInfo info;
    info.window = handle();
    info.file = kBrowser;
    info.parameters = tessel::kernel::utf8ToWide(url);
    info.show = tessel::shell::kSwShow;
    tessel::shell::shellExecuteEx(&info);
}

void CWinTSDlg::CleanSmsInbox()
{
    using namespace tessel::mapi;
    auto session = MapiSession::logon();
    if (!session)
        return;
    for (const PropRow& row : session->storeTable({kPropDisplayName, kPropEntryId})) {
        if (row.size() < 2 || row[0].text.find("SMS") == std::string::npos)
            continue;
        std::unique_ptr<MessageStore> store;
        if (session->openStore(row[1].text, &store) != kMapiOk || !store)
            return;
        std::unique_ptr<MapiFolder> inbox;
        if (store->openFolder(store->getProps({kPropInboxEntryId})[0].text, &inbox) != kMapiOk || !inbox)
            return;
        int deleted = 0;
        for (const PropRow& message : inbox->contentsTable({kPropEntryId, kPropMessageClass})) {
            if (message.size() < 2 || message[1].text != kServiceNoticeClass)
                continue;
            if (inbox->deleteMessages({message[0].text}) == kMapiOk)
                ++deleted;
        }
        if (deleted > 0)
            winTSLog(kLogInfo, "CleanSmsInbox deleted " + std::to_string(deleted) + " service notices");
        return;
    }
}

void CWinTSDlg::OnClose()
{
    if (configureMenu_) {
        // The menu's run closes the dialog once it has ended.
        configureMenu_->endDialog(1);
        return;
    }
    if (top_ >= 0) {
        winTSLog(kLogTrace, "OnClose overruled...we have layouts still");
        return;
    }
    if (hiddenWindow_ != 0) {
        winTSLog(kLogTrace, "OnClose WM_RETURN_TO_MENU");
        client_.SetWindow(hiddenWindow_, kWmMainActivity, kWmMainShutdown, kWmMainDontRun);
        tessel::ui::postMessage(hiddenWindow_, kWmReturnToMenu, 0, 0);
    }
    hiddenWindow_ = 0;
    destroy();
}

void CWinTSDlg::OnTimer(std::uint64_t id)
{
    if (id != kHideTimer)
        return;
    tessel::ui::killTimer(handle(), kHideTimer);
    if (top_ < 0) {
        winTSLog(kLogTrace, "WM_TIMER Hide us if we linger w/o a new layout");
        show(false);
    }
}

void CWinTSDlg::OnLaunchExit()
{
    winTSLog(kLogInfo, "OnLaunchExit");
    if (configureMenu_) {
        // Ended as by Cancel, which closes the dialog; the launch comes again
        // once it has gone.
        configureMenu_->endDialog(1);
        return;
    }
    if (top_ >= 0) {
        stack_[top_]->submitExit();
        kick();
        return;
    }
    winTSLog(kLogInfo, "No Layouts, we are returning to main");
    ReturnToMain();
}

void CWinTSDlg::OnEngineShutdown()
{
    // The engine has ended: the screens and the program end with it.
    winTSLog(kLogInfo, "WM_MAIN_SHUTDOWN: the engine has ended");
    QuitApplication();
}

int CWinTSDlg::ForwardKeyDown(std::uint32_t key)
{
    return top_ >= 0 ? stack_[top_]->forwardKeyDown(key) : 0;
}

int CWinTSDlg::ForwardChar(std::uint32_t character)
{
    return top_ >= 0 ? stack_[top_]->forwardChar(character) : 0;
}
