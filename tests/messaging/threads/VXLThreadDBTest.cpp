#include "engine/messaging/threads/VXLThreadDB.h"
#include "engine/files/VXLFileStoreManager.h"
#include "tests/messaging/MessagingTestSupport.h"
#include "tests/support/FileStoreFixture.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using namespace std::string_literals;

constexpr std::int32_t kReply = 900;

struct Services : CVXLThreadDB::Services {
    CVXLString own;
    std::uint32_t newCount = 12345;
    CVXLString ownNumber() const override { return own; }
    void setNewMessageCount(std::uint32_t count) override { newCount = count; }
};

struct ThreadDBFixture : FileStoreFixture {
    CVXLFileStoreManager files;
    Services services;
    CVXLThreadDB* db = nullptr;
    TraceJob requester {"requester"};

    ThreadDBFixture()
    {
        files.setFileStore(&store);
        driver.attach(&files);
        driver.attach(&requester);
        driver.runUntilIdle();
    }
    ~ThreadDBFixture() { stopDb(); }

    void startDb()
    {
        db = new CVXLThreadDB();
        db->setFileStoreManager(&files);
        db->setServices(&services);
        driver.attach(db);
        driver.runUntilIdle();
    }

    void stopDb()
    {
        if (!db)
            return;
        if (db->isActive()) {
            db->stop();
            driver.runUntilIdle();
        }
        driver.runUntilIdle();
        delete db;
        db = nullptr;
    }

    void send(CVXLEvent& request)
    {
        requester.post(db, &request);
        driver.runUntilIdle();
    }

    void add(const char* id, const char* from, std::vector<const char*> to, bool sent = false,
        std::uint32_t time = 0, bool queued = false)
    {
        CThreadAddRequest request(kReply);
        request.messageId = id;
        request.sender = from;
        for (const char* r : to)
            request.recipients.insertAt(r, static_cast<int>(request.recipients.count()));
        request.sent = sent;
        request.queued = queued;
        request.sentTime = time;
        send(request);
    }

    std::uint8_t remove(const char* id, const char* thread = "")
    {
        CThreadRemoveRequest request(kReply);
        request.messageId = id;
        request.threadAddress = thread;
        send(request);
        return request.entryDeleted;
    }

    void markRead(const char* id)
    {
        CThreadMarkReadRequest request(kReply);
        request.messageId = id;
        send(request);
    }

    std::uint32_t newCountOf(const char* address) const
    {
        CVXLThreadEntry* thread = db->findThread(address);
        return thread ? thread->newCount : 9999;
    }

    // Shown threads in order, each "address:newCount".
    std::string shown() const
    {
        std::string out;
        for (std::uint32_t i = 0; i < db->shownCount(); ++i)
            out += std::string(i ? " " : "") + db->shownAt(static_cast<int>(i))->address.c_str() + ":"
                + std::to_string(db->shownAt(static_cast<int>(i))->newCount);
        return out;
    }
};

TEST(ThreadDBTest, NormalisesAddressesAsTheEmailExpressionAndTheOwnNumberSay)
{
    struct Case {
        const char* own;
        const char* address;
        const char* key;
    };
    const std::vector<Case> cases = {
        {"", "Ann Lee <Ann.Lee@Example.COM>", "ann.lee@example.com"},
        {"", "ann.lee@example.com", "ann.lee@example.com"},
        {"", "x a+b$c@d-e.f.gh y@z.io", "a+b$c@d-e.f.gh"},
        {"", "user@host", "user@host"},
        {"", "user@host.c0m", "user@host.c"},
        {"2065551234", "5551212", "2065551212"},
        {"2065551234", "12065551212", "2065551212"},
        {"2065551234", "22065551212", "22065551212"},
        {"2065551234", "555-1212", "555-1212"},
        {"2065551234", "2065551212", "2065551212"},
        {"206555123", "5551212", "5551212"},
        {"20655512345", "12065551212", "12065551212"},
        {"2065551234", "+15551212", "+15551212"},
        {"2065551234", "", ""},
    };
    TempDeviceRoot root;
    CVXLThreadDB db;
    Services services;
    db.setServices(&services);
    for (const Case& c : cases) {
        services.own = c.own;
        EXPECT_EQ(std::string(db.normalise(c.address).c_str()), c.key) << c.address;
        // The same expression under Python's re finds the same match.
        const std::string python
            = "import re,sys; m=re.search(sys.argv[1], sys.argv[2]); print(m.group(0).lower() if m else '-')";
        const std::string expected = testRunCommand(
            testPython() + " -c \"" + python + "\" '" + CVXLThreadDB::kEmailPattern + "' '" + c.address + "'")
                                         .output;
        if (expected != "-\n") {
            EXPECT_EQ(std::string(db.normalise(c.address).c_str()) + "\n", expected) << c.address;
        }
    }
}

TEST(ThreadDBTest, ReceivedMessageCountsInTheSendersThreadAndHidesTheCcThread)
{
    ThreadDBFixture f;
    f.startDb();
    f.add("i1_0", "A@x.com", {"b@x.com"}, false, 10);
    EXPECT_EQ(f.shown(), "a@x.com:1");
    ASSERT_NE(f.db->findThread("b@x.com"), nullptr);
    EXPECT_TRUE(f.db->findThread("b@x.com")->hidden);
    EXPECT_EQ(f.services.newCount, 1u);

    f.add("i2_0", "b@x.com", {}, false, 20);
    EXPECT_EQ(f.db->hiddenCount(), 0u);
    EXPECT_EQ(f.shown(), "b@x.com:1 a@x.com:1");
    EXPECT_EQ(f.db->findThread("b@x.com")->messages.count(), 2u);
    EXPECT_EQ(f.services.newCount, 2u);

    f.add("s3_0", "", {"c@x.com"}, true, 5);
    EXPECT_EQ(f.shown(), "c@x.com:0 b@x.com:1 a@x.com:1");
    EXPECT_EQ(f.db->findMessage("s3_0")->primaryThread, nullptr);
    f.add("o4_0", "", {}, false, 0, true);
    EXPECT_EQ(f.db->findMessage("o4_0"), nullptr) << "queued without recipients is dropped";
}

TEST(ThreadDBTest, QueuedMessagesSortAfterReceivedOnesAndByTimeWithin)
{
    ThreadDBFixture f;
    f.startDb();
    f.add("o1", "", {"a@x.com"}, false, 5, true);
    f.add("i2", "a@x.com", {}, false, 30);
    f.add("s3", "", {"a@x.com"}, true, 10);
    f.add("o4", "", {"a@x.com"}, false, 1, true);
    CVXLThreadEntry* thread = f.db->findThread("a@x.com");
    std::string order;
    for (std::uint32_t i = 0; i < thread->messages.count(); ++i)
        order += std::string(i ? " " : "") + thread->messageAt(static_cast<int>(i))->messageId.c_str();
    EXPECT_EQ(order, "s3 i2 o4 o1");
}

std::string messageOrder(const CVXLThreadEntry* thread)
{
    std::string order;
    for (std::uint32_t i = 0; i < thread->messages.count(); ++i)
        order += std::string(i ? " " : "") + thread->messageAt(static_cast<int>(i))->messageId.c_str();
    return order;
}

TEST(ThreadDBTest, EqualTimesKeepTheirArrivalOrderAndALoadOrdersAsTheLinks)
{
    struct Case {
        const char* fact;
        std::vector<std::pair<const char*, std::uint32_t>> arrivals; // id, time; "o" ids are queued
        const char* order;
    };
    const std::vector<Case> cases = {
        {"ties after the last", {{"i1", 5}, {"i2", 5}, {"i3", 5}}, "i1 i2 i3"},
        {"a tie lands after its equals, before later ones", {{"i1", 9}, {"i2", 5}, {"i3", 5}, {"i4", 1}},
            "i4 i2 i3 i1"},
        {"queued ties after every received one", {{"o1", 1}, {"i2", 7}, {"o3", 1}, {"i4", 7}, {"i5", 0}},
            "i5 i2 i4 o1 o3"},
        {"descending arrivals", {{"i1", 40}, {"i2", 30}, {"i3", 20}, {"i4", 10}}, "i4 i3 i2 i1"},
    };
    for (const Case& c : cases) {
        ThreadDBFixture f;
        f.startDb();
        for (const auto& [id, time] : c.arrivals) {
            const bool queued = id[0] == 'o';
            f.add(id, queued ? "" : "a@x.com",
                queued ? std::vector<const char*> {"a@x.com"} : std::vector<const char*> {}, false, time,
                queued);
        }
        EXPECT_EQ(messageOrder(f.db->findThread("a@x.com")), c.order) << c.fact;
        CVXLByteBuffer bytes;
        f.db->serialise(bytes);
        CVXLThreadDB loaded;
        ASSERT_TRUE(loaded.parse(bytes)) << c.fact;
        EXPECT_EQ(messageOrder(loaded.findThread("a@x.com")), c.order) << c.fact;
    }
}

TEST(ThreadDBTest, AFileNamingOneKeyTwiceIsRefused)
{
    TempDeviceRoot root;
    ThreadDBFixture f;
    f.startDb();
    f.add("i1", "a@x.com", {"c@x.com"}, false, 10);
    CVXLByteBuffer bytes;
    f.db->serialise(bytes);
    std::string image = stringOf(bytes);
    // The hidden thread takes the shown one's key.
    const std::size_t hidden = image.find("c@x.com");
    ASSERT_NE(hidden, std::string::npos);
    image.replace(hidden, 7, "a@x.com");
    image.replace(image.find("c@x.com"), 7, "a@x.com");
    CVXLThreadDB target;
    EXPECT_FALSE(target.parse(bytesOf(image)));
    EXPECT_EQ(target.findThread("a@x.com"), nullptr);
    EXPECT_TRUE(target.parse(bytes));
    EXPECT_NE(target.findThread("c@x.com"), nullptr);
}

TEST(ThreadDBTest, RemovingAndDeletingKeepThreadsAndCountsTrue)
{
    struct Case {
        const char* fact;
        std::function<void(ThreadDBFixture&)> act;
        const char* shown;
        std::uint32_t total;
    };
    const std::vector<Case> cases = {
        {"removing from the CC thread reads the message and keeps it in the sender's",
            [](ThreadDBFixture& f) { EXPECT_EQ(f.remove("i1", "c@x.com"), 0); }, "b@x.com:1 a@x.com:0", 1},
        {"removing from the only shown thread deletes the entry and its thread",
            [](ThreadDBFixture& f) {
                EXPECT_EQ(f.remove("i2", "b@x.com"), 1);
                EXPECT_EQ(f.db->findMessage("i2"), nullptr);
            },
            "a@x.com:1", 1},
        {"a thread that does not hold the message changes nothing",
            [](ThreadDBFixture& f) { EXPECT_EQ(f.remove("i2", "a@x.com"), 0); }, "b@x.com:1 a@x.com:1", 2},
        {"mark read twice lowers the count once",
            [](ThreadDBFixture& f) {
                f.markRead("i1");
                f.markRead("i1");
            },
            "b@x.com:1 a@x.com:0", 1},
        {"re-adding a known unread id leaves no ghost and counts it once",
            [](ThreadDBFixture& f) {
                f.add("i1", "d@x.com", {}, false, 50);
                EXPECT_FALSE(f.db->findThread("a@x.com")) << "a's only message moved away";
                EXPECT_FALSE(f.db->findThread("c@x.com"));
            },
            "d@x.com:1 b@x.com:1", 2},
        {"removing everywhere lowers the count of an unread message",
            [](ThreadDBFixture& f) { EXPECT_EQ(f.remove("i1"), 1); }, "b@x.com:1", 1},
        {"deleting a thread returns the ids no shown thread keeps",
            [](ThreadDBFixture& f) {
                CThreadDeleteRequest request(kReply);
                request.threadAddress = "a@x.com";
                f.send(request);
                ASSERT_EQ(request.deletedIds.count(), 1u);
                EXPECT_EQ(request.deletedIds.at(0), "i1");
                EXPECT_FALSE(f.db->findThread("c@x.com")) << "the hidden thread lost its last message";
            },
            "b@x.com:1", 1},
        {"deleting every shown thread",
            [](ThreadDBFixture& f) {
                CThreadDeleteRequest request(kReply);
                f.send(request);
                EXPECT_EQ(request.deletedIds.count(), 2u);
                EXPECT_EQ(f.db->messageCount(), 0u);
            },
            "", 0},
        {"reconcile forgets entries of its family that the store lost and names unknown ids",
            [](ThreadDBFixture& f) {
                CThreadReconcileRequest request(kReply);
                request.addId("i2");
                request.addId("i9");
                f.send(request);
                ASSERT_EQ(request.unknownIds.count(), 1u);
                EXPECT_EQ(request.unknownIds.at(0), "i9");
                EXPECT_EQ(f.db->findMessage("i1"), nullptr);
            },
            "b@x.com:1", 1},
        {"clearing every count",
            [](ThreadDBFixture& f) {
                CThreadClearNewCountsRequest request(kReply);
                request.all = 1;
                f.send(request);
            },
            "b@x.com:0 a@x.com:0", 0},
    };
    for (const Case& c : cases) {
        ThreadDBFixture f;
        f.startDb();
        f.add("i1", "a@x.com", {"c@x.com"}, false, 10);
        f.add("i2", "b@x.com", {}, false, 20);
        c.act(f);
        EXPECT_EQ(f.shown(), c.shown) << c.fact;
        EXPECT_EQ(f.db->totalNewCount(), c.total) << c.fact;
        EXPECT_EQ(f.services.newCount, c.total) << c.fact;
        for (std::uint32_t i = 0; i < f.db->shownCount(); ++i) {
            CVXLThreadEntry* thread = f.db->shownAt(static_cast<int>(i));
            if (std::string(c.fact) != "clearing every count") {
                EXPECT_EQ(thread->newCount, thread->countUnreadPrimary()) << c.fact;
            }
        }
    }
}

TEST(ThreadDBTest, SavesOneSecondAfterTheLastChangeAndAtLeastEveryFifteenAndAHalf)
{
    ThreadDBFixture f;
    f.startDb();
    f.add("i1", "a@x.com", {}, false, 1);
    f.driver.advance(500);
    f.driver.runUntilIdle();
    f.add("i2", "a@x.com", {}, false, 2);
    f.driver.advance(999);
    f.driver.runUntilIdle();
    EXPECT_EQ(f.db->savesWritten(), 0u);
    f.driver.advance(1);
    f.driver.runUntilIdle(100000);
    EXPECT_EQ(f.db->savesWritten(), 1u) << "two changes 500 ms apart give one save, 1 s after the second";

    std::vector<std::uint32_t> saveTimes;
    const std::uint32_t start = f.driver.now();
    for (int i = 0; i < 60; ++i) {
        const std::uint32_t before = f.db->savesWritten();
        f.add(("m" + std::to_string(i)).c_str(), "a@x.com", {}, false, 3);
        f.driver.advance(500);
        f.driver.runUntilIdle(100000);
        if (f.db->savesWritten() != before)
            saveTimes.push_back(f.driver.now() - start);
    }
    ASSERT_EQ(saveTimes.size(), 1u) << "changes every 500 ms for 30 s";
    EXPECT_EQ(saveTimes[0], 15500u);
}

std::string pythonRead(ThreadDBFixture& f)
{
    int status = -1;
    const std::string out = msgstore({"threaddb-read", f.hostFile("")}, &status);
    EXPECT_EQ(status, 0) << out;
    return out;
}

TEST(ThreadDBTest, PythonReadsWhatTheDatabaseSavesAndTheDatabaseLoadsWhatPythonWrites)
{
    ThreadDBFixture f;
    f.startDb();
    f.add("i1", "a@x.com", {"c@x.com"}, false, 10);
    f.add("s2", "", {"b@x.com", "a@x.com"}, true, 20);
    f.markRead("i1");
    f.add("i3", "b@x.com", {}, false, 30);
    f.stopDb();
    EXPECT_TRUE(f.hostFileExists("thread1.db") != f.hostFileExists("thread2.db"))
        << "one file after a clean stop";
    const std::string saved = pythonRead(f);
    EXPECT_NE(saved.find(R"("address": "c@x.com", "display": "c@x.com", "hidden": true, "new": 0)"),
        std::string::npos)
        << saved;
    EXPECT_NE(
        saved.find(
            R"("id": "i3", "primary": "b@x.com", "queued": false, "read": false, "seen": false, "sent": false, "threads": ["b@x.com"], "time": 30)"),
        std::string::npos)
        << saved;

    // Python writes a database of its own into the other file and names it.
    const std::string other = saved.find("\"thread1.db\"") != std::string::npos ? "thread2.db" : "thread1.db";
    const std::string json
        = saved.substr(saved.find("\"db\": ") + 6, saved.rfind(", \"file\"") - saved.find("\"db\": ") - 6);
    writeHost(f.hostFile("db.json"), json);
    msgstore(
        {"threaddb-write", f.hostFile("db.json"), f.hostFile(""), other, other == "thread2.db" ? "2" : "1"});
    f.startDb();
    EXPECT_EQ(std::string(f.db->currentFile().c_str()), other);
    EXPECT_EQ(f.shown(), "b@x.com:1 a@x.com:0");
    EXPECT_EQ(f.db->messageCount(), 3u);
    CVXLByteBuffer again;
    f.db->serialise(again);
    EXPECT_EQ(stringOf(again), f.readHostFile(other)) << "field for field";
}

TEST(ThreadDBTest, PointerByteSelectsTheFileAndADamagedOrForeignFileFallsBack)
{
    // A database holding one message from a@x.com, and one from b@x.com.
    auto databaseFrom = [](const char* sender) {
        TempDeviceRoot scratch;
        ThreadDBFixture g;
        g.startDb();
        g.add("i1", sender, {}, false, 1);
        CVXLByteBuffer bytes;
        g.db->serialise(bytes);
        return stringOf(bytes);
    };
    const std::string a = databaseFrom("a@x.com");
    const std::string b = databaseFrom("b@x.com");
    const std::string version3 = "\3\0\0\0"s + a.substr(4);
    struct Case {
        const char* fact;
        const char* pointer; // null: no pointer file
        std::string first, second;
        const char* shown;
        bool firstDeleted;
    };
    const std::vector<Case> cases = {
        {"byte 0 names the first file", "\0", a, b, "a@x.com:1", false},
        {"byte 1 names the first file", "\1", a, b, "a@x.com:1", false},
        {"byte 2 names the second file", "\2", a, b, "b@x.com:1", false},
        {"byte 3 names the second file", "\3", a, b, "b@x.com:1", false},
        {"no pointer names the first file", nullptr, a, b, "a@x.com:1", false},
        {"a missing named file falls back", "\1", "", b, "b@x.com:1", false},
        {"a truncated named file falls back", "\1", a.substr(0, a.size() - 1), b, "b@x.com:1", false},
        {"trailing bytes make a file damaged", "\1", a + "x", b, "b@x.com:1", false},
        {"version 3 is deleted and the other loads", "\1", version3, b, "b@x.com:1", true},
        {"nothing usable starts empty", "\1", version3, "", "", true},
    };
    for (const Case& c : cases) {
        ThreadDBFixture f;
        if (c.pointer)
            f.writeHostFile("threaddb.run", std::string(c.pointer, 1));
        if (!c.first.empty())
            f.writeHostFile("thread1.db", c.first);
        if (!c.second.empty())
            f.writeHostFile("thread2.db", c.second);
        f.startDb();
        EXPECT_EQ(f.shown(), c.shown) << c.fact;
        EXPECT_EQ(f.services.newCount, std::string(c.shown).empty() ? 0u : 1u) << c.fact;
        EXPECT_EQ(!f.hostFileExists("thread1.db"), c.firstDeleted || c.first.empty()) << c.fact;
    }
}

TEST(ThreadDBTest, EveryPrefixOfADatabaseIsRefusedWhole)
{
    TempDeviceRoot root;
    CVXLThreadDB source;
    CVXLThreadDB target;
    {
        ThreadDBFixture f;
        f.startDb();
        f.add("i1", "a@x.com", {"c@x.com"}, false, 10);
        f.add("s2", "", {"b@x.com"}, true, 20);
        CVXLByteBuffer bytes;
        f.db->serialise(bytes);
        const std::string whole = stringOf(bytes);
        for (std::size_t n = 0; n < whole.size(); ++n) {
            EXPECT_FALSE(target.parse(bytesOf(whole.substr(0, n)))) << n;
            EXPECT_EQ(target.messageCount(), 0u) << n;
        }
        EXPECT_TRUE(target.parse(bytes));
        EXPECT_EQ(target.messageCount(), 2u);
    }
    // A huge count in a short file is refused before anything is made.
    EXPECT_FALSE(target.parse(bytesOf("\4\0\0\0\xFF\xFF\xFF\xFF"s)));
}

TEST(ThreadDBTest, AStopDuringATimerSaveWaitsThenSavesTheLatestState)
{
    ThreadDBFixture f;
    f.startDb();
    f.add("i1", "a@x.com", {}, false, 1);
    f.driver.advance(1000);
    // Step until the timer save has its database write out.
    f.driver.step();
    f.driver.step();
    f.add("i2", "b@x.com", {}, false, 2);
    f.db->stop();
    f.driver.runUntilIdle(100000);
    EXPECT_FALSE(f.db->isActive());
    const std::string saved = pythonRead(f);
    EXPECT_NE(saved.find("\"i2\""), std::string::npos) << saved;
    EXPECT_TRUE(f.hostFileExists("thread1.db") != f.hostFileExists("thread2.db"));
}

} // namespace
