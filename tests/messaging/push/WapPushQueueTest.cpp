#include "engine/messaging/push/WapPushQueue.h"
#include "engine/core/base/VXLLog.h"
#include "engine/files/VXLFileStoreManager.h"
#include "engine/messaging/push/WapPushRequest.h"
#include "tests/messaging/MessagingTestSupport.h"
#include "tests/support/FileStoreFixture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Services : CWapPushQueue::Services {
    std::uint32_t unclean = 0;
    int waiting = 0;
    std::vector<bool> stored;
    std::uint32_t uncleanShutdowns() override { return unclean; }
    void pushWaiting() override { ++waiting; }
    void queueStored(bool ok) override { stored.push_back(ok); }
};

// The queue over a real File Store Manager in a fresh device root; the file
// is written and read back by the Python peer, which knows only the layout.
struct QueueRig : FileStoreFixture {
    CVXLFileStoreManager files;
    CWapPushQueue queue;
    Services services;
    CVXLEventHandler source;

    // Attaches the jobs; their start events wait for the next step.
    void attach()
    {
        files.setFileStore(&store);
        queue.setFileStoreManager(&files);
        queue.setServices(&services);
        driver.attach(&files);
        driver.attach(&source);
        driver.attach(&queue);
    }

    void start()
    {
        attach();
        driver.runUntilIdle();
    }

    void push(const std::string& pdu, std::uint32_t fetchNow = 0)
    {
        auto* request = new CWapPushRequest;
        request->setReplyWanted(false);
        request->item.fetchNow = fetchNow;
        request->item.pdu = bytesOf(pdu);
        source.post(&queue, request);
    }

    // The file as the peer reads it.
    std::string peerRead()
    {
        return runPython(
            "'" TESSEL_SOURCE_DIR "/tests/peers/push_queue_file.py' read '" + hostFile("state.wq") + "'");
    }

    void peerWrite(const std::string& json)
    {
        const std::string input = root.hostPath("queue.json");
        std::ofstream(input) << json;
        runPython("'" TESSEL_SOURCE_DIR "/tests/peers/push_queue_file.py' write '" + hostFile("state.wq")
            + "' < '" + input + "'");
    }

    std::vector<std::string> held()
    {
        std::vector<std::string> pdus;
        CWapPushQueue copy;
        CVXLByteBuffer bytes;
        queue.serialise(bytes);
        copy.parse(bytes);
        CWapPushItem item;
        while (copy.count() != 0) {
            const CWapPushItem* head = copy.peekHead();
            pdus.push_back(std::string(reinterpret_cast<const char*>(head->pdu.data()), head->pdu.length())
                + "/" + std::to_string(head->attempts));
            copy.popHead(&item);
        }
        return pdus;
    }

    std::string log()
    {
        CVXLLog::flush();
        return root.readFile("log/engine.log");
    }
};

class WapPushQueueTest : public ::testing::Test, public QueueRig { };

std::string itemJson(const std::string& hexPdu, std::uint32_t attempts, std::uint32_t fetchNow = 0)
{
    return "{\"attempts\": " + std::to_string(attempts) + ", \"fetchNow\": " + std::to_string(fetchNow)
        + ", \"pdu\": \"" + hexPdu + "\"}";
}

TEST_F(WapPushQueueTest, AnEmptiedQueueIsSavedAsFiveBytes)
{
    start();
    EXPECT_TRUE(queue.isLoaded());
    EXPECT_FALSE(hostFileExists("state.wq")) << "loading saves nothing";
    push("abc", 1);
    driver.runUntilIdle();
    EXPECT_EQ(peerRead(), "{\"items\": [" + itemJson("616263", 0, 1) + "]}\n");
    CWapPushItem out;
    ASSERT_TRUE(queue.popHead(&out));
    EXPECT_EQ(out.fetchNow, 1u);
    EXPECT_EQ(out.pdu.length(), 3u);
    driver.runUntilIdle();
    EXPECT_EQ(readHostFile("state.wq"), std::string("\x02\x00\x00\x00\x00", 5));
    EXPECT_EQ(queue.pendingWrites(), 0u);
    EXPECT_FALSE(queue.popHead(&out));
}

// Saves are served in the order they were made: the file ends as the last
// change left the queue, however many writes were out at once.
TEST_F(WapPushQueueTest, ManyChangesInARowLeaveTheLastQueueOnDisk)
{
    start();
    for (int i = 0; i < 6; ++i)
        push(std::string(1, static_cast<char>('a' + i)));
    driver.runUntilIdle();
    queue.popHead(nullptr);
    queue.retryHead();
    EXPECT_GE(queue.pendingWrites(), 2u);
    driver.runUntilIdle();
    EXPECT_EQ(queue.pendingWrites(), 0u);
    EXPECT_EQ(peerRead(),
        "{\"items\": [" + itemJson("63", 0) + ", " + itemJson("64", 0) + ", " + itemJson("65", 0) + ", "
            + itemJson("66", 0) + ", " + itemJson("62", 1) + "]}\n");
    EXPECT_EQ(services.waiting, 1 + 6);
}

TEST_F(WapPushQueueTest, AFailingHeadGoesToTheTailTwiceAndIsDroppedAtTheThirdFailure)
{
    start();
    push("x");
    push("y");
    driver.runUntilIdle();
    queue.retryHead();
    EXPECT_EQ(held(), (std::vector<std::string> {"y/0", "x/1"}));
    queue.retryHead(); // y fails once
    queue.retryHead();
    EXPECT_EQ(held(), (std::vector<std::string> {"y/1", "x/2"}));
    queue.retryHead();
    queue.retryHead(); // x's third failure
    EXPECT_EQ(held(), (std::vector<std::string> {"y/2"}));
    queue.retryHead();
    EXPECT_EQ(queue.count(), 0u);
    driver.runUntilIdle();
    EXPECT_EQ(readHostFile("state.wq"), std::string("\x02\x00\x00\x00\x00", 5));
}

TEST_F(WapPushQueueTest, APushToAFullQueueIsDroppedLoggedAndTheQueueSaved)
{
    start();
    for (int i = 0; i < 21; ++i)
        push("p" + std::to_string(i));
    driver.runUntilIdle();
    EXPECT_EQ(queue.count(), CWapPushQueue::kMaxItems);
    EXPECT_EQ(held().back(), "p19/0");
    EXPECT_NE(log().find("push queue: a push of 3 bytes dropped, 20 held"), std::string::npos);
    EXPECT_NE(peerRead().find("703139"), std::string::npos) << "p19 saved";
    EXPECT_EQ(peerRead().find("703230"), std::string::npos) << "p20 not saved";
}

// A full queue gives a new push the place of the item that failed most
// often, the first of them; never the head, which may be out, nor an item
// not tried yet.
TEST_F(WapPushQueueTest, AFullQueueDropsTheMostFailedItemForANewPush)
{
    struct Case {
        const char* what;
        std::vector<std::uint32_t> failures; // per item p0..p19 before the new push
        const char* dropped; // null: the new push is dropped
    };
    std::vector<std::uint32_t> none(CWapPushQueue::kMaxItems, 0);
    std::vector<std::uint32_t> some = none;
    some[3] = 1;
    some[7] = 2;
    some[12] = 2;
    std::vector<std::uint32_t> onlyHead = none;
    onlyHead[0] = 2;
    const Case cases[] = {
        {"none failed", none, nullptr},
        {"the first of the most failed", some, "p7"},
        {"only the head failed", onlyHead, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string json = "{\"items\": [";
        for (std::uint32_t i = 0; i < CWapPushQueue::kMaxItems; ++i) {
            const std::string pdu = "p" + std::to_string(i);
            json += (i ? ", " : "") + itemJson(testHex(pdu), c.failures[i]);
        }
        QueueRig rig;
        rig.peerWrite(json + "]}");
        rig.start();
        ASSERT_EQ(rig.queue.count(), CWapPushQueue::kMaxItems);
        rig.push("new");
        rig.driver.runUntilIdle();
        const std::vector<std::string> held = rig.held();
        ASSERT_EQ(held.size(), CWapPushQueue::kMaxItems);
        EXPECT_EQ(held.back() == "new/0", c.dropped != nullptr);
        EXPECT_EQ(held.front().rfind("p0/", 0), 0u);
        if (c.dropped) {
            for (const std::string& item : held)
                EXPECT_NE(item.rfind(std::string(c.dropped) + "/", 0), 0u) << item;
            EXPECT_NE(rig.log().find("full, a push tried 2 times dropped for a new one"), std::string::npos);
            EXPECT_NE(rig.peerRead().find(testHex("new")), std::string::npos) << "the new push is saved";
        }
    }
}

// Files written by the peer: what loads, and what the load logs.
TEST(WapPushQueueLoad, TakesWholeQueuesOnly)
{
    std::string twentyFive;
    for (int i = 0; i < 25; ++i)
        twentyFive += std::string(i ? ", " : "") + itemJson("aa" + std::to_string(10 + i), 1);
    struct Case {
        const char* what;
        std::string json; // written by the peer; empty: `raw` is written
        std::string raw;
        std::uint32_t loaded;
        const char* logged;
    };
    const Case cases[] = {
        {"two items", "{\"items\": [" + itemJson("0102", 0, 1) + ", " + itemJson("", 2) + "]}", "", 2,
            nullptr},
        {"25 items load the first 20", "{\"items\": [" + twentyFive + "]}", "", 20,
            "holds 25 items, the first 20"},
        {"empty queue", "{\"items\": []}", "", 0, nullptr},
        {"another format", "", std::string("\x01\x00\x00\x00\x00", 5), 0, "damaged"},
        {"a length beyond the bytes", "",
            std::string("\x02\x01\x00\x00\x00"
                        "\x00\x00\x00\x00"
                        "\x00\x00\x00\x00"
                        "\xff\xff\xff\x7f"
                        "ab",
                19),
            0, "damaged"},
        {"a count beyond the items", "{\"count\": 3, \"items\": [" + itemJson("01", 0) + "]}", "", 0,
            "damaged"},
        {"bytes after the last item", "", std::string("\x02\x00\x00\x00\x00zz", 7), 0, "damaged"},
        {"cut in the count", "", std::string("\x02\x00", 2), 0, "damaged"},
        {"an empty file", "", "", 0, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QueueRig fresh;
        if (!c.json.empty())
            fresh.peerWrite(c.json);
        else
            fresh.writeHostFile("state.wq", c.raw);
        const std::string original = fresh.readHostFile("state.wq");
        fresh.start();
        EXPECT_TRUE(fresh.queue.isLoaded());
        EXPECT_EQ(fresh.queue.count(), c.loaded);
        if (c.logged)
            EXPECT_NE(fresh.log().find(c.logged), std::string::npos) << fresh.log();
        else
            EXPECT_EQ(fresh.log().find("push queue"), std::string::npos) << fresh.log();
        // A damaged file is kept aside before a save replaces it.
        const bool damaged = c.logged && std::string(c.logged) == "damaged";
        EXPECT_EQ(fresh.hostFileExists("state.wq.bad"), damaged);
        if (damaged) {
            EXPECT_EQ(fresh.readHostFile("state.wq.bad"), original);
        }
    }
}

// After a run that ended without a clean shut-down the head counts one more
// attempt and is dropped once it had two; a clean start changes nothing.
TEST(WapPushQueueLoad, AnUncleanShutDownCountsAgainstTheHead)
{
    struct Case {
        const char* what;
        std::uint32_t unclean;
        std::uint32_t headAttempts;
        std::string after; // the peer's reading of the file, empty: not written
        bool backAfterCrash;
    };
    const Case cases[] = {
        {"clean start", 0, 1, "", false},
        {"attempts 0", 1, 0, "{\"items\": [" + itemJson("aa", 1) + ", " + itemJson("bb", 0) + "]}\n", true},
        {"attempts 1", 3, 1, "{\"items\": [" + itemJson("aa", 2) + ", " + itemJson("bb", 0) + "]}\n", true},
        {"attempts 2", 1, 2, "{\"items\": [" + itemJson("bb", 0) + "]}\n", false},
        {"attempts beyond the signed range", 1, 0xFFFFFFFFu, "{\"items\": [" + itemJson("bb", 0) + "]}\n",
            false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QueueRig fresh;
        fresh.peerWrite("{\"items\": [" + itemJson("aa", c.headAttempts) + ", " + itemJson("bb", 0) + "]}");
        const std::string before = fresh.readHostFile("state.wq");
        fresh.services.unclean = c.unclean;
        fresh.start();
        if (c.after.empty()) {
            EXPECT_EQ(fresh.readHostFile("state.wq"), before);
            EXPECT_EQ(fresh.queue.count(), 2u);
        } else {
            EXPECT_EQ(fresh.peerRead(), c.after);
        }
        ASSERT_NE(fresh.queue.peekHead(), nullptr);
        EXPECT_EQ(fresh.queue.peekHead()->backAfterCrash, c.backAfterCrash);
    }
}

// A save that fails is reported, the push stays queued in memory, and the
// next save stores the whole queue.
TEST_F(WapPushQueueTest, AFailedSaveIsReportedAndTheNextStoresTheQueue)
{
    start();
    // A folder where the file goes: the write cannot replace it.
    ASSERT_EQ(std::system(("mkdir -p '" + hostFile("state.wq") + "/x'").c_str()), 0);
    push("abc");
    driver.runUntilIdle();
    EXPECT_EQ(services.stored, std::vector<bool> {false});
    EXPECT_FALSE(queue.stored());
    EXPECT_EQ(queue.count(), 1u);
    EXPECT_NE(log().find("state.wq not written"), std::string::npos) << log();
    ASSERT_EQ(std::system(("rm -rf '" + hostFile("state.wq") + "'").c_str()), 0);
    queue.save();
    driver.runUntilIdle();
    EXPECT_EQ(services.stored, (std::vector<bool> {false, true}));
    EXPECT_TRUE(queue.stored());
    EXPECT_EQ(peerRead(), "{\"items\": [" + itemJson("616263", 0) + "]}\n");
}

// A push that arrives before the saved queue is in waits behind it.
TEST_F(WapPushQueueTest, APushDuringTheLoadIsQueuedBehindTheSavedItems)
{
    peerWrite("{\"items\": [" + itemJson("6f6c64", 0) + "]}");
    attach();
    driver.step();
    ASSERT_FALSE(queue.isLoaded());
    push("new");
    driver.step();
    EXPECT_EQ(queue.count(), 0u) << "the push waits for the load";
    driver.runUntilIdle();
    EXPECT_EQ(held(), (std::vector<std::string> {"old/0", "new/0"}));
}

// The stop is answered once every write has been answered, so a shut-down
// never stops the File Store Manager under the queue's last save.
TEST_F(WapPushQueueTest, TheStopWaitsForTheWritesStillOut)
{
    start();
    push("one");
    push("two");
    driver.step();
    driver.step();
    ASSERT_GT(queue.pendingWrites(), 0u);
    queue.stop();
    driver.step();
    EXPECT_TRUE(queue.isActive());
    driver.runUntilIdle();
    EXPECT_EQ(queue.runState(), kHandlerFinished);
    EXPECT_EQ(queue.pendingWrites(), 0u);
    EXPECT_EQ(peerRead(), "{\"items\": [" + itemJson("6f6e65", 0) + ", " + itemJson("74776f", 0) + "]}\n");
}

} // namespace
