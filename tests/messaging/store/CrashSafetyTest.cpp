#include "engine/core/platform/VXLPlatformMessageStore.h"
#include "engine/core/settings/VXLPersKeys.h"
#include "engine/messaging/store/MessageStoreManager.h"
#include "tests/messaging/MessagingTestSupport.h"
#include "tests/messaging/store/PushQueueCrashRound.h"
#include "tests/messaging/store/ThreadStoreCrashRound.h"
#include "tests/messaging/store/ToolKill.h"
#include "tests/support/FileStoreFixture.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <map>
#include <random>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <utility>
#include <vector>

namespace {

// What a tool's journal says of its messages, one "what id" per line. A
// "sending" of a message whose delete had ended is kept apart: it must
// never happen.
struct Journal {
    std::set<std::string> stored;
    std::set<std::string> deleting;
    std::set<std::string> deleted;
    std::vector<std::string> sentAfterDelete;

    void add(const std::string& text)
    {
        std::istringstream lines(text);
        std::string line;
        while (std::getline(lines, line)) {
            const std::size_t space = line.find(' ');
            if (space == std::string::npos)
                continue;
            const std::string what = line.substr(0, space);
            const std::string id = line.substr(space + 1);
            if (what == "stored")
                stored.insert(id);
            else if (what == "deleting")
                deleting.insert(id);
            else if (what == "deleted")
                deleted.insert(id);
            else if (what == "sending" && deleted.count(id))
                sentAfterDelete.push_back(id);
        }
    }
};

const std::string kTool = TESSEL_BINARY_DIR "/bin/msgcrash";

class CrashSafetyTest : public ::testing::Test, public FileStoreFixture { };

TEST_F(CrashSafetyTest, AKilledSaveLeavesTheDatabaseThePointerNamesWhole)
{
    std::mt19937 random(7);
    const std::string folder = hostFile("");
    int checked = 0;
    for (int round = 0; round < 12; ++round) {
        const pid_t pid = testSpawn({kTool, "threaddb"}, root.hostPath("tool.log"));
        ASSERT_GT(pid, 0);
        waitUntil([&] { return !readHostFile("threaddb.run").empty(); });
        killAfter(pid, random, 20, 200);
        if (readHostFile("threaddb.run").empty())
            continue;
        int status = -1;
        const std::string read = msgstore({"threaddb-read", folder}, &status);
        EXPECT_EQ(status, 0) << "round " << round << ": " << read.substr(0, 300);
        EXPECT_NE(read.find("\"id\": \"i17"), std::string::npos) << "round " << round << ": saved messages";
        ++checked;
    }
    EXPECT_GT(checked, 6) << root.readFile("tool.log");
}

// Each round loads what the last one left and goes on pushing; the file is
// always one whole queue, the old or the new, never empty, and keeps the
// queue's rules, its cap's among them (bench_PushQueueCrash runs the same
// rounds by the hundred).
TEST(PushQueueCrashTest, AKilledPushQueueSaveLeavesTheOldQueueOrTheNew)
{
    PushQueueCrashRound rounds;
    int checked = 0;
    for (int round = 0; round < 12; ++round) {
        std::string error;
        if (!rounds.run(round, &error))
            continue;
        EXPECT_EQ(error, "") << "round " << round;
        ++checked;
    }
    EXPECT_GT(checked, 6) << rounds.root.readFile("tool.log");
}

// The cap's rule as the check reads it, on files the peer would print.
TEST(PushQueueCrashTest, TheCheckTakesPushesTheCapDroppedAndNothingElse)
{
    const auto file = [](const std::vector<std::string>& pdus) {
        std::string read = "{\"items\": [";
        for (std::size_t i = 0; i < pdus.size(); ++i)
            read += (i ? ", " : "") + std::string("{\"attempts\": 0, \"fetchNow\": 0, \"pdu\": \"")
                + testHex(pdus[i]) + "\"}";
        return read + "]}";
    };
    const auto run = [](const std::string& prefix, int from, int count) {
        std::vector<std::string> pdus;
        for (int n = from; n < from + count; ++n)
            pdus.push_back(prefix + std::to_string(n));
        return pdus;
    };
    const auto join = [](std::vector<std::string> a, const std::vector<std::string>& b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    };
    struct Case {
        const char* what;
        std::vector<std::string> pdus;
        bool kept;
    };
    const Case cases[] = {
        {"one round in order", run("r3-", 0, 11), true},
        {"rounds in order", join(run("r2-", 5, 6), run("r3-", 0, 5)), true},
        {"a gap at the cap", join(run("r2-", 0, 10), join(run("r2-", 11, 4), run("r3-", 2, 5))), true},
        {"a gap below the cap", join(run("r2-", 0, 4), run("r2-", 5, 4)), false},
        {"a round not from its start below the cap", join(run("r2-", 0, 4), run("r3-", 1, 4)), false},
        {"out of order at the cap", join(run("r3-", 0, 10), run("r2-", 0, 9)), false},
        {"a push twice", join(run("r3-", 0, 5), run("r3-", 4, 3)), false},
        {"this round missing", run("r2-", 0, 5), false},
        {"past the cap", run("r3-", 0, 21), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(PushQueueCrashRound::check(file(c.pdus), 3) == "", c.kept)
            << PushQueueCrashRound::check(file(c.pdus), 3);
    }
}

// Each round loads what the last one left and goes on adding; the file is
// always one whole state, the old or the new: every message of a group the
// file holds, this round's messages in the order they were added.
TEST_F(CrashSafetyTest, AKilledPremiumSaveLeavesTheOldStateOrTheNew)
{
    std::mt19937 random(13);
    int checked = 0;
    for (int round = 0; round < 12; ++round) {
        const std::string tag = "r" + std::to_string(round);
        const pid_t pid = testSpawn({kTool, "premium", tag}, root.hostPath("tool.log"));
        ASSERT_GT(pid, 0);
        waitUntil([&] { return readHostFile("state.pq").find("p" + tag + "_") != std::string::npos; });
        killAfter(pid, random, 5, 150);
        if (readHostFile("state.pq").find("p" + tag + "_") == std::string::npos)
            continue;
        const std::string read = runPython(
            "'" TESSEL_SOURCE_DIR "/tests/peers/premium_state.py' read '" + hostFile("state.pq") + "'");
        ASSERT_EQ(read.find("bad state file"), std::string::npos) << "round " << round << ": " << read;
        std::set<std::string> groups;
        const std::regex groupPattern("\"id\": \"(g[^\"]*)\"");
        for (std::sregex_iterator it(read.begin(), read.end(), groupPattern), end; it != end; ++it)
            groups.insert((*it)[1]);
        // (round, number) of each message, oldest first.
        std::vector<std::pair<int, int>> messages;
        const std::regex messagePattern("\"group\": \"([^\"]*)\", \"id\": \"pr([0-9]+)_([0-9]+)\"");
        for (std::sregex_iterator it(read.begin(), read.end(), messagePattern), end; it != end; ++it) {
            EXPECT_EQ(groups.count((*it)[1]), 1u) << "round " << round << ": " << read;
            messages.emplace_back(std::stoi((*it)[2]), std::stoi((*it)[3]));
        }
        ASSERT_FALSE(messages.empty()) << "round " << round << ": " << read;
        // The tool holds at most 10 and adds one before it removes; a round
        // that loads a state killed at 11 adds the twelfth first.
        EXPECT_LE(messages.size(), 12u);
        EXPECT_EQ(messages.back().first, round);
        for (std::size_t i = 1; i < messages.size(); ++i) {
            const bool next = messages[i].first == messages[i - 1].first
                && messages[i].second == messages[i - 1].second + 1;
            const bool laterRound = messages[i].first > messages[i - 1].first && messages[i].second == 0;
            EXPECT_TRUE(next || laterRound) << "round " << round << " message " << i << ": " << read;
        }
        ++checked;
    }
    EXPECT_GT(checked, 6) << root.readFile("tool.log");
}

TEST_F(CrashSafetyTest, AKilledInPlaceCopyLeavesTheOldFileOrTheNew)
{
    std::mt19937 random(11);
    const std::string base = "0123456789";
    writeHostFile("copied", base);
    std::size_t grown = 0;
    for (int round = 0; round < 12; ++round) {
        const pid_t pid = testSpawn({kTool, "copy", "copied"}, root.hostPath("tool.log"));
        ASSERT_GT(pid, 0);
        waitUntil([&] { return readHostFile("copied").size() > base.size() + grown; });
        killAfter(pid, random, 5, 100);
        const std::string now = readHostFile("copied");
        ASSERT_GE(now.size(), base.size() + grown) << "round " << round;
        EXPECT_EQ(now, base + std::string(now.size() - base.size(), '+')) << "round " << round;
        grown = now.size() - base.size();
    }
    EXPECT_GT(grown, 0u);
}

} // namespace

namespace {

class StoreCrashTest : public ::testing::Test {
public:
    TempDeviceRoot root;
    CVXLPlatformMessageStore store;

    std::string folder() const
    {
        CVXLString host;
        platformHostPath(store.folder(), &host);
        return host.c_str();
    }
};

struct Counters : CMessageStoreManager::Services {
    std::map<std::string, std::string> values;
    std::uint32_t messageLimit() override { return 100; }
    void setCounter(const char* key, std::uint32_t value) override { values[key] = std::to_string(value); }
    void setHasNewMessages() override { }
    std::uint32_t nowSeconds() override { return 1800000000u; }
};

// What the peer's store-read gives for one key, as text.
std::string field(const std::string& json, const std::string& key)
{
    const std::size_t at = json.find("\"" + key + "\": ");
    if (at == std::string::npos)
        return "";
    const std::size_t start = at + key.size() + 4;
    return json.substr(start, json.find_first_of(",}", start) - start);
}

// A child engine killed at random moments of stores (both kinds), strips,
// summary rewrites, index rewrites and deletes: every message reads whole,
// every message it had stored and not begun to delete is there (relay copies
// may have gone to free space), and a new load counts the files as they are.
TEST_F(StoreCrashTest, AKilledStoreLeavesEveryMessageWholeAndCounted)
{
    std::mt19937 random(23);
    const std::string journal = root.hostPath("journal.txt");
    int checked = 0;
    std::size_t storedInAll = 0;
    for (int round = 0; round < 10; ++round) {
        const pid_t pid = testSpawn({kTool, "store"}, journal);
        ASSERT_GT(pid, 0);
        waitUntil([&] { return readHost(journal).find("stored") != std::string::npos; });
        killAfter(pid, random, 20, 300);
        Journal said;
        said.add(readHost(journal));
        const std::set<std::string>& stored = said.stored;
        const std::set<std::string>& deleted = said.deleted;
        const std::set<std::string>& deleting = said.deleting;
        int status = -1;
        const std::string read = msgstore({"store-read", folder()}, &status);
        ASSERT_EQ(status, 0) << read.substr(0, 300);
        EXPECT_EQ(read.find("\"bad\""), std::string::npos)
            << "round " << round << ": " << read.substr(0, 600);
        for (const std::string& message : stored) {
            if (deleted.count(message) || deleting.count(message))
                continue;
            const std::string count = field(read, message);
            // Relay copies are the first thing freeing space deletes.
            if (message[0] == 'm' && count.empty())
                continue;
            EXPECT_TRUE(count == "2" || count == "4" || count == "7")
                << "round " << round << ": " << message << " has " << count;
        }

        // A fresh load of what the child left.
        JobTreeDriver driver;
        Counters counters;
        CMessageStoreManager manager;
        manager.setStore(&store);
        manager.setServices(&counters);
        driver.attach(&manager);
        driver.runUntilIdle();
        ASSERT_TRUE(manager.isActive());
        const std::string after = msgstore({"store-read", folder()}, &status);
        EXPECT_EQ(counters.values[kPersMessageStoreUsage], field(after, "usage")) << "round " << round;
        auto ids = [&](std::uint32_t kind) {
            std::string out = "[";
            for (std::uint32_t i = 0; i < manager.boxCount(kind); ++i)
                out += (i ? ", \"" : "\"") + std::string(manager.boxIdAt(kind, i).c_str()) + "\"";
            return out + "]";
        };
        EXPECT_NE(after.find("\"lists\": [" + ids(0) + ", "), std::string::npos) << "round " << round;
        EXPECT_NE(after.find("], " + ids(2) + ", " + ids(3) + "]"), std::string::npos) << "round " << round;
        EXPECT_EQ(counters.values[kPersInboxTotalCount], std::to_string(manager.boxCount(0)));
        manager.stop();
        driver.runUntilIdle();
        ++checked;
        storedInAll += stored.size();
        root.writeFile("journal.txt", "");
    }
    EXPECT_GT(checked, 6);
    EXPECT_GT(storedInAll, 10u);
}

// A store of 300 messages and its thread database killed at random in four
// rounds: after each a fresh load, reconciled, has every message stored and
// not asked to be deleted, once in the inbox and once in the database
// (bench_ThreadStoreCrash runs rounds over 5,000).
TEST(ThreadStoreCrashTest, AKilledLargeStoreAndItsThreadDatabaseLoseAndRepeatNothing)
{
    ThreadStoreCrashRound rounds(300);
    for (int round = 0; round < 4; ++round) {
        EXPECT_EQ(rounds.run(), "") << "round " << round;
    }
    EXPECT_GE(rounds.held.size(), 290u);
}

// A child engine killed at random moments of submits, send results and
// deletes of its outbound queue; each round loads what the last one left.
// "state.oq" is always whole, no entry lacks its item file, every message
// stored and not being deleted is held, and a message whose delete had
// ended is never sent again.
TEST_F(CrashSafetyTest, AKilledOutboundQueueLosesNoMessageAndKeepsEveryItemFile)
{
    std::mt19937 random(31);
    const std::string journal = root.hostPath("outqueue.txt");
    Journal said;
    int checked = 0;
    for (int round = 0; round < 12; ++round) {
        const pid_t pid = testSpawn({kTool, "outqueue", std::to_string(round + 1)}, journal);
        ASSERT_GT(pid, 0);
        waitUntil([&] { return readHost(journal).find("stored") != std::string::npos; });
        killAfter(pid, random, 5, 200);
        said.add(readHost(journal));
        EXPECT_TRUE(said.sentAfterDelete.empty())
            << "round " << round << ": " << said.sentAfterDelete[0] << " sent after its delete had ended";
        if (!hostFileExists("state.oq"))
            continue;
        int status = -1;
        const std::string read = msgstore({"queue-read", hostFile("")}, &status);
        ASSERT_EQ(status, 0) << "round " << round << ": " << read.substr(0, 300);
        EXPECT_EQ(read.find("\"item_file\": null"), std::string::npos) << "round " << round << ": " << read;
        for (const std::string& id : said.stored) {
            if (said.deleting.count(id))
                continue;
            EXPECT_NE(read.find("\"id\": \"" + id + "\""), std::string::npos)
                << "round " << round << ": " << id << " lost";
        }
        ++checked;
        root.writeFile("outqueue.txt", "");
    }
    EXPECT_GT(checked, 6);
    EXPECT_GT(said.stored.size(), 10u);

    // A clean load removes the files that no entry names.
    const pid_t pid = testSpawn({kTool, "outqueue-load"}, journal);
    ASSERT_GT(pid, 0);
    int exitStatus = -1;
    ::waitpid(pid, &exitStatus, 0);
    EXPECT_TRUE(WIFEXITED(exitStatus) && WEXITSTATUS(exitStatus) == 0) << readHost(journal);
    const std::string after = msgstore({"queue-read", hostFile("")});
    EXPECT_NE(after.find("\"orphans\": []"), std::string::npos) << after;
}

} // namespace
