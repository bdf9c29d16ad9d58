#include "engine/messaging/premium/PremiumInboxManager.h"
#include "engine/core/jobs/VXLEventCodes.h"
#include "engine/core/jobs/VXLResultCodes.h"
#include "engine/core/platform/VXLPlatform.h"
#include "engine/core/platform/VXLPlatformMessageStore.h"
#include "engine/files/VXLFileStoreManager.h"
#include "engine/messaging/premium/PremiumAddRequest.h"
#include "engine/messaging/premium/PremiumDescriptorReader.h"
#include "engine/messaging/premium/PremiumGroupList.h"
#include "engine/messaging/service/MessageServiceRequests.h"
#include "engine/messaging/store/MessageStoreManager.h"
#include "engine/records/VXLInboundRequests.h"
#include "tests/messaging/MessagingTestSupport.h"
#include "tests/support/FileStoreFixture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr std::uint32_t kNow = 1800000000;

// ---------------------------------------------------------------- descriptors

TEST(PremiumDescriptorReader, TakesTheAttributesOfThePremiumElement)
{
    const struct {
        const char* descriptor;
        const char* control;
        const char* id;
        const char* name;
        const char* priority;
        const char* thumbnail;
        bool normal;
    } rows[] = {
        {"<premium control=\"normal\" id=\"c1\" name=\"Sports\" priority=\"5\" thumbnail=\"t/1\"/>", "normal",
            "c1", "Sports", "5", "t/1", true},
        {"<premium control=\"Normal\" name=\"News\"/>", "Normal", "", "News", "", "", true},
        {"<premium control=\"NORMAL\"/>", "NORMAL", "", "", "", "", true},
        {"<premium control=\"delete\" id=\"x\"/>", "delete", "x", "", "", "", false},
        {"<premium control=\"normally\"/>", "normally", "", "", "", "", false},
        // Only inside the premium element; inner elements count, the last wins.
        {"<folder id=\"outer\" name=\"Outer\"><premium name=\"A\"/></folder>", "", "", "A", "", "", true},
        {"<list><premium id=\"a\"/><premium id=\"b\"/></list>", "", "b", "", "", "", true},
        {"<premium id=\"a\"><channel id=\"c\" priority=\"-2\"/></premium>", "", "c", "", "-2", "", true},
        {"<premium name=\"A &amp; B\"/>", "", "", "A & B", "", "", true},
        // Not XML: nothing; cut short: what came before stays.
        {"Weather", "", "", "", "", "", true},
        {"<premium id=\"kept\"><x></premium>", "", "kept", "", "", "", true},
        {"", "", "", "", "", "", true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.descriptor);
        CPremiumDescriptorReader reader;
        reader.read(row.descriptor);
        EXPECT_STREQ(reader.control().c_str(), row.control);
        EXPECT_STREQ(reader.id().c_str(), row.id);
        EXPECT_STREQ(reader.name().c_str(), row.name);
        EXPECT_STREQ(reader.priority().c_str(), row.priority);
        EXPECT_STREQ(reader.thumbnail().c_str(), row.thumbnail);
        EXPECT_EQ(reader.isNormal(), row.normal);
    }
}

// ---------------------------------------------------------------- ordering

// Five groups as added; C has priority 5 and leads in every mode. Ties:
// A and E were created at the same time and have the same latest message,
// B and D the same unread count and latest message.
TEST(PremiumGroupList, OrdersByPriorityThenByTheMode)
{
    struct Group {
        const char* label;
        const char* name;
        std::int32_t priority;
        std::uint32_t unread;
        std::uint32_t created;
        std::uint32_t latest;
    };
    const Group groups[] = {
        {"A", "Delta", CPremiumGroup::kDefaultPriority, 9, 100, 80},
        {"B", "Beta", CPremiumGroup::kDefaultPriority, 7, 120, 70},
        {"C", "Gamma", 5, 0, 300, 10},
        {"D", "Alpha", CPremiumGroup::kDefaultPriority, 7, 50, 70},
        {"E", "Epsilon", CPremiumGroup::kDefaultPriority, 0, 100, 80},
    };
    const struct {
        std::int32_t mode;
        const char* order;
    } rows[] = {
        {CPremiumGroupList::kByName, "CDBAE"},
        {CPremiumGroupList::kByUnread, "CADBE"},
        {CPremiumGroupList::kNewestFirst, "CBEAD"},
        {CPremiumGroupList::kOldestFirst, "CDEAB"},
        {CPremiumGroupList::kLatestMessageFirst, "CEADB"},
        {7, "CABDE"},
        {-1, "CABDE"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.mode);
        std::vector<CPremiumMessageEntry*> entries;
        CPremiumGroupList list(entries);
        for (const Group& given : groups) {
            auto* group = new CPremiumGroup;
            group->groupId = given.label;
            group->name = given.name;
            group->priority = given.priority;
            group->unreadCount = given.unread;
            group->createdTime = given.created;
            list.append(group);
            // An older message first: the latest one decides.
            for (std::uint32_t time : {given.latest / 2, given.latest}) {
                auto* entry = new CPremiumMessageEntry;
                entry->group = group;
                entry->receivedTime = time;
                entries.push_back(entry);
            }
        }
        list.reorder(row.mode);
        std::string order;
        for (std::uint32_t i = 0; i < list.count(); ++i) {
            order += list.at(i)->groupId.c_str();
            EXPECT_EQ(list.at(i)->latestTime, 0u);
        }
        EXPECT_EQ(order, row.order);
        EXPECT_EQ(list.modeApplied(), row.mode);
        for (CPremiumMessageEntry* entry : entries)
            delete entry;
    }
}

// ---------------------------------------------------------------- the manager

struct PremiumServices : CPremiumInboxManager::Services {
    std::uint32_t now = kNow;
    std::int32_t mode = CPremiumGroupList::kByName;
    std::uint32_t nowSeconds() override { return now; }
    std::int32_t orderingMode() override { return mode; }
    CVXLString engineText(std::uint32_t id) override
    {
        return id == CPremiumInboxManager::kTextRecovered     ? "Recovered"
            : id == CPremiumInboxManager::kTextPremiumContent ? "Premium Content"
                                                              : "";
    }
};

struct QuietStore : CMessageStoreManager::Services {
    std::uint32_t messageLimit() override { return 100; }
    void setCounter(const char*, std::uint32_t) override { }
    void setHasNewMessages() override { }
    std::uint32_t nowSeconds() override { return kNow; }
};

class PremiumInboxTest : public ::testing::Test, public FileStoreFixture {
protected:
    PremiumInboxTest()
    {
        files.setFileStore(&store);
        messageStore.setStore(&messages);
        messageStore.setServices(&quiet);
        messageStore.setPremiumInbox(&premium);
        premium.setFileStoreManager(&files);
        premium.setMessageStore(&messageStore);
        premium.setServices(&services);
        premium.setServiceJob(&serviceJob);
        premium.setRequestSender(&requester);
        // The message service job's stand-in fills every id it is given.
        serviceJob.handler = [this](TraceJob& job, CVXLEvent* event) {
            if (event->requestCode() == kServiceRequestListWindow) {
                auto* list = static_cast<CMessageListRequest*>(event);
                std::string ids;
                for (std::uint32_t i = 0; i < list->ids.count(); ++i)
                    ids += (i ? "," : "") + std::string(list->ids.at(static_cast<int>(i)).c_str());
                listed.push_back(ids + " box " + std::to_string(list->boxType));
                list->filled = list->ids.count();
            }
            job.finishEvent(event);
        };
    }
    ~PremiumInboxTest() override
    {
        for (CVXLEventHandler* job : {static_cast<CVXLEventHandler*>(&premium),
                 static_cast<CVXLEventHandler*>(&messageStore), static_cast<CVXLEventHandler*>(&files)}) {
            if (job->isActive())
                job->stop();
            driver.runUntilIdle();
        }
    }

    std::string messageFolder() const
    {
        CVXLString host;
        platformHostPath(messages.folder(), &host);
        return host.c_str();
    }
    // A premium-box message; new ones are listed in "mms.new".
    void seedMessages(const std::vector<std::string>& ids, const std::vector<std::string>& newIds)
    {
        for (const std::string& id : ids) {
            const std::string summary = storedSegment({{"X-QV-From-Address", "5550001"},
                {"X-QV-To-Address-List", "5551111"}, {"X-QV-Folder", "channel"}});
            ASSERT_EQ(writeStoredMessage(root.hostPath("seed.json"), messageFolder() + "/" + id,
                          {summary, storedSegment({})}),
                "");
        }
        std::string json = "[";
        for (std::size_t i = 0; i < newIds.size(); ++i)
            json += (i ? ", \"" : "\"") + newIds[i] + "\"";
        writeHost(root.hostPath("index.json"), json + "]");
        int status = -1;
        msgstore({"index-write", root.hostPath("index.json"), messageFolder() + "/mms.new"}, &status);
        ASSERT_EQ(status, 0);
    }
    void writeState(const std::string& json)
    {
        const TestCommandResult run = testRunCommand("echo '" + json + "' | " + testPython()
            + " '" TESSEL_SOURCE_DIR "/tests/peers/premium_state.py' write '" + hostFile("state.pq") + "'");
        ASSERT_EQ(run.status, 0) << run.output;
    }
    std::string savedState()
    {
        return runPython(
            "'" TESSEL_SOURCE_DIR "/tests/peers/premium_state.py' read '" + hostFile("state.pq") + "'");
    }

    void start()
    {
        driver.attach(&files);
        driver.attach(&messageStore);
        driver.attach(&requester);
        driver.attach(&premium);
        driver.runUntilIdle();
        while (!premium.isLoaded() && driver.runToNextTimer()) { }
        ASSERT_TRUE(premium.isLoaded());
        ASSERT_TRUE(serviceJob.isActive());
    }
    void add(const std::string& id, const std::string& descriptor)
    {
        EXPECT_FALSE(premium.routeMessage(id.c_str(), descriptor.c_str()));
        driver.runUntilIdle();
    }
    std::int32_t send(CVXLEvent& request)
    {
        request.setHeapAllocated(false);
        const std::size_t before = requester.results.size();
        requester.post(&premium, &request);
        driver.runUntilIdle();
        return requester.results.size() > before ? requester.results.back() : -99;
    }
    // The groups in display order: "name id count/unread" each.
    std::string groups()
    {
        std::string out;
        for (std::uint32_t i = 0; const CPremiumGroup* group = premium.groupAt(i); ++i) {
            out += (i ? "; " : "") + std::string(group->name.c_str()) + " " + group->groupId.c_str() + " "
                + std::to_string(group->messageCount) + "/" + std::to_string(group->unreadCount);
        }
        return out;
    }

    CVXLFileStoreManager files;
    CVXLPlatformMessageStore messages;
    QuietStore quiet;
    CMessageStoreManager messageStore;
    PremiumServices services;
    CPremiumInboxManager premium;
    TraceJob serviceJob {"service"};
    TraceJob requester {"requester"};
    std::vector<std::string> listed;
};

TEST_F(PremiumInboxTest, TheManagerIsTheInstanceAndNamesItself)
{
    EXPECT_EQ(CPremiumInboxManager::instance(), &premium);
    EXPECT_STREQ(premium.name(), "PREMIUM Inbox Manager");
}

// What routeMessage answers and the group each descriptor makes.
TEST_F(PremiumInboxTest, DescriptorsMakeGroups)
{
    start();
    const struct {
        const char* descriptor;
        bool refused;
        const char* group; // "name id count/unread" after the add; "" for none
        const char* priority;
    } rows[] = {
        {"<premium control=\"normal\" id=\"c1\" name=\"Sports\" priority=\"5\"/>", false, "Sports c1 1/1",
            "5"},
        {"<premium control=\"Normal\" name=\"News\"/>", false, "News News 1/1", "1610612736"},
        {"<premium id=\"c9\" priority=\"2147483647\"/>", false,
            "<premium id=\"c9\" priority=\"2147483647\"/> c9 1/1", "2147483646"},
        {"Weather", false, "Weather Weather 1/1", "1610612736"},
        {"<premium control=\"delete\" id=\"c1\"/>", true, "", ""},
        {"<premium control=\"hide\"/>", true, "", ""},
        {"", false, "", ""},
    };
    int n = 0;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.descriptor);
        const std::string id = "p1800000000_" + std::to_string(n++);
        const std::uint32_t before = premium.entryCount();
        EXPECT_EQ(premium.routeMessage(id.c_str(), row.descriptor), row.refused);
        driver.runUntilIdle();
        if (!*row.group) {
            EXPECT_EQ(premium.entryCount(), before);
            continue;
        }
        ASSERT_EQ(premium.entryCount(), before + 1);
        const CPremiumMessageEntry* entry = premium.entryAt(before);
        EXPECT_STREQ(entry->messageId.c_str(), id.c_str());
        EXPECT_EQ(entry->receivedTime, kNow);
        EXPECT_NE(groups().find(row.group), std::string::npos) << groups();
        EXPECT_EQ(std::to_string(entry->group->priority), row.priority);
    }
    // Priority 5 first; the orphan group would sort after c9.
    EXPECT_EQ(groups(),
        "Sports c1 1/1; News News 1/1; Weather Weather 1/1; "
        "<premium id=\"c9\" priority=\"2147483647\"/> c9 1/1");
    // A second descriptor for c1 renames it and adds to it.
    add("p1800000001_0", "<premium id=\"c1\" name=\"Football\" thumbnail=\"album/7\"/>");
    EXPECT_EQ(premium.messageCount("Football"), 2u);
    EXPECT_EQ(premium.messageCount("Sports"), 0u);
    EXPECT_EQ(premium.messageCount("Premium Content"), 5u);
    EXPECT_EQ(premium.unreadCount("Premium Content"), 5u);
    EXPECT_EQ(premium.messageCount("Nothing"), 0u);

    // The file as Python reads it.
    const std::string saved = savedState();
    EXPECT_NE(
        saved.find(
            "{\"created\": 1800000000, \"id\": \"c1\", \"name\": \"Football\", \"priority\": 1610612736, "
            "\"thumbnail\": \"album/7\", \"total\": 2}"),
        std::string::npos)
        << saved;
    EXPECT_NE(saved.find("\"priority\": 2147483646"), std::string::npos) << saved;
    EXPECT_NE(
        saved.find("{\"group\": \"c1\", \"id\": \"p1800000001_0\", \"time\": 1800000000}"), std::string::npos)
        << saved;
}

// Only ids of the premium box join, each once.
TEST_F(PremiumInboxTest, AddsOnlyPremiumIdsOnce)
{
    start();
    add("i1800000000_0", "<premium id=\"c1\"/>");
    add("p1800000000_1", "<premium id=\"c1\"/>");
    add("p1800000000_1", "<premium id=\"c1\"/>");
    EXPECT_EQ(premium.entryCount(), 1u);
    EXPECT_EQ(groups(), "<premium id=\"c1\"/> c1 1/1");
}

// Six entries of one group between others': the window from 2 of size 3
// holds the 3rd to 5th newest, filled by the message service job.
TEST_F(PremiumInboxTest, ListWindowsOfTheCurrentGroup)
{
    start();
    for (int i = 1; i <= 6; ++i) {
        add("p1800000000_" + std::to_string(i), "<premium id=\"c1\" name=\"Sports\"/>");
        add("p1800000001_" + std::to_string(i), "<premium id=\"c2\" name=\"News\"/>");
    }
    const struct {
        const char* select; // null: none
        std::uint32_t start;
        std::uint32_t size;
        const char* listed; // what the service job is asked, "" for nothing
        std::uint32_t filled;
        std::uint32_t total;
    } rows[] = {
        {"Sports", 2, 3, "p1800000000_4,p1800000000_3,p1800000000_2 box 4", 3, 6},
        {"Sports", 0, 2, "p1800000000_6,p1800000000_5 box 4", 2, 6},
        {"Sports", 4, 5, "p1800000000_2,p1800000000_1 box 4", 2, 6},
        {"Sports", 6, 3, "", 0, 6},
        {"Sports", 0, 0, "", 0, 6},
        {"News", 5, 1, "p1800000001_1 box 4", 1, 6},
        {"Unknown", 0, 3, "", 0, 0},
        {nullptr, 0, 3, "", 0, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.select ? row.select : "(none)") + " " + std::to_string(row.start) + "/"
            + std::to_string(row.size));
        const CVXLString name(row.select ? row.select : "");
        premium.selectItem(row.select ? &name : nullptr);
        EXPECT_STREQ(premium.currentGroupName().c_str(),
            row.select && std::string(row.select) != "Unknown" ? row.select : "");
        listed.clear();
        CMessageListRequest request(1);
        request.start = row.start;
        request.size = row.size;
        request.total = 99;
        request.filled = 99;
        EXPECT_EQ(send(request), kResultSucceeded);
        EXPECT_EQ(listed.empty() ? "" : listed.front(), row.listed);
        EXPECT_EQ(request.filled, row.filled);
        EXPECT_EQ(request.total, row.total);
    }
}

// Open marks an unread entry read once (in memory) and goes to the message
// service job; remove takes the entry, the group stays until dropped.
TEST_F(PremiumInboxTest, OpenAndRemoveChangeTheCounts)
{
    start();
    add("p1800000000_1", "<premium id=\"c1\" name=\"Sports\"/>");
    add("p1800000000_2", "<premium id=\"c1\" name=\"Sports\"/>");
    add("p1800000000_3", "<premium id=\"c2\" name=\"News\"/>");
    const struct {
        const char* what;
        const char* id;
        const char* groups;
    } rows[] = {
        {"open", "p1800000000_1", "News c2 1/1; Sports c1 2/1"},
        {"open", "p1800000000_1", "News c2 1/1; Sports c1 2/1"},
        {"open", "p9", "News c2 1/1; Sports c1 2/1"},
        {"remove", "p1800000000_1", "News c2 1/1; Sports c1 1/1"},
        {"remove", "p9", "News c2 1/1; Sports c1 1/1"},
        {"remove", "p1800000000_3", "News c2 0/0; Sports c1 1/1"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.what) + " " + row.id);
        serviceJob.codes.clear();
        if (std::string(row.what) == "open") {
            CMessageOpenRequest open(1);
            open.messageId = row.id;
            EXPECT_EQ(send(open), kResultSucceeded);
            EXPECT_EQ(serviceJob.codes, std::vector<std::int32_t> {kInboundRequestOpen});
        } else {
            CStoreDeleteRequest remove(CPremiumInboxManager::kRequestRemove);
            remove.setRequestCode(CPremiumInboxManager::kRequestRemove);
            remove.messageId = row.id;
            send(remove);
        }
        EXPECT_EQ(groups(), row.groups);
    }
    premium.dropEmptyGroups();
    EXPECT_EQ(groups(), "Sports c1 1/1");
    EXPECT_EQ(premium.groupCount(), 1u);
    // The other message requests go to the service job; others end at once.
    serviceJob.codes.clear();
    for (std::int32_t code : {3, 4, 7, static_cast<std::int32_t>(kEventMessageItem), 5, 6, 8, 9}) {
        CVXLEvent request(code, 1);
        send(request);
    }
    EXPECT_EQ(serviceJob.codes, (std::vector<std::int32_t> {3, 4, 7, kEventMessageItem}));
}

// The store deleting a premium message tells the manager (request 38).
TEST_F(PremiumInboxTest, AStoreDeleteRemovesTheEntry)
{
    seedMessages({"p1700000001_0", "p1700000002_0"}, {"p1700000002_0"});
    start();
    EXPECT_EQ(groups(), "Recovered __orphaned_id 2/1");
    CStoreDeleteRequest remove(1);
    remove.messageId = "p1700000001_0";
    requester.post(&messageStore, &remove);
    driver.runUntilIdle();
    EXPECT_EQ(groups(), "Recovered __orphaned_id 1/1");
    EXPECT_EQ(premium.entryCount(), 1u);
}

// At start the saved entries meet the store's premium box: unlisted messages
// are recovered, entries of deleted messages go, an entry whose group the
// file lacks joins "__orphaned_id", read bytes follow "mms.new".
TEST_F(PremiumInboxTest, StartMatchesTheSavedStateWithTheStore)
{
    seedMessages({"p1700000001_0", "p1700000002_0", "p1700000003_0", "p1700000004_0"},
        {"p1700000001_0", "p1700000004_0"});
    writeState(
        "{\"groups\": [{\"id\": \"c1\", \"name\": \"Sports\", \"created\": 5, \"priority\": 3, \"total\": 7},"
        " {\"id\": \"c2\", \"name\": \"Empty\", \"created\": 6}],"
        " \"messages\": [{\"id\": \"p1700000001_0\", \"group\": \"c1\", \"time\": 10},"
        " {\"id\": \"p1700000002_0\", \"group\": \"c1\", \"time\": 11},"
        " {\"id\": \"p1600000000_0\", \"group\": \"c1\", \"time\": 12},"
        " {\"id\": \"p1700000003_0\", \"group\": \"gone\", \"time\": 13}]}");
    start();
    EXPECT_EQ(groups(), "Sports c1 2/1; Recovered __orphaned_id 2/1");
    EXPECT_EQ(premium.entryCount(), 4u);
    const std::string saved = savedState();
    EXPECT_NE(saved.find(
                  "\"id\": \"c1\", \"name\": \"Sports\", \"priority\": 3, \"thumbnail\": \"\", \"total\": 7"),
        std::string::npos)
        << saved;
    EXPECT_NE(saved.find("\"id\": \"__orphaned_id\", \"name\": \"Recovered\", \"priority\": 2147483647"),
        std::string::npos)
        << saved;
    EXPECT_NE(saved.find("{\"group\": \"__orphaned_id\", \"id\": \"p1700000003_0\", \"time\": 13}"),
        std::string::npos)
        << saved;
    EXPECT_NE(saved.find("{\"group\": \"__orphaned_id\", \"id\": \"p1700000004_0\", \"time\": 1800000000}"),
        std::string::npos)
        << saved;
    EXPECT_EQ(saved.find("p1600000000_0"), std::string::npos) << saved;
    EXPECT_EQ(saved.find("\"Empty\""), std::string::npos) << saved;
}

// A message stored and routed while the start still reads the saved lists:
// the match with the store recovers it first, and its add, taken after the
// start, gives it the group it names instead of "__orphaned_id".
TEST_F(PremiumInboxTest, AnAddTakenAfterTheStartRecoveredItsMessageGivesItsGroup)
{
    seedMessages({"p1700000001_0", "p1700000002_0"}, {"p1700000002_0"});
    EXPECT_FALSE(premium.routeMessage("p1700000002_0", "<premium id=\"c1\" name=\"Sports\"/>"));
    start();
    driver.runUntilIdle();
    EXPECT_EQ(groups(), "Sports c1 1/1; Recovered __orphaned_id 1/0");
    EXPECT_EQ(premium.entryCount(), 2u);
    const std::string saved = savedState();
    EXPECT_NE(saved.find("{\"group\": \"c1\", \"id\": \"p1700000002_0\""), std::string::npos) << saved;
    EXPECT_NE(saved.find("\"id\": \"c1\", \"name\": \"Sports\""), std::string::npos) << saved;
}

// A state file that is not whole is not loaded: every premium message is
// recovered, and the file is replaced by a whole one.
TEST_F(PremiumInboxTest, ADamagedStateFileIsRebuiltFromTheStore)
{
    const std::string whole = "{\"groups\": [{\"id\": \"c1\", \"name\": \"Sports\"}],"
                              " \"messages\": [{\"id\": \"p1700000001_0\", \"group\": \"c1\"}]";
    const struct {
        const char* what;
        std::string json;
    } rows[] = {
        {"format 9", whole + ", \"format\": 9}"},
        {"group count past the end", whole + ", \"groupCount\": 1000000}"},
        {"message count past the end", whole + ", \"messageCount\": 2}"},
        {"bytes after the end", whole + ", \"tail\": \"00\"}"},
        {"a string past the end", whole + ", \"messageCount\": 2, \"tail\": \"ffffff7f\"}"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        seedMessages({"p1700000001_0"}, {});
        writeState(row.json);
        const std::string damaged = readHostFile("state.pq");
        std::remove(hostFile("state.pq.bad").c_str());
        CPremiumInboxManager fresh;
        fresh.setFileStoreManager(&files);
        fresh.setMessageStore(&messageStore);
        fresh.setServices(&services);
        if (!files.isActive()) {
            driver.attach(&files);
            driver.attach(&messageStore);
        }
        driver.attach(&fresh);
        driver.runUntilIdle();
        while (!fresh.isLoaded() && driver.runToNextTimer()) { }
        ASSERT_EQ(fresh.groupCount(), 1u);
        EXPECT_STREQ(fresh.groupAt(0)->groupId.c_str(), "__orphaned_id");
        EXPECT_EQ(fresh.entryCount(), 1u);
        fresh.stop();
        driver.runUntilIdle();
        EXPECT_NE(
            savedState().find("{\"group\": \"__orphaned_id\", \"id\": \"p1700000001_0\""), std::string::npos);
        // A damaged file of this format is kept aside before the save.
        const bool otherFormat = std::string(row.what) == "format 9";
        EXPECT_EQ(hostFileExists("state.pq.bad"), !otherFormat);
        if (!otherFormat) {
            EXPECT_EQ(readHostFile("state.pq.bad"), damaged);
        }
    }
}

// The bytes of a saved state read back the same; cut anywhere they are refused.
TEST_F(PremiumInboxTest, SavedBytesReadBackAndEveryCutIsRefused)
{
    start();
    add("p1800000000_1", "<premium id=\"c1\" name=\"Sports\" thumbnail=\"x\" priority=\"-4\"/>");
    add("p1800000000_2", "<premium id=\"c2\"/>");
    CVXLByteBuffer bytes;
    premium.serialise(bytes);
    CPremiumInboxManager copy;
    ASSERT_TRUE(copy.parse(bytes));
    CVXLByteBuffer again;
    copy.serialise(again);
    EXPECT_EQ(stringOf(again), stringOf(bytes));
    EXPECT_EQ(stringOf(bytes), readHostFile("state.pq"));
    for (std::uint32_t cut = 0; cut < bytes.length(); ++cut) {
        CVXLByteBuffer part;
        part.append(bytes.data(), cut);
        CPremiumInboxManager other;
        EXPECT_FALSE(other.parse(part)) << cut;
        EXPECT_EQ(other.entryCount(), 0u);
    }
}

// Ordering follows configuration item 51 when it changes.
TEST_F(PremiumInboxTest, GroupsFollowTheOrderingMode)
{
    start();
    services.now = 100;
    add("p1800000000_1", "<premium id=\"b\" name=\"Beta\"/>");
    services.now = 200;
    add("p1800000000_2", "<premium id=\"a\" name=\"Alpha\"/>");
    EXPECT_EQ(groups(), "Alpha a 1/1; Beta b 1/1");
    services.mode = CPremiumGroupList::kOldestFirst;
    EXPECT_EQ(groups(), "Beta b 1/1; Alpha a 1/1");
}

// A stop that comes while a save is out waits for it.
TEST_F(PremiumInboxTest, TheStopWaitsForTheSaveUnderWay)
{
    start();
    premium.routeMessage("p1800000000_1", "<premium id=\"c1\"/>");
    driver.runUntilIdle(1);
    ASSERT_EQ(premium.entryCount(), 1u);
    premium.stop();
    driver.runUntilIdle();
    EXPECT_EQ(premium.runState(), kHandlerFinished);
    const std::string saved = savedState();
    EXPECT_NE(saved.find("p1800000000_1"), std::string::npos) << saved;
}

} // namespace
