#include "engine/client/VXLClient.h"

#include "engine/client/VXLConfigItems.h"
#include "engine/client/VXLTextTable.h"
#include "engine/client/menu/VXLMenuLink.h"
#include "engine/core/settings/VXLPersKeys.h"
#include "engine/media/VXLMediaRef.h"
#include "engine/media/VXLMediaRefHandle.h"
#include "engine/screens/VXLLayout.h"
#include "platform/push/PushRouter.h"
#include "tests/media/MediaTestSupport.h"
#include "tests/support/EngineDriver.h"
#include "tests/support/JobTreeDriver.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

std::vector<std::int32_t> pending(const CVXLClient& client)
{
    std::vector<std::int32_t> codes;
    for (int i = 0; i < client.pendingCodes().count(); ++i)
        codes.push_back(client.pendingCodes().at(i));
    return codes;
}

std::string setting(CVXLClient& client, const char* key)
{
    CVXLString out;
    client.settings().getPersistentString(key, &out);
    return out.c_str();
}

class TestLayout : public CVXLLayout {
public:
    TestLayout()
        : CVXLLayout(kLayoutList)
    {
    }
    const CVXLLayoutCommandRow* getCommandTable() const override { return nullptr; }
    std::uint32_t getCommandCount() const override { return 0; }
    void onRequestTaken(CVXLUIRequest* request) override { doneKinds.push_back(request->kind()); }
    std::vector<std::uint32_t> doneKinds;
};

// Runs once per step while it has runs left, moving the driven clock on by
// `millisecondsPerRun` each time.
class BusyJob : public CVXLEventHandler {
public:
    BusyJob(EngineDriver::DrivenClock* clock, std::uint32_t millisecondsPerRun, int limit)
        : clock_(clock)
        , step_(millisecondsPerRun)
        , limit_(limit)
    {
    }

    void onEvent(CVXLEvent* event) override
    {
        const bool again = event == &again_ || event->effectiveCode() == kEventStart;
        if (event == &again_) {
            ++runs;
            clock_->milliseconds += step_;
            if (onRun)
                onRun(runs);
        }
        finishEvent(event);
        if (again && runs < limit_)
            post(this, &again_);
    }
    const char* name() const override { return "Busy"; }

    int runs = 0;
    std::function<void(int)> onRun;

private:
    EngineDriver::DrivenClock* clock_;
    std::uint32_t step_;
    int limit_;
    CVXLSimpleEvent again_ {100};
};

class VXLClientTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(driver.create()); }
    CVXLClient& client() { return *driver.client(); }

    EngineDriver driver;
};

TEST(VXLClientInstance, CreateKeepsOneClientAndDestroyingItClearsTheInstance)
{
    EXPECT_EQ(CVXLClient::instance(), nullptr);
    EXPECT_STREQ(getEngineText(53), "") << "no texts before the engine exists";
    {
        EngineDriver driver;
        ASSERT_TRUE(driver.create());
        CVXLPlatformFactory other;
        EXPECT_EQ(CVXLClient::create(&other), driver.client());
        EXPECT_EQ(CVXLClient::instance(), driver.client());
        EXPECT_STREQ(getEngineText(53), "Tessel");
        EXPECT_STREQ(getEngineText(795), "");
        EXPECT_EQ(driver.client()->textTable(), getTextTable());
        EXPECT_STREQ(driver.client()->getLibraryVersion(), "5.5.6");
        EXPECT_STREQ(driver.client()->name(), "Client");
    }
    EXPECT_EQ(CVXLClient::instance(), nullptr);
    EXPECT_STREQ(getEngineText(53), "");
}

TEST(VXLClientInstance, EachClientHasItsOwnCounters)
{
    TempDeviceRoot root;
    CVXLPlatformFactory factory;
    CVXLClient first(&factory);
    TestLayout layout;
    first.queueUINotification(&layout, kUIRequestNewLayout);
    CVXLClient second(&factory);
    second.queueUINotification(&layout, kUIRequestReleaseLayout);
    EXPECT_EQ(first.getCounters().get(kCounterNewLayouts), 1);
    EXPECT_EQ(first.getCounters().get(kCounterReleaseRequests), 0);
    EXPECT_EQ(second.getCounters().get(kCounterNewLayouts), 0);
    EXPECT_EQ(second.getCounters().get(kCounterReleaseRequests), 1);
}

TEST_F(VXLClientTest, InitWritesEveryDefaultAndTheClientsKeys)
{
    for (int item = kConfigItemFirst; item <= kConfigItemLast; ++item) {
        CVXLString out;
        EXPECT_EQ(client().settings().getConfigString(item, &out), 1) << item;
        EXPECT_STREQ(out.c_str(), vxlConfigItemInfo(item)->defaultValue) << item;
    }
    EXPECT_EQ(setting(client(), kPersNetSessions), "0");
    EXPECT_EQ(setting(client(), kPersForegroundActive), "1");
    EXPECT_EQ(setting(client(), kPersDatacommActive), "1");
    EXPECT_TRUE(client().settings().isDataCommActive());
    EXPECT_EQ(client().menuId(), CVXLClient::kNoMenu);
}

// The user interface hands every named registry value over as text or as a
// number, by the table; each reads back in all three forms.
TEST_F(VXLClientTest, ItemsSetAsTheUserInterfaceDoesReadBack)
{
    struct Case {
        const char* name;
        const char* text;
        std::uint32_t number;
        std::uint32_t expectNumber;
        bool expectFlag;
    };
    const Case cases[] = {
        {"VXLCFG_SERVER_URI", "http://127.0.0.1:8080/VRAX_3_4", 0, 0, false},
        {"VXLCFG_HTTP_USER_AGENT", "Agent/1.0", 0, 0, false},
        {"VXLCFG_INITIAL_MEDIA_FILTER_VALUE", "5", 0, 5, false},
        {"VXLCFG_IMAGE_VIEW_WIDTH", nullptr, 240, 240, false},
        {"VXLCFG_AUTO_DELETE", nullptr, 1, 1, true},
        {"VXLCFG_WEB_GUARD", nullptr, 0, 0, false},
        {"VXLCFG_MIN_MESSAGE_STORE_SIZE", nullptr, 4294967295u, 0x7FFFFFFFu, false},
    };
    for (const Case& c : cases) {
        const CVXLConfigItemInfo* info = vxlConfigItemByName(c.name);
        ASSERT_NE(info, nullptr) << c.name;
        if (info->type == kConfigText)
            EXPECT_EQ(client().settings().setConfigString(info->item, c.text), 1) << c.name;
        else
            EXPECT_EQ(client().settings().setConfigNumber(info->item, c.number), 1) << c.name;
        CVXLString out;
        EXPECT_EQ(client().settings().getConfigString(info->item, &out), 1);
        const std::string expectText = c.text ? c.text : std::to_string(c.number);
        EXPECT_EQ(std::string(out.c_str()), expectText) << c.name;
        EXPECT_EQ(client().settings().getConfigNumber(info->item), c.expectNumber) << c.name;
        EXPECT_EQ(client().settings().getConfigBool(info->item), c.expectFlag) << c.name;
    }
}

TEST_F(VXLClientTest, MemoryCardItemQueuesItsNoticeAndOthersDoNot)
{
    client().settings().setConfigString(kCfgSupportHomePrinter, "1");
    EXPECT_TRUE(pending(client()).empty());
    client().settings().setConfigString(kCfgMemCardPresent, "1");
    client().settings().setConfigNumber(kCfgMemCardPresent, 0);
    EXPECT_EQ(pending(client()),
        (std::vector<std::int32_t> {kUIRequestMemoryCardChanged, kUIRequestMemoryCardChanged}));
}

TEST_F(VXLClientTest, ChangingAnIdentityItemWipesAStaleRegistration)
{
    client().settings().setConfigString(kCfgUserIdentity, "user-1");
    client().settings().storeVraxId("phone-7");
    client().settings().setConfigString(kCfgCountry, "de");
    EXPECT_EQ(setting(client(), kPersVraxId), "phone-7");
    client().settings().setConfigString(kCfgUserIdentity, "user-1");
    EXPECT_EQ(setting(client(), kPersVraxId), "phone-7") << "the same value keeps the identity";
    client().settings().setConfigString(kCfgUserIdentity, "user-2");
    EXPECT_EQ(setting(client(), kPersVraxId), "");
}

TEST_F(VXLClientTest, FolderCountsCompareTheFolderNamesFirstCharacters)
{
    client().settings().setPersistentString(kPersInboxTotalCount, "12");
    client().settings().setPersistentString(kPersInboxNewCount, "3");
    client().settings().setPersistentString(kPersSentTotalCount, "5");
    struct Case {
        const char* folder;
        std::int32_t total;
        std::int32_t fresh;
    };
    const Case cases[] = {
        {"Inbox", 12, 3},
        {"Inbox (3)", 12, 3},
        {"Inbo", 0, 0},
        {"Sent Mail", 5, 0},
        {"Sent Mail 2", 5, 0},
        {"Sent", 0, 0},
        {"Saved Mail", 0, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(client().getFolderTotalCount(c.folder), c.total) << c.folder;
        EXPECT_EQ(client().getFolderNewCount(c.folder), c.fresh) << c.folder;
    }
    client().settings().setNewMessagesFlag();
    EXPECT_EQ(setting(client(), kPersHasNewMessages), "1");
    client().settings().clearNewMessagesFlag();
    EXPECT_EQ(setting(client(), kPersHasNewMessages), "0");
}

TEST_F(VXLClientTest, ScreenRequestsCountAndCarryTheirFields)
{
    TestLayout shown;
    TestLayout replaced;
    client().queueUINotification(&shown, kUIRequestNewLayout);
    client().queueUINotification(&shown, kUIRequestUpdatedLayout);
    client().queueUINotification(&shown, kUIRequestUpdatedLayout);
    client().queueUINotification(&shown, kUIRequestReleaseLayout);
    client().queueUINotification(&shown, kUIRequestReplaceLayout, &replaced);
    client().queueUINotification(&shown, kUIRequestReturnToMenu);
    client().queueReturnToMenu(3);
    client().setMenuId(13);
    client().queueReturnToMenu(4);
    CVXLString url("http://127.0.0.1/x");
    client().queueUIUrlRequest(url);
    url = "changed";
    client().addLink(new CVXLMenuLink("http://link/0", "Zero"));
    client().addLink(new CVXLMenuLink("http://link/1", "One"));
    client().queueLinkRequest(1);
    client().queueLinkRequest(2);
    client().queueReturnToIdle();

    CVXLCounterTable& counters = client().getCounters();
    EXPECT_EQ(counters.get(kCounterNewLayouts), 1);
    EXPECT_EQ(counters.get(kCounterUpdatesSinceNew), 2);
    EXPECT_EQ(counters.get(kCounterReleaseRequests), 1);
    client().queueUINotification(&shown, kUIRequestNewLayout);
    EXPECT_EQ(counters.get(kCounterUpdatesSinceNew), 0);
    client().releaseLayout(&shown);
    EXPECT_EQ(counters.get(kCounterLayoutsReleased), 1);

    struct Expect {
        std::uint32_t kind;
        const char* name;
    };
    const Expect expected[] = {
        {kUIRequestNewLayout, "NEW_LAYOUT"},
        {kUIRequestUpdatedLayout, "UPDATED_LAYOUT"},
        {kUIRequestUpdatedLayout, "UPDATED_LAYOUT"},
        {kUIRequestReleaseLayout, "RELEASE_LAYOUT"},
        {kUIRequestReplaceLayout, "REPLACE_LAYOUT"},
        {kUIRequestReturnToMenu, "RETURN_TO_MENU"},
        {kUIRequestProcessUrl, "PROCESS_URL_REQUEST"},
        {kUIRequestProcessUrl, "PROCESS_URL_REQUEST"},
        {kUIRequestReturnToIdle, "RETURN_TO_IDLE"},
        {kUIRequestNewLayout, "NEW_LAYOUT"},
    };
    ASSERT_EQ(client().queuedRequestCount(), std::size(expected));
    for (const Expect& e : expected) {
        CVXLUIRequest* request = driver.popUIRequest();
        ASSERT_NE(request, nullptr);
        EXPECT_EQ(request->kind(), e.kind);
        EXPECT_STREQ(request->kindName(), e.name);
        switch (request->kind()) {
        case kUIRequestReplaceLayout:
            EXPECT_EQ(request->layout(), &shown);
            EXPECT_EQ(request->replacedLayout(), &replaced);
            break;
        case kUIRequestReturnToMenu:
            EXPECT_EQ(request->menuId(), 13);
            EXPECT_EQ(request->value(), 4);
            break;
        case kUIRequestProcessUrl:
            EXPECT_TRUE(request->url() == "http://127.0.0.1/x" || request->url() == "http://link/1");
            break;
        default:
            break;
        }
        driver.tick();
    }
    EXPECT_FALSE(client().hasUIRequest());
    // Only the requests that showed the layout are handed back to it.
    EXPECT_EQ(shown.doneKinds,
        (std::vector<std::uint32_t> {kUIRequestNewLayout, kUIRequestUpdatedLayout, kUIRequestUpdatedLayout,
            kUIRequestReplaceLayout, kUIRequestNewLayout}));
    EXPECT_TRUE(replaced.doneKinds.empty());
}

TEST_F(VXLClientTest, APoppedRequestStaysAtTheHeadUntilTheNextTick)
{
    TestLayout layout;
    client().queueUINotification(&layout, kUIRequestNewLayout);
    client().queueUINotification(&layout, kUIRequestUpdatedLayout);
    CVXLUIRequest* first = client().popUIRequest();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(client().popUIRequest(), first) << "popping again hands out the same record";
    EXPECT_TRUE(client().hasUIRequest());
    EXPECT_EQ(client().getWaitTime(), 0u);
    EXPECT_EQ(client().queuedRequestCount(), 2u);
    EXPECT_EQ(driver.tick(), CVXLClient::kTickWorkLeft) << "a request is waiting";
    EXPECT_EQ(client().queuedRequestCount(), 1u);
    EXPECT_EQ(layout.doneKinds, (std::vector<std::uint32_t> {kUIRequestNewLayout}));
    // A request never popped is not disposed of.
    driver.tick();
    EXPECT_EQ(client().queuedRequestCount(), 1u);
}

TEST_F(VXLClientTest, SuspendResumeAndShutdownRewriteThePendingCodes)
{
    struct Case {
        const char* what;
        std::vector<std::int32_t> before;
        std::function<int(CVXLClient&)> call;
        std::vector<std::int32_t> after;
    };
    const Case cases[] = {
        {"suspend 0", {2, 5, 2},
            [](CVXLClient& c) {
                c.requestSuspend(0);
                return 0;
            },
            {5, 1}},
        {"suspend 1", {4, 1},
            [](CVXLClient& c) {
                c.requestSuspend(1);
                return 0;
            },
            {1, 3}},
        {"suspend 2", {2, 4, 7, 13, 5},
            [](CVXLClient& c) {
                c.requestSuspend(2);
                return 0;
            },
            {5, 1, 3, 6}},
        {"suspend 3", {2},
            [](CVXLClient& c) {
                c.requestSuspend(3);
                return 0;
            },
            {2}},
        {"resume 0", {1, 5}, [](CVXLClient& c) { return c.requestResume(0); }, {5, 2}},
        {"resume 1", {3}, [](CVXLClient& c) { return c.requestResume(1); }, {4}},
        {"resume 2", {1, 3}, [](CVXLClient& c) { return c.requestResume(2); }, {4, 2}},
        {"shutdown", {2, 4, 7, 13},
            [](CVXLClient& c) {
                c.requestShutdown();
                return 0;
            },
            {1, 3, 6}},
    };
    for (const Case& c : cases) {
        while (client().pendingCodes().count())
            client().removeUIRequestCode(client().pendingCodes().at(0));
        for (std::int32_t code : c.before)
            client().pushUIRequestCode(code);
        c.call(client());
        EXPECT_EQ(pending(client()), c.after) << c.what;
    }
    EXPECT_EQ(client().requestResume(3), 0);
    EXPECT_TRUE(client().shutdownRequested());
    EXPECT_EQ(client().shutdownCountdown(), CVXLClient::kShutdownCountdown);
}

TEST_F(VXLClientTest, ActivityCodesMarkTheOutermostBeginAndEnd)
{
    client().endActivity();
    EXPECT_TRUE(client().hasNoActivity());
    EXPECT_TRUE(pending(client()).empty());
    client().beginActivity();
    client().beginActivity();
    client().endActivity();
    EXPECT_FALSE(client().hasNoActivity());
    client().endActivity();
    EXPECT_TRUE(client().hasNoActivity());
    EXPECT_EQ(
        pending(client()), (std::vector<std::int32_t> {kUIRequestActivityBegan, kUIRequestActivityEnded}));
}

TEST_F(VXLClientTest, TickBroadcastsCodesUpToAZero)
{
    TraceJob job("job");
    client().startChild(&job);
    for (std::int32_t code : {3, 1, 0, 4, 2})
        client().pushUIRequestCode(code);
    EXPECT_EQ(client().getWaitTime(), 0u);
    driver.tick();
    EXPECT_EQ(pending(client()), (std::vector<std::int32_t> {4, 2}));
    EXPECT_EQ(setting(client(), kPersForegroundActive), "0");
    EXPECT_EQ(setting(client(), kPersDatacommActive), "0");
    EXPECT_FALSE(client().settings().isDataCommActive());
    driver.tick();
    EXPECT_TRUE(pending(client()).empty());
    EXPECT_EQ(setting(client(), kPersForegroundActive), "1");
    EXPECT_TRUE(client().settings().isDataCommActive());
    job.stop();
    driver.runUntilIdle();
}

TEST_F(VXLClientTest, TickBroadcastReachesEveryJob)
{
    std::vector<std::string> trace;
    TraceJob outer("outer", &trace);
    TraceJob inner("inner", &trace);
    client().startChild(&outer);
    outer.startChild(&inner);
    client().pushUIRequestCode(kUIRequestMediaChanged);
    driver.tick();
    EXPECT_EQ(trace.front(), "outer!13");
    EXPECT_EQ(trace.at(1), "inner!13");
    outer.stop();
    driver.runUntilIdle();
}

TEST_F(VXLClientTest, SeventeenCodesBeforeATickLoseTheFirst)
{
    std::vector<std::string> trace;
    TraceJob job("job", &trace);
    client().startChild(&job);
    driver.runUntilIdle();
    trace.clear();
    for (std::int32_t code = 101; code <= 117; ++code)
        client().pushUIRequestCode(code);
    driver.tick();
    std::vector<std::string> expected;
    for (std::int32_t code = 102; code <= 117; ++code)
        expected.push_back("job!" + std::to_string(code));
    EXPECT_EQ(trace, expected);
    job.stop();
    driver.runUntilIdle();
}

TEST_F(VXLClientTest, SliceEndsOnceTenMillisecondsHavePassed)
{
    driver.runUntilIdle();
    BusyJob job(&driver.clock(), 1, 1000);
    client().startChild(&job);
    driver.tick();
    const int before = job.runs;
    const std::uint32_t steps = client().stepCount();
    EXPECT_EQ(driver.tick(), CVXLClient::kTickWorkLeft);
    EXPECT_EQ(job.runs - before, 10) << "steps start at 0 to 9 ms into the slice";
    EXPECT_EQ(client().stepCount() - steps, 10u);

    BusyJob slow(&driver.clock(), 4, 1000);
    job.stop();
    client().startChild(&slow);
    driver.tick();
    const int slowBefore = slow.runs;
    driver.tick();
    EXPECT_EQ(slow.runs - slowBefore, 3) << "0, 4 and 8 ms; the step at 12 ms waits";
    slow.stop();
    driver.runUntilIdle();
}

TEST_F(VXLClientTest, SliceEndsWhenIdleOrWhenAScreenRequestIsQueued)
{
    driver.runUntilIdle();
    BusyJob job(&driver.clock(), 0, 5);
    client().startChild(&job);
    EXPECT_EQ(driver.tick(), CVXLClient::kTickIdle) << "without time passing the slice runs until idle";
    EXPECT_EQ(job.runs, 5);

    TestLayout layout;
    BusyJob shows(&driver.clock(), 0, 5);
    shows.onRun = [&](int run) {
        if (run == 2)
            CVXLClient::instance()->queueUINotification(&layout, kUIRequestNewLayout);
    };
    client().startChild(&shows);
    EXPECT_EQ(driver.tick(), CVXLClient::kTickWorkLeft);
    EXPECT_EQ(shows.runs, 2);
    EXPECT_TRUE(client().hasUIRequest());
    driver.popUIRequest();
    driver.runUntilIdle();
    EXPECT_EQ(shows.runs, 5);
}

TEST_F(VXLClientTest, APostBetweenTicksMakesTheNextWaitZero)
{
    TraceJob job("job");
    client().startChild(&job);
    EXPECT_EQ(driver.runUntilIdle(), CVXLClient::kTickIdle);
    // The start's push step waits once for the push queue's load.
    EXPECT_TRUE(driver.runToNextTimer());
    // Only timers are left (the expiration job's among them).
    EXPECT_NE(client().getWaitTime(), 0u);
    CVXLSimpleEvent event(77);
    client().post(&job, &event);
    EXPECT_EQ(client().getWaitTime(), 0u);
    driver.tick();
    EXPECT_EQ(job.codes.back(), 77);
    job.stop();
    driver.runUntilIdle();
}

// A started engine left alone sleeps until its next real deadline: the push
// source waits on its socket and the task processor for work, so nothing
// runs on a fixed tick. Over a driven hour, each wake-up is counted.
TEST(VXLClientIdle, AnEngineLeftAloneWakesOnlyForItsDeadlines)
{
    TempDeviceRoot root;
    tessel::push::PushRouter probe;
    ASSERT_TRUE(probe.open(0));
    const std::uint16_t port = probe.port();
    probe.close();
    root.writeDeviceConf("push.port = " + std::to_string(port) + "\n");
    EngineDriver driver(&root);
    ASSERT_TRUE(driver.startUp());
    CVXLClient& client = *driver.client();
    ASSERT_EQ(client.getWapPushSource().boundPort(), port);
    // The start's own waits: the push queue's load, the first expiration pass.
    for (int i = 0; i < 20 && client.getWaitTime() < 60000; ++i)
        ASSERT_TRUE(driver.runToNextTimer());

    constexpr std::uint32_t kHourMs = 3600000;
    std::uint32_t passed = 0;
    int wakes = 0;
    for (;;) {
        const std::uint32_t wait = client.getWaitTime();
        if (wait == kNoDeadline || wait > kHourMs - passed)
            break;
        ASSERT_TRUE(driver.runToNextTimer());
        passed += wait;
        ++wakes;
    }
    EXPECT_EQ(wakes, 0) << "first wait after the start: " << client.getWaitTime();
    EXPECT_EQ(client.getWapPushSource().taken(), 0u);
}

// The dialer is the Client's: it takes the HTTP items of the configuration
// when it starts, reads "int.datacomm_active" at each request, and is the
// last manager to stop.
TEST(VXLClientDialer, StartsWithTheConfigurationAndReadsTheTrafficSwitchLive)
{
    EngineDriver driver;
    ASSERT_TRUE(driver.create());
    CVXLClient& client = *driver.client();
    client.settings().setConfigString(kCfgHttpUserAgent, "Agent/7");
    ASSERT_TRUE(driver.startUp());
    CVXLNetworkDialer& dialer = client.getNetworkDialer();
    EXPECT_TRUE(dialer.isActive());
    ASSERT_NE(nullptr, dialer.settings());
    EXPECT_STREQ("Agent/7", dialer.settings()->userAgent.c_str());
    for (const char* value : {"0", "1", "0"}) {
        SCOPED_TRACE(value);
        client.settings().setPersistentString(kPersDatacommActive, value);
        EXPECT_EQ(*value == '0', dialer.settings()->trafficOff());
    }
    ASSERT_TRUE(driver.shutDown());
    EXPECT_EQ(kHandlerFinished, dialer.runState());
}

} // namespace

// Media references choose previews by the Client's configuration items and
// are started by its Job Runner.
TEST_F(VXLClientTest, MediaReferencesReadTheClientsItemsAndRunUnderItsJobRunner)
{
    ASSERT_TRUE(driver.startUp());
    TraceJob source("source");
    client().getJobRunner().runJob(&source);
    driver.runUntilIdle();
    {
        CVXLMediaRef* ref = new CVXLMediaRef;
        CVXLMediaRefHandle handle(ref);
        // The handle holds the only reference from here.
        ref->release();
        ref->setMimeType("image/jpeg");
        ref->addRendition("a.jpg", "image/jpeg", &source, 100, 100, -1, false);
        ref->addRendition("a.png", "image/png", &source, 80, 80, -1, false);
        struct Case {
            const char* width; // item 17, the preview's widest
            const char* mimeType; // item 20
            const char* chosen;
        } cases[] = {
            {"100", "image/", "a.jpg"},
            {"100", "image/png", "a.png"},
            {"90", "image/", "a.png"},
            {"50", "image/", nullptr},
        };
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.width) + " " + c.mimeType);
            client().settings().setConfigString(kCfgImagePreviewWidth, c.width);
            client().settings().setConfigString(kCfgImagePreviewMimeType, c.mimeType);
            const char* chosen = ref->getRenditionName(CVXLMediaRef::kSizePreview);
            EXPECT_STREQ(chosen ? chosen : "(none)", c.chosen ? c.chosen : "(none)");
        }

        TestDestination observer;
        ref->setSizeClass(CVXLMediaRef::kSizeOriginal);
        ASSERT_EQ(ref->setListener(&observer), 1);
        ASSERT_EQ(ref->submitRequest(), 1);
        driver.runUntilIdle();
        EXPECT_EQ(ref->parent(), &client().getJobRunner());
    }
    driver.runUntilIdle();
    source.stop();
    driver.runUntilIdle();
}
