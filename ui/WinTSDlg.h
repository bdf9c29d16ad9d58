#pragma once

#include "platform/ui/Dialog.h"
#include "ui/WinTSBase.h"
#include "ui/WinTSHelpers.h"
#include "ui/WinTSLayoutWindow.h"

#include <array>
#include <cstdint>
#include <string>

class CVXLLayout;
class CWinTSClient;
class CWinTSMainMenu;

// The main dialog: it takes the engine's screen requests, keeps the stack
// of open layout windows (the bottom one runs modally inside this dialog,
// each further one on top of the one below), and tells the engine host
// thread when a screen has ended. Every request is answered: a layout that
// gets no window is answered at once with its Back action when it offers
// one, else its Exit, else it is released back to the engine; so is a
// layout beyond the stack's 30. When the last screen has gone and the
// engine returns to its menu, the dialog runs the pending exit command,
// deletes the service's notices from the SMS Inbox and closes itself.
class CWinTSDlg : public tessel::ui::Dialog {
public:
    static constexpr int kMaxLayouts = 30;
    static constexpr std::uint64_t kHideTimer = 65;
    static constexpr std::uint32_t kHideAfterMs = 1000;
    static constexpr std::uint32_t kStateTextCapacity = 255;
    static constexpr int kHeartbeatSide = 5;
    static constexpr std::uint32_t kSmsComposerDelayMs = 1500;
    static constexpr std::uint32_t kLaunchCompose = 0x8002;
    static constexpr std::uint32_t kLaunchPostToService = 0x8003;

    CWinTSDlg(CWinTSClient& client, tessel::ui::WindowHandle hiddenWindow);
    ~CWinTSDlg() override;

    // Creates the dialog's window (hidden until a screen shows).
    bool create();

    void CreateLayout(CVXLLayout* layout);
    void ReleaseLayout(CVXLLayout* layout);
    void UpdateLayout(CVXLLayout* layout);
    void ReturnToMain();
    // The configuration menu of cool sites, run modally: OK or Cancel
    // closes the dialog, a chosen site runs "Fun" at its position and opens
    // the menu again at the next return to main.
    void LaunchToConfigure();
    // A launch request of section Compose: the phone's SMS composer, a
    // compose or post-to-service flow, or the configuration menu. What it
    // used is cleared so that a later launch does not repeat it.
    void OnLaunchCommand();
    void OnClose();
    int ForwardKeyDown(std::uint32_t key);
    int ForwardChar(std::uint32_t character);
    // Offers a message to the configuration menu while it runs, before it
    // is dispatched; false: the message goes on.
    bool PreTranslateMessage(const tessel::ui::Message& message);

    // A program and its arguments, run when the flow returns to the menu.
    void setExitCommand(const std::u16string& command) { exitCommand_ = command; }
    const std::u16string& exitCommand() const { return exitCommand_; }
    int top() const { return top_; }
    // The kind of the last launch (kLaunchCompose, kLaunchPostToService;
    // 0 before any), for the screens that depend on it.
    static std::uint32_t launchKind();
    CWinTSLayoutWindow* layoutWindow(int index) const;

    std::int64_t windowProc(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam) override;
    // Also the host thread's heartbeat marker, when Debug "Heartbeat" is on:
    // a 5 by 5 square at the top right, red and white by turns.
    int paint(tessel::ui::Canvas& canvas, const tessel::ui::Rect& area) const override;

protected:
    // The window of a layout type; none for a type whose window is not
    // built. The dialog deletes what it gets.
    virtual CWinTSLayoutWindow* createLayoutWindow(
        std::uint32_t type, tessel::ui::Window* parent, CVXLLayout* layout, const WinTSDialogLink& link);
    // Runs the configuration menu modally; its result.
    virtual int runConfigureMenu(CWinTSMainMenu& menu);
    void onCreate() override;
    void onOk() override { OnClose(); }
    void onCancel() override { OnClose(); }

private:
    void OnEngineRequest(std::uint64_t request);
    void OpenSmsComposer(const std::u16string& messageClass);
    void PostToService(std::u16string media);
    // The media path when it stays inside the device root; else empty, logged.
    static std::u16string usableMedia(const std::u16string& path);
    void OnLayoutReleased(CVXLLayout* layout, std::int64_t result);
    void OnLaunchExit();
    void OnEngineShutdown();
    void OnTimer(std::uint64_t id);
    void answerWithoutWindow(CVXLLayout* layout);
    void releaseToEngine(CVXLLayout* layout);
    bool systemStatePasses(const char* what);
    void runExitCommand();
    void LaunchBrowser(const std::string& url);
    void CleanSmsInbox();
    void kick();
    WinTSDialogLink link() const;

    CWinTSBase base_;
    CWinTSClient& client_;
    tessel::ui::WindowHandle hiddenWindow_;
    std::array<CWinTSLayoutWindow*, kMaxLayouts> stack_ {};
    int top_ = -1;
    LogFont menuFont_;
    std::uint32_t foregroundForce_ = 1500;
    std::u16string exitCommand_;
    // Shared by the configuration menu and the menu-list screens.
    std::u16string configureText_;
    CWinTSMainMenu* configureMenu_ = nullptr;
    bool reopenConfigure_ = false;
    bool bottomRunning_ = false;
};
