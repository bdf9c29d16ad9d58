#include "ui/WinTSClient.h"
#include "platform/kernel/Clock.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowSystem.h"
#include "tests/support/TempDeviceRoot.h"
#include "tests/ui/ScriptedEngine.h"
#include "ui/WinTSMessages.h"
#include "ui/WinTSRegistry.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace tessel;
constexpr std::uint32_t kForever = kernel::kWaitForever;

// The window the host thread posts to: it keeps the ids it got.
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

// A host thread over a scripted engine on a driven clock, posting to a
// recorder on the test's thread.
class HostFixture {
public:
    explicit HostFixture(std::vector<ScriptedEngine::Step> script)
        : engine(std::move(script))
    {
        root.writeDeviceConf("card.present = 0\n");
    }
    ~HostFixture()
    {
        client.reset();
        recorder.destroy();
        kernel::releaseClock();
    }

    void start()
    {
        kernel::driveClock(1000, 1'200'000'000);
        client = std::make_unique<CWinTSClient>(engine);
        recorder.create(u"Recorder", u"");
        client->SetWindow(recorder.handle(), kWmMainActivity, kWmMainShutdown, kWmMainDontRun);
        ASSERT_TRUE(client->createThread(false));
        settle();
    }

    // Both threads have done all they can until the clock moves.
    void settle()
    {
        for (int round = 0; round < 200; ++round) {
            bool pumped = false;
            ui::Message message;
            while (ui::peekMessage(&message, true)) {
                ui::dispatchMessage(message);
                pumped = true;
            }
            const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
            while (!client->loopEnded() && std::chrono::steady_clock::now() < until) {
                auto queue = ui::MessageQueue::byId(client->threadId());
                if (!queue || queue->awaitIdle(20))
                    break;
            }
            if (!pumped && !ui::peekMessage(&message, false))
                return;
        }
    }
    void advance(std::uint32_t ms)
    {
        kernel::advanceClock(ms);
        settle();
    }

    TempDeviceRoot root;
    ScriptedEngine engine;
    Recorder recorder;
    std::unique_ptr<CWinTSClient> client;
};

std::string idsText(const std::vector<std::uint32_t>& ids)
{
    std::string text;
    for (std::uint32_t id : ids) {
        text += id == kWmMainActivity ? "ACTIVITY "
            : id == kWmMainShutdown   ? "SHUTDOWN "
            : id == kWmMainDontRun    ? "DONTRUN "
                                      : "? ";
    }
    return text;
}

TEST(WinTSClient, EachTimerEventRunsStepsUntilTheEngineNamesAWait)
{
    using Step = ScriptedEngine::Step;
    // An action: advance the clock by ms, or (ms 0) kick the engine as the
    // user interface does after answering a request.
    struct Case {
        const char* what;
        std::uint32_t tightLoop; // 0: the default
        std::uint32_t longRun; // 0: none
        bool shutdownFirst;
        std::vector<Step> script;
        std::vector<std::uint32_t> actions;
        int ticks;
        std::uint32_t wait;
        const char* posted;
        bool ended;
        int shutdownRequests;
    };
    const Case cases[] = {
        {"zero waits stop at the tight-loop limit", 0, 0, false, {{0, 0}}, {}, 30, 5, "", false, 0},
        {"the next timer event runs 30 more", 0, 0, false, {{0, 0}}, {4}, 30, 5, "", false, 0},
        {"5 ms later", 0, 0, false, {{0, 0}}, {5}, 60, 5, "", false, 0},
        {"a smaller tight-loop limit", 4, 0, false, {{0, 0}}, {}, 4, 5, "", false, 0},
        {"the long-run interval bounds the timer", 0, 1000, false, {{1, 60000}}, {999}, 1, 1000, "", false,
            0},
        {"and the timer fires after it", 0, 1000, false, {{1, 60000}}, {1000}, 2, 1000, "", false, 0},
        {"a wait of 300,000 ms tells the window", 0, 0, false, {{1, 300000}}, {}, 1, 300000, "DONTRUN ",
            false, 0},
        {"299,999 ms does not", 0, 0, false, {{1, 299999}}, {}, 1, 299999, "", false, 0},
        {"a request goes to the window and stops the engine", 0, 0, false, {{1, 50, true}, {1, 50}},
            {100, 1000}, 1, kForever, "ACTIVITY ", false, 0},
        {"until the user interface kicks it", 0, 0, false, {{1, 50, true}, {1, 50}}, {100, 0, 1}, 2, 50,
            "ACTIVITY ", false, 0},
        {"termination ends the thread", 0, 0, false, {{4, 10}}, {}, 1, kForever, "SHUTDOWN DONTRUN ", true,
            0},
        {"a fatal error shuts the engine down", 0, 0, false, {{3, 10}, {1, 10}, {4, 10}}, {10, 10}, 3,
            kForever, "SHUTDOWN DONTRUN ", true, 1},
        {"an unknown status too, and the engine steps on to its end", 0, 0, false, {{7, 10}, {4, 10}}, {10},
            2, kForever, "SHUTDOWN DONTRUN ", true, 1},
        {"a long wait during shut-down ends the thread", 0, 0, true, {{1, 1800000}}, {}, 1, kForever,
            "SHUTDOWN DONTRUN ", true, 1},
        {"one below does not", 0, 0, true, {{1, 1799999}}, {}, 1, 1799999, "DONTRUN ", false, 1},
        {"no timer during shut-down ends it", 0, 0, true, {{1, kForever}}, {}, 1, kForever,
            "SHUTDOWN DONTRUN ", true, 1},
        {"a request during shut-down does not end it", 0, 0, true, {{1, 50, true}, {4, 10}}, {}, 1, kForever,
            "ACTIVITY ", false, 1},
        {"so the engine reaches its end once answered", 0, 0, true, {{1, 50, true}, {4, 10}}, {0, 1}, 2,
            kForever, "ACTIVITY SHUTDOWN DONTRUN ", true, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        HostFixture host(c.script);
        if (c.tightLoop)
            registryWriteDword(u"Debug", u"TightLoopLimit", c.tightLoop);
        if (c.longRun)
            registryWriteDword(u"Debug", u"LongRunInterval", c.longRun);
        host.start();
        if (c.shutdownFirst) {
            host.client->postThreadMessage(kMsgShutdown, 0, 0);
            host.settle();
        }
        host.advance(1);
        for (std::uint32_t action : c.actions) {
            if (action == 0) {
                host.client->ArmTimer(1);
                host.settle();
            } else {
                host.advance(action);
            }
        }
        EXPECT_EQ(host.engine.ticks, c.ticks);
        if (!c.ended) {
            EXPECT_EQ(host.client->wait(), c.wait);
        }
        EXPECT_EQ(idsText(host.recorder.ids), c.posted);
        EXPECT_EQ(host.client->loopEnded(), c.ended);
        EXPECT_EQ(host.engine.shutdownRequests, c.shutdownRequests);
    }
}

TEST(WinTSClient, ThreadMessagesReachTheEngineAndKickIt)
{
    HostFixture host({{1, kForever}});
    host.start();
    host.advance(1);
    EXPECT_EQ(host.engine.ticks, 1);
    auto* layout = reinterpret_cast<CVXLLayout*>(std::uintptr_t {0x1234});
    host.client->postThreadMessage(kMsgReleaseLayout, reinterpret_cast<std::uintptr_t>(layout), 0);
    host.client->postThreadMessage(kMsgDeactivate, 2, 0);
    host.client->postThreadMessage(kMsgActivate, 1, 0);
    host.settle();
    EXPECT_EQ(host.engine.releasedLayouts(), std::vector<CVXLLayout*> {layout});
    EXPECT_EQ(host.engine.suspended, 2);
    EXPECT_EQ(host.engine.resumed, 1);
    host.advance(1);
    EXPECT_EQ(host.engine.ticks, 2)
        << "each handler kicks the engine once; the kicks fold into one timer event";
}

TEST(WinTSClient, ALockHeldPastItsWaitRunsNothingAndIsTriedAgain)
{
    HostFixture host({{1, kForever}});
    host.start();
    host.client->setLockWaitMs(30);
    auto* layout = reinterpret_cast<CVXLLayout*>(std::uintptr_t {0x5678});
    ASSERT_TRUE(host.client->engineLock().lock(0));
    kernel::advanceClock(1);
    host.client->postThreadMessage(kMsgReleaseLayout, reinterpret_cast<std::uintptr_t>(layout), 0);
    // The host thread gives up on the lock, again and again, in real time.
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (host.root.readFile("log/ui.log").find("posted again") == std::string::npos
        && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    kernel::advanceClock(5);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(host.engine.ticks, 0) << "nothing ran without the lock";
    EXPECT_TRUE(host.engine.releasedLayouts().empty());
    host.client->engineLock().unlock();
    host.settle(); // the late release kicks the engine
    host.advance(5);

    EXPECT_EQ(host.engine.ticks, 1) << host.root.readFile("log/ui.log");
    EXPECT_EQ(host.engine.releasedLayouts(), std::vector<CVXLLayout*> {layout}) << "released once, late";
    const std::string log = host.root.readFile("log/ui.log");
    EXPECT_NE(log.find("Assert: OnTimer"), std::string::npos) << log;
}

TEST(WinTSClient, TheEngineIsConfiguredFromTheRegistryAndThePhone)
{
    HostFixture host({});
    host.root.writeDeviceConf(
        "phone.number = +14255550199\nphone.nai = 4255550199@nai.example\n"
        "oem.info = Acme: Phone 7\ncarrier.proxy = 10.1.2.3\nphone.operator = Big Tel\n");
    registryWrite(u"ClientConfig", u"vxlcfg_language", u"fr");
    registryWriteDword(u"ClientConfig", u"VXLCFG_TOP_CORRECTION", 7);
    registryWrite(u"ClientConfig", u"VXLCFG_NOT_AN_ITEM", u"x");
    CWinTSClient client(host.engine);
    EXPECT_TRUE(client.started());
    EXPECT_EQ(host.engine.creates, 1);
    EXPECT_EQ(host.engine.texts[8], "fr") << "value names compare ignoring case";
    EXPECT_EQ(host.engine.numbers[16], 7u);
    EXPECT_EQ(host.engine.texts[4], "WinTS:Acme__Phone_7:Big_Tel :OS-3.5.2");
    EXPECT_EQ(host.engine.texts[10], "WinTS:Acme__Phone_7:Big_Tel:OS-3.5.2  APP-1.0.0.0:");
    EXPECT_EQ(host.engine.texts[7], "4255550199") << "the last 10 characters";
    EXPECT_EQ(host.engine.texts[6], "4255550199@nai.example");
    EXPECT_EQ(host.engine.texts[2], "http://4255550199@nai.example:qtz@10.1.2.3:80");
    std::u16string text;
    EXPECT_TRUE(registryRead(u"Debug", u"proxy", &text));
    EXPECT_EQ(text, u"http://4255550199@nai.example:qtz@10.1.2.3:80");
    EXPECT_TRUE(registryRead(u"Debug", u"phone", &text));
    EXPECT_EQ(text, u"4255550199");
    EXPECT_NE(host.root.readFile("log/ui.log").find("Unknown Configuration Request: VXLCFG_NOT_AN_ITEM"),
        std::string::npos);

    ScriptedEngine other;
    registryWrite(u"ClientConfig", u"VXLCFG_PROXY_URI", u"http://<NAI>@127.0.0.1:3128/<NAI>");
    CWinTSClient second(other);
    EXPECT_EQ(other.texts[2], "http://4255550199@nai.example@127.0.0.1:3128/4255550199@nai.example");
}

TEST(WinTSClient, WithoutNumberIdentifierOrMemoryTheProgramTellsAndQuits)
{
    struct Case {
        const char* conf;
        std::uint32_t memoryFloorKb; // 0: the default
        const char* message;
    };
    const Case cases[] = {
        {"phone.number =\n", 0, "Tessel credentials could not be read (1)."},
        {"phone.nai =\n", 0, "Tessel credentials could not be read (2)."},
        {"", 0xFFFFFFFF, "Memory is low.  Norvane Tessel cannot launch."},
    };
    for (const Case& c : cases) {
        TempDeviceRoot root;
        root.writeDeviceConf(c.conf);
        if (c.memoryFloorKb)
            registryWriteDword(u"Debug", u"MemoryFloor", c.memoryFloorKb);
        ScriptedEngine engine;
        CWinTSClient client(engine);
        EXPECT_FALSE(client.started()) << c.conf;
        EXPECT_NE(root.readFile("log/notify.log").find(c.message), std::string::npos)
            << root.readFile("log/notify.log");
        ui::Message message;
        bool quit = false;
        while (ui::peekMessage(&message, true))
            quit = quit || message.id == ui::kWmQuit;
        EXPECT_TRUE(quit) << c.conf;
        ui::MessageQueue::current()->takeQuit();
    }
}

TEST(WinTSClient, ForceResetDeletesTheEngineConfigurationOnce)
{
    struct Case {
        const char16_t* fileStore; // null: the default folder
        const char* folder;
    };
    const Case cases[] = {
        {nullptr, "Application Data/Tessel"},
        {u"\\Data\\Engine", "Data/Engine"},
    };
    for (const Case& c : cases) {
        TempDeviceRoot root;
        if (c.fileStore)
            registryWrite(u"Path", u"FileStore", c.fileStore);
        const std::string folder = c.folder;
        for (const char* name : {"/_vxl.reg", "/vxlcfg.xml", "/state.oq"})
            root.writeFile(folder + name, "kept?");
        registryWriteDword(u"", u"ForceReset", 1);
        {
            ScriptedEngine engine;
            CWinTSClient client(engine);
        }
        EXPECT_FALSE(root.exists(folder + "/_vxl.reg")) << folder;
        EXPECT_FALSE(root.exists(folder + "/vxlcfg.xml")) << folder;
        EXPECT_TRUE(root.exists(folder + "/state.oq")) << folder;
        std::uint32_t value = 9;
        registryReadDword(u"", u"ForceReset", &value, 9);
        EXPECT_EQ(value, 0u);
        root.writeFile(folder + "/_vxl.reg", "new settings");
        {
            ScriptedEngine engine;
            CWinTSClient client(engine);
        }
        EXPECT_TRUE(root.exists(folder + "/_vxl.reg")) << "only once";
    }
}

TEST(WinTSClient, GlobalMenuNames)
{
    TempDeviceRoot root;
    EXPECT_EQ(CWinTSClient::GlobalMenuId(u"global_pictures"), 0);
    EXPECT_EQ(CWinTSClient::GlobalMenuId(u"FUN"), 15);
    EXPECT_EQ(CWinTSClient::GlobalMenuId(u"SEND_MESSAGE_SMS"), 11);
    EXPECT_EQ(CWinTSClient::GlobalMenuId(u"NOTHING"), 16);
}

} // namespace
