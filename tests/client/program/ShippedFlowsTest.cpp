// Every activity of the shipped program on the engine's own UI jobs (the
// Client's pool): the Producer runs the activity, the user answers each
// screen through its layout's actions, and each run ends as its row says
// within a bound of steps.
#include "engine/client/KORVClientServices.h"
#include "engine/client/VXLClient.h"
#include "engine/client/VXLUIRequest.h"
#include "engine/client/machine/VXLUiJobStack.h"
#include "engine/client/menu/MediaAccessEvent.h"
#include "engine/client/menu/MenuTextEvent.h"
#include "engine/client/program/Producer.h"
#include "engine/core/settings/VXLPersKeys.h"
#include "engine/records/VXLInboundRequests.h"
#include "engine/screens/VXLLayout.h"
#include "engine/screens/VXLMessageSummaryJob.h"
#include "tests/client/ProgramJobLog.h"
#include "tests/client/ScenarioTestSupport.h"
#include "tests/support/EngineDriver.h"
#include "tests/support/JobTreeDriver.h"
#include "tests/support/ScreenText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

// One activity of the shipped program: the actions the user takes (labels,
// each on the screen then on top), the UI jobs the program starts, properties
// handed to them, the screens shown (layout types), the screen requests other
// than layouts and a line the program prints.
struct Flow {
    int code;
    std::vector<const char*> actions;
    std::vector<int> started;
    // "index:name=value" of the started job at that index.
    std::vector<std::string> properties;
    std::vector<std::uint32_t> screens;
    const char* end;
    const char* trace = "";
    // Activity 115: sent as the inbound manager's decision event, with
    // configuration item 43 (ask first) on or off, and the answer the event
    // must carry back. A plain launch event carries no decision.
    struct {
        bool decisionEvent = false;
        bool askFirst = false;
        std::uint32_t answer = 0;
    } charge {};
};

// The Client's services to the built-ins, keeping what the program prints.
class FlowServices : public CKORVClientServices {
public:
    std::vector<std::string> traces;
    void trace(const CVXLString& line) override { traces.push_back(line.c_str()); }
};

// A screen as the user interface got it.
struct Shown {
    CVXLLayout* layout;
    std::string text;
    std::uint32_t type;
    std::uint32_t state;
};

class ShippedFlowsTest : public ::testing::Test {
public:
    // Steps of a run: engine runs until idle, each followed by one action.
    static constexpr int kStepBound = 12;

    void SetUp() override
    {
        ASSERT_TRUE(engine.root().writeFile(
            "Application Data/Tessel/vxlcfg.xml", readTestFile("tests/client/data/vxlcfg.xml")));
        ASSERT_TRUE(engine.create());
        client = engine.client();
        services.setClient(client);
        jobs.watched = {"storage_location", "scenario", "gc_op", "album_summary", "preselected_album",
            "local_show_only", "menu_type_id", "add_cool_sites", "supports_image", "supports_video",
            "supports_txtonly", "bUploads", "message_id", "thread_id", "go_forward", "password_event",
            "ia_event", "fail_event", "favorite_position", "has_contact_flag"};
        jobs.attach(producer());
        ASSERT_TRUE(engine.startUp());
        CVXLClientSettings& settings = client->settings();
        // A registered phone: the registration checks pass at once.
        settings.setPersistentString(kPersVraxId, "D42");
        settings.setPersistentString(kPersVraxRegComplete, "1");
        settings.setPersistentString(kPersVraxVerId, "7");
        settings.setPersistentString("pers.media_browse", "http://browse.example/");
        client->setCaptureLocation(client->getMediaStoreManager().storeIdAt(0));
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

    // Ticks until idle as the user interface: takes every screen request,
    // keeps the screens shown and lets go of each released one.
    void run()
    {
        for (int i = 0; i < 100000; ++i) {
            const std::int32_t result = engine.tick();
            if (CVXLUIRequest* r = engine.popUIRequest()) {
                CVXLLayout* layout = r->layout();
                switch (r->kind()) {
                case kUIRequestNewLayout:
                    shown.push_back({layout, screenText(*layout), layout->layoutType(), layout->state()});
                    open.push_back(layout);
                    break;
                case kUIRequestReleaseLayout:
                    std::erase(open, layout);
                    released.push_back(layout);
                    break;
                case kUIRequestUpdatedLayout:
                    break;
                default:
                    requests.push_back(describe(*r));
                }
                continue;
            }
            if (!released.empty()) {
                for (CVXLLayout* layout : released)
                    client->releaseLayout(layout);
                released.clear();
                continue;
            }
            if (result != CVXLClient::kTickWorkLeft && client->getWaitTime() != 0)
                break;
        }
    }

    static std::string describe(CVXLUIRequest& r)
    {
        std::string out = kUIRequestKindNames[r.kind()];
        if (r.kind() == kUIRequestProcessUrl)
            out += std::string(" ") + r.url().c_str();
        if (r.kind() == kUIRequestReturnToMenu)
            out += " " + std::to_string(r.value());
        return out;
    }
    std::string endText() const
    {
        std::string out;
        for (const std::string& r : requests)
            out += (out.empty() ? "" : " | ") + r;
        return out;
    }
    std::vector<std::uint32_t> screenTypes() const
    {
        std::vector<std::uint32_t> types;
        for (const Shown& s : shown)
            types.push_back(s.type);
        return types;
    }

    // Declared before the engine: the Client's machines point at them.
    FlowServices services;
    CKORVBuiltins builtins {&services};
    ProgramJobLog jobs {builtins};
    EngineDriver engine;
    CVXLClient* client = nullptr;
    TraceJob sender {"Sender"};
    std::vector<Shown> shown;
    std::vector<CVXLLayout*> open;
    std::vector<CVXLLayout*> released;
    std::vector<std::string> requests;
};

TEST_F(ShippedFlowsTest, EveryActivityEndsAsItsRowSays)
{
    const Flow flows[] = {
        {69, {}, {}, {}, {}, "", "Unknown launch command 69"},
        // The album list (job 45) picks the empty phone store for the
        // favorite (job 12), whose notice Back leaves; the list again.
        {70, {"Continue", "Back", "Back"}, {45, 12}, {"1:album_summary=<ref>", "1:favorite_position=<empty>"},
            {0, 6, 0}, "RETURN_TO_MENU 0"},
        // The capture store is empty: the album summary's notice.
        {71, {"Back"}, {13}, {"0:album_summary=<ref>"}, {6}, "RETURN_TO_MENU 0"},
        {72, {"Back"}, {6, 20}, {"1:menu_type_id=0"}, {10}, "RETURN_TO_MENU 0"},
        {73, {"Back"}, {6, 5}, {"1:add_cool_sites=0"}, {10, 17}, "RETURN_TO_MENU 0"},
        {74, {"Back"}, {45}, {"0:preselected_album=0"}, {0}, "RETURN_TO_MENU 0"},
        {75, {"Back"}, {13}, {"0:album_summary=<ref>"}, {6}, "RETURN_TO_MENU 0"},
        {76, {"Back"}, {6, 4}, {}, {3}, "RETURN_TO_MENU 0"},
        // After 73: the spinner its chooser ran starts again for the program.
        {77, {"Back"}, {6, 43, 46}, {"2:bUploads=1"}, {17, 10}, "RETURN_TO_MENU 0"},
        {78, {"Back"}, {6, 1, 17, 10}, {"3:scenario=__vxl_sendto_recipients", "3:gc_op=0"}, {17, 12},
            "RETURN_TO_MENU 0"},
        {79, {"Back"}, {14}, {"0:album_summary=<ref>"}, {6}, "RETURN_TO_MENU 0"},
        // The store's album is picked without the user: its browser's
        // notice, then the list.
        {80, {"Back", "Back"}, {45, 13}, {"0:preselected_album=<ref>", "1:album_summary=<ref>"}, {6, 0},
            "RETURN_TO_MENU 0"},
        {81, {"Back"}, {6, 19}, {"1:supports_image=1", "1:supports_video=1", "1:supports_txtonly=1"}, {10},
            "RETURN_TO_MENU 0"},
        {82, {"Back"}, {8}, {"0:album_summary=<ref>", "0:favorite_position=<empty>"}, {6},
            "RETURN_TO_MENU 0"},
        {83, {"Back"}, {30}, {}, {17, 14}, "RETURN_TO_MENU 0"},
        {84, {}, {}, {}, {}, "RETURN_TO_MENU 0", "Unknown launch command 84"},
        {85, {}, {}, {}, {}, "RETURN_TO_MENU 0", "Unknown launch command 85"},
        {86, {"Exit"}, {45}, {"0:preselected_album=0"}, {0}, "RETURN_TO_MENU 1"},
        {87, {"Back"}, {6, 20}, {"1:menu_type_id=0"}, {10}, "RETURN_TO_MENU 0"},
        {88, {"Exit"}, {30}, {}, {17, 14}, "RETURN_TO_MENU 1"},
        {89, {}, {}, {}, {}, "RETURN_TO_MENU 0", "Unknown launch command 89"},
        {90, {}, {}, {}, {}, "RETURN_TO_MENU 0", "Unknown launch command 90"},
        {91, {}, {}, {}, {}, "RETURN_TO_MENU 0", "Unknown launch command 91"},
        {92, {}, {}, {}, {}, "RETURN_TO_MENU 0", "Unknown launch command 92"},
        {93, {"Continue", "Back", "Back"}, {45, 15}, {"0:local_show_only=1", "1:album_summary=<ref>"},
            {0, 6, 0}, "RETURN_TO_MENU 0"},
        {94, {"Back"}, {45}, {"0:local_show_only=0"}, {0}, "RETURN_TO_MENU 0"},
        {95, {"Back"}, {6, 19}, {"1:supports_image=1"}, {10}, "RETURN_TO_MENU 0"},
        {96, {}, {}, {}, {}, "RETURN_TO_MENU 0", "Not done"},
        {97, {"Back"}, {6, 4}, {}, {3}, "RETURN_TO_MENU 0"},
        {98, {"Back"}, {6, 19}, {"1:supports_txtonly=1"}, {10}, "RETURN_TO_MENU 0"},
        {99, {}, {}, {}, {}, "RETURN_TO_MENU 0", "Not done"},
        // No such message: the summary's error.
        {100, {"Back"}, {28}, {}, {4}, "RETURN_TO_MENU 0"},
        {101, {"Back"}, {6, 29}, {"1:message_id="}, {4}, "RETURN_TO_IDLE | RETURN_TO_MENU 0"},
        {102, {"Back"}, {26, 30}, {"0:thread_id=", "0:go_forward=1"}, {17, 14}, "RETURN_TO_MENU 1"},
        {103, {"Back"}, {6, 5}, {"1:add_cool_sites=1"}, {10, 17}, "RETURN_TO_MENU 0"},
        {104, {"Back"}, {43, 6, 20}, {"2:scenario=blog", "2:menu_type_id=2"}, {17, 10}, "RETURN_TO_MENU 0",
            "s_global_configured_dest_launcher - MLL_DEST_LAUNCHER"},
        {105, {}, {}, {}, {}, "", "Unknown launch command 105"},
        {106, {}, {}, {}, {}, "", "Unknown launch command 106"},
        // No account management address is stored: the program queues the
        // empty one all the same, after the registration check (job 6, which
        // shows nothing on a registered phone), and its end: no screen was
        // shown, so nothing more is queued.
        {107, {}, {6}, {}, {}, "PROCESS_URL_REQUEST ",
            "account management url is missing - even after reg check"},
        {108, {}, {}, {}, {}, "PROCESS_URL_REQUEST http://browse.example/"},
        {109, {"Back"}, {28}, {}, {4}, "RETURN_TO_IDLE"},
        {110, {}, {}, {}, {}, "", "Unknown launch command 110"},
        {111, {}, {}, {}, {}, "", "Unknown launch command 111"},
        {112, {"Back"}, {40}, {"0:password_event=<ref>"}, {12}, "RETURN_TO_IDLE"},
        // An alert without choices or timeout is answered at once.
        {113, {}, {3}, {"0:ia_event=<ref>"}, {}, ""},
        {114, {"Ok"}, {41}, {"0:fail_event=<ref>"}, {4}, "RETURN_TO_IDLE"},
        // The data charge notice: fetched at once unless item 43 asks first;
        // Back leaves the message at the relay, Retrieve Summary fetches it
        // under a spinner that Back leaves. Launched with no decision to
        // take, the summary job ends at once.
        {115, {}, {28}, {}, {}, "", "", {true, false, 2}},
        {115, {"Back"}, {28}, {}, {13}, "RETURN_TO_IDLE", "", {true, true, 0}},
        {115, {"Retrieve Summary", "Back"}, {28}, {}, {13, 17}, "RETURN_TO_IDLE", "", {true, true, 2}},
        {115, {}, {28}, {}, {}, ""},
        {116, {}, {}, {}, {}, "", "Unknown launch command 116"},
    };
    ASSERT_EQ(std::size(flows), 51u);
    const std::uint16_t phone = client->getMediaStoreManager().storeIdAt(0);
    for (const Flow& f : flows) {
        SCOPED_TRACE(f.code);
        jobs.started.clear();
        services.traces.clear();
        requests.clear();
        shown.clear();

        // The activity event: a store id for 79 and 80, a cool site's id
        // for 104, a message key for the message notices.
        std::unique_ptr<CVXLEvent> event;
        client->settings().setConfigNumber(CVXLMessageSummaryJob::kConfigAskBeforeCharge, f.charge.askFirst);
        if (f.charge.decisionEvent) {
            event.reset(new CMessageDecisionEvent(kEventMessageDecision));
        } else if (f.code == 79 || f.code == 80) {
            auto* e = new CMediaAccessEvent(f.code);
            e->setValue(phone);
            event.reset(e);
        } else {
            auto* e = new CMenuTextEvent(f.code);
            e->setText(f.code == 104 ? "blog" : "k-new");
            event.reset(e);
        }
        event->setHeapAllocated(false);
        sender.post(&producer(), event.get());

        // Each step: the engine runs, then the user takes the next action on
        // the screen on top. A run that still waits with no action left, or
        // whose screen refuses the action, has stalled.
        std::size_t next = 0;
        for (int step = 0; step < kStepBound; ++step) {
            run();
            if (producer().isIdle() || next >= f.actions.size() || open.empty())
                break;
            ASSERT_TRUE(submitByLabel(*open.back(), f.actions[next]))
                << f.actions[next] << " on " << screenText(*open.back());
            ++next;
        }
        ASSERT_TRUE(producer().isIdle())
            << "stalled on " << (open.empty() ? std::string("no screen") : screenText(*open.back()));
        EXPECT_FALSE(event->isBusy());
        if (f.charge.decisionEvent) {
            EXPECT_EQ(static_cast<CMessageDecisionEvent&>(*event).decision, f.charge.answer);
        }
        EXPECT_EQ(next, f.actions.size());
        EXPECT_EQ(jobs.types(), f.started);
        for (const std::string& p : f.properties) {
            const std::size_t colon = p.find(':');
            const std::size_t equals = p.find('=');
            const std::size_t index = std::stoul(p.substr(0, colon));
            const std::string name = p.substr(colon + 1, equals - colon - 1);
            ASSERT_LT(index, jobs.started.size()) << p;
            const auto& handed = jobs.started[index].properties;
            const auto it = handed.find(name);
            EXPECT_TRUE(it != handed.end() && it->second == p.substr(equals + 1))
                << p << " got " << (it == handed.end() ? "nothing" : it->second);
        }
        EXPECT_EQ(screenTypes(), f.screens);
        EXPECT_EQ(endText(), f.end);
        const bool traced = std::find(services.traces.begin(), services.traces.end(), std::string(f.trace))
            != services.traces.end();
        EXPECT_TRUE(*f.trace == 0 || traced) << f.trace;
        EXPECT_EQ(producer().uiJobs().depth(), 0u);
        EXPECT_TRUE(open.empty()) << screenText(*open.back());
        EXPECT_TRUE(client->hasNoActivity());
    }
}

} // namespace
