#pragma once

#include "platform/kernel/NamedSemaphore.h"
#include "platform/ui/UiThread.h"
#include "ui/WinTSBase.h"
#include "ui/WinTSClient.h"
#include "ui/WinTSDlg.h"
#include "ui/WinTSMainWnd.h"

#include <cstdint>
#include <memory>

class CWinTSEngine;

// The application object: it lets one instance run ("WINTS_CanBeOnlyOne",
// released only by the process that took it), starts the engine host
// thread, makes the hidden window, and is the hub every message of the
// user-interface thread passes first: it creates the main dialog when the
// engine or a launch request has something to show, deletes it once it has
// closed, ignores a launch within 200 ms of the last one, and keeps a
// launch that arrives while the dialog lives until the dialog has gone.
// The engine's end (WM_MAIN_SHUTDOWN) ends the program.
class CWinTS : public tessel::ui::UiThread {
public:
    static constexpr std::uint32_t kInstanceWaitMs = 100;
    static constexpr std::uint32_t kLaunchDebounceMs = 200;
    // How long the program waits at its end for the engine to save and end.
    static constexpr std::uint32_t kEngineEndWaitMs = 20000;

    // shareWindows: the program's windows are found and posted to from
    // other processes (the phone program itself; tests keep to one process).
    explicit CWinTS(CWinTSEngine& engine, bool shareWindows = false);
    ~CWinTS() override;

    bool initInstance() override;
    int exitInstance(int exitCode) override;
    bool preTranslateMessage(tessel::ui::Message& message) override;
    void onThreadMessage(const tessel::ui::Message& message) override;

    void RegisterClientWindow();
    // Asks the engine to shut down (any thread may call it: the front end's
    // close hook does); the program ends once the engine has.
    void requestClose();

    CWinTSClient* client() const { return client_.get(); }
    CWinTSDlg* application() const { return mApplication_.get(); }
    tessel::ui::WindowHandle hiddenWindow() const { return hidden_.handle(); }

protected:
    // The main dialog; tests give one of their own.
    virtual std::unique_ptr<CWinTSDlg> makeDialog(CWinTSClient& client, tessel::ui::WindowHandle hidden);

private:
    void createDialog();

    CWinTSBase base_;
    CWinTSEngine& engine_;
    bool shareWindows_;
    tessel::kernel::SemaphoreHandle singleInstance_ = nullptr;
    bool instanceTaken_ = false;
    std::unique_ptr<CWinTSClient> client_;
    std::unique_ptr<CWinTSDlg> mApplication_;
    CWinTSMainWnd hidden_;
    tessel::ui::Message pendingLaunch_ {};
    std::uint32_t lastLaunchTick_ = 0;
    bool busy_ = false;
};
