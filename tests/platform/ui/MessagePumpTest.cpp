#include "platform/kernel/Clock.h"
#include "platform/kernel/RecursiveTimedLock.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/UiThread.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowSystem.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <future>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tessel::ui {
namespace {

using namespace std::chrono_literals;

struct DrivenClock {
    DrivenClock() { kernel::driveClock(1000, 0); }
    ~DrivenClock() { kernel::releaseClock(); }
};

// What a test's windows and threads saw, in order, from any thread.
struct Journal {
    void add(std::string line)
    {
        std::lock_guard<std::mutex> lock(mutex);
        lines.push_back(std::move(line));
    }
    void clear()
    {
        std::lock_guard<std::mutex> lock(mutex);
        lines.clear();
    }
    std::vector<std::string> read()
    {
        std::lock_guard<std::mutex> lock(mutex);
        return lines;
    }
    std::mutex mutex;
    std::vector<std::string> lines;
};

std::string hex(std::uint32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%x", value);
    return text;
}

// A window that writes what it gets down and answers sends with a number.
class JournalWindow : public Window {
public:
    JournalWindow(Journal* journal, std::string name)
        : journal_(journal)
        , name_(std::move(name))
    {
    }
    std::int64_t windowProc(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam) override
    {
        if (message >= kWmApp || message == kWmTimer)
            journal_->add(name_ + " " + hex(message) + " " + std::to_string(wParam));
        if (onMessage && message >= kWmApp)
            return onMessage(message, wParam, lParam);
        return Window::windowProc(message, wParam, lParam);
    }
    std::function<std::int64_t(std::uint32_t, std::uint64_t, std::int64_t)> onMessage;

private:
    Journal* journal_;
    std::string name_;
};

// Drains the calling thread's queue without waiting.
int drain()
{
    int count = 0;
    Message message;
    while (peekMessage(&message, true)) {
        if (message.id != kWmQuit)
            dispatchMessage(message);
        ++count;
    }
    return count;
}

TEST(MessagePump, ASuspendedThreadRunsItsMessagesInOrderOnceResumed)
{
    struct Worker : UiThread {
        Journal journal;
        void onThreadMessage(const Message& message) override
        {
            journal.add(hex(message.id) + " " + std::to_string(message.wParam));
            if (message.id == 0x402)
                postQuitMessage(5);
        }
        int exitInstance(int code) override
        {
            journal.add("exit " + std::to_string(code));
            return code;
        }
    } worker;
    ASSERT_TRUE(worker.createThread(true));
    EXPECT_TRUE(worker.postThreadMessage(0x401, 1, 0));
    EXPECT_TRUE(postThreadMessage(worker.threadId(), 0x403, 2, 0));
    EXPECT_TRUE(worker.postThreadMessage(0x402, 0, 0));
    EXPECT_TRUE(worker.journal.read().empty());
    worker.resume();
    ASSERT_TRUE(worker.join());
    EXPECT_EQ(worker.journal.read(), (std::vector<std::string> {"401 1", "403 2", "402 0", "exit 5"}));
    EXPECT_FALSE(postThreadMessage(0xFFFFFF, 0x401, 0, 0)) << "no such thread";
}

TEST(MessagePump, WindowTimersFollowTheDrivenClockInDeadlineOrderWithOnePending)
{
    DrivenClock clock;
    Journal journal;
    JournalWindow a(&journal, "a"), b(&journal, "b");
    a.create(u"Test", u"a");
    b.create(u"Test", u"b");
    struct Step {
        const char* what;
        std::uint32_t advanceMs;
        std::vector<std::string> seen;
    };
    ASSERT_TRUE(setTimer(a.handle(), 1, 300));
    ASSERT_TRUE(setTimer(b.handle(), 2, 100));
    ASSERT_TRUE(setTimer(a.handle(), 3, 200));
    const Step steps[] = {
        {"nothing before a deadline", 99, {}},
        {"all due at once run by deadline", 201, {"b 113 2", "a 113 3", "a 113 1"}},
        {"a late pump still gets one per timer", 1000, {"b 113 2", "a 113 3", "a 113 1"}},
    };
    for (const Step& step : steps) {
        kernel::advanceClock(step.advanceMs);
        journal.clear();
        drain();
        EXPECT_EQ(journal.read(), step.seen) << step.what;
    }
    // A timer message waiting in the queue is not doubled, and killing the
    // timer takes it back.
    kernel::advanceClock(100);
    Message peeked;
    ASSERT_TRUE(peekMessage(&peeked, false));
    kernel::advanceClock(100);
    ASSERT_TRUE(peekMessage(&peeked, false));
    EXPECT_TRUE(killTimer(a.handle(), 3));
    journal.clear();
    drain();
    EXPECT_EQ(journal.read(), (std::vector<std::string> {"b 113 2"}));
    EXPECT_FALSE(killTimer(a.handle(), 3));
    a.destroy();
    kernel::advanceClock(1000);
    journal.clear();
    drain();
    EXPECT_EQ(journal.read(), (std::vector<std::string> {"b 113 2"})) << "a's timers went with it";
    b.destroy();
}

// A user-interface thread for a test: setup runs as its initInstance, hook
// is its pre-translation hook, thread message kEnd ends its loop.
struct Worker : UiThread {
    static constexpr std::uint32_t kEnd = 0x7FFF;
    std::function<void()> setup;
    std::function<bool(Message&)> hook;
    std::function<void()> teardown;
    std::promise<void> ready;
    bool initInstance() override
    {
        if (setup)
            setup();
        ready.set_value();
        return true;
    }
    bool preTranslateMessage(Message& message) override { return hook && hook(message); }
    void onThreadMessage(const Message& message) override
    {
        if (message.id == kEnd)
            postQuitMessage(0);
    }
    int exitInstance(int code) override
    {
        if (teardown)
            teardown();
        return code;
    }
    bool startAndWait()
    {
        return createThread(false) && ready.get_future().wait_for(10s) == std::future_status::ready;
    }
    void end()
    {
        postThreadMessage(kEnd, 0, 0);
        join();
    }
};

// Waits (bounded, real time) until the journal holds count lines.
std::vector<std::string> awaitLines(Journal& journal, std::size_t count)
{
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (journal.read().size() < count && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(1ms);
    return journal.read();
}

TEST(MessagePump, AWaitingPumpWakesWhenTheDrivenClockReachesATimer)
{
    DrivenClock clock;
    Journal journal;
    JournalWindow window(&journal, "w");
    Worker worker;
    worker.setup = [&] {
        window.create(u"Test", u"w");
        setTimer(window.handle(), 9, 500);
    };
    worker.teardown = [&] { window.destroy(); };
    ASSERT_TRUE(worker.startAndWait());
    kernel::advanceClock(499);
    postThreadMessage(worker.threadId(), 0x500, 0, 0); // wakes it early: nothing due
    kernel::advanceClock(1);
    EXPECT_EQ(awaitLines(journal, 1), (std::vector<std::string> {"w 113 9"}));
    worker.end();
}

TEST(MessagePump, AModalDialogInAHandlerGetsAnotherThreadsPostHookFirstWithTheLockReleasedInEveryWait)
{
    kernel::RecursiveTimedLock engineLock;
    setDispatchLock(&engineLock);
    Journal journal;
    JournalWindow main(&journal, "main");
    Dialog dialog;
    std::promise<void> modalWaiting;
    Worker worker;
    worker.setup = [&] { main.create(u"Dialog", u"Tessel"); };
    worker.teardown = [&] { main.destroy(); };
    worker.hook = [&](Message& message) {
        const bool held = engineLock.heldByCurrentThread();
        journal.add("hook " + hex(message.id) + (held ? " locked" : " unlocked"));
        if (message.id == 0x8002 && dialog.inModalRun()) {
            dialog.endDialog(kIdOk);
            return true;
        }
        return false;
    };
    main.onMessage = [&](std::uint32_t id, std::uint64_t, std::int64_t) -> std::int64_t {
        if (id != 0x8005)
            return 0;
        engineLock.lock(kernel::kWaitForever); // a second level, kept across the run
        postMessage(main.handle(), 0x8010, 0, 0);
        int answer = dialog.doModal(u"Busy", &main);
        const int levels = engineLock.releaseAll();
        journal.add("modal " + std::to_string(answer) + " levels kept " + std::to_string(levels));
        engineLock.restore(levels);
        engineLock.unlock();
        return 0;
    };
    main.onMessage = [&, inner = main.onMessage](std::uint32_t id, std::uint64_t w, std::int64_t l) {
        if (id == 0x8010)
            modalWaiting.set_value();
        return inner(id, w, l);
    };
    ASSERT_TRUE(worker.startAndWait());
    EXPECT_TRUE(engineLock.lock(5000)) << "free while the thread's loop waits";
    engineLock.unlock();

    postMessage(main.handle(), 0x8005, 0, 0);
    ASSERT_EQ(modalWaiting.get_future().wait_for(10s), std::future_status::ready);
    // The pump, the dispatch and the handler hold three levels; the modal
    // pump gives all back to wait.
    EXPECT_TRUE(engineLock.lock(5000)) << "free while the modal loop waits";
    postMessage(main.handle(), 0x8002, 0, 0);
    engineLock.unlock();
    const std::vector<std::string> expected {
        "hook 8005 locked",
        "main 8005 0",
        "hook 8010 locked",
        "main 8010 0",
        "hook 8002 locked",
        "modal 1 levels kept 3",
    };
    EXPECT_EQ(awaitLines(journal, expected.size()), expected);
    worker.end();
    setDispatchLock(nullptr);
}

TEST(MessagePump, ASendToAnotherThreadRunsThereWhileTheSenderServesSendsToItself)
{
    Journal journal;
    JournalWindow here(&journal, "here"), there(&journal, "there");
    here.create(u"Test", u"here");
    here.onMessage
        = [](std::uint32_t, std::uint64_t wParam, std::int64_t) { return std::int64_t(wParam) * 10; };
    Worker worker;
    worker.setup = [&] { there.create(u"Test", u"there"); };
    worker.teardown = [&] { there.destroy(); };
    there.onMessage = [&](std::uint32_t, std::uint64_t wParam, std::int64_t) {
        // Back to the sender's thread, which is waiting in its own send.
        return sendMessage(here.handle(), 0x8101, wParam + 1, 0) + 1;
    };
    ASSERT_TRUE(worker.startAndWait());
    EXPECT_EQ(sendMessage(there.handle(), 0x8100, 4, 0), 51);
    EXPECT_EQ(journal.read(), (std::vector<std::string> {"there 8100 4", "here 8101 5"}));
    worker.end();
    EXPECT_EQ(sendMessage(there.handle(), 0x8100, 4, 0), 0) << "gone with its thread";
    EXPECT_FALSE(postMessage(there.handle(), 0x8100, 4, 0));
}

TEST(MessagePump, ABroadcastReachesEveryTopLevelWindowOfTheProcessOnItsOwnThread)
{
    Journal journal;
    JournalWindow here(&journal, "here"), child(&journal, "child"), there(&journal, "there");
    here.create(u"Test", u"here");
    child.create(u"Test", u"child", &here, 5);
    Worker worker;
    worker.setup = [&] { there.create(u"Test", u"there"); };
    worker.teardown = [&] { there.destroy(); };
    ASSERT_TRUE(worker.startAndWait());
    EXPECT_EQ(sendMessage(kBroadcast, 0x8300, 1, 0), 0);
    EXPECT_EQ(journal.read(), (std::vector<std::string> {"here 8300 1", "there 8300 1"}))
        << "sent: done on return";
    journal.clear();
    EXPECT_TRUE(postMessage(kBroadcast, 0x8301, 2, 0));
    drain();
    EXPECT_EQ(awaitLines(journal, 2).size(), 2u);
    auto lines = journal.read();
    std::sort(lines.begin(), lines.end());
    EXPECT_EQ(lines, (std::vector<std::string> {"here 8301 2", "there 8301 2"}))
        << "children are not top-level";
    worker.end();
}

TEST(MessagePump, AQuitRequestEndsAModalRunAndThenTheOuterLoop)
{
    Journal journal;
    JournalWindow main(&journal, "main");
    main.create(u"Test", u"main");
    Dialog dialog;
    int answer = 0;
    main.onMessage = [&](std::uint32_t, std::uint64_t, std::int64_t) {
        postQuitMessage(3);
        answer = dialog.doModal(u"Question", &main);
        return std::int64_t(0);
    };
    struct App : UiThread {
    } app;
    postMessage(main.handle(), 0x8001, 0, 0);
    EXPECT_EQ(app.runHere(), 3);
    EXPECT_EQ(answer, -1);
    EXPECT_FALSE(dialog.exists());
    EXPECT_TRUE(main.enabled()) << "the owner is enabled again";
    Message left;
    EXPECT_FALSE(peekMessage(&left, true)) << "the quit request is used up";
}

} // namespace
} // namespace tessel::ui

namespace tessel::ui {
namespace {

TEST(MessagePump, ACallToABusyThreadGivesUpAfterItsBoundAndTheTaskNeverRuns)
{
    Worker worker;
    ASSERT_TRUE(worker.startAndWait());
    // The thread works in a handler until the test lets it go.
    std::promise<void> release;
    std::promise<void> working;
    std::shared_future<void> released = release.get_future().share();
    std::thread busy([&] {
        callOnThread(worker.threadId(), [&] {
            working.set_value();
            released.wait();
            return std::int64_t(0);
        });
    });
    ASSERT_EQ(working.get_future().wait_for(10s), std::future_status::ready);
    bool ran = false;
    const auto start = std::chrono::steady_clock::now();
    const auto answer = readOnThreadWithin(worker.threadId(), 50, [&] {
        ran = true;
        return std::int64_t(7);
    });
    EXPECT_FALSE(answer.has_value()) << "busy";
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    release.set_value();
    busy.join();
    // Withdrawn, the task is not run late either; a free thread answers.
    EXPECT_EQ(readOnThreadWithin(worker.threadId(), 5000, [] { return std::int64_t(3); }), 3);
    EXPECT_FALSE(ran);
    worker.end();
}

TEST(MessagePump, ScreenChangesCountWhatTheThreadHandlesButNotWhatIsOnlyRead)
{
    Journal journal;
    JournalWindow window(&journal, "w");
    Worker worker;
    worker.setup = [&] { window.create(u"Test", u"w"); };
    worker.teardown = [&] { window.destroy(); };
    ASSERT_TRUE(worker.startAndWait());
    auto settle = [&] { readOnThreadWithin(worker.threadId(), 5000, [] { return std::int64_t(0); }); };
    settle();
    const std::uint64_t idle = screenChanges(worker.threadId());
    settle();
    EXPECT_EQ(screenChanges(worker.threadId()), idle) << "reads change nothing";
    postMessage(window.handle(), kWmApp + 1, 0, 0);
    EXPECT_EQ(awaitLines(journal, 1).size(), 1u);
    settle();
    EXPECT_GT(screenChanges(worker.threadId()), idle) << "a handled message may have changed the screen";
    const std::uint64_t after = screenChanges(worker.threadId());
    callOnThread(worker.threadId(), [] { return std::int64_t(0); });
    EXPECT_GT(screenChanges(worker.threadId()), after) << "so may a task";
    worker.end();
}

} // namespace
} // namespace tessel::ui
