#include "engine/client/VXLClient.h"

#include "engine/client/scenario/ScenarioFileParser.h"
#include "engine/client/scenario/ScenarioFileReader.h"
#include "engine/core/base/VXLLog.h"
#include "engine/core/scenario/ScenarioLayout.h"
#include "engine/core/scenario/ScenarioResultEvent.h"
#include "engine/core/settings/VXLPersKeys.h"
#include "tests/support/EngineDriver.h"
#include "tests/support/JobTreeDriver.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

namespace {

constexpr const char* kConfigPath = "Application Data/Tessel/vxlcfg.xml";

std::string testConfig()
{
    std::ifstream in(std::string(TESSEL_SOURCE_DIR) + "/tests/client/data/vxlcfg.xml", std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string setting(CVXLClient& client, const char* key)
{
    CVXLString out;
    client.settings().getPersistentString(key, &out);
    return out.c_str();
}

// Asks the started engine's Scenario Manager for a scenario, as a UI job
// does, and answers the reply's result.
std::int32_t askForScenario(EngineDriver& driver, const char* id)
{
    TraceJob asker("Asker");
    driver.client()->startChild(&asker);
    CScenarioLayout layout;
    CScenarioResultEvent request(1);
    request.setText(id);
    request.setLayout(&layout);
    asker.post(&driver.client()->getScenarioManager(), &request);
    driver.runUntilIdle();
    asker.stop();
    driver.runUntilIdle();
    for (std::size_t i = 0; i < asker.events.size(); ++i) {
        if (asker.events[i] == &request)
            return asker.results[i];
    }
    return -1;
}

TEST(VXLClientScenario, StartUpLoadsTheConfigurationOrStartsWithoutIt)
{
    const std::string whole = testConfig();
    ASSERT_FALSE(whole.empty());
    struct Case {
        const char* what;
        bool present;
        std::string contents;
        const char* release;
        std::uint32_t links;
        std::int32_t scenarioResult;
    };
    const Case cases[] = {
        {"whole", true, whole, "4.2.1", 2, kResultSucceeded},
        {"missing", false, "", "", 0, kResultFailed},
        // The configuration part is whole; the scenarios are cut off.
        {"truncated", true, whole.substr(0, whole.size() / 2), "4.2.1", 2, kResultFailed},
        {"cut in the config", true, whole.substr(0, 60), "", 0, kResultFailed},
        // One of the two links was read: a configuration counts only whole.
        {"cut between the links", true, whole.substr(0, whole.find("My account")), "", 0, kResultFailed},
        {"cut before its end tag", true, whole.substr(0, whole.find("</config>")), "", 0, kResultFailed},
        {"malformed", true, "<vxlcfg><config rel=\"1\"></menuUrls></vxlcfg>", "", 0, kResultFailed},
        {"empty", true, "", "", 0, kResultFailed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EngineDriver driver;
        if (c.present) {
            ASSERT_TRUE(driver.root().writeFile(kConfigPath, c.contents));
        }
        ASSERT_TRUE(driver.startUp());
        CVXLClient& client = *driver.client();
        EXPECT_FALSE(client.scenarioPending());
        EXPECT_TRUE(client.getProducer().isActive());
        EXPECT_TRUE(client.getScenarioManager().isActive());
        EXPECT_EQ(setting(client, kPersVraxVerId), c.release);
        EXPECT_EQ(client.linkCount(), c.links);

        EXPECT_EQ(setting(client, kPersVraxMdnChanged), "false");
        // The reader is ready for the next request whatever the first found.
        EXPECT_EQ(askForScenario(driver, "__vxl_sendto_recipients"), c.scenarioResult);
        EXPECT_TRUE(driver.shutDown());
    }
}

// Links beyond the bound are dropped and the drop is logged.
TEST(VXLClientScenario, MenuLinksAreBounded)
{
    std::string file = "<vxlcfg><config rel=\"9\"><menuUrls>";
    const std::uint32_t links = CScenarioFileParser::kMaxMenuLinks + 44;
    for (std::uint32_t i = 0; i < links; ++i)
        file += "<url href=\"http://127.0.0.1/" + std::to_string(i) + "\">l</url>";
    file += "</menuUrls></config></vxlcfg>";
    EngineDriver driver;
    ASSERT_TRUE(driver.root().writeFile(kConfigPath, file));
    ASSERT_TRUE(driver.startUp());
    EXPECT_EQ(driver.client()->linkCount(), CScenarioFileParser::kMaxMenuLinks);
    EXPECT_EQ(setting(*driver.client(), kPersVraxVerId), "9");
    CVXLLog::flush();
    EXPECT_NE(driver.root().readFile("log/engine.log").find("44 menu links beyond"), std::string::npos);
    EXPECT_TRUE(driver.shutDown());
}

TEST(VXLClientScenario, MenuLinksOfTheConfigurationOpenAsUrlRequests)
{
    EngineDriver driver;
    ASSERT_TRUE(driver.root().writeFile(kConfigPath, testConfig()));
    ASSERT_TRUE(driver.startUp());
    CVXLClient& client = *driver.client();
    CGlobalMenuList& menu = client.buildGlobalMenu(0);
    // Three rows of the table, then the two links.
    ASSERT_EQ(menu.getEntryCount(), 5u);
    EXPECT_STREQ(menu.entryAt(3)->caption().c_str(), "Help & support");
    EXPECT_EQ(menu.entryAt(4)->action(), 32);
    menu.runEntry(menu.entryAt(4));
    EXPECT_EQ(menu.getEntryCount(), 5u);
    ASSERT_TRUE(client.hasUIRequest());
    CVXLUIRequest* request = client.popUIRequest();
    EXPECT_EQ(request->kind(), kUIRequestProcessUrl);
    EXPECT_STREQ(request->url().c_str(), "http://tessel.example/account");
}

// A reader that never finishes on its own: the configuration load stays out
// until it is cancelled.
class StalledReader : public CScenarioFileReader {
public:
    void setListener(Listener* listener) override { listener_ = listener; }
    void setPath(const CVXLString&) override { }
    void beginReading() override { ++begun; }
    void stopReading() override
    {
        ++stopped;
        managerStoppedAtStop = CVXLClient::instance()->getScenarioManager().stopRequested();
        listener_->finished(kResultCancelled);
    }

    Listener* listener_ = nullptr;
    int begun = 0;
    int stopped = 0;
    bool managerStoppedAtStop = true;
};

TEST(VXLClientScenario, ShutDownDuringThePendingLoadCancelsItFirst)
{
    EngineDriver driver;
    ASSERT_TRUE(driver.create());
    auto* reader = new StalledReader;
    driver.client()->getScenarioManager().setReader(reader);
    for (int i = 0; i < 100 && !driver.client()->scenarioPending(); ++i)
        driver.tick();
    ASSERT_TRUE(driver.client()->scenarioPending());
    driver.runUntilIdle();
    EXPECT_EQ(reader->begun, 1);
    EXPECT_FALSE(driver.client()->membersStarted());

    ASSERT_TRUE(driver.shutDown(1000));
    EXPECT_EQ(reader->stopped, 1);
    // The load was cancelled before the chain reached the manager's stop.
    EXPECT_FALSE(reader->managerStoppedAtStop);
    EXPECT_FALSE(driver.client()->scenarioPending());
    EXPECT_FALSE(driver.client()->membersStarted());
    EXPECT_EQ(driver.client()->getScenarioManager().runState(), kHandlerFinished);
    EXPECT_FALSE(driver.root().exists("Application Data/Tessel/_vxl.run"));
}

TEST(VXLClientScenario, ChangedCoolSitesArePrunedToTheListedDestinations)
{
    EngineDriver driver;
    ASSERT_TRUE(driver.root().writeFile(kConfigPath, testConfig()));
    ASSERT_TRUE(driver.startUp());
    CVXLClientSettings& settings = driver.client()->settings();
    // "prints" and "share" are top-level categories of the test file.
    settings.addCoolSite("gone", "Gone", "", "", "", "");
    settings.addCoolSite("share", "Share", "i", "t", "b", "bt");
    settings.addCoolSite("old", "Old", "", "", "", "");
    settings.addCoolSite("prints", "Prints", "", "", "", "");
    driver.client()->pushUIRequestCode(kUIRequestMenuChanged);
    driver.runUntilIdle();
    ASSERT_EQ(settings.getCoolSiteCount(), 2);
    CVXLString id;
    settings.getCoolSiteId(0, &id);
    EXPECT_STREQ(id.c_str(), "share");
    settings.getCoolSiteButton(0, &id);
    EXPECT_STREQ(id.c_str(), "b");
    settings.getCoolSiteId(1, &id);
    EXPECT_STREQ(id.c_str(), "prints");
}

} // namespace
