#include "ui/WinTSDlg.h"
#include "engine/client/VXLUIRequest.h"
#include "engine/client/menu/GlobalMenuList.h"
#include "engine/client/menu/MenuTextEvent.h"
#include "engine/screens/VXLLayout.h"
#include "engine/screens/VXLLayoutMessageList.h"
#include "engine/screens/VXLLayoutMessageSummary.h"
#include "engine/screens/VXLLayoutThreadList.h"
#include "engine/screens/VXLUiJob.h"
#include "platform/kernel/Clock.h"
#include "platform/ui/Compositor.h"
#include "platform/ui/ListPicker.h"
#include "platform/ui/ListView.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/Notification.h"
#include "platform/ui/TextSnapshot.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowSystem.h"
#include "tests/support/TempDeviceRoot.h"
#include "tests/support/TestProcess.h"
#include "tests/ui/ScriptedEngine.h"
#include "ui/LaunchRequest.h"
#include "ui/WinTSClient.h"
#include "ui/WinTSMainMenu.h"
#include "ui/WinTSMessages.h"
#include "ui/WinTSRegistry.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace {

using namespace tessel;

// The job behind a layout: it keeps the actions submitted to it.
class RecordingJob : public CVXLUiJob {
public:
    int typeId() const override { return 1; }
    void onLayoutAction(std::uint32_t eventId) override { actions.push_back(eventId); }
    std::vector<std::uint32_t> actions;
};

// A layout of any type offering the actions given, in state 0.
class OfferingLayout : public CVXLLayout {
public:
    OfferingLayout(std::uint32_t type, std::vector<std::uint32_t> actions, RecordingJob* job)
        : CVXLLayout(type)
    {
        for (std::uint32_t action : actions)
            rows_.push_back(CVXLLayoutCommandRow {0, layoutEventId(type, action), kActionKindMenuItem, 795});
        setOwner(job);
    }
    const CVXLLayoutCommandRow* getCommandTable() const override { return rows_.data(); }
    std::uint32_t getCommandCount() const override { return static_cast<std::uint32_t>(rows_.size()); }

private:
    std::vector<CVXLLayoutCommandRow> rows_;
};

// A plain layout window that tells the test when it shows.
class ShownWindow : public CWinTSLayoutWindow {
public:
    ShownWindow(CVXLLayout* layout, const WinTSDialogLink& link, std::function<void(ShownWindow&)> shown)
        : CWinTSLayoutWindow(u"ShownWindow", layout, link)
        , shown_(std::move(shown))
    {
    }

protected:
    void onCreate() override
    {
        if (shown_)
            tessel::ui::postMessage(handle(), tessel::ui::kWmApp + 0x100, 0, 0);
    }
    std::int64_t windowProc(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam) override
    {
        if (message == tessel::ui::kWmApp + 0x100) {
            shown_(*this);
            return 0;
        }
        if (message == kEndIfOpen) {
            if (wParam == 0) {
                *endedOpen_ = true;
                endDialog(-2);
            } else {
                tessel::ui::postMessage(handle(), kEndIfOpen, wParam - 1, 0);
            }
            return 0;
        }
        return CWinTSLayoutWindow::windowProc(message, wParam, lParam);
    }

public:
    // A window still open after `turns` turns of the queue ends with -2 and
    // says so, so a test never waits on it.
    void endIfOpenAfter(std::uint64_t turns, bool* endedOpen)
    {
        endedOpen_ = endedOpen;
        tessel::ui::postMessage(handle(), kEndIfOpen, turns, 0);
    }

private:
    static constexpr std::uint32_t kEndIfOpen = tessel::ui::kWmApp + 0x101;
    std::function<void(ShownWindow&)> shown_;
    bool* endedOpen_ = nullptr;
};

// Runs a configuration menu's steps inside its modal run, then ends one
// that is still open with -2, so a test never waits on it.
class MenuStepper : public ui::Window {
public:
    static constexpr std::uint32_t kStep = ui::kWmApp + 0x200;
    // Routed inputs and the commands they post take a few turns of the queue.
    static constexpr std::uint64_t kTurns = 20;

    std::function<void(CWinTSMainMenu&)> steps;
    CWinTSMainMenu* menu = nullptr;
    bool endedOpen = false;

    std::int64_t windowProc(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam) override
    {
        if (message != kStep)
            return Window::windowProc(message, wParam, lParam);
        if (wParam == kTurns + 1) {
            if (steps)
                steps(*menu);
        } else if (wParam == 0) {
            if (menu->inModalRun()) {
                endedOpen = true;
                menu->endDialog(-2);
            }
            return 0;
        }
        ui::postMessage(handle(), kStep, wParam - 1, 0);
        return 0;
    }
};

// The main dialog with windows for menu lists (type 10) only; each
// configuration menu it runs takes the next of `menuSteps`.
class TestDialog : public CWinTSDlg {
public:
    using CWinTSDlg::CWinTSDlg;
    std::function<void(ShownWindow&)> shown;
    std::vector<std::function<void(CWinTSMainMenu&)>> menuSteps;
    std::vector<int> menuResults;
    int menusEndedOpen = 0;

protected:
    int runConfigureMenu(CWinTSMainMenu& menu) override
    {
        MenuStepper stepper;
        stepper.create(u"MenuStepper", u"");
        stepper.show(false);
        stepper.menu = &menu;
        const std::size_t run = menuResults.size();
        if (run < menuSteps.size())
            stepper.steps = menuSteps[run];
        ui::postMessage(stepper.handle(), MenuStepper::kStep, MenuStepper::kTurns + 1, 0);
        const int result = CWinTSDlg::runConfigureMenu(menu);
        menusEndedOpen += stepper.endedOpen ? 1 : 0;
        menuResults.push_back(result);
        stepper.destroy();
        return result;
    }
    CWinTSLayoutWindow* createLayoutWindow(
        std::uint32_t type, tessel::ui::Window*, CVXLLayout* layout, const WinTSDialogLink& link) override
    {
        return type == kLayoutMenuList ? new ShownWindow(layout, link, shown) : nullptr;
    }
};

class Recorder : public ui::Window {
public:
    std::vector<std::uint32_t> ids;
    std::int64_t windowProc(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam) override
    {
        if (message >= ui::kWmApp)
            ids.push_back(message);
        return Window::windowProc(message, wParam, lParam);
    }
};

// The main dialog on this thread, the engine host thread over a scripted
// engine, the hidden window a recorder; a driven clock.
class DialogFixture {
public:
    DialogFixture()
    {
        root.writeDeviceConf("card.present = 0\n");
        kernel::driveClock(1000, 1'200'000'000);
        client = std::make_unique<CWinTSClient>(engine);
        hidden.create(u"Hidden", u"Tessel");
        client->SetWindow(hidden.handle(), kWmMainActivity, kWmMainShutdown, kWmMainDontRun);
        EXPECT_TRUE(client->createThread(false));
        dialog = std::make_unique<TestDialog>(*client, hidden.handle());
        EXPECT_TRUE(dialog->create());
        advance(1);
    }
    ~DialogFixture()
    {
        dialog.reset();
        client.reset();
        hidden.destroy();
        kernel::releaseClock();
    }

    void pump()
    {
        ui::Message message;
        while (ui::peekMessage(&message, true)) {
            if (message.id == ui::kWmQuit) {
                quits++;
                continue;
            }
            ui::dispatchMessage(message);
        }
    }
    void settle()
    {
        for (int round = 0; round < 20; ++round) {
            pump();
            auto queue = ui::MessageQueue::byId(client->threadId());
            if (queue && !client->loopEnded() && !client->engineEnded())
                queue->awaitIdle(2000);
            ui::Message message;
            if (!ui::peekMessage(&message, false))
                return;
        }
    }
    void advance(std::uint32_t ms)
    {
        kernel::advanceClock(ms);
        settle();
    }
    // Hands the dialog a request as the host thread does, and lets both
    // threads answer it.
    void request(CVXLUIRequest& r)
    {
        ui::postMessage(dialog->handle(), kWmMainActivity, reinterpret_cast<std::uintptr_t>(&r), 0);
        settle();
        advance(1);
    }

    TempDeviceRoot root;
    ScriptedEngine engine;
    std::unique_ptr<CWinTSClient> client;
    Recorder hidden;
    std::unique_ptr<TestDialog> dialog;
    int quits = 0;
};

CVXLUIRequest* newRequest(UIRequestKind kind, CVXLLayout* layout = nullptr, CVXLLayout* replaced = nullptr)
{
    auto* request = new CVXLUIRequest(kind);
    request->setLayout(layout);
    request->setReplacedLayout(replaced);
    return request;
}

TEST(WinTSDlg, EveryRequestIsAnsweredAndTheEngineStepsOn)
{
    constexpr std::uint32_t kBack = kLayoutActionBack;
    constexpr std::uint32_t kExit = kLayoutActionExit;
    constexpr std::uint32_t kContinue = kLayoutActionContinue;
    struct Case {
        const char* what;
        UIRequestKind kind;
        std::uint32_t type;
        std::vector<std::uint32_t> offered;
        std::uint32_t submitted; // 0: none
        bool released;
        CVXLLayout* engineLayout = nullptr; // else a layout offering the actions given
    };
    // The engine's own list screens, in states that offer different keys.
    auto inState = [](CVXLLayout& layout, std::uint32_t state) {
        layout.setState(state);
        return &layout;
    };
    CVXLLayoutMessageList inbox, pending, thread;
    CVXLLayoutMessageSummary stored, charged;
    CVXLLayoutThreadList threads;
    const Case cases[] = {
        {"a media browser goes on", kUIRequestNewLayout, 7, {kBack, kContinue}, 0x70067, false},
        {"a message list goes back", kUIRequestNewLayout, 11, {kBack, kExit}, 0xB0065, false},
        {"a message summary goes back", kUIRequestNewLayout, 13, {kBack}, 0xD0065, false},
        {"a thread list goes back", kUIRequestNewLayout, 14, {kBack}, 0xE0065, false},
        {"a message view has no window yet: back", kUIRequestNewLayout, 15, {kExit, kBack}, 0xF0065, false},
        {"without Back: Exit", kUIRequestNewLayout, 13, {kExit}, 0xD0066, false},
        {"a layout type with no window at all", kUIRequestNewLayout, 9, {kBack}, 0x90065, false},
        {"offering neither: released", kUIRequestNewLayout, 14, {kContinue}, 0, true},
        {"an updated layout without a window", kUIRequestUpdatedLayout, 13, {kBack}, 0, false},
        {"a release without a window", kUIRequestReleaseLayout, 13, {kBack}, 0, true},
        {"a text message request", kUIRequestSmsMessage, 13, {}, 0, false},
        {"a printer request", kUIRequestSendToPrinter, 13, {}, 0, false},
        {"a kind outside the list", static_cast<UIRequestKind>(42), 13, {}, 0, false},
        {"the engine's inbox goes back", kUIRequestNewLayout, 11, {}, 0xB0065, false, inState(inbox, 0)},
        {"its pending box goes back", kUIRequestNewLayout, 11, {}, 0xB0065, false,
            inState(pending, CVXLLayoutMessageList::kPendingState)},
        {"its thread of messages goes back", kUIRequestNewLayout, 11, {}, 0xB0065, false,
            inState(thread, CVXLLayoutMessageList::kThreadState)},
        {"its stored message's summary goes back", kUIRequestNewLayout, 13, {}, 0xD0065, false,
            inState(stored, 0)},
        {"its summary awaiting consent goes back", kUIRequestNewLayout, 13, {}, 0xD0065, false,
            inState(charged, 2)},
        {"its thread list without threads goes back", kUIRequestNewLayout, 14, {}, 0xE0065, false,
            inState(threads, 0)},
        {"its inbox updated without a window", kUIRequestUpdatedLayout, 11, {}, 0, false, inState(inbox, 0)},
        {"its thread list released without a window", kUIRequestReleaseLayout, 14, {}, 0, true,
            inState(threads, 0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DialogFixture fixture;
        RecordingJob job;
        OfferingLayout offering(c.type, c.offered, &job);
        CVXLLayout& layout = c.engineLayout ? *c.engineLayout : offering;
        layout.setOwner(&job);
        ASSERT_EQ(layout.layoutType(), c.type);
        CVXLUIRequest* request = newRequest(c.kind, &layout);
        const int ticks = fixture.engine.ticks;
        fixture.request(*request);
        delete request;
        EXPECT_EQ(job.actions,
            c.submitted ? std::vector<std::uint32_t> {c.submitted} : std::vector<std::uint32_t> {});
        EXPECT_EQ(fixture.engine.releasedLayouts(),
            c.released ? std::vector<CVXLLayout*> {&layout} : std::vector<CVXLLayout*> {});
        EXPECT_GT(fixture.engine.ticks, ticks) << "the engine was kicked";
        EXPECT_EQ(fixture.dialog->top(), -1);
    }
}

TEST(WinTSDlg, AReplacementHoldsBothScreensThenTheyAreReleased)
{
    DialogFixture fixture;
    RecordingJob job;
    OfferingLayout first(10, {kLayoutActionBack}, &job);
    OfferingLayout second(10, {kLayoutActionBack}, &job);
    std::unique_ptr<CVXLUIRequest> show(newRequest(kUIRequestNewLayout, &first));
    std::unique_ptr<CVXLUIRequest> replace(newRequest(kUIRequestReplaceLayout, &second, &first));
    std::unique_ptr<CVXLUIRequest> release(newRequest(kUIRequestReleaseLayout, &second));
    int topWhileBoth = -2;
    std::vector<CVXLLayout*> releasedWhileBoth {nullptr};
    fixture.dialog->shown = [&](ShownWindow& window) {
        if (window.layout() == &first) {
            EXPECT_TRUE(fixture.dialog->visible());
            ui::postMessage(fixture.dialog->handle(), kWmMainActivity,
                reinterpret_cast<std::uintptr_t>(replace.get()), 0);
            return;
        }
        topWhileBoth = fixture.dialog->top();
        releasedWhileBoth = fixture.engine.releasedLayouts();
        ui::postMessage(
            fixture.dialog->handle(), kWmMainActivity, reinterpret_cast<std::uintptr_t>(release.get()), 0);
    };
    fixture.request(*show);
    EXPECT_EQ(topWhileBoth, 1) << "the new screen opens before the old one goes";
    EXPECT_TRUE(releasedWhileBoth.empty());
    EXPECT_EQ(fixture.dialog->top(), -1);
    EXPECT_EQ(fixture.engine.releasedLayouts(), (std::vector<CVXLLayout*> {&second, &first}));
    EXPECT_EQ(first.view(), nullptr);
    EXPECT_EQ(second.view(), nullptr);

    // Ended without an EXIT: the dialog hides after a second with no new screen.
    EXPECT_TRUE(fixture.dialog->visible());
    fixture.advance(998);
    EXPECT_TRUE(fixture.dialog->visible());
    fixture.advance(1);
    EXPECT_FALSE(fixture.dialog->visible());
    EXPECT_TRUE(fixture.dialog->exists()) << "hidden, not closed";
}

// A launch while a screen runs submits its Exit; the engine's job may end,
// letting go of the layout's view, before its release reaches the dialog.
// Either way the window ends and the dialog returns to the main menu.
TEST(WinTSDlg, ALaunchsExitEndsTheScreenAlsoWhenItsJobLetGoFirst)
{
    for (const bool letGo : {false, true}) {
        SCOPED_TRACE(letGo ? "the view let go of first" : "the view kept");
        DialogFixture fixture;
        RecordingJob job;
        OfferingLayout layout(10, {kLayoutActionExit}, &job);
        std::unique_ptr<CVXLUIRequest> show(newRequest(kUIRequestNewLayout, &layout));
        std::unique_ptr<CVXLUIRequest> release(newRequest(kUIRequestReleaseLayout, &layout));
        bool endedOpen = false;
        fixture.dialog->shown = [&](ShownWindow& window) {
            ui::postMessage(fixture.dialog->handle(), kMsgLaunchExit, 0, 1);
            fixture.pump();
            if (letGo)
                layout.detachView();
            ui::postMessage(fixture.dialog->handle(), kWmMainActivity,
                reinterpret_cast<std::uintptr_t>(release.get()), 0);
            window.endIfOpenAfter(20, &endedOpen);
        };
        fixture.request(*show);
        EXPECT_FALSE(endedOpen) << "the release ended the window";
        EXPECT_EQ(job.actions, std::vector<std::uint32_t> {layoutEventId(10, kLayoutActionExit)});
        EXPECT_EQ(fixture.dialog->top(), -1);
        EXPECT_EQ(fixture.engine.releasedLayouts(), std::vector<CVXLLayout*> {&layout});
        EXPECT_EQ(layout.view(), nullptr);
        EXPECT_EQ(std::count(fixture.hidden.ids.begin(), fixture.hidden.ids.end(), kWmReturnToMenu), 1)
            << "returned to the main menu";
        EXPECT_EQ(fixture.root.readFile("log/ui.log").find("Assert"), std::string::npos)
            << fixture.root.readFile("log/ui.log");
    }
}

// Ctrl-C while a screen runs: the engine ends, and its layouts with it,
// before the program's quit ends the window's modal run. The dialog then
// neither touches the layout (its view is left as it was) nor hands it back
// to the ended engine.
TEST(WinTSDlg, AScreenEndedByTheQuitAfterTheEngineEndedIsNotHandedBack)
{
    DialogFixture fixture;
    fixture.engine.endsOnShutdown = true;
    RecordingJob job;
    OfferingLayout layout(10, {kLayoutActionBack}, &job);
    std::unique_ptr<CVXLUIRequest> show(newRequest(kUIRequestNewLayout, &layout));
    const void* viewAtTheEnd = nullptr;
    fixture.dialog->shown = [&](ShownWindow&) {
        fixture.client->postThreadMessage(kMsgShutdown, 0, 0);
        for (int turn = 0; turn < 20 && !fixture.client->engineEnded(); ++turn)
            fixture.advance(1);
        viewAtTheEnd = layout.view();
        ui::postQuitMessage(0);
    };
    fixture.request(*show);
    EXPECT_TRUE(fixture.client->engineEnded());
    EXPECT_EQ(fixture.dialog->top(), -1);
    ASSERT_NE(viewAtTheEnd, nullptr);
    EXPECT_EQ(layout.view(), viewAtTheEnd) << "the ended engine's layout was touched";
    EXPECT_TRUE(fixture.engine.releasedLayouts().empty());
}

TEST(WinTSDlg, AThirtyFirstLayoutIsReleasedAtOnce)
{
    DialogFixture fixture;
    RecordingJob job;
    std::vector<std::unique_ptr<OfferingLayout>> layouts;
    std::vector<std::unique_ptr<CVXLUIRequest>> requests;
    for (int i = 0; i < 31; ++i) {
        layouts.push_back(
            std::make_unique<OfferingLayout>(10, std::vector<std::uint32_t> {kLayoutActionBack}, &job));
        requests.emplace_back(newRequest(kUIRequestNewLayout, layouts.back().get()));
    }
    std::vector<std::unique_ptr<CVXLUIRequest>> releases;
    int shown = 0;
    int deepest = -1;
    fixture.dialog->shown = [&](ShownWindow&) {
        ++shown;
        deepest = std::max(deepest, fixture.dialog->top());
        ui::postMessage(fixture.dialog->handle(), kWmMainActivity,
            reinterpret_cast<std::uintptr_t>(requests[shown].get()), 0);
        if (shown < 30)
            return;
        // The 31st is answered; then every screen is released from the top.
        for (int i = 29; i >= 0; --i) {
            releases.emplace_back(newRequest(kUIRequestReleaseLayout, layouts[i].get()));
            ui::postMessage(fixture.dialog->handle(), kWmMainActivity,
                reinterpret_cast<std::uintptr_t>(releases.back().get()), 0);
        }
    };
    fixture.request(*requests[0]);
    EXPECT_EQ(shown, 30);
    EXPECT_EQ(deepest, 29);
    const std::vector<CVXLLayout*> released = fixture.engine.releasedLayouts();
    ASSERT_EQ(released.size(), 31u);
    EXPECT_EQ(released[0], layouts[30].get()) << "the 31st went back first, without a window";
    for (int i = 0; i < 30; ++i)
        EXPECT_EQ(released[1 + i], layouts[29 - i].get());
    EXPECT_EQ(fixture.dialog->top(), -1);
    EXPECT_TRUE(job.actions.empty());
}

TEST(WinTSDlg, ReturnToMenuRunsTheExitCommandCleansTheInboxAndCloses)
{
    DialogFixture fixture;
    // The exit command's program: writes its arguments, one a line, whole
    // under another name first, so the file the test waits for is complete.
    fixture.root.writeFile("windows/script",
        "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + fixture.root.hostPath("args.tmp") + "' && mv '"
            + fixture.root.hostPath("args.tmp") + "' '" + fixture.root.hostPath("args.txt") + "'\n");
    ::chmod(fixture.root.hostPath("windows/script").c_str(), 0755);
    const std::string inbox = fixture.root.hostPath("mapi/SMS/Inbox");
    fixture.root.makeFolder("mapi/SMS/Inbox");
    for (const char* kind : {"IPM.SMStext.Tessel", "IPM.SMSText.Tessel", "IPM.SMStext.Tessel",
             "IPM.SMStext.TesselX", "IPM.Note"}) {
        const TestCommandResult run
            = testRunCommand(testPython() + " " TESSEL_SOURCE_DIR "/tests/peers/mapistore.py write '" + inbox
                + "' '{\"props\": [[\"001a001f\", \"" + kind + "\"]]}' 2>&1");
        ASSERT_EQ(run.status, 0) << run.output;
    }
    fixture.dialog->setExitCommand(u"\\windows\\script a b");
    std::unique_ptr<CVXLUIRequest> menu(newRequest(kUIRequestReturnToMenu));
    fixture.request(*menu);

    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!fixture.root.exists("args.txt") && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(fixture.root.readFile("args.txt"), "a\nb\n");
    const TestCommandResult list = testRunCommand(testPython()
        + " " TESSEL_SOURCE_DIR "/tests/peers/mapistore.py list '" + inbox + "' | cut -d' ' -f2 | sort 2>&1");
    EXPECT_EQ(list.output, "IPM.Note\nIPM.SMSText.Tessel\nIPM.SMStext.TesselX\n")
        << "only the exact class went";
    EXPECT_FALSE(fixture.dialog->exists()) << "the dialog closed itself";
    ASSERT_FALSE(fixture.hidden.ids.empty());
    EXPECT_EQ(fixture.hidden.ids.front(), kWmReturnToMenu);
    EXPECT_EQ(std::count(fixture.hidden.ids.begin(), fixture.hidden.ids.end(), kWmMainActivity), 0);
    EXPECT_EQ(fixture.client->window(), fixture.hidden.handle())
        << "engine messages go to the hidden window again";
}

// Takes the activities the global menu posts: the cool site's id of each.
class SiteRecorder : public CVXLEventHandler {
public:
    const char* name() const override { return "site recorder"; }
    void receive(CVXLEvent* event) override
    {
        if (auto* text = dynamic_cast<CMenuTextEvent*>(event))
            sites.push_back(text->text().c_str());
        if (event->heapAllocated())
            delete event;
    }
    std::vector<std::string> sites;
};

void keys(std::initializer_list<std::uint32_t> virtualKeys)
{
    for (std::uint32_t key : virtualKeys) {
        ui::postInput(ui::uiThreadId(), ui::kWmKeyDown, key, 0);
        ui::postInput(ui::uiThreadId(), ui::kWmKeyUp, key, 0);
    }
}

TEST(WinTSDlg, TheConfigurationMenuRunsAChosenSiteAndOpensAgainOnTheReturnToMain)
{
    using Steps = std::function<void(CWinTSMainMenu&)>;
    struct Case {
        const char* what;
        Steps steps;
        int result;
        std::vector<std::string> sites; // cool sites run
        bool closed; // the dialog closed itself
    };
    const Case cases[] = {
        {"Select on the second listed site runs Fun at its global position",
            [](CWinTSMainMenu&) {
                keys({ui::kVkDown, ui::kVkF1});
            },
            0xFE02, {"b"}, false},
        {"Options, Cancel",
            [](CWinTSMainMenu&) {
                keys({ui::kVkF2, ui::kVkDown, ui::kVkDown, ui::kVkReturn});
            },
            1, {}, true},
        {"the Back key: the framework's cancel", [](CWinTSMainMenu&) { keys({ui::kVkEscape}); }, 2, {}, true},
        {"a tap-and-hold is neither: the engine is kicked, the dialog stays",
            [](CWinTSMainMenu& menu) { menu.list()->tapAndHold(0); }, 0xFF01, {}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DialogFixture fixture;
        SiteRecorder producer;
        CGlobalMenuList menu(&producer, nullptr);
        menu.addEntry("Inbox", kMenuEntryPlain, CGlobalMenuEntry::kOriginTable, 7);
        menu.addCoolSiteEntry("Site A", "a", "", "");
        menu.addCoolSiteEntry("Site B", "b", "", "");
        fixture.engine.menu = &menu;
        fixture.dialog->menuSteps = {c.steps, [](CWinTSMainMenu&) { keys({ui::kVkEscape}); }};

        fixture.dialog->LaunchToConfigure();
        fixture.settle();
        EXPECT_EQ(fixture.dialog->menuResults, std::vector<int> {c.result});
        EXPECT_EQ(fixture.dialog->menusEndedOpen, 0);
        EXPECT_EQ(producer.sites, c.sites);
        EXPECT_EQ(fixture.dialog->exists(), !c.closed);
        EXPECT_EQ(std::count(fixture.hidden.ids.begin(), fixture.hidden.ids.end(), kWmReturnToMenu),
            c.closed ? 1 : 0);
        if (c.closed)
            continue;
        const std::size_t built = fixture.engine.menusBuilt.size();
        EXPECT_EQ(fixture.engine.menusBuilt.front(), 15) << "the FUN menu";

        // The next return to main opens the menu again only after a choice.
        std::unique_ptr<CVXLUIRequest> back(newRequest(kUIRequestReturnToMenu));
        fixture.request(*back);
        const bool again = !c.sites.empty();
        EXPECT_EQ(fixture.dialog->menuResults.size(), again ? 2u : 1u);
        EXPECT_EQ(fixture.engine.menusBuilt.size(), built + (again ? 1 : 0));
        EXPECT_EQ(fixture.dialog->menusEndedOpen, 0);
        EXPECT_FALSE(fixture.dialog->exists()) << "closed by the Back key, or by the return itself";
        fixture.engine.menu = nullptr;
    }
}

// The menu opened again by a return to main leaves the engine running: a
// write the engine started before the return (its settings) goes on while
// the menu is up, not only once it ends.
TEST(WinTSDlg, TheEngineRunsWhileTheReopenedConfigurationMenuIsUp)
{
    DialogFixture fixture;
    SiteRecorder producer;
    CGlobalMenuList menu(&producer, nullptr);
    menu.addCoolSiteEntry("Site A", "a", "", "");
    fixture.engine.menu = &menu;
    int ticksWhileUp = -1;
    fixture.dialog->menuSteps = {[](CWinTSMainMenu&) { keys({ui::kVkF1}); },
        [&](CWinTSMainMenu&) {
            // The engine waits for no timer of its own: only a kick runs it.
            // The kick's timer is this thread's: its pump hands it on.
            const int before = fixture.engine.ticks;
            kernel::advanceClock(1);
            fixture.pump();
            if (auto queue = ui::MessageQueue::byId(fixture.client->threadId()))
                queue->awaitIdle(2000);
            ticksWhileUp = fixture.engine.ticks - before;
            keys({ui::kVkEscape});
        }};
    fixture.dialog->LaunchToConfigure();
    fixture.settle();
    ASSERT_EQ(producer.sites, std::vector<std::string> {"a"});
    // The run the choice asked for is over: the engine waits for nothing.
    fixture.advance(1);

    std::unique_ptr<CVXLUIRequest> back(newRequest(kUIRequestReturnToMenu));
    fixture.request(*back);
    ASSERT_EQ(fixture.dialog->menuResults.size(), 2u);
    EXPECT_GT(ticksWhileUp, 0);
    fixture.engine.menu = nullptr;
}

// Takes what the screen shows when its message comes.
class Snapper : public ui::Window {
public:
    static constexpr std::uint32_t kSnap = ui::kWmApp + 0x300;
    std::vector<std::string> shown;
    std::int64_t windowProc(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam) override
    {
        if (message == kSnap)
            shown = ui::activeFirstSnapshot();
        return Window::windowProc(message, wParam, lParam);
    }
};

std::u16string composeValue(const char16_t* name)
{
    std::u16string text;
    return registryRead(kLaunchSection, name, &text) ? text : u"(none)";
}

TEST(WinTSDlg, ALaunchRequestStartsItsFlowAndClearsWhatItUsed)
{
    constexpr int kNoPicker = -2;
    struct Case {
        const char* what;
        std::vector<std::pair<const char16_t*, std::u16string>> values;
        int pickerAnswer; // the row picked, -1 cancelled, kNoPicker: no picker expected
        std::vector<int> menusBuilt; // the global menus asked for
        std::vector<std::string> sites;
        std::u16string value; // the option's value
        std::uint32_t kind; // the launch kind it sets (0: none)
        std::string composed; // the line of log/compose.log
        bool closed;
    };
    const std::u16string picture = u"\\My Documents\\My Pictures\\a.jpg";
    const Case cases[] = {
        {"a lower-case class with a padded media path",
            {{kLaunchClass, u"ipm.smstext.tessel"}, {kLaunchMedia, u"  " + picture + u" \t"}}, kNoPicker, {4},
            {"0"}, picture, CWinTSDlg::kLaunchCompose, "", false},
        {"no media", {{kLaunchClass, u"IPM.SMSText.Tessel"}}, kNoPicker, {10}, {"0"}, u"",
            CWinTSDlg::kLaunchCompose, "", false},
        {"a media path that would leave the device root is ignored",
            {{kLaunchClass, u"IPM.SMSText.Tessel"}, {kLaunchMedia, u"\\..\\..\\etc\\passwd"}}, kNoPicker,
            {10}, {"0"}, u"", CWinTSDlg::kLaunchCompose, "", false},
        {"Configure opens the configuration menu (Back closes it)",
            {{kLaunchClass, u"IPM.SMSText.Post2Service"}, {kLaunchTo, u"Configure"}}, kNoPicker, {15}, {},
            u"", 0, "", true},
        {"configure in lower case opens nothing",
            {{kLaunchClass, u"IPM.SMSText.Post2Service"}, {kLaunchTo, u"configure"}}, kNoPicker, {}, {}, u"",
            0, "", false},
        {"post to service without media: the picked file",
            {{kLaunchClass, u"IPM.SMSText.Post2Service"}, {kLaunchTo, u""}}, 0, {4}, {"4"}, picture,
            CWinTSDlg::kLaunchPostToService, "", false},
        {"post to service, the picker cancelled", {{kLaunchClass, u"IPM.SMSText.Post2Service"}}, -1, {}, {},
            u"", CWinTSDlg::kLaunchPostToService, "", false},
        {"post to service with media", {{kLaunchClass, u"IPM.SMSText.Post2Service"}, {kLaunchMedia, picture}},
            kNoPicker, {4}, {"4"}, picture, CWinTSDlg::kLaunchPostToService, "", false},
        {"the phone's SMS composer with the subject and the text",
            {{kLaunchClass, u"IPM.SMSText"}, {kLaunchTo, u"+15550100"}, {kLaunchSubject, u"Hi"},
                {kLaunchText, u"See you"}},
            kNoPicker, {}, {}, u"", 0, "to=+15550100 subject=Hi body=See%20you account=SMS class=IPM.SMSText",
            true},
        {"an older writer's Subject:",
            {{kLaunchClass, u"IPM.SMSText"}, {kLaunchTo, u"a@b.example"}, {kLaunchOldSubject, u"Old"}},
            kNoPicker, {}, {}, u"", 0, "to=a@b.example subject=Old body= account=SMS class=IPM.SMSText",
            true},
        {"another class", {{kLaunchClass, u"IPM.Note"}}, kNoPicker, {}, {}, u"", 0, "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DialogFixture fixture;
        fixture.root.writeFile("My Documents/My Pictures/a.jpg", "jpeg");
        registryWrite(u"UIConfig", u"MediaFilter", u"*.jpg");
        SiteRecorder producer;
        CGlobalMenuList menu(&producer, nullptr);
        for (const char* id : {"0", "1", "2", "3", "4"})
            menu.addCoolSiteEntry((std::string("Site ") + id).c_str(), id, "", "");
        fixture.engine.menu = &menu;
        fixture.dialog->menuSteps = {[](CWinTSMainMenu&) { keys({ui::kVkEscape}); }};
        for (const auto& [name, value] : c.values)
            registryWrite(kLaunchSection, name, value);
        Snapper snapper;
        snapper.create(u"Snapper", u"");
        snapper.show(false);
        if (c.pickerAnswer != kNoPicker)
            ui::scriptPickerAnswer(c.pickerAnswer);

        const std::uint32_t kindBefore = CWinTSDlg::launchKind();
        const std::uint32_t before = kernel::tickCount();
        ui::postMessage(fixture.dialog->handle(), kMsgLaunch, 0, 1);
        ui::postMessage(snapper.handle(), Snapper::kSnap, 0, 0);
        fixture.settle();
        const std::uint32_t took = kernel::tickCount() - before;

        EXPECT_EQ(fixture.engine.menusBuilt, c.menusBuilt);
        EXPECT_EQ(producer.sites, c.sites);
        if (!c.sites.empty()) {
            EXPECT_EQ(fixture.client->menuValue(), c.value);
        }
        EXPECT_EQ(CWinTSDlg::launchKind(), c.kind ? c.kind : kindBefore)
            << "set only by the compose and post flows";
        if (c.pickerAnswer != kNoPicker) {
            ASSERT_FALSE(snapper.shown.empty());
            EXPECT_EQ(snapper.shown.front(), "== Select Image to Post ==");
        }
        EXPECT_EQ(fixture.root.readFile("log/compose.log"), c.composed.empty() ? "" : c.composed + "\n");
        if (!c.composed.empty()) {
            EXPECT_GE(took, CWinTSDlg::kSmsComposerDelayMs);
            for (const char16_t* name : {kLaunchClass, kLaunchTo, kLaunchSubject, kLaunchText})
                EXPECT_EQ(composeValue(name), u"") << "cleared";
        }
        // A media path used (given or picked) is cleared, and so is all of an SMS request.
        const bool hadMedia = c.values.size() > 1 && c.values[1].first == kLaunchMedia;
        const bool mediaCleared = hadMedia || c.pickerAnswer >= 0 || !c.composed.empty();
        EXPECT_EQ(composeValue(kLaunchMedia), mediaCleared ? u"" : u"(none)");
        EXPECT_EQ(fixture.dialog->exists(), !c.closed);
        fixture.engine.menu = nullptr;
        snapper.destroy();
    }
}

TEST(WinTSDlg, ALaunchsExitCommandIsUsedOnce)
{
    DialogFixture fixture;
    registryWrite(kLaunchSection, kLaunchExitCommand, u"\\windows\\x a b");
    ui::postMessage(fixture.dialog->handle(), kMsgLaunch, 0, 1);
    fixture.settle();
    EXPECT_EQ(fixture.dialog->exitCommand(), u"\\windows\\x a b");
    EXPECT_EQ(composeValue(kLaunchExitCommand), u"");
    ui::postMessage(fixture.dialog->handle(), kMsgLaunch, 0, 1);
    fixture.settle();
    EXPECT_EQ(fixture.dialog->exitCommand(), u"");
}

TEST(WinTSDlg, ARefusedSystemCheckShowsItsTextAndEndsTheProgram)
{
    DialogFixture fixture;
    fixture.root.writeDeviceConf("card.present = 0\nsystem.refuse = The phone is busy\n");
    RecordingJob job;
    OfferingLayout layout(13, {kLayoutActionBack}, &job);
    std::unique_ptr<CVXLUIRequest> show(newRequest(kUIRequestNewLayout, &layout));
    ui::postMessage(
        fixture.dialog->handle(), kWmMainActivity, reinterpret_cast<std::uintptr_t>(show.get()), 0);
    fixture.settle();
    EXPECT_EQ(fixture.quits, 1);
    EXPECT_NE(fixture.root.readFile("log/notify.log").find("The phone is busy"), std::string::npos);
    EXPECT_TRUE(job.actions.empty());
    ui::MessageQueue::current()->takeQuit();
}

} // namespace

namespace {

TEST(WinTSDlg, TheHeartbeatTurnsRedAndWhiteWithTheEngineSteps)
{
    TempDeviceRoot root;
    root.writeDeviceConf("card.present = 0\n");
    kernel::driveClock(1000, 1'200'000'000);
    {
        registryWriteDword(u"Debug", u"Heartbeat", 1);
        ScriptedEngine engine;
        CWinTSClient client(engine);
        CWinTSDlg dialog(client, 0);
        ASSERT_TRUE(dialog.create());
        dialog.show(true);
        ASSERT_TRUE(client.createThread(false));
        auto step = [&] {
            auto host = ui::MessageQueue::byId(client.threadId());
            host->awaitIdle(2000);
            const int before = engine.ticks;
            client.ArmTimer(1);
            kernel::advanceClock(1);
            ui::Message message;
            while (engine.ticks == before || !host->awaitIdle(20)) {
                while (ui::peekMessage(&message, true))
                    ui::dispatchMessage(message);
            }
        };
        auto marker = [&] {
            tessel::ui::Compositor compositor;
            compositor.compose();
            const ui::Rect at = dialog.shownAt();
            return ui::colorRef(compositor.frame().pixel(at.right - 3, at.top + 2));
        };
        EXPECT_EQ(client.heartbeatMark(), 2) << "white before the first step";
        step();
        EXPECT_EQ(marker(), ui::colorRef(ui::rgb(255, 0, 0)));
        step();
        EXPECT_EQ(marker(), ui::colorRef(ui::rgb(255, 255, 255)));
        dialog.destroy();
    }
    {
        // Off by default: the corner shows the dialog's own background.
        registryWriteDword(u"Debug", u"Heartbeat", 0);
        ScriptedEngine engine;
        CWinTSClient client(engine);
        EXPECT_EQ(client.heartbeatMark(), 0);
    }
    kernel::releaseClock();
}

} // namespace
