#include "engine/client/VXLClient.h"

#include "engine/client/KORVClientServices.h"
#include "engine/client/program/KORVAlbumSummaryRequest.h"
#include "engine/core/base/VXLByteStream.h"
#include "engine/core/base/VXLLog.h"
#include "engine/core/platform/VXLPlatformMediaSource.h"
#include "engine/core/settings/VXLPersKeys.h"
#include "tests/messaging/MessagingTestSupport.h"
#include "tests/support/EngineDriver.h"
#include "tests/support/JobTreeDriver.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr const char* kStoreFolder = "Application Data/Tessel/";

std::string storePath(const char* name)
{
    return std::string(kStoreFolder) + name;
}

std::string setting(CVXLClient& client, const char* key)
{
    CVXLString out;
    client.settings().getPersistentString(key, &out);
    return out.c_str();
}

// Ticked one job-tree step at a time, the Client passes through its states in
// order; each row holds when its state is first seen. StartingScenarioManager,
// StartingDialer and StoppingScenarioManager end within the step that enters
// them.
TEST(VXLClientLifecycle, TicksPassTheStatesInOrder)
{
    TempDeviceRoot root;
    CVXLPersStore stored;
    stored.set(kPersItemShare, "1");
    CVXLByteStream image;
    stored.save(image);
    ASSERT_TRUE(root.writeFile(
        storePath("_vxl.reg"), std::string(reinterpret_cast<const char*>(image.data()), image.length())));
    ASSERT_TRUE(root.writeFile(storePath("_vxl.run"), "\x02"));
    EngineDriver driver(&root);
    ASSERT_TRUE(driver.create());
    driver.clock().autoAdvance = CVXLClient::kTickSliceMs;
    CVXLClient& client = *driver.client();

    using State = CVXLClient::State;
    struct Row {
        State state;
        const char* name;
        const char* fact;
        std::function<bool()> holds;
        // Entered and left inside one tick, so a tick may not show it.
        bool mayPassWithinATick = false;
    };
    const Row rows[] = {
        {State::StartingFileStore, "StartingFileStore", "nothing read yet",
            [&] { return setting(client, kPersItemShare).empty(); }},
        {State::ReadingSettings, "ReadingSettings", "the file store has started",
            [&] { return client.getFileStoreManager().isActive(); }},
        {State::ReadingRunMarker, "ReadingRunMarker", "the settings are loaded, the runs not yet counted",
            [&] {
                return setting(client, kPersItemShare) == "1"
                    && setting(client, kPersShutdownFailCount).empty();
            }},
        {State::WritingRunMarker, "WritingRunMarker", "two runs ended without a clean shut-down",
            [&] { return setting(client, kPersShutdownFailCount) == "2"; }},
        {State::LoadingScenario, "LoadingScenario", "the marker counts this run too",
            [&] { return root.readFile(storePath("_vxl.run")) == "\x03" && client.scenarioPending(); }},
        {State::Running, "Running", "the members run",
            [&] {
                return client.membersStarted() && client.getNetworkDialer().isActive()
                    && client.getJobRunner().isActive() && client.getProducer().isActive()
                    && client.getVraxJob().isActive() && client.getThreadDB().isActive()
                    && client.getMessageStoreManager().isActive() && client.getWapPushQueue().isActive()
                    && client.getWapPushSource().isActive() && client.getLocalMediaManager().isActive()
                    && client.getOnlineMediaManager().isActive() && client.getMediaStoreManager().isActive()
                    && client.getMediaAccessManager().isActive()
                    && CMediaAccessManager::instance() == &client.getMediaAccessManager()
                    && client.getBackgroundUploadManager().isActive()
                    && client.getMediaUploadManager().isActive()
                    && CMediaUploadManager::instance() == &client.getMediaUploadManager()
                    && CBackgroundUploadManager::instance() == &client.getBackgroundUploadManager()
                    && client.getInboundMessageManager().isActive()
                    && client.getOutboundQueueManager().isActive() && client.getMessageServiceJob().isActive()
                    && client.getInboundMessageManager().taskProcessor().processorCount() == 5
                    && client.getPremiumInboxManager().isActive() && client.getExpirationJob().isActive()
                    && setting(client, kPersVraxMdnChanged) == "false";
            }},
        {State::StoppingProducer, "StoppingProducer", "the Producer is stopping",
            [&] { return client.getProducer().stopRequested() && client.getJobRunner().isActive(); }},
        {State::StoppingServiceJob, "StoppingServiceJob",
            "the Producer has ended, the message service job stops before the managers it posts to",
            [&] {
                return client.getProducer().runState() == kHandlerFinished
                    && client.getMessageServiceJob().stopRequested()
                    && !client.getInboundMessageManager().stopRequested();
            },
            true},
        {State::StoppingInboundManager, "StoppingInboundManager",
            "the message service job has ended, the inbound manager stops before the message store it posts "
            "to",
            [&] {
                return client.getMessageServiceJob().runState() == kHandlerFinished
                    && client.getInboundMessageManager().stopRequested()
                    && !client.getMessageStoreManager().stopRequested();
            },
            true},
        {State::StoppingExpirationJob, "StoppingExpirationJob",
            "the inbound manager has ended, the expiration job stops before the message store it reads",
            [&] {
                return client.getInboundMessageManager().runState() == kHandlerFinished
                    && client.getExpirationJob().stopRequested()
                    && !client.getPremiumInboxManager().stopRequested()
                    && !client.getMessageStoreManager().stopRequested();
            },
            true},
        {State::StoppingPremiumInbox, "StoppingPremiumInbox",
            "the expiration job has ended, the premium inbox stops before the message store that tells it",
            [&] {
                return client.getExpirationJob().runState() == kHandlerFinished
                    && client.getPremiumInboxManager().stopRequested()
                    && !client.getMessageStoreManager().stopRequested();
            },
            true},
        {State::StoppingMessageStore, "StoppingMessageStore",
            "the inbound manager and the premium inbox have ended, the message store stops before the thread "
            "database",
            [&] {
                return client.getInboundMessageManager().runState() == kHandlerFinished
                    && client.getPremiumInboxManager().runState() == kHandlerFinished
                    && client.getMessageStoreManager().stopRequested()
                    && !client.getThreadDB().stopRequested();
            },
            true},
        {State::StoppingThreadDB, "StoppingThreadDB", "the Producer has ended, the thread database is saving",
            [&] {
                return client.getProducer().runState() == kHandlerFinished
                    && client.getThreadDB().stopRequested() && !client.getScenarioManager().stopRequested();
            }},
        {State::StoppingOutboundQueue, "StoppingOutboundQueue",
            "the thread database has ended, the outbound queue stops while the file store runs",
            [&] {
                return client.getThreadDB().runState() == kHandlerFinished
                    && client.getOutboundQueueManager().stopRequested()
                    && client.getFileStoreManager().isActive() && !client.getWapPushQueue().stopRequested();
            },
            true},
        {State::StoppingWapPushQueue, "StoppingWapPushQueue",
            "the outbound queue has ended, the push source and the push queue are stopping",
            [&] {
                return client.getOutboundQueueManager().runState() == kHandlerFinished
                    && client.getWapPushSource().stopRequested() && client.getWapPushQueue().stopRequested()
                    && client.getFileStoreManager().isActive() && !client.getJobRunner().stopRequested();
            },
            true},
        {State::StoppingBackgroundUpload, "StoppingBackgroundUpload",
            "the push queue has ended, the background upload stops before the managers it posts to",
            [&] {
                return client.getWapPushQueue().runState() == kHandlerFinished
                    && client.getBackgroundUploadManager().stopRequested()
                    && !client.getMediaUploadManager().stopRequested()
                    && client.getFileStoreManager().isActive();
            },
            true},
        {State::StoppingMediaUpload, "StoppingMediaUpload",
            "the background upload has ended, the media upload stops before the media managers",
            [&] {
                return client.getBackgroundUploadManager().runState() == kHandlerFinished
                    && client.getMediaUploadManager().stopRequested()
                    && !client.getJobRunner().stopRequested() && client.getLocalMediaManager().isActive();
            },
            true},
        {State::StoppingJobRunner, "StoppingJobRunner",
            "the push queue has ended, the Scenario Manager is stopping",
            [&] {
                return client.getWapPushQueue().runState() == kHandlerFinished
                    && client.getScenarioManager().stopRequested() && client.getJobRunner().stopRequested();
            },
            true},
        {State::StoppingVraxJob, "StoppingVraxJob", "the Job Runner has ended, the VRAX job is stopping",
            [&] {
                return client.getJobRunner().runState() == kHandlerFinished
                    && client.getVraxJob().stopRequested() && client.getNetworkDialer().isActive();
            },
            true},
        {State::StoppingMediaAccess, "StoppingMediaAccess",
            "the VRAX job has ended, the Media Access Manager stops before the media managers it posts to",
            [&] {
                return client.getVraxJob().runState() == kHandlerFinished
                    && client.getMediaAccessManager().stopRequested()
                    && !client.getLocalMediaManager().stopRequested();
            },
            true},
        {State::StoppingLocalMedia, "StoppingLocalMedia",
            "the Media Access Manager has ended, the local media manager is stopping",
            [&] {
                return client.getMediaAccessManager().runState() == kHandlerFinished
                    && client.getLocalMediaManager().stopRequested()
                    && client.getMediaStoreManager().isActive();
            },
            true},
        {State::StoppingOnlineMedia, "StoppingOnlineMedia",
            "the local media manager has ended, the online media manager is stopping",
            [&] {
                return client.getLocalMediaManager().runState() == kHandlerFinished
                    && client.getOnlineMediaManager().stopRequested()
                    && client.getMediaStoreManager().isActive();
            },
            true},
        {State::StoppingMediaStore, "StoppingMediaStore",
            "the online media manager has ended, the media store manager is stopping",
            [&] {
                return client.getOnlineMediaManager().runState() == kHandlerFinished
                    && client.getMediaStoreManager().stopRequested() && client.getNetworkDialer().isActive();
            },
            true},
        {State::StoppingDialer, "StoppingDialer", "the media managers have ended, the dialer is stopping",
            [&] {
                return client.getMediaStoreManager().runState() == kHandlerFinished
                    && client.getVraxJob().runState() == kHandlerFinished
                    && client.getNetworkDialer().stopRequested();
            }},
        {State::DeletingRunMarker, "DeletingRunMarker", "the dialer has ended, the thread database is saved",
            [&] {
                return client.getNetworkDialer().runState() == kHandlerFinished
                    && root.readFile(storePath("threaddb.run")) == "\x02"
                    && root.exists(storePath("thread2.db")) && !root.exists(storePath("thread1.db"));
            }},
        {State::StoppingFileStore, "StoppingFileStore", "the marker is gone",
            [&] {
                return !root.exists(storePath("_vxl.run")) && client.getFileStoreManager().stopRequested();
            }},
        {State::Terminated, "Terminated", "every tick answers terminated",
            [&] {
                return client.runState() == kHandlerFinished && driver.tick() == CVXLClient::kTickTerminated;
            }},
    };

    std::vector<std::string> seen;
    State last = State::Terminated;
    auto look = [&] {
        if (!seen.empty() && last == client.state())
            return;
        last = client.state();
        seen.push_back("state " + std::to_string(static_cast<int>(last)));
        for (const Row& row : rows) {
            if (row.state == last) {
                seen.back() = row.name;
                EXPECT_TRUE(row.holds()) << row.name << ": " << row.fact;
            }
        }
    };
    look();
    for (int i = 0; i < 1000 && !client.membersStarted(); ++i) {
        driver.tick();
        look();
    }
    client.requestShutdown();
    for (int i = 0; i < 1000 && client.state() != State::Terminated; ++i) {
        driver.tick();
        look();
    }
    std::vector<std::string> expected;
    for (const Row& row : rows) {
        if (!row.mayPassWithinATick || std::find(seen.begin(), seen.end(), row.name) != seen.end())
            expected.push_back(row.name);
    }
    EXPECT_EQ(seen, expected);
}

TEST(VXLClientStartUp, FirstStartWritesTheRunMarkerAndStartsTheMembers)
{
    EngineDriver driver;
    ASSERT_TRUE(driver.startUp());
    CVXLClient& client = *driver.client();
    EXPECT_EQ(setting(client, kPersShutdownFailCount), "0");
    EXPECT_EQ(driver.root().readFile(storePath("_vxl.run")), std::string("\x01", 1));
    EXPECT_EQ(setting(client, kPersVraxMdnChanged), "false");
    EXPECT_TRUE(client.getFileStoreManager().isActive());
    EXPECT_TRUE(client.getJobRunner().isActive());
    EXPECT_FALSE(client.settings().store().isDirty());
    // Nothing under "pers." changed, so no settings file is written.
    driver.runUntilIdle();
    // The media store manager has the phone's and the card's stores, the
    // local media manager serves them.
    EXPECT_EQ(client.getMediaStoreManager().getStoreCount(), 2u);
    EXPECT_EQ(CVXLMediaStoreManager::instance(), &client.getMediaStoreManager());
    EXPECT_TRUE(client.getLocalMediaManager().isActive());
    EXPECT_FALSE(driver.root().exists(storePath("_vxl.reg")));
}

// The message store starts with the members: on a fresh device root it
// makes its indexes and writes its counters.
// The scenario's album summary (code 119) reaches the started engine's
// local media manager and is answered with the phone store's one album: its
// pictures and videos counted, its sounds not.
TEST(VXLClientStartUp, TheLocalMediaManagerAnswersTheAlbumSummary)
{
    EngineDriver driver;
    for (const char* name : {"Beach.jpg", "Trip/clip.3gp", "memo.amr"})
        ASSERT_TRUE(driver.root().writeFile(std::string("My Documents/My Pictures/") + name, "media"));
    ASSERT_TRUE(driver.startUp());
    driver.runUntilIdle();
    CVXLClient& client = *driver.client();
    TraceJob asker("asker");
    client.startChild(&asker);
    CKORVAlbumSummaryRequest summary(
        vxlPackLocation(CVXLPlatformMediaSource::kStoreId, CVXLPlatformMediaSource::kStoreKind));
    CKORVClientServices services(&client);
    ASSERT_EQ(services.localMediaManager(), &client.getLocalMediaManager());
    asker.post(services.localMediaManager(), &summary);
    driver.runUntilIdle();
    EXPECT_FALSE(summary.isBusy());
    EXPECT_EQ(summary.result(), 0);
    EXPECT_EQ(summary.itemCount(), 2u);
    EXPECT_STREQ(summary.album().name().c_str(), "My Media");
    asker.stop();
    driver.runUntilIdle();
}

TEST(VXLClientStartUp, TheMessageStoreLoadsAFreshStore)
{
    EngineDriver driver;
    ASSERT_TRUE(driver.startUp());
    driver.runUntilIdle();
    CVXLClient& client = *driver.client();
    EXPECT_TRUE(client.getMessageStoreManager().loaded());
    const std::string messages = "Storage Card/Tessel/Messages/";
    EXPECT_EQ(driver.root().readFile(messages + "mms.notyet"), std::string("mms.new\0mms.notyet\0", 19));
    EXPECT_TRUE(driver.root().exists(messages + "mms.new"));
    for (const char* key : {kPersInboxNewCount, kPersInboxTotalCount, kPersPremiumNewCount,
             kPersPremiumTotalCount, kPersSentTotalCount})
        EXPECT_EQ(setting(client, key), "0") << key;
    EXPECT_EQ(setting(client, kPersMessageStoreUsage), "19");
}

// The premium inbox exists with the Client; at start a premium message that
// "state.pq" does not list is shown under "Recovered" and saved, and the
// expiration job waits for its first pass.
TEST(VXLClientStartUp, ThePremiumInboxRecoversUnlistedMessages)
{
    TempDeviceRoot root;
    const std::string messages = "Storage Card/Tessel/Messages/";
    std::filesystem::create_directories(root.hostPath(messages));
    const std::string summary = storedSegment(
        {{"X-QV-From-Address", "5550001"}, {"X-QV-To-Address-List", "5551111"}, {"X-QV-Folder", "channel"}});
    ASSERT_EQ(writeStoredMessage(root.hostPath("seed.json"), root.hostPath(messages + "p1700000001_0"),
                  {summary, storedSegment({})}),
        "");
    EngineDriver driver(&root);
    ASSERT_TRUE(driver.startUp());
    CVXLClient& client = *driver.client();
    EXPECT_EQ(CPremiumInboxManager::instance(), &client.getPremiumInboxManager());
    for (int i = 0; i < 10 && !client.getPremiumInboxManager().isLoaded(); ++i)
        driver.runToNextTimer();
    CPremiumInboxManager& premium = client.getPremiumInboxManager();
    ASSERT_TRUE(premium.isLoaded());
    ASSERT_EQ(premium.groupCount(), 1u);
    EXPECT_STREQ(premium.groupAt(0)->name.c_str(), "Recovered");
    EXPECT_EQ(premium.messageCount("Premium Content"), 1u);
    // Not listed in "mms.new": read.
    EXPECT_EQ(premium.unreadCount("Recovered"), 0u);
    const TestCommandResult saved
        = testRunCommand(testPython() + " '" TESSEL_SOURCE_DIR "/tests/peers/premium_state.py' read '"
            + root.hostPath(storePath("state.pq")) + "'");
    EXPECT_NE(saved.output.find("\"id\": \"p1700000001_0\""), std::string::npos) << saved.output;
    EXPECT_TRUE(client.getExpirationJob().timerArmed());
}

TEST(VXLClientStartUp, RunMarkerCountsRunsWithoutACleanShutdown)
{
    struct Case {
        const char* what;
        bool present;
        std::string marker;
        const char* count;
        std::string rewritten;
    };
    const Case cases[] = {
        {"missing", false, "", "0", std::string("\x01", 1)},
        {"three", true, "\x03", "3", "\x04"},
        {"empty", true, "", "1", "\x02"},
        {"zero", true, std::string("\x00", 1), "1", "\x02"},
        {"wraps", true, "\xff\x07", "255", std::string("\x00", 1)},
    };
    for (const Case& c : cases) {
        TempDeviceRoot root;
        if (c.present) {
            ASSERT_TRUE(root.writeFile(storePath("_vxl.run"), c.marker));
        }
        EngineDriver driver(&root);
        ASSERT_TRUE(driver.startUp()) << c.what;
        EXPECT_EQ(setting(*driver.client(), kPersShutdownFailCount), c.count) << c.what;
        EXPECT_EQ(root.readFile(storePath("_vxl.run")), c.rewritten) << c.what;
    }
}

TEST(VXLClientStartUp, SecondStartAfterACrashCountsIt)
{
    TempDeviceRoot root;
    {
        EngineDriver first(&root);
        ASSERT_TRUE(first.startUp());
        // Destroyed without a shut-down: the run marker stays behind.
    }
    {
        EngineDriver second(&root);
        ASSERT_TRUE(second.startUp());
        EXPECT_EQ(setting(*second.client(), kPersShutdownFailCount), "1");
        EXPECT_EQ(root.readFile(storePath("_vxl.run")), "\x02");
        EXPECT_TRUE(second.shutDown());
    }
    EngineDriver third(&root);
    ASSERT_TRUE(third.startUp());
    EXPECT_EQ(setting(*third.client(), kPersShutdownFailCount), "0");
}

TEST(VXLClientStartUp, SettingsFileIsLoadedAndTheIdentityChecked)
{
    struct Case {
        const char* what;
        bool keyMatches;
        const char* idAfter;
    };
    const Case cases[] = {
        {"identity of this configuration", true, "phone-1"},
        {"identity of another configuration", false, ""},
    };
    for (const Case& c : cases) {
        TempDeviceRoot root;
        CVXLString key;
        {
            // The identity key of the default configuration.
            CVXLClientSettings defaults;
            defaults.writeConfigDefaults();
            key = defaults.buildIdHashKey();
        }
        CVXLPersStore stored;
        stored.set(kPersItemShare, "1");
        stored.set(kPersVraxId, "phone-1");
        stored.set(kPersVraxIdHashKey, c.keyMatches ? key : CVXLString("old key"));
        CVXLByteStream image;
        stored.save(image);
        ASSERT_TRUE(root.writeFile(
            storePath("_vxl.reg"), std::string(reinterpret_cast<const char*>(image.data()), image.length())));

        EngineDriver driver(&root);
        ASSERT_TRUE(driver.startUp()) << c.what;
        CVXLClient& client = *driver.client();
        EXPECT_EQ(setting(client, kPersItemShare), "1") << c.what;
        EXPECT_EQ(setting(client, kPersVraxId), c.idAfter) << c.what;
        driver.runUntilIdle();
        EXPECT_FALSE(client.settings().store().isDirty()) << c.what;

        // What is on disk now is what the store holds.
        CVXLPersStore reread;
        const std::string bytes = root.readFile(storePath("_vxl.reg"));
        CVXLByteBuffer buffer;
        buffer.append(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
        CVXLByteStream reader(buffer);
        reread.load(reader);
        CVXLString id;
        reread.get(kPersVraxId, &id);
        EXPECT_STREQ(id.c_str(), c.idAfter) << c.what;
    }
}

TEST(VXLClientShutDown, RunsTheWholeChainAndSavesTheSettings)
{
    EngineDriver driver;
    ASSERT_TRUE(driver.startUp());
    CVXLClient& client = *driver.client();
    client.settings().setPersistentString(kPersMediaBrowse, "1");
    driver.tick();
    ASSERT_TRUE(driver.shutDown());
    EXPECT_EQ(client.runState(), kHandlerFinished);
    EXPECT_EQ(client.getJobRunner().runState(), kHandlerFinished);
    EXPECT_EQ(client.getFileStoreManager().runState(), kHandlerFinished);
    EXPECT_FALSE(driver.root().exists(storePath("_vxl.run")));
    EXPECT_NE(
        driver.root().readFile(storePath("_vxl.reg")).find("root.pers.media_browse"), std::string::npos);
    EXPECT_EQ(driver.tick(), CVXLClient::kTickTerminated);
    EXPECT_EQ(driver.tick(), CVXLClient::kTickTerminated);
    EXPECT_EQ(driver.factory().liveMediaSources(), 0);
}

// A change made at any point of the shut-down reaches the file: the last
// one is written before the File Store Manager stops.
TEST(VXLClientShutDown, TheLastChangeBeforeTheEndIsSaved)
{
    EngineDriver driver;
    ASSERT_TRUE(driver.startUp());
    CVXLClient& client = *driver.client();
    client.requestShutdown();
    std::string last;
    for (int n = 0; n < 1000 && client.runState() != kHandlerFinished; ++n) {
        last = "v" + std::to_string(n);
        client.settings().setPersistentString(kPersMediaBrowse, last.c_str());
        driver.tick();
    }
    ASSERT_EQ(client.runState(), kHandlerFinished);
    const std::string image = driver.root().readFile(storePath("_vxl.reg"));
    EXPECT_NE(image.find(last + '\0'), std::string::npos) << "last value " << last;
}

TEST(VXLClientShutDown, OpenConnectionsHoldItBackOnlyForTheCountdown)
{
    EngineDriver driver;
    ASSERT_TRUE(driver.startUp());
    CVXLClient& client = *driver.client();
    client.settings().setPersistentString(kPersNetSessions, "3");
    client.requestShutdown();
    for (int i = 0; i < CVXLClient::kShutdownCountdown - 1; ++i)
        ASSERT_NE(driver.tick(), CVXLClient::kTickTerminated) << i;
    EXPECT_TRUE(client.getJobRunner().isActive());
    EXPECT_EQ(client.shutdownCountdown(), 1);
    int ticks = 0;
    while (driver.tick() != CVXLClient::kTickTerminated && ticks < 100)
        ++ticks;
    EXPECT_LT(ticks, 100);
    EXPECT_FALSE(driver.root().exists(storePath("_vxl.run")));
}

TEST(VXLClientShutDown, ShutdownRequestedDuringStartUpStillEnds)
{
    EngineDriver driver;
    ASSERT_TRUE(driver.create());
    driver.client()->requestShutdown();
    int ticks = 0;
    while (driver.tick() != CVXLClient::kTickTerminated && ticks < 1000)
        ++ticks;
    EXPECT_LT(ticks, 1000);
    EXPECT_FALSE(driver.root().exists(storePath("_vxl.run")));
}

TEST(VXLClientSettingsSave, AFailedWriteIsRetriedUntilItSucceeds)
{
    EngineDriver driver;
    ASSERT_TRUE(driver.startUp());
    CVXLClient& client = *driver.client();
    // A folder in the file's place makes every write of it fail.
    const std::string path = driver.storeFile("_vxl.reg");
    ASSERT_EQ(::mkdir(path.c_str(), 0700), 0);
    client.settings().setPersistentString(kPersAccountMgmt, "1");
    for (int i = 0; i < 5; ++i)
        driver.tick();
    EXPECT_TRUE(client.settings().store().isDirty());
    ASSERT_EQ(::rmdir(path.c_str()), 0);
    driver.runUntilIdle();
    EXPECT_FALSE(client.settings().store().isDirty());
    EXPECT_NE(
        driver.root().readFile(storePath("_vxl.reg")).find("root.pers.account_mgmt"), std::string::npos);
}

std::string goodImage()
{
    CVXLPersStore stored;
    stored.set(kPersItemShare, "1");
    stored.set(kPersVraxId, "phone-1");
    stored.set(kPersMediaBrowse, "7");
    CVXLByteStream image;
    stored.save(image);
    return std::string(reinterpret_cast<const char*>(image.data()), image.length());
}

// A damaged settings file loads what can be read, is copied aside before any
// save, and a later save never leaves the only copy of the lost pairs gone.
TEST(VXLClientDamagedSettings, ADamagedFileIsKeptAsideBeforeASaveReplacesIt)
{
    const std::string good = goodImage();
    std::string wrongFormat = good;
    wrongFormat[0] = 11;
    struct Case {
        const char* what;
        std::string bytes;
        const char* itemShare; // what loads
        const char* log; // the log line names the damage
    } cases[] = {
        {"cut inside the last pair", good.substr(0, good.size() - 3), "1", "damaged at byte"},
        {"unknown format byte", wrongFormat, "", "no format byte"},
        {"garbage", std::string("\x0a\xff\xff\xff\x7f garbage", 10), "", "damaged at byte"},
        {"bytes after the last pair", good + "xx", "1", "damaged at byte"},
        {"empty", "", "", "no format byte"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDeviceRoot root;
        ASSERT_TRUE(root.writeFile(storePath("_vxl.reg"), c.bytes));
        EngineDriver driver(&root);
        ASSERT_TRUE(driver.startUp());
        CVXLClient& client = *driver.client();
        EXPECT_EQ(setting(client, kPersItemShare), c.itemShare);
        EXPECT_EQ(root.readFile(storePath("_vxl.reg.bad")), c.bytes) << "kept aside as read";
        CVXLLog::flush();
        const std::string log = root.readFile("log/engine.log");
        EXPECT_NE(log.find(c.log), std::string::npos) << log;
        EXPECT_NE(log.find("kept as _vxl.reg.bad"), std::string::npos) << log;

        // A change saves what loaded; the copy stays.
        client.settings().setPersistentString(kPersNetSessions, "3");
        driver.tick();
        driver.runUntilIdle();
        EXPECT_NE(root.readFile(storePath("_vxl.reg")), c.bytes);
        EXPECT_EQ(root.readFile(storePath("_vxl.reg.bad")), c.bytes);
    }
}

TEST(VXLClientDamagedSettings, AnIntactFileLeavesNoCopyAndNoLogLine)
{
    TempDeviceRoot root;
    ASSERT_TRUE(root.writeFile(storePath("_vxl.reg"), goodImage()));
    EngineDriver driver(&root);
    ASSERT_TRUE(driver.startUp());
    EXPECT_EQ(setting(*driver.client(), kPersMediaBrowse), "7");
    EXPECT_FALSE(root.exists(storePath("_vxl.reg.bad")));
    CVXLLog::flush();
    EXPECT_EQ(root.readFile("log/engine.log").find("settings:"), std::string::npos);
}

// Without the copy the store must not be saved over the damaged file.
TEST(VXLClientDamagedSettings, WithoutACopyTheDamagedFileIsNeverReplaced)
{
    TempDeviceRoot root;
    const std::string cut = goodImage().substr(0, 30);
    ASSERT_TRUE(root.writeFile(storePath("_vxl.reg"), cut));
    // A folder in the copy's place: the copy cannot be made.
    root.makeFolder(storePath("_vxl.reg.bad/x").c_str());
    EngineDriver driver(&root);
    ASSERT_TRUE(driver.startUp());
    CVXLClient& client = *driver.client();
    client.settings().setPersistentString(kPersNetSessions, "3");
    driver.tick();
    driver.runUntilIdle();
    EXPECT_EQ(root.readFile(storePath("_vxl.reg")), cut);
    CVXLLog::flush();
    EXPECT_NE(root.readFile("log/engine.log").find("saves held"), std::string::npos);
}

} // namespace
