#include "ui/WinTS.h"
#include "engine/client/VXLUIRequest.h"
#include "engine/screens/VXLLayoutMenuList.h"
#include "engine/screens/VXLLayoutMessageSummary.h"
#include "engine/screens/VXLMenuItemElement.h"
#include "engine/screens/VXLUiJob.h"
#include "platform/kernel/Clock.h"
#include "platform/ui/ListPicker.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/ScreenDriver.h"
#include "platform/ui/WindowSystem.h"
#include "tests/support/TempDeviceRoot.h"
#include "tests/ui/ScriptedEngine.h"
#include "ui/LaunchRequest.h"
#include "ui/WinTSDlg.h"
#include "ui/WinTSMessages.h"
#include "ui/WinTSRegistry.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

namespace {

using namespace tessel;

int countOf(const std::string& text, const std::string& what)
{
    int count = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++count;
    return count;
}

// The application object, telling when its loop has ended.
class TestApp : public CWinTS {
public:
    using CWinTS::CWinTS;
    int exitInstance(int exitCode) override
    {
        const int result = CWinTS::exitInstance(exitCode);
        exited = true;
        return result;
    }
    std::atomic<bool> exited {false};
};

// The application object on a thread of its own over a scripted engine, on
// a driven clock; the test posts to it as the other deliverables do.
class AppFixture {
public:
    explicit AppFixture(std::uint32_t startTick)
    {
        root.writeDeviceConf("card.present = 0\n");
        kernel::driveClock(startTick, 1'200'000'000);
        engine.endsOnShutdown = true;
        app = std::make_unique<TestApp>(engine);
        EXPECT_TRUE(app->createThread(false));
        settle();
    }
    ~AppFixture()
    {
        // As the front end's close hook does; the engine's timers need the
        // clock to move.
        if (!ended())
            app->postThreadMessage(ui::kWmClose, 0, 0);
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!ended() && std::chrono::steady_clock::now() < until) {
            kernel::advanceClock(10);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        EXPECT_TRUE(ended());
        app->join();
        app.reset();
        kernel::releaseClock();
    }

    bool ended() const { return app->exited; }
    void settle()
    {
        for (int round = 0; round < 50; ++round) {
            if (ended())
                return;
            auto appQueue = ui::MessageQueue::byId(app->threadId());
            bool idle = !appQueue || appQueue->awaitIdle(2000);
            if (CWinTSClient* client = clientOf()) {
                auto host = ui::MessageQueue::byId(client->threadId());
                if (host && !client->loopEnded() && !host->awaitIdle(50))
                    idle = false;
            }
            appQueue = ui::MessageQueue::byId(app->threadId());
            if (idle && (!appQueue || appQueue->idle()))
                return;
        }
    }
    CWinTSClient* clientOf()
    {
        auto answer = ui::callOnThreadWithin(app->threadId(), 2000,
            [this] { return static_cast<std::int64_t>(reinterpret_cast<std::uintptr_t>(app->client())); });
        return answer ? reinterpret_cast<CWinTSClient*>(static_cast<std::uintptr_t>(*answer)) : nullptr;
    }
    ui::WindowHandle dialogWindow()
    {
        auto answer = ui::callOnThreadWithin(app->threadId(), 2000, [this] {
            return static_cast<std::int64_t>(app->application() ? app->application()->handle() : 0);
        });
        return answer ? static_cast<ui::WindowHandle>(*answer) : 0;
    }
    std::string log() const { return root.readFile("log/ui.log"); }

    TempDeviceRoot root;
    ScriptedEngine engine;
    std::unique_ptr<TestApp> app;
};

TEST(WinTS, TheHubTakesLaunchesAsTheyComeAndKeepsOneForLater)
{
    enum Kind { Launch, LaunchToDialog, PostToService, EngineEnded, Wait };
    struct Action {
        Kind kind;
        std::uint32_t ms = 0;
    };
    struct Case {
        const char* what;
        std::uint32_t startTick;
        std::vector<Action> actions;
        int commands; // launches the dialog got
        int debounced; // launches ignored
        int exits; // launches during a screen
        bool dialog; // a dialog is there at the end
        bool ended; // the program ended
    };
    const Case cases[] = {
        {"one launch makes the dialog", 5000, {{Launch}}, 1, 0, 0, true, false},
        {"a second 150 ms later is ignored", 5000, {{Launch}, {Wait, 150}, {Launch}}, 1, 1, 0, true, false},
        {"250 ms later it ends the screen and comes again", 5000, {{Launch}, {Wait, 250}, {Launch}}, 2, 0, 1,
            true, false},
        {"150 ms across the wrap of the tick count", 0xFFFFFF9C, {{Launch}, {Wait, 150}, {Launch}}, 1, 1, 0,
            true, false},
        {"250 ms across the wrap", 0xFFFFFF9C, {{Launch}, {Wait, 250}, {Launch}}, 2, 0, 1, true, false},
        {"with lParam 0 the dialog's window sends it to the hub", 5000,
            {{Launch}, {Wait, 250}, {LaunchToDialog}}, 2, 0, 1, true, false},
        {"0x8003 without a dialog makes one, which leaves it", 5000, {{PostToService}}, 0, 0, 0, true, false},
        {"the engine's end without a dialog ends the program", 5000, {{EngineEnded}}, 0, 0, 0, false, true},
        {"and with one", 5000, {{Launch}, {EngineEnded}}, 1, 0, 0, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        AppFixture fixture(c.startTick);
        const ui::WindowHandle hidden = fixture.app->hiddenWindow();
        ASSERT_NE(hidden, 0u);
        for (const Action& action : c.actions) {
            switch (action.kind) {
            case Launch:
                ui::postMessage(hidden, kMsgLaunch, 0, 0);
                break;
            case LaunchToDialog:
                ui::postMessage(fixture.dialogWindow(), kMsgLaunch, 0, 0);
                break;
            case PostToService:
                ui::postMessage(hidden, kMsgLaunchPostToService, 0, 0);
                break;
            case EngineEnded:
                ui::postMessage(hidden, kWmMainShutdown, 0, 0);
                break;
            case Wait:
                kernel::advanceClock(action.ms);
                break;
            }
            fixture.settle();
        }
        const std::string log = fixture.log();
        EXPECT_EQ(countOf(log, "OnLaunchCommand"), c.commands) << log;
        EXPECT_EQ(countOf(log, "Launch Debounce Catch, ignoring"), c.debounced);
        EXPECT_EQ(countOf(log, "OnLaunchExit"), c.exits);
        EXPECT_EQ(countOf(log, "Send Pending Action"), c.exits);
        if (c.ended) {
            const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
            while (!fixture.ended() && std::chrono::steady_clock::now() < until)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            EXPECT_TRUE(fixture.ended());
        } else {
            EXPECT_EQ(fixture.dialogWindow() != 0, c.dialog);
        }
    }
}

// The job behind a screen: it keeps the actions submitted to it.
class RecordingJob : public CVXLUiJob {
public:
    int typeId() const override { return 1; }
    void onLayoutAction(std::uint32_t eventId) override { actions.push_back(eventId); }
    std::vector<std::uint32_t> actions;
};

// The dialog closes (its WM_RETURN_TO_MENU queued) while an engine request
// for the hidden window is already waiting behind it: the request gets a new
// dialog, and the close's late WM_RETURN_TO_MENU leaves that dialog alone.
TEST(WinTS, ARequestBetweenTheDialogsCloseAndItsDeletionGetsANewDialog)
{
    AppFixture fixture(5000);
    const ui::WindowHandle hidden = fixture.app->hiddenWindow();
    ui::postMessage(hidden, kMsgLaunch, 0, 0);
    fixture.settle();
    const ui::WindowHandle first = fixture.dialogWindow();
    ASSERT_NE(first, 0u);

    RecordingJob job;
    CVXLLayoutMessageSummary summary;
    summary.setOwner(&job);
    CVXLUIRequest toMenu(kUIRequestReturnToMenu);
    CVXLUIRequest show(kUIRequestNewLayout);
    show.setLayout(&summary);
    // Both posted in one go on the application's thread, so the close runs
    // before the hidden window sees the request.
    ASSERT_TRUE(ui::callOnThreadWithin(fixture.app->threadId(), 2000, [&] {
        ui::postMessage(first, kWmMainActivity, reinterpret_cast<std::uintptr_t>(&toMenu), 0);
        ui::postMessage(hidden, kWmMainActivity, reinterpret_cast<std::uintptr_t>(&show), 0);
        return std::int64_t {0};
    }));
    fixture.settle();

    EXPECT_EQ(job.actions, std::vector<std::uint32_t> {0xD0065}) << "the request was answered by its Back";
    const ui::WindowHandle second = fixture.dialogWindow();
    EXPECT_NE(second, 0u) << "the new dialog is still there";
    EXPECT_NE(second, first);
    EXPECT_TRUE(ui::callOnThreadWithin(fixture.app->threadId(), 2000, [&] {
        return std::int64_t {fixture.app->application() && fixture.app->application()->exists()};
    }).value_or(0));
}

// The screen of a flow; its Exit is answered as the engine does: the screen
// released, then the return to the main menu, both handed to the dialog.
class ExitingJob : public CVXLUiJob {
public:
    int typeId() const override { return 20; }
    void onLayoutAction(std::uint32_t eventId) override
    {
        actions.push_back(eventId);
        if ((eventId & 0xFFFF) != kLayoutActionExit)
            return;
        ui::postMessage(dialog, kWmMainActivity, reinterpret_cast<std::uintptr_t>(&release), 0);
        ui::postMessage(dialog, kWmMainActivity, reinterpret_cast<std::uintptr_t>(&toMenu), 0);
    }
    std::vector<std::uint32_t> actions;
    ui::WindowHandle dialog = 0;
    CVXLUIRequest release {kUIRequestReleaseLayout};
    CVXLUIRequest toMenu {kUIRequestReturnToMenu};
};

// A launch while a flow's screen runs: the hub keeps it and sends the dialog
// 0x8005, the dialog submits the screen's Exit, and once the flow has
// returned to the main menu and the dialog has gone, the kept launch comes
// again to a new dialog and is read with the values written for it.
TEST(WinTS, ALaunchDuringAScreenEndsItByItsExitAndComesAgainOnceTheDialogHasGone)
{
    AppFixture fixture(5000);
    const ui::WindowHandle hidden = fixture.app->hiddenWindow();
    registryWrite(kLaunchSection, kLaunchClass, kLaunchClassTessel);
    ui::postMessage(hidden, kMsgLaunch, 0, 0);
    fixture.settle();
    const ui::WindowHandle first = fixture.dialogWindow();
    ASSERT_NE(first, 0u);

    ExitingJob job;
    job.dialog = first;
    CVXLLayoutMenuList screen(0);
    screen.setOwner(&job);
    job.release.setLayout(&screen);
    CVXLUIRequest show(kUIRequestNewLayout);
    show.setLayout(&screen);
    ui::postMessage(first, kWmMainActivity, reinterpret_cast<std::uintptr_t>(&show), 0);
    fixture.settle();
    ASSERT_TRUE(job.actions.empty());

    registryWrite(kLaunchSection, kLaunchClass, kLaunchClassPost);
    registryWrite(kLaunchSection, kLaunchTo, kLaunchConfigure);
    kernel::advanceClock(250);
    ui::postMessage(hidden, kMsgLaunch, 0, 0);
    fixture.settle();

    EXPECT_EQ(job.actions, std::vector<std::uint32_t> {layoutEventId(kLayoutMenuList, kLayoutActionExit)});
    EXPECT_EQ(fixture.engine.releasedLayouts(), std::vector<CVXLLayout*> {&screen});
    const std::string log = fixture.log();
    EXPECT_EQ(countOf(log, "OnLaunchExit"), 1) << log;
    EXPECT_EQ(countOf(log, "Send Pending Action"), 1);
    EXPECT_EQ(countOf(log, "OnLaunchCommand"), 2);
    EXPECT_EQ(fixture.engine.menusBuilt, (std::vector<int> {10, 15}))
        << "the compose option, then the kept launch's configuration menu";
    const ui::WindowHandle second = fixture.dialogWindow();
    EXPECT_NE(second, 0u);
    EXPECT_NE(second, first) << "the first dialog has gone";
    ui::ScreenDriver driver(fixture.app->threadId());
    const std::vector<std::string> shown = driver.activeSnapshot();
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.front(), "== Configure Tessel ==");
    driver.key(ui::kVkF4);
    fixture.settle();
    EXPECT_EQ(fixture.dialogWindow(), 0u);
}

// A configure launch opens the cool-sites menu; the end key ends it and the
// dialog closes; a launch while it is open ends it as Cancel would and
// comes again once the dialog has gone.
TEST(WinTS, TheConfigurationMenuEndsByItsEndKeyOrByTheNextLaunch)
{
    AppFixture fixture(5000);
    registryWrite(kLaunchSection, kLaunchClass, u"IPM.SMSText.Post2Service");
    registryWrite(kLaunchSection, kLaunchTo, u"Configure");
    const ui::WindowHandle hidden = fixture.app->hiddenWindow();
    ui::ScreenDriver screen(fixture.app->threadId());
    const auto menuShown = [&] {
        const std::vector<std::string> lines = screen.activeSnapshot();
        return !lines.empty() && lines.front() == "== Configure Tessel ==";
    };

    ui::postMessage(hidden, kMsgLaunch, 0, 0);
    fixture.settle();
    ASSERT_TRUE(menuShown()) << testing::PrintToString(screen.activeSnapshot());
    screen.key(ui::kVkF4);
    fixture.settle();
    EXPECT_FALSE(menuShown());
    EXPECT_EQ(fixture.dialogWindow(), 0u) << "closed and deleted";

    kernel::advanceClock(250);
    ui::postMessage(hidden, kMsgLaunch, 0, 0);
    fixture.settle();
    ASSERT_TRUE(menuShown());
    kernel::advanceClock(250);
    ui::postMessage(hidden, kMsgLaunch, 0, 0);
    fixture.settle();
    const std::string log = fixture.log();
    EXPECT_EQ(countOf(log, "OnLaunchExit"), 1);
    EXPECT_EQ(countOf(log, "Send Pending Action"), 1);
    EXPECT_EQ(countOf(log, "OnLaunchCommand"), 3);
    EXPECT_TRUE(menuShown()) << "open again for the launch that ended it";
    screen.key(ui::kVkF4);
    fixture.settle();
    EXPECT_EQ(fixture.dialogWindow(), 0u);
}

// Opens a picker from inside its own message, as a screen's element does,
// and keeps the answer.
class PickerHost : public ui::Window {
public:
    std::int64_t windowProc(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam) override
    {
        if (message == ui::kWmApp) {
            answers.push_back(ui::pickFromList(nullptr, u"Contacts", {u"Smith, Anna", u"Jones, Bob"}));
            return 0;
        }
        return Window::windowProc(message, wParam, lParam);
    }
    std::vector<int> answers;
};

// A picker opened over a screen takes the keys while it shows: they are not
// offered to the screen first (a menu list selects its row with Enter, the
// composer moves between its fields with Up and Down and swallows Escape).
TEST(WinTS, APickerOverAScreenTakesTheKeysAndTheScreenNone)
{
    AppFixture fixture(5000);
    ui::postMessage(fixture.app->hiddenWindow(), kMsgLaunch, 0, 0);
    fixture.settle();
    const ui::WindowHandle dialog = fixture.dialogWindow();
    ASSERT_NE(dialog, 0u);
    RecordingJob job;
    CVXLLayoutMenuList screen(0);
    screen.setOwner(&job);
    for (const char* text : {"Inbox", "Sent"}) {
        auto* entry = new CVXLMenuItemElement();
        entry->setText(text);
        screen.addItem(entry);
    }
    CVXLUIRequest show(kUIRequestNewLayout);
    show.setLayout(&screen);
    ui::postMessage(dialog, kWmMainActivity, reinterpret_cast<std::uintptr_t>(&show), 0);
    fixture.settle();
    ui::ScreenDriver driver(fixture.app->threadId());
    const std::vector<std::string> shown = driver.activeSnapshot();
    ASSERT_GT(shown.size(), 2u);
    ASSERT_EQ(shown[2], "  > * Inbox") << testing::PrintToString(shown);

    PickerHost* host = nullptr;
    ASSERT_TRUE(ui::callOnThreadWithin(fixture.app->threadId(), 2000, [&] {
        host = new PickerHost();
        const bool made = host->create(u"PickerHost", u"");
        host->show(false);
        return std::int64_t {made};
    }).value_or(0));
    ui::setFrontEndPresent(true);
    struct Case {
        const char* what;
        std::vector<std::uint32_t> keys;
        int answer;
    };
    const Case cases[] = {
        {"Down, Enter: the second row", {ui::kVkDown, ui::kVkReturn}, 1},
        {"Enter: the first", {ui::kVkReturn}, 0},
        {"Escape cancels", {ui::kVkEscape}, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::size_t asked = host->answers.size();
        ui::postMessage(host->handle(), ui::kWmApp, 0, 0);
        fixture.settle();
        ASSERT_EQ(driver.activeSnapshot().front(), "== Contacts ==");
        for (const std::uint32_t key : c.keys)
            driver.key(key);
        fixture.settle();
        ASSERT_EQ(host->answers.size(), asked + 1) << testing::PrintToString(driver.activeSnapshot());
        EXPECT_EQ(host->answers.back(), c.answer);
    }
    ui::setFrontEndPresent(false);
    EXPECT_TRUE(job.actions.empty()) << "the screen was given no key";
    EXPECT_EQ(countOf(fixture.log(), "CWinTSLayoutMenuList select"), 0) << fixture.log();
    EXPECT_EQ(driver.activeSnapshot(), shown) << "the screen has the keys again";
    ui::callOnThreadWithin(fixture.app->threadId(), 2000, [&] {
        delete host;
        return std::int64_t {0};
    });
    // The screen ends before its layout and entries go.
    CVXLUIRequest release(kUIRequestReleaseLayout);
    release.setLayout(&screen);
    ui::postMessage(dialog, kWmMainActivity, reinterpret_cast<std::uintptr_t>(&release), 0);
    fixture.settle();
    EXPECT_EQ(fixture.engine.releasedLayouts(), std::vector<CVXLLayout*> {&screen});
    screen.clear();
}

} // namespace
