// What the Client offers the screen flows below it.
#include "engine/client/VXLClient.h"
#include "engine/client/VXLUIRequest.h"
#include "engine/screens/VXLErrorJob.h"
#include "engine/screens/VXLLayoutInformation.h"
#include "engine/screens/VXLScreenServices.h"
#include "engine/screens/VXLUiJob.h"
#include "engine/screens/VXLUiJobPool.h"
#include "tests/support/EngineDriver.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class ScreenServicesTest : public ::testing::Test {
public:
    void SetUp() override
    {
        ASSERT_TRUE(engine.create());
        client = engine.client();
        services = client->getUiJobPool()->services();
        ASSERT_NE(services, nullptr);
    }

    EngineDriver engine;
    CVXLClient* client = nullptr;
    CVXLScreenServices* services = nullptr;
};

TEST_F(ScreenServicesTest, TheManagersAreTheClientsOwn)
{
    EXPECT_EQ(services->scenarioManager(), &client->getScenarioManager());
    EXPECT_EQ(services->outboundQueue(), &client->getOutboundQueueManager());
    EXPECT_EQ(services->vraxJob(), &client->getVraxJob());
    EXPECT_EQ(services->mediaAccess(), &client->getMediaAccessManager());
    EXPECT_EQ(services->capturedMedia(), &client->getObjectList());
}

// One composer leaves them for the next media browse, which takes them once.
TEST_F(ScreenServicesTest, TheOneShotFilterAndNoAutoSelectAreTakenOnce)
{
    EXPECT_EQ(services->takeOneShotFilter(), -1);
    EXPECT_FALSE(services->takeNoAutoSelect());
    services->setOneShotFilter(kMediaFilterVideos);
    services->armNoAutoSelect();
    EXPECT_EQ(services->takeOneShotFilter(), kMediaFilterVideos);
    EXPECT_EQ(services->takeOneShotFilter(), -1);
    EXPECT_TRUE(services->takeNoAutoSelect());
    EXPECT_FALSE(services->takeNoAutoSelect());
}

TEST_F(ScreenServicesTest, ConfigurationCoolSitesAndUrlRequests)
{
    client->settings().setConfigString(kCfgOption53, "0");
    EXPECT_FALSE(services->configOption53());
    client->settings().setConfigString(kCfgOption53, "2");
    EXPECT_TRUE(services->configOption53());

    client->settings().addCoolSite("blog", "My blog", "http://i/blog.gif", "image/gif", "", "");
    client->settings().addCoolSite("site", "Site", "http://i/site.png", "image/png", "", "");
    CVXLString link, type;
    ASSERT_TRUE(services->coolSiteIcon("site", &link, &type));
    EXPECT_EQ(std::string(link.c_str()), "http://i/site.png");
    EXPECT_EQ(std::string(type.c_str()), "image/png");
    EXPECT_FALSE(services->coolSiteIcon("none", &link, &type));

    services->queueUrlRequest("http://tessel.example/help");
    ASSERT_TRUE(client->hasUIRequest());
    CVXLUIRequest* request = client->popUIRequest();
    EXPECT_EQ(request->kind(), kUIRequestProcessUrl);
    EXPECT_EQ(std::string(request->url().c_str()), "http://tessel.example/help");
}

// A screen job made outside any pool.
class LooseJob : public CVXLUiJob {
public:
    int typeId() const override { return 10; }
};

// Two engines in one process: a job of each Client's pool, a job started
// under it and a layout it owns reach that Client's services, whichever
// Client was made last; a child taken from the pool reads them while it is
// set up, before it starts. A job outside any pool has none.
TEST(ScreenServicesWiring, EachClientsPoolHandsItsJobsItsOwnServices)
{
    EngineDriver first, spare;
    ASSERT_TRUE(first.create());
    CVXLClient second(&spare.factory());
    second.init();
    first.client()->settings().setConfigString(kCfgAlbumListWindowSize, "7");
    second.settings().setConfigString(kCfgAlbumListWindowSize, "9");
    struct Case {
        CVXLClient* client;
        std::int32_t windowSize;
    };
    for (const Case& c : {Case {first.client(), 7}, Case {&second, 9}}) {
        CVXLClient* client = c.client;
        CVXLUiJobPool* pool = client->getUiJobPool();
        ASSERT_NE(pool->services(), nullptr);
        CVXLUiJob* pooled = pool->acquire(CVXLUiJob::kInformationJobType);
        ASSERT_NE(pooled, nullptr);
        LooseJob under;
        pooled->startChild(&under);
        CVXLLayoutInformation layout;
        layout.setOwner(&under);
        for (CVXLUiJob* job : {pooled, static_cast<CVXLUiJob*>(&under)}) {
            EXPECT_EQ(job->pool(), pool) << c.windowSize;
            EXPECT_EQ(job->services(), pool->services()) << c.windowSize;
            EXPECT_EQ(job->configNumber(kCfgAlbumListWindowSize, 0), c.windowSize);
        }
        ASSERT_NE(layout.globalContactContainer(), nullptr);
        EXPECT_EQ(layout.globalContactContainer(), &client->getGlobalContacts()) << c.windowSize;
        pooled->stopChildren();
        pool->release(pooled);

        auto* error = dynamic_cast<CVXLErrorJob*>(pool->acquire(CVXLUiJob::kErrorJobType));
        ASSERT_NE(error, nullptr);
        error->setErrorCode(52);
        EXPECT_EQ(std::string(error->layout().messageText().c_str()), "A server error was received.");
        pool->release(error);
    }
    LooseJob alone;
    CVXLLayoutInformation unowned;
    unowned.setOwner(&alone);
    EXPECT_EQ(alone.services(), nullptr);
    EXPECT_EQ(unowned.globalContactContainer(), nullptr);
}

} // namespace
