#include "engine/client/scenario/ScenarioManager.h"
#include "engine/core/jobs/VXLUIRequestCodes.h"
#include "engine/core/scenario/ScenarioLayout.h"
#include "engine/core/scenario/ScenarioRequestEvent.h"
#include "engine/core/scenario/ScenarioResultEvent.h"
#include "tests/client/ScenarioTestSupport.h"
#include "tests/support/JobTreeDriver.h"

#include <gtest/gtest.h>

#include <cstring>
#include <regex>

namespace {

constexpr const char* kConfigFile = "tests/client/data/vxlcfg.xml";

// The same document with the attributes of every start tag in reverse order.
std::string reverseAttributes(const std::string& xml)
{
    static const std::regex tag(R"(<([A-Za-z]+)((?:\s+[A-Za-z]+="[^"]*")+)(\s*/?)>)");
    static const std::regex attr(R"(\s+[A-Za-z]+="[^"]*")");
    std::string out;
    auto begin = std::sregex_iterator(xml.begin(), xml.end(), tag);
    std::size_t last = 0;
    for (auto it = begin; it != std::sregex_iterator(); ++it) {
        const std::smatch& m = *it;
        out += xml.substr(last, static_cast<std::size_t>(m.position(0)) - last);
        std::vector<std::string> attrs;
        const std::string list = m[2].str();
        for (auto a = std::sregex_iterator(list.begin(), list.end(), attr); a != std::sregex_iterator(); ++a)
            attrs.push_back(a->str());
        out += "<" + m[1].str();
        for (auto a = attrs.rbegin(); a != attrs.rend(); ++a)
            out += *a;
        out += m[3].str() + ">";
        last = static_cast<std::size_t>(m.position(0) + m.length(0));
    }
    return out + xml.substr(last);
}

struct Reply {
    std::int32_t result = -1;
    std::string text;
};

struct ScenarioManagerFixture : ::testing::Test {
    JobTreeDriver driver;
    FakeScenarioClient client;
    MemoryFileReader* reader = new MemoryFileReader();
    CScenarioManager manager {reader};
    TraceJob requester {"requester"};
    std::vector<Reply> replies;

    void SetUp() override
    {
        // The reply's result is read before the event is finished, which
        // clears it for reuse.
        requester.handler = [this](TraceJob& job, CVXLEvent* e) {
            if (e->kind() == kEventReply)
                replies.push_back({e->result(), e->resultText().c_str()});
            job.finishEvent(e);
        };
        reader->files[CScenarioManager::kFileName] = readTestFile(kConfigFile);
        manager.setClient(&client);
        driver.attach(&manager);
        driver.attach(&requester);
        driver.runUntilIdle();
    }

    Reply run(CVXLEvent& event)
    {
        replies.clear();
        requester.post(&manager, &event);
        driver.runUntilIdle(100000);
        EXPECT_EQ(replies.size(), 1u);
        return replies.empty() ? Reply {} : replies.back();
    }

    Reply configure()
    {
        CVXLEvent request(CScenarioManager::kRequestConfiguration, 5);
        return run(request);
    }

    std::string destinations(const char* category, std::int32_t* result = nullptr)
    {
        CScenarioRequestEvent request(9);
        request.setText(category);
        const Reply reply = run(request);
        if (result)
            *result = reply.result;
        EXPECT_EQ(request.entries() != nullptr, reply.result == kResultSucceeded);
        return reply.result == kResultSucceeded ? dumpEntries(*request.entries()) : "failed";
    }

    Reply scenario(const char* id, CScenarioLayout& layout)
    {
        CScenarioResultEvent request;
        request.setText(id);
        request.setLayout(&layout);
        return run(request);
    }
};

TEST_F(ScenarioManagerFixture, ConfigurationPassFillsSettingsAndMenuLinksThenRefreshesTheMenu)
{
    client.links.emplace_back(new CVXLTextPair("old", "stale"), [](CVXLTextPair* p) { delete p; });
    EXPECT_EQ(configure().result, kResultSucceeded);
    const std::map<std::string, std::string> expected = {
        {"vrax.data_lang", "en-US"},
        {"vrax.ver_id", "4.2.1"},
        {"vrax.max_image_upload_size", "307200"},
        {"vrax.max_video_upload_size", "1048576"},
        {"vrax.max_audio_upload_size", "204800"},
    };
    EXPECT_EQ(client.settings, expected);
    EXPECT_EQ(client.linkList(),
        "http://tessel.example/help = Help & support\n"
        "http://tessel.example/account = My account\n");
    EXPECT_EQ(client.uiRequests, std::vector<std::int32_t> {kUIRequestMenuChanged});
    EXPECT_EQ(manager.pass(), CScenarioFileParser::kPassNone);
}

TEST_F(ScenarioManagerFixture, ConfigurationIsSkippedWhileTheServiceIdentityChanged)
{
    client.settings["vrax.mdn_changed"] = "true";
    EXPECT_EQ(configure().result, kResultSucceeded);
    EXPECT_EQ(reader->readings, 0);
    EXPECT_EQ(client.settings.size(), 1u);
    EXPECT_TRUE(client.uiRequests.empty());

    client.settings["vrax.mdn_changed"] = "false";
    EXPECT_EQ(configure().result, kResultSucceeded);
    EXPECT_EQ(reader->readings, 1);
}

TEST_F(ScenarioManagerFixture, EachConfigurationPassStartsWithoutARelease)
{
    ASSERT_EQ(configure().result, kResultSucceeded);
    reader->files[CScenarioManager::kFileName] = "<vxlcfg><config lang=\"de\"/></vxlcfg>";
    ASSERT_EQ(configure().result, kResultSucceeded);
    EXPECT_EQ(client.settings["vrax.ver_id"], "");
    EXPECT_EQ(client.settings["vrax.data_lang"], "de");
    EXPECT_TRUE(client.links.empty());
}

TEST_F(ScenarioManagerFixture, DestinationsPassListsOneLevelOfTheTree)
{
    struct Case {
        const char* category;
        const char* entries;
    };
    const Case cases[] = {
        {"",
            "cat prints: Prints / Order prints\n"
            "cat share: Share\n"
            "dest __vxl_sendto_recipients: Send to contacts\n"},
        {"prints",
            "dest __vxl_print_by_mail: Prints by mail [menu http://tessel.example/i/mail.png image/png] "
            "icons\n"
            "cat __vxl_prints_at_retail: Prints at a store\n"
            "dest prints_help: About prints\n"},
        {"__vxl_prints_at_retail",
            "dest store_a: Store A / Pick up in an hour\n"
            "dest store_b: Store B\n"},
        {"share",
            "dest blog: My blog / Post to my blog [button http://tessel.example/i/blog.gif image/gif] icons\n"
            "dest photosite: Photo site\n"},
        {"blog", ""},
        {"nosuch", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.category);
        EXPECT_EQ(destinations(c.category), c.entries);
        EXPECT_EQ(dumpEntries(manager.destinationEntries()), c.entries);
    }
}

TEST_F(ScenarioManagerFixture, ScenarioPassFillsTheDefinition)
{
    CScenarioLayout layout;
    ASSERT_EQ(scenario("__vxl_sendto_recipients", layout).result, kResultSucceeded);
    EXPECT_EQ(dumpLayout(layout),
        "id=__vxl_sendto_recipients cookie=c-send err=Could not send. focus=1 pri=1 url= isCfg=0 hasCfg=0 "
        "link=0,0,, wait=0,Sending...\n"
        "field to out=1 ferr=Enter a recipient. help=0, values= type=2() min=1; max=10; vis=1 edit=1 "
        "bits=5,16,2 caption=To: name=recipients\n"
        "  lsk t=Add f=Change choice=0 actions=4,3 rule=hasRecipients\n"
        "  rsk t=Send f= choice=0 actions=1,2 rule=\n"
        "field media out=0 ferr= help=0, values= type=11(images;videos;) min=0;0; max=3;1; vis=1 edit=0 "
        "bits=0,0,0 caption=Media name=\n"
        "  lsk t= f= choice=1 actions=0,0 rule=\n"
        "  rsk t= f= choice=1 actions=0,0 rule=\n"
        "field msg out=1 ferr= help=1,http://tessel.example/help/message values=Hello;Greetings; type=8() "
        "min= "
        "max=160; vis=1 edit=1 bits=0,72,0 caption=Message name=\n"
        "  lsk t= f= choice=1 actions=0,0 rule=\n"
        "  rsk t= f= choice=1 actions=0,0 rule=\n");
    EXPECT_EQ(layout.fieldAt(0)->fieldDescription().leftSoftKey().caption(), "Change");
    EXPECT_EQ(layout.findField(kFieldVideos), layout.fieldAt(1));
}

// What the scenario program asks of a loaded definition.
TEST_F(ScenarioManagerFixture, LoadedScenariosAnswerTheProgramsQuestions)
{
    struct Case {
        const char* id;
        bool configured;
        bool hasConfigScenario;
        const char* configScenario;
        bool configByUrl;
        bool image, video, textOnly;
        bool destinationUrl;
    };
    const Case cases[] = {
        {"__vxl_sendto_recipients", true, false, "", true, true, true, true, false},
        {"blog", false, true, "blog_setup", false, true, false, false, true},
        {"photosite", true, true, "http://photos.example/setup", true, false, false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        CScenarioLayout layout;
        ASSERT_EQ(scenario(c.id, layout).result, kResultSucceeded);
        EXPECT_EQ(layout.isConfigured(), c.configured);
        EXPECT_EQ(layout.hasConfigScenario(), c.hasConfigScenario);
        EXPECT_EQ(layout.configScenario(), c.configScenario);
        EXPECT_EQ(layout.configScenarioUrlCheck(), c.configByUrl);
        EXPECT_EQ(layout.supportsImage(), c.image);
        EXPECT_EQ(layout.supportsVideo(), c.video);
        EXPECT_EQ(layout.supportsTextOnly(), c.textOnly);
        EXPECT_EQ(layout.hasDestinationUrl(), c.destinationUrl);
    }
}

TEST_F(ScenarioManagerFixture, OnlyTheFirstScenarioOfAnIdIsRead)
{
    CScenarioLayout layout;
    ASSERT_EQ(scenario("blog", layout).result, kResultSucceeded);
    EXPECT_EQ(layout.errorText(), "");
    EXPECT_EQ(layout.fieldCount(), 3u);
    EXPECT_TRUE(layout.isConfiguration());
    EXPECT_FALSE(layout.hasPriority());
}

TEST_F(ScenarioManagerFixture, AMissingScenarioAnswers95WithTextIdAndAResetDefinition)
{
    CScenarioLayout layout;
    ASSERT_EQ(scenario("blog", layout).result, kResultSucceeded);
    const Reply reply = scenario("nosuch", layout);
    EXPECT_EQ(reply.result, kResultScenarioUnavailable);
    EXPECT_EQ(reply.text, "792");
    EXPECT_EQ(dumpLayout(layout), dumpLayout(CScenarioLayout()));

    // Also when the file has no scenarios at all.
    reader->files[CScenarioManager::kFileName] = "<vxlcfg><config/></vxlcfg>";
    EXPECT_EQ(scenario("blog", layout).result, kResultScenarioUnavailable);
}

TEST_F(ScenarioManagerFixture, AReusedDefinitionKeepsNothingOfTheScenarioBefore)
{
    CScenarioLayout layout;
    ASSERT_EQ(scenario("blog", layout).result, kResultSucceeded);
    ASSERT_EQ(scenario("__vxl_sendto_recipients", layout).result, kResultSucceeded);
    CScenarioLayout fresh;
    ASSERT_EQ(scenario("__vxl_sendto_recipients", fresh).result, kResultSucceeded);
    EXPECT_EQ(dumpLayout(layout), dumpLayout(fresh));
    EXPECT_TRUE(layout.isConfigured());
}

TEST_F(ScenarioManagerFixture, AttributeOrderDoesNotChangeTheModel)
{
    const std::string original = reader->files[CScenarioManager::kFileName];
    const std::string reversed = reverseAttributes(original);
    ASSERT_NE(reversed, original);
    // Level before id, MIME type before link, cookie before id.
    ASSERT_NE(reversed.find("lev=\"1\" id=\"blog\">"), std::string::npos);
    ASSERT_NE(reversed.find("<dest mimetypemenu=\"image/png\" medialinkmenu="), std::string::npos);
    ASSERT_NE(reversed.find("cookie=\"c-send\" id=\"__vxl_sendto_recipients\">"), std::string::npos);

    std::vector<std::string> models;
    for (const std::string& file : {original, reversed}) {
        reader->files[CScenarioManager::kFileName] = file;
        client.settings.clear();
        std::string model;
        EXPECT_EQ(configure().result, kResultSucceeded);
        for (const auto& [key, value] : client.settings)
            model += key + "=" + value + "\n";
        model += client.linkList();
        for (const char* category : {"", "prints", "__vxl_prints_at_retail", "share"})
            model += destinations(category);
        for (const char* id : {"__vxl_sendto_recipients", "blog", "photosite"}) {
            CScenarioLayout layout;
            EXPECT_EQ(scenario(id, layout).result, kResultSucceeded);
            model += dumpLayout(layout);
        }
        models.push_back(model);
    }
    EXPECT_EQ(models[0], models[1]);
}

// A file that is missing, cut short or not well-formed fails every pass that
// needs the part it does not complete; a part read before the fault counts.
TEST_F(ScenarioManagerFixture, FilesThatCannotBeReadFailWith1000)
{
    const std::string good = reader->files[CScenarioManager::kFileName];
    auto cutAfter
        = [&](const char* marker) { return good.substr(0, good.find(marker) + std::strlen(marker)); };
    std::string badEnd = good;
    badEnd.replace(badEnd.find("</destList>"), 11, "</destlist>");

    struct Case {
        const char* name;
        bool present;
        std::string file;
        std::int32_t configuration, destinations, scenario;
    };
    const std::int32_t ok = kResultSucceeded;
    const std::int32_t failed = kResultFailed;
    const Case cases[] = {
        {"missing", false, "", failed, failed, failed},
        {"empty", true, "", failed, failed, failed},
        {"not xml", true, "this is not a configuration", failed, failed, failed},
        {"cut inside the configuration", true, cutAfter("<attributes>"), failed, failed, failed},
        {"cut after the destinations", true, cutAfter("</destList>"), ok, ok, failed},
        {"cut inside the scenario", true, cutAfter("<label>To:</label>"), ok, ok, failed},
        {"cut after the scenario", true, cutAfter("</scenario>"), ok, ok, ok},
        {"mismatched end tag", true, badEnd, ok, failed, failed},
        {"stray markup", true, "<vxlcfg><config rel=\"1\"><<</config></vxlcfg>", failed, failed, failed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        reader->files.erase(CScenarioManager::kFileName);
        if (c.present)
            reader->files[CScenarioManager::kFileName] = c.file;
        EXPECT_EQ(configure().result, c.configuration);
        std::int32_t result = -1;
        destinations("", &result);
        EXPECT_EQ(result, c.destinations);
        CScenarioLayout layout;
        EXPECT_EQ(scenario("__vxl_sendto_recipients", layout).result, c.scenario);
        EXPECT_EQ(manager.pass(), CScenarioFileParser::kPassNone);
    }
}

TEST_F(ScenarioManagerFixture, RequestsThatCannotBeServedFailAtOnce)
{
    CScenarioResultEvent noLayout;
    noLayout.setText("blog");
    EXPECT_EQ(run(noLayout).result, kResultFailed);

    CVXLEvent notARequestEvent(CScenarioManager::kRequestDestinations, 9);
    EXPECT_EQ(run(notARequestEvent).result, kResultFailed);

    JobTreeDriver other;
    CScenarioManager withoutReader;
    TraceJob asker("asker");
    other.attach(&withoutReader);
    other.attach(&asker);
    CVXLEvent request(CScenarioManager::kRequestConfiguration, 5);
    asker.post(&withoutReader, &request);
    other.runUntilIdle();
    EXPECT_EQ(asker.results, std::vector<std::int32_t>({kResultSucceeded, kResultFailed}));
}

TEST_F(ScenarioManagerFixture, QueuedRequestsAreServedOneAfterAnother)
{
    reader->chunkSize = 5;
    CScenarioLayout layout;
    CScenarioResultEvent first;
    first.setText("photosite");
    first.setLayout(&layout);
    CScenarioRequestEvent second(9);
    second.setText("share");
    requester.post(&manager, &first);
    requester.post(&manager, &second);
    driver.runUntilIdle(100000);
    ASSERT_EQ(replies.size(), 2u);
    EXPECT_EQ(replies[0].result, kResultSucceeded);
    EXPECT_EQ(replies[1].result, kResultSucceeded);
    EXPECT_EQ(layout.id(), "photosite");
    EXPECT_EQ(second.entryCount(), 2u);
}

// A cancelled pass answers 24 at once; a request that follows before the
// reader has wound down still reads the whole file.
TEST_F(ScenarioManagerFixture, ACancelledPassEndsAndTheNextOneReadsAfresh)
{
    reader->chunkSize = 5;
    CScenarioLayout layout;
    CScenarioResultEvent cancelled;
    cancelled.setText("photosite");
    cancelled.setLayout(&layout);
    requester.post(&manager, &cancelled);
    for (int i = 0; i < 20; ++i)
        driver.step();
    ASSERT_EQ(manager.pass(), CScenarioFileParser::kPassScenario);
    EXPECT_GT(requester.cancelEventsWith(&manager), 0);
    driver.step();
    CScenarioRequestEvent next(9);
    next.setText("");
    requester.post(&manager, &next);
    driver.runUntilIdle(100000);
    ASSERT_EQ(replies.size(), 2u);
    EXPECT_EQ(replies[0].result, kResultCancelled);
    EXPECT_EQ(replies[1].result, kResultSucceeded);
    EXPECT_EQ(next.entryCount(), 3u);
    EXPECT_EQ(reader->readings, 2);
}

} // namespace
