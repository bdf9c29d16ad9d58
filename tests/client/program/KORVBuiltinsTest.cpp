#include "tests/client/KORVFixture.h"

#include "engine/client/program/KORVAlbumSummaryRequest.h"
#include "engine/core/base/VXLLog.h"
#include "engine/core/jobs/VXLCancelNotice.h"
#include "engine/core/scenario/ScenarioResultEvent.h"
#include "engine/media/VXLAlbum.h"
#include "engine/media/VXLMediaStoreManager.h"
#include "engine/messaging/store/VXLAddressee.h"
#include "engine/messaging/store/VXLMessageSummary.h"

#include <functional>

namespace {

std::string program(const std::string& body, const std::string& extra = "")
{
    return "entry main;\nglobal g;\nfunction 0 @start() { g = 0; return 0; }\n"
           "function 1 main(code, arg) {\n    var a, b;\n"
        + body + "\n}\n" + extra;
}

class KORVBuiltinsTest : public KORVFixture {
public:
    // Runs `main(code, arg)` of the program to its end, answering screens
    // with the script.
    CVXLRunRequest& runProgram(const std::string& source, CVXLVariant arg = CVXLVariant())
    {
        programs.push_back(std::make_unique<CVXLScenarioProgram>());
        compile(*programs.back(), source);
        CStackMachine& m = attach(*programs.back());
        machine = &m;
        CVXLRunRequest& r = start(m, {CVXLVariant(1), arg});
        play(r);
        return r;
    }
    std::string result(const CVXLRunRequest& r) { return ScriptedUiJobPool::render(r.resultValue()); }

    std::vector<std::unique_ptr<CVXLScenarioProgram>> programs;
    CStackMachine* machine = nullptr;
};

TEST_F(KORVBuiltinsTest, BuiltinCallsAndTheirEffects)
{
    TestSummary summary("m-17", "t-4");
    CMediaAccessEvent numberEvent(80);
    numberEvent.setValue(5);
    CMenuTextEvent textEvent(104);
    textEvent.setText("k-new");
    client->setCaptureLocation(7);
    client->settings().setPersistentString("pers.account_mgmt", "http://acct.example/");
    client->settings().setPersistentString("pers.media_browse", "http://browse.example/");
    client->settings().setPersistentString("", "the empty key");
    client->getGlobalContacts().addNew()->set(1, "+15551234", "Ann");
    services.newMessages.insert("k-new");

    struct Case {
        const char* name;
        std::string body;
        CVXLVariant arg;
        const char* result;
        std::function<void(KORVBuiltinsTest&)> check;
    };
    const Case cases[] = {
        {"_print with no value pops only its count", "_print(); return \"after\";", {}, "after",
            [](KORVBuiltinsTest& t) { EXPECT_EQ(t.services.traces, std::vector<std::string> {""}); }},
        {"_print writes its values in order", "_print(\"Unknown launch command \", 84, \"!\");", {}, "0",
            [](KORVBuiltinsTest& t) {
                EXPECT_EQ(t.services.traces, std::vector<std::string> {"Unknown launch command 84!"});
            }},
        {"contacts and media selection",
            "_reset_global_contacts(); _copy_oem_contacts_to_global_contact_container();"
            " _mam_deselect_all(); return 1;",
            {}, "1",
            [](KORVBuiltinsTest& t) {
                EXPECT_EQ(t.services.contactResets, 1);
                EXPECT_EQ(t.client->getGlobalContacts().count(), 0u);
                EXPECT_EQ(t.services.contactCopies, 1);
                EXPECT_EQ(t.services.deselects, 1);
            }},
        {"_enqueue_return_to_idle", "_enqueue_return_to_idle(); return 0;", {}, "0",
            [](KORVBuiltinsTest& t) {
                ASSERT_EQ(t.requests.size(), 1u);
                EXPECT_EQ(t.requests[0].kind, kUIRequestReturnToIdle);
            }},
        {"_launch_browser_uri_location skips an empty text; 35 does not",
            "_launch_browser_uri_location(\"\"); _launch_browser_uri_location(\"http://a.example/\");"
            " _enq_process_url_request_activity(\"\"); return 0;",
            {}, "0",
            [](KORVBuiltinsTest& t) {
                ASSERT_EQ(t.requests.size(), 2u);
                EXPECT_EQ(t.requests[0].kind, kUIRequestProcessUrl);
                EXPECT_EQ(t.requests[0].url, "http://a.example/");
                EXPECT_EQ(t.requests[1].kind, kUIRequestProcessUrl);
                EXPECT_EQ(t.requests[1].url, "");
            }},
        {"capture store 7 is a phone store", "return _get_capture_album_location();", {}, "458755", nullptr},
        {"default local store 2", "return _get_default_local_album_location();", {}, "131075", nullptr},
        {"locus of a packed location",
            "return _storage_location_to_locus(_media_storage_area_to_storage_location(8));", {}, "4",
            nullptr},
        {"unknown store", "return _media_storage_area_to_storage_location(9);", {}, "0", nullptr},
        {"third-party upload always, non-new summaries never",
            "return \"\" + _is_3rd_party_upload_supported() + _show_non_new_message_summaries();", {}, "10",
            nullptr},
        {"_get_internal_config 0, 1 and 2",
            "return _get_internal_config(0) + \"|\" + _get_internal_config(1) + \"|\" + "
            "_get_internal_config(2);",
            {}, "http://acct.example/|http://browse.example/|the empty key", nullptr},
        {"_refresh_destlist", "_refresh_destlist(); return 0;", {}, "0",
            [](KORVBuiltinsTest& t) {
                for (const char* key : {"vrax.url", "pers.vrax.id", "vrax.ver_id"}) {
                    CVXLString value("x");
                    t.client->settings().getPersistentString(key, &value);
                    EXPECT_STREQ(value.c_str(), "") << key;
                }
                CVXLString changed;
                t.client->settings().getPersistentString("vrax.mdn_changed", &changed);
                EXPECT_STREQ(changed.c_str(), "false");
            }},
        {"@vxl_set and @vxl_get; absent is empty",
            "@vxl_set(\"k\", 5); a = @vxl_get(\"missing\"); return @vxl_get(\"k\") + a;", {}, "5", nullptr},
        {"@vxl_get of an absent name", "return @vxl_get(\"missing\");", {}, "<empty>", nullptr},
        {"@uij_get and @uij_set without a UI job", "@uij_set(\"x\", 1); return @uij_get(\"x\");", {},
            "<empty>", nullptr},
        {"message summary ids",
            "return _get_message_id(arg) + \"/\" + _get_thread_address(arg) + \"/\""
            " + _get_ThreadId_from_Message_Summary(arg);",
            CVXLVariant(static_cast<const void*>(static_cast<const CVXLObject*>(&summary))), "m-17/m-17/t-4",
            nullptr},
        {"ids of something that is no summary",
            "return _get_message_id(7) + _get_ThreadId_from_Message_Summary(arg);", {}, "", nullptr},
        {"_ev_cracker 0 reads the event's number",
            "return \"\" + _ev_cracker(0, arg) + \"|\" + _ev_cracker(1, arg) + \"|\" + _ev_cracker(2, arg);",
            CVXLVariant(static_cast<const void*>(static_cast<const CVXLObject*>(&numberEvent))), "5||",
            nullptr},
        {"_ev_cracker 1 reads the event's text", "return _ev_cracker(1, arg);",
            CVXLVariant(static_cast<const void*>(static_cast<const CVXLObject*>(&textEvent))), "k-new",
            nullptr},
        {"_ev_cracker of no event", "return _ev_cracker(0, 12345);", {}, "<empty>", nullptr},
        {"_is_msg_new asks the thread database by the event's text",
            "return \"\" + _is_msg_new(arg) + _is_msg_new(0);",
            CVXLVariant(static_cast<const void*>(static_cast<const CVXLObject*>(&textEvent))), "10", nullptr},
        {"_return_to a name no caller bears changes nothing", "a = f_inner(); return a;", {}, "inner went on",
            nullptr},
        {"_return_to a plain caller returns the value to its call", "return f_outer();", {}, "outer got 42",
            nullptr},
        {"_return_to never matches the current function", "return f_self();", {}, "self went on", nullptr},
    };
    const std::string extra = "function f_inner() { _return_to(\"nobody\", 5); return \"inner went on\"; }\n"
                              "function f_outer() { var r; r = f_middle(); return \"outer got \" + r; }\n"
                              "function f_middle() { f_deep(); return \"middle went on\"; }\n"
                              "function f_deep() { _return_to(\"f_outer\", 42); return \"deep went on\"; }\n"
                              "function f_self() { _return_to(\"f_self\", 1); return \"self went on\"; }\n";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        services.traces.clear();
        requests.clear();
        CVXLRunRequest& r = runProgram(program(c.body, extra), c.arg);
        ASSERT_TRUE(answered(r));
        EXPECT_EQ(r.completion(), kCompletionReturned);
        EXPECT_EQ(result(r), c.result);
        if (c.check)
            c.check(*this);
    }
}

TEST_F(KORVBuiltinsTest, AssertionStopsTheRunWithErrorMinus2)
{
    CVXLRunRequest& r = runProgram(program("_assert(1); _assert(0); return 1;"));
    ASSERT_TRUE(answered(r));
    EXPECT_EQ(r.completion(), kCompletionFailed);
    EXPECT_EQ(machine->error(), kResultMachineAssertionFailed);
}

const char* const kScreens = R"(
screen function s_show(type, arg) {
    @switch_to_uijob(type);
    @uij_set("given", type);
    @uijob_go();
    wait {
    case 10: return "done " + @uij_get("output");
    case 20: _set_resume_event(13);
    case 21: _set_resume_event(13); @switch_to_uijob(0);
    case 22: _send_self(23);
    case 23: return "self";
    case 24: _send_to_uijob(31);
    case 26: _fwd_to_uijob(arg);
    case 8: return 0;
    case 9: halt;
    }
}
screen function s_list() {
    var r;
    @switch_to_uijob(21);
    @uijob_go();
    wait {
    case 53: r = s_view();
    case 8: return r;
    }
}
screen function s_view() {
    @switch_to_uijob(31);
    @uijob_go();
    wait {
    case 22: return s_browser();
    }
}
screen function s_browser() {
    @switch_to_uijob(13);
    @uijob_go();
    wait {
    case 22: _return_to("s_list", "back to the list");
    }
}
)";

TEST_F(KORVBuiltinsTest, ScreenBuiltinsTalkToTheCurrentUiJob)
{
    pool.script = {{20, {}}, {21, {}}, {24, {}}, {10, {{"output", CVXLVariant("out")}}}};
    CVXLRunRequest& r = runProgram(program("return s_show(3, arg);", kScreens));
    ASSERT_TRUE(answered(r));
    EXPECT_STREQ(r.resultValue().toString().c_str(), "done out");
    ASSERT_EQ(pool.shown.size(), 1u);
    EXPECT_EQ(pool.shown[0].type, 3);
    EXPECT_EQ(pool.shown[0].properties.at("given"), "3");
    // Resume 13 is posted at the next wait; "@switch_to_uijob"(0) clears a
    // pending resume and shows nothing; "_send_to_uijob" posts at once.
    EXPECT_EQ(pool.shown[0].received, (std::vector<std::int32_t> {13, 31}));
    EXPECT_EQ(stack.depth(), 0u);
}

TEST_F(KORVBuiltinsTest, SendSelfMakesTheNextWaitReturnTheCode)
{
    pool.script = {{22, {}}};
    CVXLRunRequest& r = runProgram(program("return s_show(3, arg);", kScreens));
    ASSERT_TRUE(answered(r));
    EXPECT_STREQ(r.resultValue().toString().c_str(), "self");
}

TEST_F(KORVBuiltinsTest, ReturnToUnwindsScreenFunctionsAndTheirJobs)
{
    pool.script = {{53, {}}, {22, {}}, {22, {}}, {8, {}}};
    CVXLRunRequest& r = runProgram(program("return s_list();", kScreens));
    ASSERT_TRUE(answered(r));
    EXPECT_STREQ(r.resultValue().toString().c_str(), "back to the list");
    EXPECT_EQ(pool.shownTypes(), (std::vector<int> {21, 31, 13}));
    // The list goes on waiting and is told to go on after a sub-flow.
    EXPECT_EQ(pool.shown[0].received, std::vector<std::int32_t> {kResumeAfterSubflow});
    EXPECT_EQ(stack.depth(), 0u);
    EXPECT_EQ(stack.releasingCount(), 0u);
}

TEST_F(KORVBuiltinsTest, ForwardedActivityEventGoesToTheCurrentUiJob)
{
    // The Producer keeps the activity event in progress while the run lasts.
    CVXLFlagEvent activity(100);
    producer.handler = [&](TraceJob& job, CVXLEvent* e) {
        if (e != &activity)
            job.finishEvent(e);
    };
    TraceJob sender("sender");
    client->startChild(&sender);
    run();
    sender.post(&producer, &activity);
    run();
    pool.script = {{26, {}}, {26, {}}, {8, {}}};
    CVXLRunRequest& r = runProgram(program("return s_show(28, arg);", kScreens),
        CVXLVariant(static_cast<const void*>(static_cast<const CVXLObject*>(&activity))));
    ASSERT_TRUE(answered(r));
    ASSERT_EQ(pool.shown.size(), 1u);
    // Once only: the second time the event is no longer the Producer's.
    EXPECT_EQ(pool.shown[0].received, std::vector<std::int32_t> {100});
    EXPECT_EQ(producer.findPending(100), nullptr);
    sender.stop();
    run();
}

TEST_F(KORVBuiltinsTest, SignalElevenGoesToTheUiJobAndNeverResumesTheProgram)
{
    pool.script = {};
    programs.push_back(std::make_unique<CVXLScenarioProgram>());
    compile(*programs.back(), program("return s_show(5, arg);", kScreens));
    CStackMachine& m = attach(*programs.back());
    CVXLRunRequest& r = start(m, {CVXLVariant(1)});
    ASSERT_EQ(pool.shown.size(), 1u);
    producer.post(&m, new CVXLSimpleEvent(kSignalNestedRunEnded));
    run();
    EXPECT_FALSE(answered(r));
    EXPECT_EQ(pool.shown[0].received, std::vector<std::int32_t> {kSignalNestedRunEnded});
    pool.script = {{8, {}}};
    play(r);
    ASSERT_TRUE(answered(r));
    EXPECT_EQ(r.resultValue().toInt(), 0);
}

TEST_F(KORVBuiltinsTest, AJobTypeThePoolCannotGiveStopsTheRun)
{
    CVXLRunRequest& r = runProgram(program("return s_show(47, arg);", kScreens));
    ASSERT_TRUE(answered(r));
    EXPECT_EQ(r.completion(), kCompletionFailed);
    EXPECT_EQ(machine->error(), kResultMachineBadProgram);
    EXPECT_TRUE(pool.shown.empty());
    CVXLLog::flush();
    EXPECT_NE(engine.root().readFile("log/engine.log").find("no UI job of type 47"), std::string::npos);
}

// Only a reference the engine handed to the run is read as an object: one the
// program moved with "+" reads as null and is never cast (ASan would see it).
TEST_F(KORVBuiltinsTest, AReferenceMovedByPlusReadsAsNull)
{
    TestSummary summary("m-17", "t-4");
    const CVXLVariant arg(static_cast<const void*>(static_cast<const CVXLObject*>(&summary)));
    struct Case {
        const char* body;
        const char* result;
    };
    const Case cases[] = {
        {"return _get_message_id(arg) + \"/\" + _get_ThreadId_from_Message_Summary(arg);", "m-17/t-4"},
        {"return _get_message_id(arg + 1) + \"/\" + _get_ThreadId_from_Message_Summary(arg + 2);", "/"},
        {"return _get_message_id(arg + 0);", "m-17"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.body);
        CVXLRunRequest& r = runProgram(program(c.body), arg);
        ASSERT_TRUE(answered(r));
        EXPECT_STREQ(r.resultValue().toString().c_str(), c.result);
    }

    // A job is handed the moved reference as null.
    pool.script = {{8, {}}};
    const char* const hand = R"(
screen function s_hand(arg) {
    @switch_to_uijob(5);
    @uij_set("xferobject", arg + 1);
    @uij_set("kept", arg);
    @uijob_go();
    wait {
    case 8: return 0;
    }
}
)";
    CVXLRunRequest& r = runProgram(program("return s_hand(arg);", hand), arg);
    ASSERT_TRUE(answered(r));
    ASSERT_FALSE(pool.shown.empty());
    EXPECT_EQ(pool.shown[0].properties.at("xferobject"), "<null>");
    EXPECT_EQ(pool.shown[0].properties.at("kept"), "<ref>");
}

// A reference whose object is destroyed while the run waits on a screen reads
// as null afterwards: a deleted one (ASan would see the read) and one whose
// address a new object took at once.
TEST_F(KORVBuiltinsTest, AReferenceFreedDuringTheRunReadsAsNull)
{
    const char* const body = R"(
a = _get_message_id(arg);
s_show(5, 0);
return a + "/" + _get_message_id(arg) + "/" + _get_ThreadId_from_Message_Summary(arg);)";
    alignas(TestSummary) unsigned char storage[sizeof(TestSummary)];
    for (const bool sameAddress : {false, true}) {
        SCOPED_TRACE(sameAddress ? "a newcomer at the address" : "deleted");
        TestSummary* summary
            = sameAddress ? new (storage) TestSummary("m-17", "t-4") : new TestSummary("m-17", "t-4");
        ASSERT_NE(summary, nullptr);
        pool.script = {};
        programs.push_back(std::make_unique<CVXLScenarioProgram>());
        compile(*programs.back(), program(body, kScreens));
        CStackMachine& m = attach(*programs.back());
        CVXLRunRequest& r = start(m,
            {CVXLVariant(1), CVXLVariant(static_cast<const void*>(static_cast<const CVXLObject*>(summary)))});
        ASSERT_EQ(pool.shown.size(), 1u);
        ASSERT_FALSE(answered(r));

        if (sameAddress) {
            summary->~TestSummary();
            summary = new (storage) TestSummary("other", "other");
        } else {
            delete summary;
        }
        pool.script = {{8, {}}};
        play(r);
        ASSERT_TRUE(answered(r));
        EXPECT_EQ(result(r), "m-17//");
        if (sameAddress)
            summary->~TestSummary();
        pool.shown.clear();
    }
}

TEST_F(KORVBuiltinsTest, AJobThatEndsOnItsOwnStaysUntilTheReturnPopsIt)
{
    // The list (21) shows a second screen (5) for 53; that screen ends
    // without an answer. The program waiting on it learns 8 and returns,
    // which pops the ended screen and not the list below it.
    const std::string outer = R"(
screen function s_outer() {
    @switch_to_uijob(21);
    @uijob_go();
    wait {
    case 53: s_show(5, 0);
    case 8: return "outer";
    }
}
)";
    pool.script = {{53, {}}};
    programs.push_back(std::make_unique<CVXLScenarioProgram>());
    compile(*programs.back(), program("return s_outer();", std::string(kScreens) + outer));
    CStackMachine& m = attach(*programs.back());
    CVXLRunRequest& r = start(m, {CVXLVariant(1)});
    play(r);
    ASSERT_EQ(stack.depth(), 2u);
    CVXLUiJob* inner = stack.current();
    ASSERT_EQ(inner->typeId(), 5);
    inner->stop();
    run();
    EXPECT_FALSE(answered(r));
    ASSERT_EQ(stack.depth(), 1u);
    EXPECT_EQ(stack.current()->typeId(), 21);
    EXPECT_TRUE(stack.current()->isCurrentActive());
    EXPECT_EQ(stack.releasingCount(), 0u);

    // The list itself ends without an answer: the run ends through 8 too.
    stack.current()->stop();
    run();
    ASSERT_TRUE(answered(r));
    EXPECT_EQ(r.completion(), kCompletionReturned);
    EXPECT_STREQ(r.resultValue().toString().c_str(), "outer");
    EXPECT_EQ(stack.depth(), 0u);
}

TEST_F(KORVBuiltinsTest, ScenarioLoadsAnswerTheProgramsQuestions)
{
    struct Case {
        const char* id;
        const char* answers; // 16 17 22 23 24 25 26 27
    };
    // Readings of the test configuration: "blog" needs its configuration
    // scenario "blog_setup" run first; "photosite" is configured and names an
    // http configuration link; an id the file does not hold reads as an empty
    // definition.
    const Case cases[] = {
        {"__vxl_sendto_recipients", "1 0 0 1  1 1 1"},
        {"blog", "0 1 1 0 blog_setup 1 0 0"},
        {"photosite", "1 1 0 1 http://photos.example/setup 0 0 0"},
        {"nosuch", "1 0 0 1  0 0 0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        CVXLRunRequest& r = runProgram(program(std::string("a = _load_scenario(\"") + c.id
            + "\"); return \"\" + _is_scenario_configured(a) + \" \" + _has_config_scenario(a) + \" \""
              " + _destination_url_check(a) + \" \" + _config_scenario_url_check(a) + \" \""
              " + _get_config_scenario(a) + \" \" + _scenario_supports_image(a) + \" \""
              " + _scenario_supports_video(a) + \" \" + _scenario_supports_txtonly(a);"));
        ASSERT_TRUE(answered(r));
        EXPECT_STREQ(r.resultValue().toString().c_str(), c.answers);
    }
}

TEST_F(KORVBuiltinsTest, EachLoadHasItsOwnResultUntilTheRunEnds)
{
    pool.script = {{8, {}}};
    programs.push_back(std::make_unique<CVXLScenarioProgram>());
    compile(*programs.back(),
        program("a = _load_scenario(\"blog\"); b = _load_scenario(\"photosite\");"
                " _launch_browser_dest_location(a); _launch_browser_dest_location(b);"
                " s_show(3, arg); return _get_config_scenario(a) + \"|\" + _get_config_scenario(b);",
            kScreens));
    CStackMachine& m = attach(*programs.back());
    CVXLRunRequest& r = start(m, {CVXLVariant(1)});
    // Both results are held while the run waits on its screen.
    EXPECT_EQ(m.helper().runObjectCount(), 2u);
    play(r);
    ASSERT_TRUE(answered(r));
    EXPECT_STREQ(r.resultValue().toString().c_str(), "blog_setup|http://photos.example/setup");
    EXPECT_EQ(m.helper().runObjectCount(), 0u);
    // Only "blog" has a destination URL.
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].url, "http://blog.example/");
}

TEST_F(KORVBuiltinsTest, WithoutAScenarioManagerALoadFailsAtOnce)
{
    services.scenarios = nullptr;
    CVXLRunRequest& r = runProgram(
        program("a = _load_scenario(\"blog\"); return \"\" + _is_scenario_configured(a) + (a != 0);"));
    ASSERT_TRUE(answered(r));
    EXPECT_STREQ(r.resultValue().toString().c_str(), "11");
}

TEST_F(KORVBuiltinsTest, AlbumSummaryRequestsGoToTheLocalMediaManager)
{
    TestSummary album("album", "");
    TraceJob media("Local Media Manager");
    std::vector<std::uint32_t> asked;
    media.handler = [&](TraceJob& job, CVXLEvent* e) {
        if (auto* request = dynamic_cast<CKORVAlbumSummaryRequest*>(e)) {
            asked.push_back(request->location());
            // Store 2 has an album of 3 items; others fail.
            if (request->location() == TestServices::locationOf(2)) {
                request->setSummary(&album, 3);
            } else {
                request->setSummary(&album, 9);
                request->setResult(kResultFailed);
            }
        }
        job.finishEvent(e);
    };
    client->startChild(&media);
    run();
    const std::string body
        = "a = _local_album_summary_for_storage_location(_get_default_local_album_location());"
          " b = _local_album_summary_for_storage_location(_media_storage_area_to_storage_location(8));"
          " _assert(a); _assert(b);"
          " return \"\" + _get_storage_location_from_album(a) + \"|\" + _get_storage_location_from_album(b);";
    for (bool withManager : {true, false}) {
        SCOPED_TRACE(withManager);
        services.media = withManager ? &media : nullptr;
        asked.clear();
        programs.push_back(std::make_unique<CVXLScenarioProgram>());
        compile(*programs.back(), program(body));
        CStackMachine& m = attach(*programs.back());
        CVXLRunRequest& r = start(m, {CVXLVariant(1)});
        ASSERT_TRUE(answered(r));
        EXPECT_EQ(r.completion(), kCompletionReturned);
        EXPECT_STREQ(r.resultValue().toString().c_str(), "131075|524292");
        EXPECT_EQ(asked.size(), withManager ? 2u : 0u);
    }
    media.stop();
    run();
}

TEST_F(KORVBuiltinsTest, FailedAlbumSummaryLeavesNoSummary)
{
    TraceJob media("Local Media Manager");
    TestSummary album("album", "");
    CKORVAlbumSummaryRequest* seen = nullptr;
    media.handler = [&](TraceJob& job, CVXLEvent* e) {
        if (auto* request = dynamic_cast<CKORVAlbumSummaryRequest*>(e)) {
            seen = request;
            request->setSummary(&album, 9);
            request->setResult(kResultFailed);
        }
        job.finishEvent(e);
    };
    client->startChild(&media);
    services.media = &media;
    pool.script = {};
    programs.push_back(std::make_unique<CVXLScenarioProgram>());
    compile(*programs.back(),
        program("a = _local_album_summary_for_storage_location(3); s_show(3, a); return 0;", kScreens));
    CStackMachine& m = attach(*programs.back());
    CVXLRunRequest& r = start(m, {CVXLVariant(1)});
    ASSERT_FALSE(answered(r));
    ASSERT_EQ(m.helper().runObjectCount(), 1u);
    ASSERT_NE(seen, nullptr);
    EXPECT_EQ(seen->summary(), nullptr);
    EXPECT_EQ(seen->itemCount(), 0u);
    pool.script = {{8, {}}};
    play(r);
    EXPECT_TRUE(answered(r));
    media.stop();
    run();
}

TEST_F(KORVBuiltinsTest, ClearNewCountsPostsAHeapRequestToTheThreadDatabase)
{
    TraceJob threads("Thread Database");
    client->startChild(&threads);
    run();
    services.threads = &threads;
    CVXLRunRequest& r = runProgram(program("_clear_all_new_counts(); return 0;"));
    ASSERT_TRUE(answered(r));
    ASSERT_FALSE(threads.codes.empty());
    EXPECT_EQ(threads.codes.back(), CKORVBuiltins::kRequestClearNewCounts);
    threads.stop();
    run();
}

TEST_F(KORVBuiltinsTest, StoppingARunDuringALoadCancelsItAndFreesTheResult)
{
    // A Scenario Manager that holds the request until the requester cancels
    // it, then answers it (cancelled) and the notice.
    TraceJob slow("Scenario Manager");
    CVXLEvent* held = nullptr;
    slow.handler = [&](TraceJob& job, CVXLEvent* e) {
        if (e->effectiveCode() == CScenarioResultEvent::kRequestCode) {
            held = e;
            return;
        }
        if (e->effectiveCode() == kEventCancelNotice && held) {
            job.finishEvent(held);
            held = nullptr;
        }
        job.finishEvent(e);
    };
    client->startChild(&slow);
    run();
    services.scenarios = &slow;
    programs.push_back(std::make_unique<CVXLScenarioProgram>());
    compile(*programs.back(), program("a = _load_scenario(\"blog\"); return 1;"));
    CStackMachine& m = attach(*programs.back());
    CVXLRunRequest& r = start(m, {CVXLVariant(1)});
    ASSERT_FALSE(answered(r));
    ASSERT_TRUE(m.helper().isWaiting());
    ASSERT_NE(held, nullptr);
    EXPECT_EQ(m.helper().runObjectCount(), 1u);
    m.stop();
    run();
    EXPECT_EQ(held, nullptr);
    EXPECT_EQ(m.parent(), nullptr);
    EXPECT_EQ(m.helper().runObjectCount(), 0u);
    slow.stop();
    run();
}

} // namespace

namespace {

// Built-ins 17 and 18 on the Client's own services: a summary's thread id is
// the thread key of its display address.
TEST_F(KORVBuiltinsTest, ClientServicesReadMessageSummaries)
{
    CKORVClientServices services(client);
    CVXLMessageSummary received;
    received.setBoxType(CVXLMessageSummary::kReceived);
    received.setFromAddress("\"Ann\" <Ann@Example.COM>");
    EXPECT_STREQ(services.threadId(&received).c_str(), "ann@example.com");
    EXPECT_STREQ(services.messageId(&received).c_str(), "");

    CVXLMessageSummary sent;
    sent.setBoxType(CVXLMessageSummary::kSent);
    sent.addTo(CVXLAddressee::kEmail, "bob@example.org", "bob@example.org");
    sent.addTo(CVXLAddressee::kPhone, "5551234", "5551234");
    EXPECT_STREQ(services.threadId(&sent).c_str(), "bob@example.org");

    CVXLString notASummary("x");
    EXPECT_STREQ(services.threadId(&notASummary).c_str(), "");
    EXPECT_STREQ(CKORVClientServices(nullptr).threadId(&received).c_str(), "");
}

// The Client's services answer the media built-ins from its media store
// manager: a store's packed location (0 for an id it does not know), the
// default store when none is marked current, an album's own location.
TEST_F(KORVBuiltinsTest, ClientServicesReadTheMediaStores)
{
    CKORVClientServices services(client);
    CVXLMediaStoreManager& stores = client->getMediaStoreManager();
    ASSERT_GT(stores.getStoreCount(), 0u);
    const std::uint16_t first = stores.storeIdAt(0);
    EXPECT_NE(services.storeLocation(first), 0u);
    EXPECT_EQ(services.storeLocation(first), stores.getStoreLocation(0));
    EXPECT_EQ(services.storeLocation(0x7777), 0u);
    EXPECT_EQ(services.defaultLocalStoreId(), stores.currentIndex() >= 0 ? stores.currentStoreId() : first);
    EXPECT_NE(services.defaultLocalStoreId(), 0u);

    CVXLAlbum album;
    album.setLocation(stores.getStoreLocation(0));
    EXPECT_EQ(services.albumLocation(&album), stores.getStoreLocation(0));
    CVXLString notAnAlbum("x");
    EXPECT_EQ(services.albumLocation(&notAnAlbum), 0u);
    EXPECT_EQ(CKORVClientServices(nullptr).storeLocation(first), 0u);
}

} // namespace
