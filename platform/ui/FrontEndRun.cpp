#include "platform/ui/FrontEndRun.h"

#include "platform/ui/Compositor.h"
#include "platform/ui/FrontEndChoice.h"
#include "platform/ui/ScreenDriver.h"
#include "platform/ui/SnapshotWriter.h"
#include "platform/ui/TerminalFrontEnd.h"
#include "platform/ui/UiThread.h"
#include "platform/ui/WindowFrontEnd.h"
#include "platform/ui/WindowSystem.h"

#include <signal.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <thread>

namespace tessel::ui {

namespace {

// How often a run without a window looks for a changed screen to write.
constexpr auto kSnapshotPoll = std::chrono::milliseconds(50);

// Composes the screen whenever it changed and writes the frame (the
// terminal and headless runs; the window writes its own).
class SnapshotLoop {
public:
    SnapshotLoop(std::uint32_t uiThread, SnapshotWriter* writer)
        : thread_([this, uiThread, writer] {
            Compositor compositor;
            ScreenDriver driver(uiThread, false);
            std::uint64_t seen = 0;
            bool first = true;
            while (!stop_) {
                const std::uint64_t changes = screenChanges(uiThread);
                if (first || changes != seen) {
                    if (driver.compose(&compositor))
                        writer->write(compositor.frame());
                    if (!driver.busy()) {
                        seen = changes;
                        first = false;
                    }
                }
                std::this_thread::sleep_for(kSnapshotPoll);
            }
        })
    {
    }
    ~SnapshotLoop()
    {
        stop_ = true;
        thread_.join();
    }

private:
    std::atomic<bool> stop_ {false};
    std::thread thread_;
};

sigset_t stopSignals()
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    return set;
}

} // namespace

int parseFrontEndOptions(int argc, char** argv, int first, FrontEndOptions* options)
{
    int i = first;
    for (; i < argc; ++i) {
        if (std::strcmp(argv[i], "--tty") == 0)
            options->tty = true;
        else if (std::strcmp(argv[i], "--snapshots") == 0 && i + 1 < argc)
            options->snapshots = argv[++i];
        else if (std::strcmp(argv[i], "--scale") == 0 && i + 1 < argc)
            options->scale = std::atoi(argv[++i]);
        else
            break;
    }
    return i;
}

int runWithFrontEnd(UiThread& app, const FrontEndOptions& options, CloseHook close, void* context)
{
    FrontEnd choice = chooseFrontEnd(options.tty);
    std::optional<SnapshotWriter> snapshots;
    if (!options.snapshots.empty())
        snapshots.emplace(options.snapshots);
    if (choice == FrontEnd::Headless) {
        // Blocked here, before any thread starts, and taken by one waiter.
        const sigset_t set = stopSignals();
        pthread_sigmask(SIG_BLOCK, &set, nullptr);
    }
    std::unique_ptr<WindowFrontEnd> window;
    if (choice == FrontEnd::Window) {
        window = std::make_unique<WindowFrontEnd>(app.threadId(), close, context, options.scale);
        window->setSnapshots(snapshots ? &*snapshots : nullptr);
        if (!window->start()) {
            window.reset();
            choice = chooseFrontEnd(false, nullptr, false);
            const sigset_t set = stopSignals();
            pthread_sigmask(SIG_BLOCK, &set, nullptr);
        }
    }
    std::unique_ptr<TerminalFrontEnd> terminal;
    if (choice == FrontEnd::Terminal) {
        terminal = std::make_unique<TerminalFrontEnd>(app.threadId(), close, context);
        if (!terminal->start())
            return 1;
    }
    if (choice == FrontEnd::Headless) {
        std::thread([close, context] {
            const sigset_t set = stopSignals();
            int signal = 0;
            sigwait(&set, &signal);
            close(context);
        }).detach();
    }
    std::optional<SnapshotLoop> loop;
    if (snapshots && !window)
        loop.emplace(app.threadId(), &*snapshots);
    const int code = app.runHere();
    loop.reset();
    if (window)
        window->stop();
    if (terminal)
        terminal->stop();
    return code;
}

} // namespace tessel::ui
