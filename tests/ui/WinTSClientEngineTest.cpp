#include "engine/client/VXLClient.h"
#include "engine/client/VXLUIRequest.h"
#include "platform/kernel/Clock.h"
#include "platform/kernel/RecursiveTimedLock.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowSystem.h"
#include "tests/support/TempDeviceRoot.h"
#include "ui/WinTSClient.h"
#include "ui/WinTSEngineClient.h"
#include "ui/WinTSMessages.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <vector>

namespace {

using namespace tessel;

// Spins for about us microseconds of real time: long enough for two
// threads to meet if nothing keeps them apart.
void busy(int us)
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::microseconds(us);
    while (std::chrono::steady_clock::now() < until) { }
}

struct Overlaps {
    std::atomic<bool> inStep {false};
    std::atomic<bool> inDispatch {false};
    std::atomic<int> count {0};
    std::atomic<int> steps {0};
    std::atomic<int> dispatches {0};
};

// The real engine, each step marked, counting the steps that meet a
// user-interface dispatch.
class MarkedEngine : public CWinTSEngineClient {
public:
    explicit MarkedEngine(Overlaps& overlaps)
        : overlaps_(overlaps)
    {
    }
    std::int32_t tick() override
    {
        overlaps_.inStep = true;
        if (overlaps_.inDispatch)
            ++overlaps_.count;
        busy(100);
        const std::int32_t status = CWinTSEngineClient::tick();
        if (overlaps_.inDispatch)
            ++overlaps_.count;
        overlaps_.inStep = false;
        ++overlaps_.steps;
        return status;
    }

private:
    Overlaps& overlaps_;
};

// The user interface's window: every message it handles is a dispatch that
// may read engine objects; screen requests are answered with a kick.
class MarkedWindow : public ui::Window {
public:
    MarkedWindow(Overlaps& overlaps, CWinTSClient*& client)
        : overlaps_(overlaps)
        , client_(client)
    {
    }
    std::int64_t windowProc(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam) override
    {
        if (message >= ui::kWmApp) {
            overlaps_.inDispatch = true;
            if (overlaps_.inStep)
                ++overlaps_.count;
            busy(100);
            if (overlaps_.inStep)
                ++overlaps_.count;
            overlaps_.inDispatch = false;
            ++overlaps_.dispatches;
            if (message == kWmMainActivity && client_)
                client_->ArmTimer(1);
        }
        return Window::windowProc(message, wParam, lParam);
    }

private:
    Overlaps& overlaps_;
    CWinTSClient*& client_;
};

void pump()
{
    ui::Message message;
    while (ui::peekMessage(&message, true))
        ui::dispatchMessage(message);
}

// Waits (bounded) until the host thread has done what it can.
void awaitHost(CWinTSClient& client)
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!client.loopEnded() && std::chrono::steady_clock::now() < until) {
        auto queue = ui::MessageQueue::byId(client.threadId());
        if (!queue || queue->awaitIdle(10))
            return;
        pump();
    }
}

// Asks the host thread to shut down and steps it on the driven clock until
// its loop ends (or 5000 rounds pass).
void shutDown(CWinTSClient& client)
{
    client.postThreadMessage(kMsgShutdown, 0, 0);
    for (int i = 0; i < 5000 && !client.loopEnded(); ++i) {
        client.ArmTimer(1);
        kernel::advanceClock(10);
        pump();
        awaitHost(client);
    }
}

// Runs the real engine on its host thread while this thread dispatches
// messages, with or without the engine lock as the dispatch lock, until
// `rounds` rounds have passed (or, looking for an overlap, the first one).
void runBoth(bool locked, int rounds, bool stopAtFirstOverlap, Overlaps& overlaps)
{
    TempDeviceRoot root;
    kernel::driveClock(1000, 1'200'000'000);
    MarkedEngine engine(overlaps);
    CWinTSClient* clientPointer = nullptr;
    MarkedWindow window(overlaps, clientPointer);
    {
        CWinTSClient client(engine);
        clientPointer = &client;
        ASSERT_TRUE(client.started());
        if (locked)
            ui::setDispatchLock(&client.engineLock());
        window.create(u"Marked", u"");
        client.SetWindow(window.handle(), kWmMainActivity, kWmMainShutdown, kWmMainDontRun);
        ASSERT_TRUE(client.createThread(false));
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        for (int round = 0; round < rounds && std::chrono::steady_clock::now() < until; ++round) {
            if (stopAtFirstOverlap && overlaps.count > 0)
                break;
            for (int i = 0; i < 8; ++i)
                ui::postMessage(window.handle(), ui::kWmApp + 1, 0, 0);
            client.ArmTimer(1);
            kernel::advanceClock(1);
            // The host thread steps while this one dispatches.
            pump();
            pump();
            awaitHost(client);
        }
        // The engine ends as the program ends it.
        shutDown(client);
        EXPECT_TRUE(client.loopEnded()) << "the engine reached its end";
        ui::setDispatchLock(nullptr);
        clientPointer = nullptr;
    }
    window.destroy();
    kernel::releaseClock();
}

TEST(WinTSClientEngine, NoEngineStepOverlapsAUserInterfaceDispatch)
{
    Overlaps overlaps;
    runBoth(true, 400, false, overlaps);
    EXPECT_GT(overlaps.steps, 100);
    EXPECT_GT(overlaps.dispatches, 1000);
    EXPECT_EQ(overlaps.count, 0);
}

TEST(WinTSClientEngine, WithoutTheLockAsDispatchLockTheyDoMeet)
{
    // The instrument's own check: the same run without the lock shows overlaps.
    Overlaps overlaps;
    runBoth(false, 5000, true, overlaps);
    EXPECT_GT(overlaps.count, 0);
}

} // namespace

namespace {

// Records the kind of each request the engine hands the window. The request
// lives only until the engine's next tick, and a shut-down deletes those still
// queued: a run stops recording before it shuts the engine down, since the
// notices of those requests may still wait in the window's queue.
class ActivityRecorder : public ui::Window {
public:
    std::vector<std::uint32_t> kinds;
    bool recording = true;
    std::int64_t windowProc(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam) override
    {
        if (message == kWmMainActivity && recording)
            kinds.push_back(
                reinterpret_cast<const CVXLUIRequest*>(static_cast<std::uintptr_t>(wParam))->kind());
        return Window::windowProc(message, wParam, lParam);
    }
};

// Steps the real engine on the driven clock until the recorder got a
// request or `ms` of the clock have passed.
void runFor(CWinTSClient& client, ActivityRecorder& recorder, std::uint32_t ms)
{
    for (std::uint32_t passed = 0; passed < ms && recorder.kinds.empty(); passed += 10) {
        kernel::advanceClock(10);
        pump();
        awaitHost(client);
        pump();
    }
}

TEST(WinTSClientEngine, AGlobalMenuOptionStartsItsFlowAndAPositionPastTheEndRunsNothing)
{
    TempDeviceRoot root;
    root.writeDeviceConf("card.present = 0\n");
    kernel::driveClock(1000, 1'200'000'000);
    {
        CWinTSEngineClient engine;
        CWinTSClient client(engine);
        ActivityRecorder recorder;
        recorder.create(u"Recorder", u"");
        client.SetWindow(recorder.handle(), kWmMainActivity, kWmMainShutdown, kWmMainDontRun);
        ASSERT_TRUE(client.createThread(false));
        runFor(client, recorder, 5000); // start-up
        ASSERT_TRUE(recorder.kinds.empty());

        // The user-interface thread runs options while it dispatches, holding the lock.
        ASSERT_TRUE(client.engineLock().lock(0));
        client.RunGlobalMenuOption(u"SEND_MESSAGE_GENERIC", 1, u"");
        client.engineLock().unlock();
        runFor(client, recorder, 2000);
        EXPECT_TRUE(recorder.kinds.empty()) << "the menu has one entry";
        EXPECT_NE(
            root.readFile("log/ui.log").find("Global Menu Option 1 of SEND_MESSAGE_GENERIC is not there"),
            std::string::npos);

        ASSERT_TRUE(client.engineLock().lock(0));
        client.RunGlobalMenuOption(u"send_message_generic", 0, u"");
        client.engineLock().unlock();
        EXPECT_EQ(client.menuId(), 10);
        runFor(client, recorder, 10000);
        EXPECT_FALSE(recorder.kinds.empty()) << "the flow ran and its request reached the window";

        recorder.recording = false;
        shutDown(client);
        EXPECT_TRUE(client.loopEnded());
        recorder.destroy();
    }
    kernel::releaseClock();
}

// The strings in the engine's list of selected objects.
std::vector<std::string> selectedPaths(CVXLClient& engine)
{
    std::vector<std::string> paths;
    for (CVXLList::Node* node = engine.getObjectList().head(); node; node = node->next)
        paths.push_back(static_cast<CVXLString*>(node->object)->c_str());
    return paths;
}

TEST(WinTSClientEngine, ACaptureOptionHandsTheChosenFileToTheEngineAndRuns)
{
    struct Case {
        const char* what;
        std::u16string value;
        std::vector<std::string> selected;
        std::uint16_t location;
    };
    const Case cases[] = {
        {"the file replaces the earlier choice, from the phone", u"\\My Documents\\My Pictures\\a b.jpg",
            {"\\My Documents\\My Pictures\\a b.jpg"}, 1},
        {"without a file the earlier choice stays", u"", {"\\old.jpg"}, 7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDeviceRoot root;
        root.writeDeviceConf("card.present = 0\n");
        kernel::driveClock(1000, 1'200'000'000);
        {
            CWinTSEngineClient engine;
            CWinTSClient client(engine);
            ActivityRecorder recorder;
            recorder.create(u"Recorder", u"");
            client.SetWindow(recorder.handle(), kWmMainActivity, kWmMainShutdown, kWmMainDontRun);
            ASSERT_TRUE(client.createThread(false));
            runFor(client, recorder, 5000); // start-up
            ASSERT_TRUE(recorder.kinds.empty());
            ASSERT_NE(engine.client(), nullptr);

            ASSERT_TRUE(client.engineLock().lock(0));
            engine.client()->getObjectList().append(new CVXLString("\\old.jpg"));
            engine.client()->setCaptureLocation(7);
            client.RunGlobalMenuOption(u"capture_options", 0, c.value);
            EXPECT_EQ(client.menuId(), 4);
            EXPECT_EQ(selectedPaths(*engine.client()), c.selected);
            EXPECT_EQ(engine.client()->getCaptureLocation(), c.location);
            client.engineLock().unlock();
            runFor(client, recorder, 10000);
            EXPECT_FALSE(recorder.kinds.empty()) << "the entry's flow ran and its request reached the window";

            recorder.recording = false;
            shutDown(client);
            EXPECT_TRUE(client.loopEnded());
            recorder.destroy();
        }
        kernel::releaseClock();
    }
}

} // namespace
