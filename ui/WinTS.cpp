#include "ui/WinTS.h"

#include "platform/ipc/WindowExchange.h"
#include "platform/kernel/Clock.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/WindowSystem.h"
#include "ui/WinTSLayoutWindow.h"
#include "ui/WinTSLog.h"
#include "ui/WinTSMessages.h"

#include <chrono>

using namespace tessel;

namespace {

// Posted to the application's own thread to shut the engine down.
constexpr std::uint32_t kThreadClose = ui::kWmClose;

// Whether a key for this window is the screens' to offer: a window over
// them (a picker, a box) has its keys to itself.
bool keyForScreens(ui::WindowHandle handle, const CWinTSDlg& dialog)
{
    ui::Window* window = ui::windowFromHandle(handle);
    if (!window)
        return true;
    const ui::Window* top = window->topLevel();
    return top == &dialog || dynamic_cast<const CWinTSLayoutWindow*>(top);
}

} // namespace

CWinTS::CWinTS(CWinTSEngine& engine, bool shareWindows)
    : base_(u"Tessel")
    , engine_(engine)
    , shareWindows_(shareWindows)
{
}

CWinTS::~CWinTS()
{
    client_.reset();
    // Only the process that took the name gives it back, or a third
    // instance could start beside the second.
    if (singleInstance_) {
        if (instanceTaken_)
            kernel::semaphoreRelease(singleInstance_, 1, nullptr);
        kernel::semaphoreClose(singleInstance_);
    }
}

bool CWinTS::initInstance()
{
    singleInstance_ = kernel::semaphoreCreate("WINTS_CanBeOnlyOne", 1, 1);
    if (!singleInstance_
        || kernel::semaphoreWait(singleInstance_, kInstanceWaitMs) != kernel::SemaphoreWait::Taken) {
        winTSLog(kLogInfo, "another instance runs");
        return false;
    }
    instanceTaken_ = true;
    busy_ = true;
    // Only the instance that runs lists its windows for the others.
    if (shareWindows_ && !ipc::startWindowExchange())
        winTSLog(kLogFailure, "the window exchange could not be started");

    client_ = std::make_unique<CWinTSClient>(engine_);
    if (!client_->createThread(true))
        return false;
    ui::setDispatchLock(&client_->engineLock());

    if (!hidden_.create())
        return false;
    RegisterClientWindow();
    client_->resume();
    client_->waitForFastStartup();
    busy_ = false;
    return true;
}

int CWinTS::exitInstance(int exitCode)
{
    mApplication_.reset();
    if (client_ && !client_->loopEnded()) {
        // The engine saves on its way out; requests it still makes are
        // answered as usual meanwhile.
        client_->postThreadMessage(kMsgShutdown, 0, 0);
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(kEngineEndWaitMs);
        for (std::uint32_t waited = 0;
             !client_->loopEnded() && waited < kEngineEndWaitMs && std::chrono::steady_clock::now() < until;
             waited += 10) {
            ui::Message message;
            if (ui::peekMessage(&message, true)) {
                if (message.id == ui::kWmQuit)
                    continue;
                if (!preTranslateMessage(message))
                    ui::dispatchMessage(message);
                continue;
            }
            // A driven clock moves on here, so the engine's timers come.
            kernel::sleepMs(10);
            auto queue = ui::MessageQueue::current();
            queue->wait(1, queue->wakeCount());
        }
        if (!client_->loopEnded())
            winTSLog(kLogFailure, "the engine did not end in time");
    }
    mApplication_.reset();
    // The windows go with the thread that made them.
    if (hidden_.exists()) {
        hidden_.setText(u"Exiting Tessel...");
        hidden_.destroy();
    }
    ui::setDispatchLock(nullptr);
    return exitCode;
}

void CWinTS::RegisterClientWindow()
{
    client_->SetWindow(hidden_.handle(), kWmMainActivity, kWmMainShutdown, kWmMainDontRun);
}

void CWinTS::requestClose()
{
    if (client_)
        client_->postThreadMessage(kMsgShutdown, 0, 0);
}

void CWinTS::onThreadMessage(const ui::Message& message)
{
    if (message.id == kThreadClose)
        requestClose();
}

std::unique_ptr<CWinTSDlg> CWinTS::makeDialog(CWinTSClient& client, ui::WindowHandle hidden)
{
    return std::make_unique<CWinTSDlg>(client, hidden);
}

void CWinTS::createDialog()
{
    mApplication_ = makeDialog(*client_, hidden_.handle());
    if (!mApplication_->create())
        winTSAssert("the main dialog could not be made");
}

bool CWinTS::preTranslateMessage(ui::Message& message)
{
    if (message.id >= kMsgRedirectFirst && message.id <= kMsgRedirectLast && message.lParam == 0)
        message.window = hidden_.handle();
    if (message.window != 0 && message.window == hidden_.handle()) {
        switch (message.id) {
        case kWmReturnToMenu:
            // A dialog made since the close (for a request that came
            // meanwhile) stays.
            if (!mApplication_ || !mApplication_->exists()) {
                mApplication_.reset();
                winTSLog(kLogTrace, "mApplication deleted");
                RegisterClientWindow();
            }
            busy_ = false;
            if (pendingLaunch_.window != 0) {
                lastLaunchTick_ = 0;
                ui::postMessage(
                    pendingLaunch_.window, pendingLaunch_.id, pendingLaunch_.wParam, pendingLaunch_.lParam);
                pendingLaunch_ = ui::Message {};
                winTSLog(kLogInfo, "Send Pending Action");
            } else {
                winTSLog(kLogTrace, "No Pending actions");
            }
            return true;
        case kWmMainActivity:
            // A request that arrives between the dialog's close and its
            // deletion gets a new dialog, or it would be lost.
            if (mApplication_ && !mApplication_->exists()) {
                mApplication_.reset();
                winTSLog(kLogTrace, "mApplication deleted");
            }
            if (!mApplication_)
                createDialog();
            ui::postMessage(mApplication_->handle(), message.id, message.wParam, message.lParam);
            return true;
        case kWmMainShutdown:
            // The engine has ended: with or without a dialog, so does the program.
            winTSLog(kLogInfo, "WM_MAIN_SHUTDOWN: the engine has ended");
            ui::postQuitMessage(0);
            return true;
        case kWmMainDontRun:
            if (mApplication_) {
                ui::postMessage(mApplication_->handle(), message.id, message.wParam, message.lParam);
                winTSLog(kLogTrace, "WM_MAIN_DONTRUN sent to mApplication");
                return true;
            }
            break;
        case kMsgLaunch:
        case kMsgLaunchPostToService:
        case kMsgLaunchVariant: {
            const std::uint32_t now = kernel::tickCount();
            if (lastLaunchTick_ != 0 && now - lastLaunchTick_ < kLaunchDebounceMs) {
                winTSLog(kLogInfo, "Launch Debounce Catch, ignoring");
                return true;
            }
            lastLaunchTick_ = now;
            if (mApplication_) {
                busy_ = true;
                pendingLaunch_ = message;
                pendingLaunch_.lParam = 1;
                ui::postMessage(mApplication_->handle(), kMsgLaunchExit, 0, 1);
            } else {
                createDialog();
                ui::postMessage(mApplication_->handle(), message.id, message.wParam, 1);
            }
            return true;
        }
        default:
            break;
        }
    }
    if (mApplication_) {
        if (mApplication_->PreTranslateMessage(message))
            return true;
        if (!keyForScreens(message.window, *mApplication_))
            return false;
        std::int64_t used = 0;
        if (message.id == ui::kWmKeyDown)
            used = mApplication_->ForwardKeyDown(static_cast<std::uint32_t>(message.wParam));
        else if (message.id == ui::kWmKeyUp && (message.wParam == ui::kVkEnd || message.wParam == ui::kVkF4))
            used = mApplication_->ForwardKeyDown(static_cast<std::uint32_t>(message.wParam));
        else if (message.id == ui::kWmChar)
            used = mApplication_->ForwardChar(static_cast<std::uint32_t>(message.wParam));
        if (used)
            return true;
    }
    return false;
}
