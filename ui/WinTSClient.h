#pragma once

#include "platform/kernel/KernelThread.h"
#include "platform/kernel/MemoryStatus.h"
#include "platform/kernel/NamedSemaphore.h"
#include "platform/kernel/RecursiveTimedLock.h"
#include "platform/ui/UiMessages.h"
#include "ui/WinTSBase.h"
#include "ui/WinTSEngine.h"
#include "ui/WinTSSocketWaker.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

class CGlobalMenuList;

namespace tessel::ui {
class MessageQueue;
}

// The engine host thread. Made on the user-interface thread, where its
// constructor reads the Debug switches, resets the engine's configuration
// when "ForceReset" asks, creates the engine and configures it from the
// registry and the phone. Its own thread then drives the engine from a
// thread timer: each timer event takes the engine lock and runs steps until
// the engine names a wait (zero waits at most "TightLoopLimit" times), and
// each screen request the engine hands out is posted to the registered
// window, after which no timer runs until the user interface kicks it
// (ArmTimer). Its thread messages release a layout, shut the engine down,
// and move it to the background or foreground. The sockets the engine
// watches are waited on by a thread of their own (CWinTSSocketWaker), whose
// message hands the ready ones to the engine and runs it.
//
// A wait for the engine lock that times out never runs the engine unlocked:
// a timer event is tried again 5 ms later, a thread message is posted again.
// During shut-down a wait of 1,800,000 ms or more ends the thread, but a
// posted request does not, so the engine goes on to its end and saves.
class CWinTSClient {
public:
    static constexpr std::uint32_t kEngineLockWaitMs = 30000;
    static constexpr std::uint32_t kLockRetryMs = 5;
    static constexpr std::uint32_t kTightLoopWaitMs = 5;
    static constexpr std::uint32_t kFastStartupDoneWaitMs = 1000;
    static constexpr std::uint32_t kFastStartupWaitMs = 30000;
    static constexpr std::uint32_t kFastStartupTakeMs = 100;
    static constexpr std::uint32_t kSillyShutdownWaitMs = 1800000;
    static constexpr std::uint32_t kLongIdleWaitMs = 300000;
    static constexpr std::uint32_t kTimerId = 1029;
    static constexpr std::uint32_t kDefaultTightLoopLimit = 30;
    static constexpr std::uint32_t kDefaultMemoryFloorKb = 15360;
    static constexpr int kNoGlobalMenu = 16;

    // Run statuses of the engine's tick.
    static constexpr std::int32_t kStatusWorkLeft = 0;
    static constexpr std::int32_t kStatusIdle = 1;
    static constexpr std::int32_t kStatusFatal = 3;
    static constexpr std::int32_t kStatusTerminated = 4;

    explicit CWinTSClient(CWinTSEngine& engine);
    ~CWinTSClient();
    CWinTSClient(const CWinTSClient&) = delete;
    CWinTSClient& operator=(const CWinTSClient&) = delete;

    // The thread: made suspended or running, resumed, waited for.
    bool createThread(bool suspended);
    void resume();
    bool join();
    std::uint32_t threadId() const;
    bool postThreadMessage(std::uint32_t id, std::uint64_t wParam, std::int64_t lParam);

    void SetWindow(tessel::ui::WindowHandle window, std::uint32_t activityId, std::uint32_t shutdownId,
        std::uint32_t dontRunId);
    tessel::ui::WindowHandle window() const { return window_; }
    // False when the fast start-up wait timed out.
    bool waitForFastStartup();
    // Arms the engine timer for ms (bounded by "LongRunInterval"); nothing
    // for kWaitForever. Either thread may call it.
    void ArmTimer(std::uint32_t ms);

    static int GlobalMenuId(const std::u16string& name);
    void SelectGlobalMenu(const std::u16string& name, const std::u16string& value);
    // The engine's menu for the chosen menu id, built under the engine lock
    // (the cool sites for FUN); null when there is none.
    CGlobalMenuList* GetCoolSites();
    // Selects the menu and runs its entry at index, then kicks the engine.
    void RunGlobalMenuOption(const std::u16string& name, std::uint32_t index, const std::u16string& value);
    int menuId() const { return menuId_; }
    const std::u16string& menuValue() const { return menuValue_; }
    const std::u16string& menuName() const { return menuName_; }

    // The engine lock; the user-interface thread dispatches under it.
    tessel::kernel::RecursiveTimedLock& engineLock() { return lock_; }
    // What the construction found: false when it asked the program to quit
    // (low memory, no phone number, no network access identifier).
    bool started() const { return !quitRequested_; }
    std::uint32_t wait() const { return wait_; }
    std::int32_t runStatus() const { return runStatus_; }
    std::int32_t fatalErrorCode() const { return fatalErrorCode_; }
    bool shuttingDown() const { return shuttingDown_; }
    bool fastStartupDone() const { return fastStartupDone_; }
    // The thread's loop has ended (the engine terminated or shut-down ran long).
    bool loopEnded() const { return loopEnded_; }
    // The engine has ended or was given up, before the user interface is
    // told: the layouts it handed out are gone with it.
    bool engineEnded() const { return engineEnded_; }
    // The heartbeat marker: 0 off, 1 red, 2 white; the window draws it.
    int heartbeatMark() const { return heartbeat_ ? (heartbeatRed_ ? 1 : 2) : 0; }
    void setLockWaitMs(std::uint32_t ms) { lockWaitMs_ = ms; }

private:
    static void entry(void* self);
    static void TimerProc(void* self, std::uint32_t timerId);
    void run();
    void OnTimer();
    bool RunEngineStep();
    bool lockEngine(const tessel::ui::Message& message);
    void OnReleaseLayoutRequest(const tessel::ui::Message& message);
    void OnShutdownRequest(const tessel::ui::Message& message);
    void OnDeactivateRequest(const tessel::ui::Message& message);
    void OnActivateRequest(const tessel::ui::Message& message);
    void OnSocketsReady(const tessel::ui::Message& message);
    // Under the engine lock: the sockets the engine watches, to the waker.
    void PublishSockets();
    void post(std::uint32_t id, std::uint64_t wParam);
    void endLoop();
    void monitorMemory();
    void ResetConfiguration();
    void ConfigureEngine();
    void OnConfigurationRequest(const std::u16string& name);
    void refuseStart(const std::u16string& message);

    CWinTSBase base_;
    CWinTSEngine& engine_;
    int menuId_ = kNoGlobalMenu;
    std::u16string menuValue_;
    std::u16string menuName_;

    std::atomic<tessel::ui::WindowHandle> window_ {0};
    std::atomic<std::uint32_t> activityId_ {0};
    std::atomic<std::uint32_t> shutdownId_ {0};
    std::atomic<std::uint32_t> dontRunId_ {0};

    std::atomic<std::int32_t> runStatus_ {kStatusWorkLeft};
    std::atomic<std::int32_t> fatalErrorCode_ {0};
    std::atomic<std::uint32_t> wait_ {0};
    std::uint32_t stepStart_ = 0;
    std::uint32_t longRunInterval_ = tessel::kernel::kWaitForever;
    std::uint32_t tightLoopLimit_ = kDefaultTightLoopLimit;
    std::uint32_t lockWaitMs_ = kEngineLockWaitMs;

    tessel::kernel::RecursiveTimedLock lock_;
    tessel::kernel::SemaphoreHandle fastStartupLock_ = nullptr;
    bool heartbeat_ = false;
    std::atomic<bool> heartbeatRed_ {false};
    std::atomic<bool> shuttingDown_ {false};
    bool memoryMonitor_ = false;
    std::atomic<bool> fastStartupDone_ {true};
    bool quitRequested_ = false;
    tessel::kernel::MemoryStatus memoryAtStart_;
    tessel::kernel::MemoryStatus watermarks_;

    std::atomic<std::uint32_t> timerId_ {0};
    std::atomic<bool> timerEventPending_ {false};
    std::atomic<bool> loopEnded_ {false};
    std::atomic<bool> engineEnded_ {false};
    // A screen request was posted and the user interface has not run the
    // engine since.
    std::atomic<bool> requestOut_ {false};
    std::shared_ptr<tessel::ui::MessageQueue> queue_;
    CWinTSSocketWaker sockets_;
    tessel::kernel::KernelThread thread_;
};
