#include "tests/client/KORVFixture.h"

#include "engine/client/program/Producer.h"
#include "tests/support/ScreenText.h"

namespace {

// One activity of the shipped program, run by the Client's Producer with
// scripted screens: the first UI jobs it shows, properties handed to them,
// events they received and what the user interface is told.
struct Flow {
    int code;
    std::vector<std::int32_t> script;
    std::vector<int> shown;
    // "index:name=value" of the shown job at that index.
    std::vector<std::string> properties;
    // The screen requests other than layouts, in order.
    const char* end;
    const char* trace = "";
    // "index:code" of an event the shown job at that index received.
    std::vector<std::string> received = {};
};

class ShippedFlowsTest : public ::testing::Test {
public:
    using Request = ScreenRequest;

    void SetUp() override
    {
        ASSERT_TRUE(engine.root().writeFile(
            "Application Data/Tessel/vxlcfg.xml", readTestFile("tests/client/data/vxlcfg.xml")));
        ASSERT_TRUE(engine.create());
        client = engine.client();
        pool = new ScriptedUiJobPool(client);
        // The notice screens are the engine's own jobs.
        pool->realTypes = {7, 11, 42, 43};
        client->setUiJobPool(pool);
        services.setClient(client);
        builtins = std::make_unique<CKORVBuiltins>(&services);
        services.scenarios = &client->getScenarioManager();
        producer().setBuiltinInstaller(&CKORVBuiltins::installInto, builtins.get());
        ASSERT_TRUE(engine.startUp());
        client->setMenuId(0);
        client->startChild(&sender);
        run();
    }
    void TearDown() override
    {
        sender.stop();
        run();
    }

    CProducer& producer() { return client->getProducer(); }

    void run() { runEngineUntilIdle(engine, &requests); }

    std::string describeRequests() const
    {
        std::string out;
        for (const Request& q : requests) {
            if (!out.empty())
                out += " | ";
            out += kUIRequestKindNames[q.kind];
            if (q.kind == kUIRequestProcessUrl)
                out += " " + q.url;
            if (q.kind == kUIRequestReturnToMenu)
                out += " " + std::to_string(q.value);
        }
        return out;
    }

    // Declared before the engine: the Client's machines point at them.
    TestServices services;
    std::unique_ptr<CKORVBuiltins> builtins;
    EngineDriver engine;
    CVXLClient* client = nullptr;
    ScriptedUiJobPool* pool = nullptr;
    TraceJob sender {"Sender"};
    std::vector<Request> requests;
};

TEST_F(ShippedFlowsTest, EveryActivityShowsItsFlow)
{
    client->setCaptureLocation(5);
    client->settings().setPersistentString("pers.media_browse", "http://browse.example/");
    services.newMessages.insert("k-new");
    const std::int32_t kStore = 2;

    const Flow flows[] = {
        {69, {}, {}, {}, "", "Unknown launch command 69"},
        {70, {8}, {45}, {}, "RETURN_TO_MENU 0"},
        {71, {8}, {13}, {"0:album_summary=<ref>"}, "RETURN_TO_MENU 0"},
        {72, {10, 8}, {6, 20}, {"1:menu_type_id=0"}, "RETURN_TO_MENU 0"},
        {73, {10, 8}, {6, 5}, {"1:add_cool_sites=0"}, "RETURN_TO_MENU 0"},
        {74, {8}, {45}, {"0:preselected_album=0"}, "RETURN_TO_MENU 0"},
        {75, {8}, {13}, {"0:album_summary=<ref>"}, "RETURN_TO_MENU 0"},
        // Send to contacts: the composer gets the scenario "@start" stored.
        {76, {10, 10, 10, 10, 8}, {6, 4, 1, 17, 10},
            {"2:storage_location=327683", "4:scenario=__vxl_sendto_recipients", "4:gc_op=0"},
            "RETURN_TO_MENU 0"},
        // The spinner answers the program's 10 itself.
        {77, {10, 8}, {6, 43, 46}, {"2:bUploads=1"}, "RETURN_TO_MENU 0", "", {"1:10"}},
        {78, {10, 7}, {6, 1}, {"1:storage_location=327683"}, "RETURN_TO_MENU 1"},
        {79, {8}, {14}, {"0:album_summary=<ref>"}, "RETURN_TO_MENU 0"},
        {80, {8}, {45}, {"0:preselected_album=<ref>"}, "RETURN_TO_MENU 0"},
        {81, {10, 8}, {6, 19}, {"1:supports_image=1", "1:supports_video=1", "1:supports_txtonly=1"},
            "RETURN_TO_MENU 0"},
        {82, {8}, {8}, {"0:album_summary=<ref>", "0:favorite_position=<empty>"}, "RETURN_TO_MENU 0"},
        {83, {8}, {30}, {}, "RETURN_TO_MENU 0"},
        {84, {}, {}, {}, "RETURN_TO_MENU 0", "Unknown launch command 84"},
        {85, {}, {}, {}, "RETURN_TO_MENU 0", "Unknown launch command 85"},
        {86, {8}, {45}, {"0:preselected_album=0"}, "RETURN_TO_MENU 0"},
        {87, {10, 8}, {6, 20}, {"1:menu_type_id=0"}, "RETURN_TO_MENU 0"},
        {88, {9}, {30}, {}, "RETURN_TO_MENU 1"},
        {89, {}, {}, {}, "RETURN_TO_MENU 0", "Unknown launch command 89"},
        {90, {}, {}, {}, "RETURN_TO_MENU 0", "Unknown launch command 90"},
        {91, {}, {}, {}, "RETURN_TO_MENU 0", "Unknown launch command 91"},
        {92, {}, {}, {}, "RETURN_TO_MENU 0", "Unknown launch command 92"},
        {93, {8}, {45}, {"0:local_show_only=1"}, "RETURN_TO_MENU 0"},
        {94, {8}, {45}, {"0:local_show_only=0"}, "RETURN_TO_MENU 0"},
        {95, {10, 8}, {6, 19}, {"1:supports_image=1"}, "RETURN_TO_MENU 0"},
        {96, {}, {}, {}, "RETURN_TO_MENU 0", "Not done"},
        {97, {10, 8}, {6, 4}, {}, "RETURN_TO_MENU 0"},
        {98, {10, 8}, {6, 19}, {"1:supports_txtonly=1"}, "RETURN_TO_MENU 0"},
        {99, {}, {}, {}, "RETURN_TO_MENU 0", "Not done"},
        // The notice goes on to the message summary job.
        {100, {8}, {28}, {}, "RETURN_TO_MENU 0", "", {"0:100"}},
        {101, {10, 7}, {6, 29}, {"1:message_id="}, "RETURN_TO_IDLE | RETURN_TO_MENU 0"},
        {102, {8}, {26}, {"0:thread_id=", "0:go_forward=1"}, "RETURN_TO_MENU 1", "P2 Got CE_CHILD_BACK"},
        {103, {10, 8}, {6, 5}, {"1:add_cool_sites=1"}, "RETURN_TO_MENU 0"},
        // A cool site whose scenario has a configuration scenario and a
        // destination URL: the configured-destination menu of type 2.
        {104, {10, 8}, {43, 6, 20}, {"2:scenario=blog", "2:menu_type_id=2"}, "RETURN_TO_MENU 0",
            "s_global_configured_dest_launcher - MLL_DEST_LAUNCHER", {"0:10"}},
        {105, {}, {}, {}, "", "Unknown launch command 105"},
        {106, {}, {}, {}, "", "Unknown launch command 106"},
        // No account management URL even after the check: an empty one is
        // still asked for.
        {107, {10}, {6}, {}, "PROCESS_URL_REQUEST  | RETURN_TO_IDLE",
            "account management url is missing - even after reg check"},
        {108, {}, {}, {}, "PROCESS_URL_REQUEST http://browse.example/"},
        {109, {8}, {28}, {}, "RETURN_TO_IDLE"},
        {110, {}, {}, {}, "", "Unknown launch command 110"},
        {111, {}, {}, {}, "", "Unknown launch command 111"},
        {112, {8}, {40}, {"0:password_event=<ref>"}, "RETURN_TO_IDLE"},
        {113, {9}, {3}, {"0:ia_event=<ref>"}, "RETURN_TO_IDLE"},
        {114, {10}, {41}, {"0:fail_event=<ref>"}, "RETURN_TO_IDLE"},
        {115, {9}, {28}, {}, "RETURN_TO_IDLE"},
        {116, {}, {}, {}, "", "Unknown launch command 116"},
    };
    ASSERT_EQ(std::size(flows), 48u);
    for (const Flow& f : flows) {
        SCOPED_TRACE(f.code);
        pool->shown.clear();
        pool->script.clear();
        for (std::int32_t code : f.script)
            pool->script.push_back({code, {}});
        services.traces.clear();
        requests.clear();

        // The activity event: a store id for 79 and 80, a cool site's id
        // for 104, a message key for the message notices.
        std::unique_ptr<CVXLEvent> event;
        if (f.code == 79 || f.code == 80) {
            auto* e = new CMediaAccessEvent(f.code);
            e->setValue(kStore);
            event.reset(e);
        } else {
            auto* e = new CMenuTextEvent(f.code);
            e->setText(f.code == 104 ? "blog" : "k-new");
            event.reset(e);
        }
        event->setHeapAllocated(false);
        sender.post(&producer(), event.get());
        run();
        while (!producer().isIdle() && pool->answer(producer().uiJobs()))
            run();
        ASSERT_TRUE(producer().isIdle());
        EXPECT_FALSE(event->isBusy());
        EXPECT_TRUE(pool->script.empty());
        EXPECT_EQ(pool->shownTypes(), f.shown);
        for (const std::string& p : f.properties) {
            const std::size_t colon = p.find(':');
            const std::size_t equals = p.find('=');
            const std::size_t index = std::stoul(p.substr(0, colon));
            const std::string name = p.substr(colon + 1, equals - colon - 1);
            ASSERT_LT(index, pool->shown.size()) << p;
            const auto& handed = pool->shown[index].properties;
            const auto it = handed.find(name);
            EXPECT_TRUE(it != handed.end() && it->second == p.substr(equals + 1))
                << p << " got " << (it == handed.end() ? "nothing" : it->second);
        }
        for (const std::string& g : f.received) {
            const std::size_t colon = g.find(':');
            const std::size_t index = std::stoul(g.substr(0, colon));
            ASSERT_LT(index, pool->shown.size()) << g;
            const auto& got = pool->shown[index].received;
            EXPECT_NE(std::find(got.begin(), got.end(), std::stoi(g.substr(colon + 1))), got.end()) << g;
        }
        EXPECT_EQ(describeRequests(), f.end);
        const bool traced = std::find(services.traces.begin(), services.traces.end(), std::string(f.trace))
            != services.traces.end();
        EXPECT_TRUE(*f.trace == 0 || traced) << f.trace;
        EXPECT_EQ(producer().uiJobs().depth(), 0u);
        EXPECT_TRUE(client->hasNoActivity());
        // Each screen of a real job is the one its layout type and state show.
        for (const auto& s : pool->shown) {
            if (s.screen.empty())
                continue;
            const char* expected = expectedScreen(s.layoutType, s.layoutState);
            ASSERT_NE(expected, nullptr) << s.screen;
            EXPECT_EQ(s.screen, expected);
        }
    }
}

} // namespace
