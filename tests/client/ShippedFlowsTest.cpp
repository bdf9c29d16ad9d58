#include "tests/client/KORVFixture.h"

#include "engine/client/MasterProgram.h"

namespace {

using Step = ScriptedUiJobPool::Step;

// One activity of the shipped program with scripted screens: the first UI
// jobs it shows, properties handed to them, how the run ended and what the
// user interface is told at its end.
struct Flow {
    int code;
    std::vector<std::int32_t> script;
    std::vector<int> shown;
    // "index:name=value" of the shown job at that index.
    std::vector<std::string> properties;
    // The run's end, then the screen requests other than layouts, in order.
    const char* end;
    const char* trace = "";
};

class ShippedFlowsTest : public KORVFixture {
public:
    void SetUp() override
    {
        KORVFixture::SetUp();
        ASSERT_TRUE(program.load(kMasterP2, kMasterP2Size));
    }

    // What the Producer tells the user interface when an outermost operation
    // ends: a menu activity (70 to 104) goes back to the menu, 1 when halted;
    // any other goes to the idle screen when it showed a screen.
    static std::string producerEnd(int code, const CVXLRunRequest& r)
    {
        if (code >= 70 && code <= 104)
            return r.completion() == kCompletionReturned ? "RETURN_TO_MENU 0" : "RETURN_TO_MENU 1";
        return r.startSnapshot() != r.endSnapshot() ? "RETURN_TO_IDLE" : "";
    }

    std::string describeEnd(int code, const CVXLRunRequest& r)
    {
        std::string out;
        switch (r.completion()) {
        case kCompletionReturned:
            out = "returned " + ScriptedUiJobPool::render(r.resultValue());
            break;
        case kCompletionHalted:
            out = "halted " + ScriptedUiJobPool::render(r.resultValue());
            break;
        default:
            out = "failed " + std::to_string(machine->error());
            break;
        }
        for (const Request& q : requests) {
            out += std::string(" | ") + kUIRequestKindNames[q.kind];
            if (q.kind == kUIRequestProcessUrl)
                out += " " + q.url;
        }
        const std::string last = producerEnd(code, r);
        if (!last.empty())
            out += " | " + last;
        return out;
    }

    CVXLScenarioProgram program;
    CStackMachine* machine = nullptr;
};

TEST_F(ShippedFlowsTest, EveryActivityShowsItsFlow)
{
    client->setCaptureLocation(5);
    client->setPersistentString("pers.media_browse", "http://browse.example/");
    services.newMessages.insert("k-new");
    const std::int32_t kStore = 2;

    const Flow flows[] = {
        { 69, {}, {}, {}, "returned 0", "Unknown launch command 69" },
        { 70, { 8 }, { 45 }, {}, "returned 0 | RETURN_TO_MENU 0" },
        { 71, { 8 }, { 13 }, { "0:album_summary=<ref>" }, "returned 0 | RETURN_TO_MENU 0" },
        { 72, { 10, 8 }, { 6, 20 }, { "1:menu_type_id=0" }, "returned 0 | RETURN_TO_MENU 0" },
        { 73, { 10, 8 }, { 6, 5 }, { "1:add_cool_sites=0" }, "returned 0 | RETURN_TO_MENU 0" },
        { 74, { 8 }, { 45 }, { "0:preselected_album=0" }, "returned 0 | RETURN_TO_MENU 0" },
        { 75, { 8 }, { 13 }, { "0:album_summary=<ref>" }, "returned 0 | RETURN_TO_MENU 0" },
        // Send to contacts: the composer gets the scenario "@start" stored.
        { 76, { 10, 10, 10, 10, 8 }, { 6, 4, 1, 17, 10 },
            { "2:storage_location=327683", "4:scenario=__vxl_sendto_recipients", "4:gc_op=0" },
            "returned 0 | RETURN_TO_MENU 0" },
        { 77, { 10, 10, 8 }, { 6, 43, 46 }, { "2:bUploads=1" }, "returned 0 | RETURN_TO_MENU 0" },
        { 78, { 10, 7 }, { 6, 1 }, { "1:storage_location=327683" }, "halted <empty> | RETURN_TO_MENU 1" },
        { 79, { 8 }, { 14 }, { "0:album_summary=<ref>" }, "returned 0 | RETURN_TO_MENU 0" },
        { 80, { 8 }, { 45 }, { "0:preselected_album=<ref>" }, "returned 0 | RETURN_TO_MENU 0" },
        { 81, { 10, 8 }, { 6, 19 }, { "1:supports_image=1", "1:supports_video=1", "1:supports_txtonly=1" },
            "returned 0 | RETURN_TO_MENU 0" },
        { 82, { 8 }, { 8 }, { "0:album_summary=<ref>", "0:favorite_position=<empty>" },
            "returned 0 | RETURN_TO_MENU 0" },
        { 83, { 8 }, { 30 }, {}, "returned 0 | RETURN_TO_MENU 0" },
        { 84, {}, {}, {}, "returned 0 | RETURN_TO_MENU 0", "Unknown launch command 84" },
        { 85, {}, {}, {}, "returned 0 | RETURN_TO_MENU 0", "Unknown launch command 85" },
        { 86, { 8 }, { 45 }, { "0:preselected_album=0" }, "returned 0 | RETURN_TO_MENU 0" },
        { 87, { 10, 8 }, { 6, 20 }, { "1:menu_type_id=0" }, "returned 0 | RETURN_TO_MENU 0" },
        { 88, { 9 }, { 30 }, {}, "halted <empty> | RETURN_TO_MENU 1" },
        { 89, {}, {}, {}, "returned 0 | RETURN_TO_MENU 0", "Unknown launch command 89" },
        { 90, {}, {}, {}, "returned 0 | RETURN_TO_MENU 0", "Unknown launch command 90" },
        { 91, {}, {}, {}, "returned 0 | RETURN_TO_MENU 0", "Unknown launch command 91" },
        { 92, {}, {}, {}, "returned 0 | RETURN_TO_MENU 0", "Unknown launch command 92" },
        { 93, { 8 }, { 45 }, { "0:local_show_only=1" }, "returned 0 | RETURN_TO_MENU 0" },
        { 94, { 8 }, { 45 }, { "0:local_show_only=0" }, "returned 0 | RETURN_TO_MENU 0" },
        { 95, { 10, 8 }, { 6, 19 }, { "1:supports_image=1" }, "returned 0 | RETURN_TO_MENU 0" },
        { 96, {}, {}, {}, "returned 0 | RETURN_TO_MENU 0", "Not done" },
        { 97, { 10, 8 }, { 6, 4 }, {}, "returned 0 | RETURN_TO_MENU 0" },
        { 98, { 10, 8 }, { 6, 19 }, { "1:supports_txtonly=1" }, "returned 0 | RETURN_TO_MENU 0" },
        { 99, {}, {}, {}, "returned 0 | RETURN_TO_MENU 0", "Not done" },
        { 100, { 8 }, { 28 }, {}, "returned 0 | RETURN_TO_MENU 0" },
        { 101, { 10, 7 }, { 6, 29 }, { "1:message_id=" }, "returned 0 | RETURN_TO_IDLE | RETURN_TO_MENU 0" },
        { 102, { 8 }, { 26 }, { "0:thread_id=", "0:go_forward=1" }, "halted <empty> | RETURN_TO_MENU 1",
            "P2 Got CE_CHILD_BACK" },
        { 103, { 10, 8 }, { 6, 5 }, { "1:add_cool_sites=1" }, "returned 0 | RETURN_TO_MENU 0" },
        // A cool site whose scenario has a configuration scenario and a
        // destination URL: the configured-destination menu of type 2.
        { 104, { 10, 10, 8 }, { 43, 6, 20 }, { "2:scenario=blog", "2:menu_type_id=2" },
            "returned 0 | RETURN_TO_MENU 0", "s_global_configured_dest_launcher - MLL_DEST_LAUNCHER" },
        { 105, {}, {}, {}, "returned 0", "Unknown launch command 105" },
        { 106, {}, {}, {}, "returned 0", "Unknown launch command 106" },
        // No account management URL even after the check: an empty one is
        // still asked for.
        { 107, { 10 }, { 6 }, {}, "returned 0 | PROCESS_URL_REQUEST  | RETURN_TO_IDLE",
            "account management url is missing - even after reg check" },
        { 108, {}, {}, {}, "returned 0 | PROCESS_URL_REQUEST http://browse.example/" },
        { 109, { 8 }, { 28 }, {}, "returned 0 | RETURN_TO_IDLE" },
        { 110, {}, {}, {}, "returned 0", "Unknown launch command 110" },
        { 111, {}, {}, {}, "returned 0", "Unknown launch command 111" },
        { 112, { 8 }, { 40 }, { "0:password_event=<ref>" }, "halted 16 | RETURN_TO_IDLE" },
        { 113, { 9 }, { 3 }, { "0:ia_event=<ref>" }, "halted 15 | RETURN_TO_IDLE" },
        { 114, { 10 }, { 41 }, { "0:fail_event=<ref>" }, "returned 0 | RETURN_TO_IDLE" },
        { 115, { 9 }, { 28 }, {}, "halted <empty> | RETURN_TO_IDLE" },
        { 116, {}, {}, {}, "returned 0", "Unknown launch command 116" },
    };
    ASSERT_EQ(std::size(flows), 48u);
    for (const Flow& f : flows) {
        SCOPED_TRACE(f.code);
        pool.shown.clear();
        pool.script.clear();
        for (std::int32_t code : f.script)
            pool.script.push_back({ code, {} });
        services.traces.clear();
        requests.clear();

        // The activity event: a store id for 79 and 80, a cool site's id
        // for 104, a message key for the message notices.
        std::unique_ptr<CVXLEvent> event;
        if (f.code == 79 || f.code == 80) {
            auto* e = new CVXLIntEvent(f.code);
            e->setValue(kStore);
            event.reset(e);
        } else {
            event.reset(new TestTextEvent(f.code, f.code == 104 ? "blog" : "k-new"));
        }
        event->setHeapAllocated(false);

        CStackMachine& m = attach(program);
        machine = &m;
        CVXLRunRequest& r
            = start(m, { CVXLVariant(f.code), CVXLVariant(static_cast<const void*>(static_cast<CVXLObject*>(event.get()))) });
        play(r);
        ASSERT_TRUE(answered(r));
        EXPECT_TRUE(pool.script.empty());
        EXPECT_EQ(pool.shownTypes(), f.shown);
        for (const std::string& p : f.properties) {
            const std::size_t colon = p.find(':');
            const std::size_t equals = p.find('=');
            const std::size_t index = std::stoul(p.substr(0, colon));
            const std::string name = p.substr(colon + 1, equals - colon - 1);
            ASSERT_LT(index, pool.shown.size()) << p;
            const auto& handed = pool.shown[index].properties;
            const auto it = handed.find(name);
            EXPECT_TRUE(it != handed.end() && it->second == p.substr(equals + 1))
                << p << " got " << (it == handed.end() ? "nothing" : it->second);
        }
        EXPECT_EQ(describeEnd(f.code, r), f.end);
        const bool traced = std::find(services.traces.begin(), services.traces.end(), std::string(f.trace))
            != services.traces.end();
        EXPECT_TRUE(*f.trace == 0 || traced) << f.trace;
        EXPECT_EQ(stack.depth(), 0u);
        m.stop();
        run();
    }
}

} // namespace
