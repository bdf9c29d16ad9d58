#include "engine/messaging/store/MessageStoreManager.h"
#include "engine/core/jobs/VXLResultCodes.h"
#include "engine/core/platform/VXLPlatform.h"
#include "engine/core/platform/VXLPlatformFileStore.h"
#include "engine/core/platform/VXLPlatformMessageStore.h"
#include "engine/core/platform/VXLPlatformStatus.h"
#include "engine/core/settings/VXLPersKeys.h"
#include "engine/files/VXLFileStoreManager.h"
#include "engine/messaging/store/VXLMessageSummary.h"
#include "engine/messaging/threads/VXLThreadDB.h"
#include "engine/transfer/VXLFileStreamSinkJob.h"
#include "engine/transfer/VXLXferJobBase.h"
#include "engine/transport/mime/VXLMultipartBody.h"
#include "engine/transport/mms/VXLMmsPdu.h"
#include "engine/transport/mms/VXLWspPduDecoder.h"
#include "tests/messaging/MessagingTestSupport.h"
#include "tests/support/JobTreeDriver.h"
#include "tests/support/TempDeviceRoot.h"
#include "tests/transport/MmsTestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr std::int32_t kReply = 900;
constexpr std::uint32_t kNow = 1700000000;

// A stream whose appends write the first half of their bytes and fail, as a
// full disk does.
class CutAppendStream : public CVXLPlatformFileStream {
public:
    using CVXLPlatformFileStream::CVXLPlatformFileStream;
    void open(const char* name, std::uint32_t mode, CVXLCallback* sink) override
    {
        appending_ = mode == kStreamAppend;
        CVXLPlatformFileStream::open(name, mode, sink);
    }
    void write(CVXLSinkInterface* source) override
    {
        if (!appending_)
            return CVXLPlatformFileStream::write(source);
        struct Half : CVXLSinkInterface {
            CVXLSinkInterface* whole;
            const std::uint8_t* getData() override { return whole->getData(); }
            std::uint32_t getLength() override { return whole->getLength() / 2; }
            void consume(std::uint32_t count, std::uint32_t error) override { whole->consume(count, error); }
        } half;
        half.whole = source;
        CVXLPlatformFileStream::write(&half);
        source->consume(0, kPlatformWriteFailed);
    }

private:
    bool appending_ = false;
};

// The platform message store with the free budget the test sets (unset: the
// platform's own), and appends cut short when asked.
class BudgetStore : public CVXLPlatformMessageStore {
public:
    void info(CVXLCallback* sink) override
    {
        if (budget < 0)
            return CVXLPlatformMessageStore::info(sink);
        vxlReport(sink, 0);
        vxlReport(sink, static_cast<std::uint32_t>(budget));
        vxlReport(sink, 0);
    }
    CVXLPlatformFileStream* openStream() override
    {
        if (!cutAppends)
            return CVXLPlatformMessageStore::openStream();
        return new CutAppendStream(folder(), PlatformNameRule::NameOrPath);
    }
    void closeStream(CVXLPlatformFileStream* stream) override
    {
        if (dynamic_cast<CutAppendStream*>(stream))
            delete stream;
        else
            CVXLPlatformMessageStore::closeStream(stream);
    }
    std::int64_t budget = -1;
    bool cutAppends = false;
};

struct StoreServices : CMessageStoreManager::Services {
    std::map<std::string, std::string> counters;
    std::uint32_t limit = 100;
    std::uint32_t now = kNow;
    std::uint32_t messageLimit() override { return limit; }
    void setCounter(const char* key, std::uint32_t value) override { counters[key] = std::to_string(value); }
    void setHasNewMessages() override { counters[kPersHasNewMessages] = "1"; }
    std::uint32_t nowSeconds() override { return now; }
};

std::string summaryOf(const char* from, const char* sent = "1699999999")
{
    return segment({{"X-QV-From-Address", from}, {"X-QV-To-Address-List", "5551111"},
                       {"X-QV-Message-Sent-Time", sent}, {"X-QV-Image-Count", "1"}, {"22", "subject"}},
        "summary body");
}

// The thread database publishes the inbox new count as the Client does.
struct ThreadServices : CVXLThreadDB::Services {
    explicit ThreadServices(StoreServices& to)
        : services(to)
    {
    }
    CVXLString ownNumber() const override { return CVXLString(); }
    void setNewMessageCount(std::uint32_t count) override { services.setCounter(kPersInboxNewCount, count); }
    StoreServices& services;
};

struct StoreFixture : ::testing::Test {
    TempDeviceRoot root;
    JobTreeDriver driver;
    BudgetStore store;
    // The thread database saves into the working folder.
    CVXLPlatformFileStore fileStore;
    CVXLFileStoreManager files;
    StoreServices services;
    ThreadServices threadServices {services};
    CVXLThreadDB threads;
    CMessageStoreManager manager;
    TraceJob requester {"requester"};

    StoreFixture()
    {
        manager.setStore(&store);
        manager.setThreadDB(&threads);
        manager.setServices(&services);
        threads.setServices(&threadServices);
        files.setFileStore(&fileStore);
        threads.setFileStoreManager(&files);
        driver.attach(&files);
        driver.attach(&threads);
        driver.attach(&requester);
        driver.runUntilIdle();
    }
    ~StoreFixture() override
    {
        for (CVXLEventHandler* job : {static_cast<CVXLEventHandler*>(&manager),
                 static_cast<CVXLEventHandler*>(&threads), static_cast<CVXLEventHandler*>(&files)}) {
            if (job->isActive())
                job->stop();
            driver.runUntilIdle();
        }
    }

    std::string folder() const { return hostFolderOf(store); }
    std::string path(const std::string& name) const { return folder() + "/" + name; }
    bool exists(const std::string& name) const { return hostFileExists(path(name)); }
    void writeMessage(const std::string& name, const std::vector<std::string>& segments)
    {
        writeMessageFile(path(name), segments, root.hostPath("seed.json"));
    }
    void writeIndex(const std::string& name, const std::string& idsJson)
    {
        writeHost(root.hostPath("seed.json"), idsJson);
        int status = -1;
        const std::string out = msgstore({"index-write", root.hostPath("seed.json"), path(name)}, &status);
        ASSERT_EQ(status, 0) << out;
    }
    // The folder as the peer reads it.
    std::string peer(const std::string& command = "store-read", const std::string& file = "")
    {
        int status = -1;
        const std::string out = msgstore({command, file.empty() ? folder() : path(file)}, &status);
        EXPECT_EQ(status, 0) << out;
        return out;
    }

    void start()
    {
        driver.attach(&manager);
        driver.runUntilIdle();
        ASSERT_TRUE(manager.isActive());
    }
    // The answer's result (the requester's finishing of the reply resets
    // the event's own).
    std::int32_t send(CVXLEvent& request)
    {
        const std::size_t before = requester.results.size();
        requester.post(&manager, &request);
        driver.runUntilIdle();
        return requester.results.size() > before ? requester.results.back() : -1;
    }
    std::string list(std::uint32_t kind)
    {
        std::string out;
        for (std::uint32_t i = 0; i < manager.boxCount(kind); ++i)
            out += (i ? "," : "") + std::string(manager.boxIdAt(kind, i).c_str());
        return out;
    }
    std::string counter(const char* key) { return services.counters[key]; }
    // The thread database as saved, read by the peer.
    std::string savedThreads() { return savedThreadDatabase(driver, fileStore); }
    // The sum of the visible files' sizes, as the peer counts it.
    std::string peerUsage()
    {
        const std::string read = peer();
        const std::size_t at = read.find("\"usage\": ");
        return read.substr(at + 9, read.find_first_of(",}", at) - at - 9);
    }

    CVXLString storeNew(const CVXLMessage& message, std::uint32_t box, std::int32_t* result = nullptr)
    {
        CStoreMessageRequest request(kReply);
        request.message = &message;
        request.targetBox = box;
        const std::int32_t answer = send(request);
        if (result)
            *result = answer;
        return request.messageId;
    }
};

// A small message: its headers and one text part as body entity.
CVXLMessage textMessage(const char* from, const char* text = "hello")
{
    CVXLMessage message;
    message.addHeader("X-QV-From-Address", from);
    message.addHeader("X-QV-To-Address-List", "5551111");
    message.addHeader("X-QV-Message-Sent-Time", "1699999000");
    auto* part = new CVXLMimeEntity;
    part->addHeader("Content-Type", "text/plain");
    CVXLByteBuffer body;
    body.appendCString(text);
    part->setBodyBuffer(body);
    message.setBody(CVXLEntityRef(part));
    return message;
}

TEST_F(StoreFixture, AFreshStoreHasItsIndexesAndZeroCounters)
{
    start();
    EXPECT_EQ(peer("index-read", "mms.notyet"), "[\"mms.new\", \"mms.notyet\"]");
    EXPECT_EQ(peer("index-read", "mms.new"), "[]");
    for (std::uint32_t kind : {0u, 1u, 2u, 3u})
        EXPECT_EQ(manager.boxCount(kind), 0u);
    for (const char* key : {kPersInboxNewCount, kPersInboxTotalCount, kPersPremiumNewCount,
             kPersPremiumTotalCount, kPersSentTotalCount})
        EXPECT_EQ(counter(key), "0") << key;
    EXPECT_EQ(counter(kPersMessageStoreUsage), peerUsage());
}

// Reads past a preview body of any size: across the reads' chunk and below,
// at and above their largest read, and a file cut inside its message
// headers (segment 3), which reads short.
TEST_F(StoreFixture, ReadsFindTheirSegmentsPastABodyOfAnySize)
{
    const std::size_t sizes[] = {0, 3000, 4096, 65536, 65537, 200000};
    const auto idOf = [](std::size_t size) {
        return "i17000" + std::to_string(10000 + size % 9999) + "_" + std::to_string(size);
    };
    for (std::size_t size : sizes) {
        const std::string id = idOf(size);
        writeMessage(id,
            {summaryOf("5550001"), segment({{"Content-Type", "image/jpeg"}}, std::string(size, 'j')),
                segment({{"X-QV-Total-Media-Parts", "1"}}), segment({{"15", "3"}}),
                segment({{"Content-Type", "text/plain"}}, "the part")});
    }
    writeMessage("i1700000001_9",
        {summaryOf("5550001"), segment({}, std::string(70000, 'j')),
            segment({{"X-QV-Total-Media-Parts", "1"}}), segment({{"15", "3"}})});
    const std::string cut = readHost(path("i1700000001_9"));
    writeHost(path("i1700000001_9"), cut.substr(0, cut.size() - 3));
    start();

    for (std::size_t size : sizes) {
        SCOPED_TRACE(size);
        const std::string id = idOf(size);
        CStoreReadRequest four(kReply);
        four.mode = 4;
        four.read.messageId = id.c_str();
        EXPECT_EQ(send(four), kResultSucceeded);
        EXPECT_EQ(four.read.bodyLength, size);
        EXPECT_STREQ(four.read.totals.value("X-QV-Total-Media-Parts").c_str(), "1");
        EXPECT_STREQ(four.read.message.value("15").c_str(), "3");
        CStoreReadRequest part(kReply);
        part.mode = 5;
        part.asText = true;
        part.read.messageId = id.c_str();
        EXPECT_EQ(send(part), kResultSucceeded);
        EXPECT_STREQ(part.read.text.c_str(), "the part");
    }
    CStoreReadRequest short4(kReply);
    short4.mode = 4;
    short4.read.messageId = "i1700000001_9";
    EXPECT_EQ(send(short4), kResultDataComplete);
    CStoreReadRequest short3(kReply);
    short3.mode = 3;
    short3.read.messageId = "i1700000001_9";
    EXPECT_EQ(send(short3), kResultSucceeded);
    EXPECT_EQ(short3.read.bodyLength, 70000u);
}

// Summaries read again after the store changed their file read the change:
// a whole message over its preview, a summary rewritten (by the id's own
// spelling and by another), a message deleted.
TEST_F(StoreFixture, AReadAfterAChangeOfTheFileReadsTheChange)
{
    writeMessage("i1700000001_0",
        {summaryOf("5550001"), segment({}), segment({{"X-QV-Total-Media-Parts", "1"}}), segment({}),
            segment({{"Content-Type", "text/plain"}}, "part")});
    start();
    const CVXLMessage preview = textMessage("5550002");
    const CVXLString stored = storeNew(preview, 0);
    auto readFour = [&](const CVXLString& id, std::int32_t* result) {
        CStoreReadRequest four(kReply);
        four.mode = 4;
        four.read.messageId = id;
        *result = send(four);
        return std::string(four.read.summary.value("X-QV-From-Address").c_str()) + "/"
            + four.read.totals.value("X-QV-Total-Media-Parts").c_str();
    };
    auto rewrite = [&](const char* id, const char* from) {
        CStoreSummaryRewriteRequest request(kReply);
        request.messageId = id;
        request.headers.add("X-QV-From-Address", from);
        return send(request);
    };
    const struct {
        const char* name;
        CVXLString id;
        std::function<std::int32_t()> change;
        std::int32_t before;
        std::string after;
        std::int32_t result;
    } cases[] = {
        {"whole over preview", stored,
            [&] {
                auto* body = new CVXLMultipartBody;
                body->appendPart(textMessage("5550002").body());
                CVXLMessage rest;
                rest.setBody(CVXLEntityRef(body));
                CStoreMessageRequest whole(kReply);
                whole.messageId = stored;
                whole.fullMessage = 1;
                whole.message = &rest;
                return send(whole);
            },
            kResultDataComplete, "5550002/1", kResultSucceeded},
        {"rewrite", "i1700000001_0", [&] { return rewrite("i1700000001_0", "5550011"); }, kResultSucceeded,
            "5550011/1", kResultSucceeded},
        {"rewrite by another spelling", "i1700000001_0", [&] { return rewrite("I1700000001_0", "5550012"); },
            kResultSucceeded, "5550012/1", kResultSucceeded},
        {"delete", stored,
            [&] {
                CStoreDeleteRequest drop(kReply);
                drop.messageId = stored;
                return send(drop);
            },
            kResultSucceeded, "/", kResultNotFound},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        std::int32_t result = -1;
        readFour(row.id, &result);
        readFour(row.id, &result);
        EXPECT_EQ(result, row.before);
        ASSERT_EQ(row.change(), kResultSucceeded);
        EXPECT_EQ(readFour(row.id, &result), row.after);
        EXPECT_EQ(result, row.result);
    }
}

// More heads read than are kept: the oldest make room, and a summary
// rewritten afterwards reads rewritten whether its head went or stayed.
TEST_F(StoreFixture, HeadsReadPastTheirBudgetStillReadEveryChange)
{
    start();
    std::vector<CVXLString> ids;
    for (int n = 0; n < 60; ++n) {
        const std::string text(7000, static_cast<char>('a' + n % 26));
        ids.push_back(storeNew(textMessage("5550001", text.c_str()), 0));
        ASSERT_TRUE(ids.back().length());
    }
    auto from = [&](const CVXLString& id) {
        CStoreReadRequest read(kReply);
        read.mode = 2;
        read.read.messageId = id;
        EXPECT_EQ(send(read), kResultSucceeded);
        EXPECT_EQ(read.read.bodyLength, 7000u);
        return std::string(read.read.summary.value("X-QV-From-Address").c_str());
    };
    for (int round = 0; round < 2; ++round) {
        for (const CVXLString& id : ids)
            EXPECT_EQ(from(id), "5550001");
    }
    for (const CVXLString& id : {ids.front(), ids.back()}) {
        CStoreSummaryRewriteRequest rewrite(kReply);
        rewrite.messageId = id;
        rewrite.headers.add("X-QV-From-Address", "5550002");
        ASSERT_EQ(send(rewrite), kResultSucceeded);
        EXPECT_EQ(from(id), "5550002") << id.c_str();
    }
}

// A store seeded by the peer: temporaries and transfer files go, lists are
// newest first, stale index ids are dropped, an emptied not-yet index gets
// its own names back, and a message without a readable summary is deleted
// by the reconcile.
TEST_F(StoreFixture, ASeededStoreLoadsRepairedAndReconciled)
{
    writeMessage("i1700000001_0", {summaryOf("5550001"), segment({})});
    writeMessage("i1700000003_0", {summaryOf("5550003"), segment({})});
    writeMessage("i1700000002_1", {summaryOf("5550002"), segment({})});
    writeMessage("p1700000005_0", {summaryOf("5550005"), segment({})});
    writeMessage("s1700000004_0", {summaryOf("5550004"), segment({})});
    writeMessage("m1700000006_0", {summaryOf("5550006"), segment({})});
    writeMessage("t1700000007_0", {summaryOf("5550007")});
    writeHost(path("temp_mms.raw"), "transfer");
    writeHost(path("not_ind_resp.raw"), "transfer");
    writeMessage("i1700000000_0", {summaryOf("5550000"), segment({})});
    const std::string whole = readHost(path("i1700000000_0"));
    writeHost(path("i1700000000_0"), whole.substr(0, 20)); // cut inside segment 0
    writeIndex("mms.new", "[\"i1700000003_0\", \"p1700000005_0\", \"i1699999999_9\"]");
    writeIndex("mms.notyet", "[]");

    start();
    for (const char* gone : {"t1700000007_0", "temp_mms.raw", "not_ind_resp.raw", "i1700000000_0"})
        EXPECT_FALSE(exists(gone)) << gone;
    EXPECT_EQ(list(0), "i1700000003_0,i1700000002_1,i1700000001_0");
    EXPECT_EQ(list(2), "p1700000005_0");
    EXPECT_EQ(list(3), "s1700000004_0");
    EXPECT_EQ(peer("index-read", "mms.new"), "[\"i1700000003_0\", \"p1700000005_0\"]");
    EXPECT_EQ(peer("index-read", "mms.notyet"), "[\"mms.new\", \"mms.notyet\"]");
    const std::string read = peer();
    EXPECT_NE(
        read.find(
            "\"lists\": [[\"i1700000003_0\", \"i1700000002_1\", \"i1700000001_0\"], [\"m1700000006_0\"], "
            "[\"p1700000005_0\"], [\"s1700000004_0\"]]"),
        std::string::npos)
        << read;
    EXPECT_EQ(counter(kPersInboxTotalCount), "3");
    EXPECT_EQ(counter(kPersPremiumNewCount), "1");
    EXPECT_EQ(counter(kPersPremiumTotalCount), "1");
    EXPECT_EQ(counter(kPersSentTotalCount), "1");
    EXPECT_EQ(counter(kPersHasNewMessages), "1");
    EXPECT_EQ(counter(kPersMessageStoreUsage), peerUsage());
    // Kinds 0, 2 and 3 entered the thread database; the relay copy did not.
    EXPECT_NE(threads.findMessage("i1700000001_0"), nullptr);
    EXPECT_NE(threads.findMessage("s1700000004_0"), nullptr);
    EXPECT_EQ(threads.findMessage("m1700000006_0"), nullptr);
    EXPECT_EQ(threads.findMessage("i1700000000_0"), nullptr);
    EXPECT_TRUE(threads.isMessageNew("i1700000003_0"));

    // The relay-copy purge takes the kind 1 file and never an index.
    CStoreMmboxPurgeRequest purge(kReply);
    const std::int32_t purgeResult = send(purge);
    EXPECT_EQ(purgeResult, kResultSucceeded);
    EXPECT_FALSE(exists("m1700000006_0"));
    EXPECT_TRUE(exists("mms.new"));
    EXPECT_TRUE(exists("mms.notyet"));
}

std::string retrieveConf()
{
    const mmstest::Bytes bytes = mmstest::sampleBytes("retrieve_conf.mms");
    return std::string(bytes.begin(), bytes.end());
}

// A retrieved PDU stored as a new message and then whole: 4 + n segments,
// each part's body byte-equal to the decoded part, and locators that read
// exactly those bytes.
TEST_F(StoreFixture, StoringANewThenAWholeMessageWritesItsSegments)
{
    const std::string bytes = retrieveConf();
    ASSERT_FALSE(bytes.empty());
    CVXLMmsPdu pdu;
    CVXLWspPduDecoder decoder;
    ASSERT_TRUE(decoder.decode(
        reinterpret_cast<const std::uint8_t*>(bytes.data()), static_cast<std::uint32_t>(bytes.size()), pdu));
    auto* body = static_cast<CVXLMultipartBody*>(pdu.body().get());
    ASSERT_NE(body, nullptr);
    ASSERT_EQ(body->kind(), CVXLMimeEntity::kMultipart);
    const std::uint32_t parts = body->partCount();
    ASSERT_GE(parts, 2u);

    start();
    std::int32_t result = -1;
    const CVXLString id = storeNew(pdu, 0, &result);
    ASSERT_EQ(result, kResultSucceeded);
    EXPECT_STREQ(id.c_str(), "i1700000000_0");
    EXPECT_EQ(list(0), "i1700000000_0");
    EXPECT_TRUE(manager.isNew(id));

    CStoreMessageRequest whole(kReply);
    whole.messageId = id;
    whole.fullMessage = 1;
    whole.message = &pdu;
    const std::int32_t wholeResult = send(whole);
    ASSERT_EQ(wholeResult, kResultSucceeded);

    const std::string segments = peer("segments", id.c_str());
    EXPECT_NE(segments.find("[[\"X-QV-Total-Media-Parts\", \"" + std::to_string(parts) + "\", null]], \"\"]"),
        std::string::npos)
        << segments;
    const std::string file = readHost(path(id.c_str()));
    for (std::uint32_t n = 0; n < parts; ++n) {
        SCOPED_TRACE(n);
        const CVXLMimeEntity* part = body->partAt(n).get();
        const std::string expected(reinterpret_cast<const char*>(part->bodyData()), part->bodyLength());
        CStoreReadRequest read(kReply);
        read.mode = 5;
        read.partIndex = n;
        read.read.messageId = id;
        const std::int32_t readResult = send(read);
        ASSERT_EQ(readResult, kResultSucceeded);
        const std::string locator = read.read.bodyLocator.c_str();
        const std::size_t bar = locator.find('|');
        const std::size_t bar2 = locator.find('|', bar + 1);
        ASSERT_NE(bar2, std::string::npos) << locator;
        EXPECT_EQ(locator.substr(0, bar), id.c_str());
        const std::size_t offset = std::stoul(locator.substr(bar + 1, bar2 - bar - 1));
        const std::size_t length = std::stoul(locator.substr(bar2 + 1));
        EXPECT_EQ(file.substr(offset, length), expected);
        EXPECT_EQ(read.read.bodyLength, expected.size());
    }
    // Read in mode 5, the message is no longer new.
    EXPECT_FALSE(manager.isNew(id));
    EXPECT_EQ(peer("index-read", "mms.new"), "[]");
    const std::string read = peer();
    EXPECT_NE(
        read.find("\"" + std::string(id.c_str()) + "\": " + std::to_string(4 + parts)), std::string::npos)
        << read;
    EXPECT_EQ(counter(kPersMessageStoreUsage), peerUsage());
}

// Read modes as one table: which maps come back, whether a body locator
// does, and that only mode 5 marks the message read.
TEST_F(StoreFixture, ReadModesDeliverTheirSegments)
{
    writeMessage("i1700000001_0",
        {summaryOf("5550001"), segment({{"Content-Type", "image/jpeg"}}, "JPEG"),
            segment({{"X-QV-Total-Media-Parts", "2"}}), segment({{"15", "3"}}, "whole"),
            segment({{"Content-Type", "text/plain"}}, "first part"),
            segment({{"Content-Type", "image/gif"}}, "GIF")});
    writeMessage("i1700000002_0",
        {summaryOf("5550002"), segment({}), segment({{"X-QV-Total-Media-Parts", "1"}}), segment({}),
            segment({{"Content-Type", "text/plain"}}, "only part")});
    writeIndex("mms.new", "[\"i1700000001_0\"]");
    start();

    struct Case {
        std::uint32_t mode;
        std::uint32_t partIndex;
        bool asText;
        // summary, totals, message, content names; the content's type
        std::string maps;
        std::string contentType;
        std::string text;
        bool readAfter;
    };
    const Case cases[] = {
        {0, 0, false, "0100", "", "", false},
        {1, 0, false, "1000", "", "", false},
        {6, 0, false, "1000", "", "", false},
        {2, 0, false, "1001", "image/jpeg", "", false},
        {3, 0, false, "1101", "image/jpeg", "", false},
        {4, 0, false, "1111", "image/jpeg", "", false},
        {5, 1, true, "1111", "image/gif", "GIF", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        CStoreReadRequest read(kReply);
        read.mode = c.mode;
        read.partIndex = c.partIndex;
        read.asText = c.asText;
        read.read.messageId = "i1700000001_0";
        const std::int32_t readResult = send(read);
        EXPECT_EQ(readResult, kResultSucceeded);
        const CVXLStoredMessageRead& r = read.read;
        const std::string maps = std::string(r.summary.nameCount() ? "1" : "0")
            + (r.totals.nameCount() ? "1" : "0") + (r.message.nameCount() ? "1" : "0")
            + (r.content.nameCount() ? "1" : "0");
        EXPECT_EQ(maps, c.maps);
        EXPECT_EQ(r.content.value("Content-Type").c_str(), c.contentType);
        EXPECT_EQ(r.bodyLocator.length() != 0, !c.contentType.empty());
        EXPECT_EQ(r.text.c_str(), c.text);
        EXPECT_EQ(r.read, c.readAfter);
        EXPECT_EQ(manager.isNew("i1700000001_0"), !c.readAfter);
    }

    // Past the last part: the end of the file.
    CStoreReadRequest past(kReply);
    past.mode = 5;
    past.partIndex = 2;
    past.read.messageId = "i1700000001_0";
    const std::int32_t pastResult = send(past);
    EXPECT_EQ(pastResult, kResultDataComplete);

    // Part headers: 3 asked of a file holding 2 parts fill 2 (of one part, 1).
    CVXLHeaderMap parts[3];
    CStorePartsQuery query(kReply);
    query.messageId = "i1700000001_0";
    query.partCount = 3;
    query.parts = parts;
    const std::int32_t queryResult = send(query);
    EXPECT_EQ(queryResult, kResultSucceeded);
    EXPECT_STREQ(parts[0].value("Content-Type").c_str(), "text/plain");
    EXPECT_STREQ(parts[1].value("Content-Type").c_str(), "image/gif");
    EXPECT_EQ(parts[2].nameCount(), 0u);
    EXPECT_EQ(query.fileSize, readHost(path("i1700000001_0")).size());
    CVXLHeaderMap one[3];
    CStorePartsQuery single(kReply);
    single.messageId = "i1700000002_0";
    single.partCount = 3;
    single.parts = one;
    EXPECT_EQ(send(single), kResultSucceeded);
    EXPECT_EQ(one[0].nameCount(), 1u);
    EXPECT_EQ(one[1].nameCount() + one[2].nameCount(), 0u);

    // A summary filled from a mode 4 read.
    CStoreReadRequest four(kReply);
    four.mode = 4;
    four.read.messageId = "i1700000001_0";
    send(four);
    CVXLMessageSummary summary;
    summary.fill(four.read, kNow);
    EXPECT_STREQ(summary.fromAddress().c_str(), "5550001");
    EXPECT_EQ(summary.priority(), CVXLMessageSummary::kHigh);
    EXPECT_EQ(summary.getTotalMediaParts(), 2u);
    EXPECT_TRUE(summary.isRead());
    ASSERT_NE(summary.mediaRef(), nullptr);
}

TEST_F(StoreFixture, BoxStatusAndIdWindows)
{
    writeMessage("i1700000001_0", {summaryOf("1"), segment({})});
    writeMessage("i1700000002_0", {summaryOf("2"), segment({})});
    writeMessage("i1700000003_0", {summaryOf("3"), segment({})});
    writeMessage("s1700000004_0", {summaryOf("4"), segment({})});
    writeIndex("mms.new", "[\"i1700000002_0\", \"s1700000004_0\"]");
    store.budget = 5000;
    start();

    const struct {
        std::uint32_t kind;
        std::uint32_t count;
        std::uint32_t newCount;
    } statuses[] = {{0, 3, 1}, {3, 1, 0}, {2, 0, 0}, {1, 0, 0}};
    for (const auto& s : statuses) {
        CStoreCountQuery query(kReply);
        query.kind = s.kind;
        EXPECT_EQ(send(query), kResultSucceeded);
        EXPECT_EQ(query.count, s.count) << s.kind;
        EXPECT_EQ(query.newCount, s.newCount) << s.kind;
        EXPECT_EQ(query.freeBudget, 5000u);
    }

    const struct {
        std::uint32_t start;
        std::uint32_t size;
        std::string ids;
    } windows[] = {
        {0, 2, "i1700000003_0,i1700000002_0"}, {1, 5, "i1700000002_0,i1700000001_0"}, {3, 2, ""}, {9, 2, ""}};
    for (const auto& w : windows) {
        CStoreIdListQuery query(kReply);
        query.kind = 0;
        query.start = w.start;
        query.size = w.size;
        const std::int32_t queryResult = send(query);
        std::string ids;
        for (std::uint32_t i = 0; i < query.ids.count(); ++i)
            ids += (i ? "," : "") + std::string(query.ids.at(static_cast<int>(i)).c_str());
        EXPECT_EQ(ids, w.ids) << w.start;
        EXPECT_EQ(query.count, query.ids.count());
        EXPECT_EQ(queryResult, kResultSucceeded);
    }
}

// With the limit of 100 reached, the oldest of the inbox, premium and sent
// lists' last ids goes first (premium wins a tie with the inbox).
TEST_F(StoreFixture, TheLimitEvictsTheOldestOfTheThreeLists)
{
    writeMessage("i1699999999_5", {summaryOf("1"), segment({})});
    writeMessage("i1600000003_0", {summaryOf("1"), segment({})});
    writeMessage("p1600000003_0", {summaryOf("1"), segment({})});
    writeMessage("s1600000002_0", {summaryOf("1"), segment({})});
    writeMessage("m1500000000_0", {summaryOf("1"), segment({})});
    // Newer inbox messages up to the limit of 100 (copies of one the peer wrote).
    const std::string filler = readHost(path("i1699999999_5"));
    for (int n = 10; n < 106; ++n)
        writeHost(path("i1699999999_" + std::to_string(n)), filler);
    ASSERT_EQ(services.limit, 100u);
    start();

    const CVXLMessage message = textMessage("5559999");
    const char* expected[] = {"s1600000002_0", "p1600000003_0", "i1600000003_0"};
    for (const char* evicted : expected) {
        EXPECT_TRUE(exists(evicted));
        services.now += 1;
        std::int32_t result = -1;
        const CVXLString id = storeNew(message, 0, &result);
        EXPECT_EQ(result, kResultSucceeded);
        EXPECT_FALSE(exists(evicted)) << evicted;
        EXPECT_EQ(manager.boxIdAt(0, 0), id);
        EXPECT_EQ(manager.boxCount(0) + manager.boxCount(2) + manager.boxCount(3), 100u);
    }
    EXPECT_TRUE(exists("m1500000000_0")); // relay copies do not count

    // Two ids in one second, and the first of the next.
    services.now += 1;
    const CVXLString a = storeNew(message, 3);
    const CVXLString b = storeNew(message, 3);
    services.now += 1;
    const CVXLString c = storeNew(message, 3);
    EXPECT_STREQ(a.c_str(), "s1700000004_0");
    EXPECT_STREQ(b.c_str(), "s1700000004_1");
    EXPECT_STREQ(c.c_str(), "s1700000005_0");
    EXPECT_EQ(counter(kPersMessageStoreUsage), peerUsage());
}

TEST_F(StoreFixture, AStoreWithoutRoomFreesRelayCopiesFirstThenFails)
{
    writeMessage("m1700000001_0", {summaryOf("1"), segment({})});
    start();
    const CVXLMessage message = textMessage("5559999", "a body of some length");
    store.budget = 10;
    std::int32_t result = -1;
    storeNew(message, 0, &result);
    EXPECT_EQ(result, kResultStoreNoRoom);
    EXPECT_FALSE(exists("m1700000001_0"));
    EXPECT_EQ(manager.boxCount(0), 0u);
    EXPECT_EQ(peer("index-read", "mms.new"), "[]");

    store.budget = -1;
    storeNew(message, 0, &result);
    EXPECT_EQ(result, kResultSucceeded);
    EXPECT_EQ(counter(kPersMessageStoreUsage), peerUsage());

    CStoreMessageRequest bad(kReply);
    bad.message = &message;
    bad.fullMessage = 2;
    const std::int32_t badResult = send(bad);
    EXPECT_EQ(badResult, kResultStoreBadKind);
}

// Deleting an unread message takes it out of "mms.new", the counters and
// its thread.
TEST_F(StoreFixture, DeletingAnUnreadMessageLeavesIndexCountersAndThread)
{
    TraceJob premium("premium");
    driver.attach(&premium);
    manager.setPremiumInbox(&premium);
    start();
    const CVXLMessage message = textMessage("5550123");
    const CVXLString id = storeNew(message, 0);
    driver.runUntilIdle();
    ASSERT_NE(threads.findMessage(id), nullptr);
    EXPECT_NE(savedThreads().find(id.c_str()), std::string::npos);
    EXPECT_EQ(counter(kPersInboxNewCount), "1");
    EXPECT_EQ(counter(kPersInboxTotalCount), "1");
    EXPECT_EQ(peer("index-read", "mms.new"), "[\"" + std::string(id.c_str()) + "\"]");

    CStoreDeleteRequest request(kReply);
    request.messageId = id;
    const std::int32_t requestResult = send(request);
    driver.runUntilIdle();
    EXPECT_EQ(requestResult, kResultSucceeded);
    EXPECT_FALSE(exists(id.c_str()));
    EXPECT_EQ(peer("index-read", "mms.new"), "[]");
    EXPECT_EQ(counter(kPersInboxNewCount), "0");
    EXPECT_EQ(counter(kPersInboxTotalCount), "0");
    EXPECT_EQ(threads.findMessage(id), nullptr);
    EXPECT_EQ(threads.totalNewCount(), 0u);
    EXPECT_EQ(savedThreads().find(id.c_str()), std::string::npos);
    EXPECT_EQ(counter(kPersMessageStoreUsage), peerUsage());
    // The premium inbox hears of every deleted file (request 38).
    EXPECT_EQ(std::count(premium.codes.begin(), premium.codes.end(), 38), 1);

    CStoreDeleteRequest missing(kReply);
    missing.messageId = "mms.new";
    const std::int32_t missingResult = send(missing);
    EXPECT_NE(missingResult, kResultSucceeded);
    EXPECT_TRUE(exists("mms.new"));
}

ino_t inodeOf(const std::string& path)
{
    struct stat st { };
    return ::stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

std::string indexBytes(const std::vector<std::string>& ids)
{
    std::string bytes;
    for (const std::string& id : ids)
        bytes += id + '\0';
    return bytes;
}

// A new message's entry goes on the end of "mms.new" in place; a delete
// writes the index anew, and the entries after it go on its end.
TEST_F(StoreFixture, NewEntriesGoOnTheEndOfTheIndexInPlace)
{
    start();
    const ino_t file = inodeOf(path("mms.new"));
    std::vector<std::string> ids;
    for (std::uint32_t box : {0u, 2u, 3u, 0u}) {
        const CVXLString id = storeNew(textMessage("5550123"), box);
        ASSERT_TRUE(id.length());
        if (box != 3)
            ids.push_back(id.c_str());
    }
    EXPECT_EQ(readHost(path("mms.new")), indexBytes(ids));
    EXPECT_EQ(inodeOf(path("mms.new")), file) << "appended, not replaced";
    EXPECT_EQ(counter(kPersMessageStoreUsage), peerUsage());

    for (std::size_t at : {2, 0}) {
        CStoreDeleteRequest drop(kReply);
        drop.messageId = ids[at].c_str();
        ASSERT_EQ(send(drop), kResultSucceeded);
        ids.erase(ids.begin() + static_cast<std::ptrdiff_t>(at));
    }
    ids.push_back(storeNew(textMessage("5550124"), 0).c_str());
    EXPECT_EQ(readHost(path("mms.new")), indexBytes(ids));
    EXPECT_EQ(counter(kPersMessageStoreUsage), peerUsage());
    EXPECT_EQ(manager.inboxNewCount(), 1u);
    EXPECT_EQ(manager.premiumNewCount(), 1u);
}

// An append cut short by a full disk leaves half an entry on the end; the
// index is written anew whole, the message stored and new.
TEST_F(StoreFixture, AnAppendCutShortIsMendedByAWholeWrite)
{
    start();
    const CVXLString first = storeNew(textMessage("5550123"), 0);
    store.cutAppends = true;
    std::int32_t result = -1;
    const CVXLString second = storeNew(textMessage("5550124"), 0, &result);
    EXPECT_EQ(result, kResultSucceeded);
    EXPECT_TRUE(exists(second.c_str()));
    EXPECT_TRUE(manager.isNew(second));
    EXPECT_EQ(readHost(path("mms.new")), indexBytes({first.c_str(), second.c_str()}));
    EXPECT_EQ(counter(kPersMessageStoreUsage), peerUsage());
    // The next append follows the whole file.
    store.cutAppends = false;
    const CVXLString third = storeNew(textMessage("5550125"), 0);
    EXPECT_EQ(readHost(path("mms.new")), indexBytes({first.c_str(), second.c_str(), third.c_str()}));
}

// What a load finds in "mms.new": the file is left as it is only when it
// holds exactly its entries, else written anew, so that the next entry
// appended follows whole ones. An entry without its NUL (an append cut off)
// is dropped even when it names a stored message.
TEST(StoreIndexLoad, ALoadLeavesOnlyAnExactIndexForAppends)
{
    const std::string a = "i1700000001_1";
    const std::string b = "i1700000001_10";
    const struct {
        const char* name;
        std::string bytes;
        std::vector<std::string> kept;
        bool rewritten;
    } cases[] = {
        {"exact", indexBytes({a, b}), {a, b}, false},
        {"empty", "", {}, false},
        {"cut entry", indexBytes({b}) + "i17000", {b}, true},
        {"cut entry naming a message", indexBytes({b}) + a, {b}, true},
        {"repeated entry", indexBytes({a, a, b}), {a, b}, true},
        {"empty entry", std::string(1, '\0') + indexBytes({a}), {a}, true},
        {"stale entry", indexBytes({"i1699999999_0", a}), {a}, true},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        TempDeviceRoot fresh;
        BudgetStore rowStore;
        StoreServices rowServices;
        CMessageStoreManager rowManager;
        rowManager.setStore(&rowStore);
        rowManager.setServices(&rowServices);
        const std::string folder = hostFolderOf(rowStore);
        for (const std::string& id : {a, b})
            writeMessageFile(
                folder + "/" + id, {summaryOf("5550001"), segment({})}, fresh.hostPath("seed.json"));
        writeHost(folder + "/mms.new", row.bytes);
        const ino_t before = inodeOf(folder + "/mms.new");
        JobTreeDriver rowDriver;
        TraceJob rowRequester {"requester"};
        rowDriver.attach(&rowRequester);
        rowDriver.attach(&rowManager);
        rowDriver.runUntilIdle();
        ASSERT_TRUE(rowManager.isActive());
        EXPECT_EQ(readHost(folder + "/mms.new"), indexBytes(row.kept));
        EXPECT_EQ(inodeOf(folder + "/mms.new") != before, row.rewritten);
        for (const std::string& id : {a, b}) {
            const bool kept = std::find(row.kept.begin(), row.kept.end(), id) != row.kept.end();
            EXPECT_EQ(rowManager.isNew(id.c_str()), kept) << id;
        }

        CVXLMessage message = textMessage("5550123");
        CStoreMessageRequest request(kReply);
        request.message = &message;
        rowRequester.post(&rowManager, &request);
        rowDriver.runUntilIdle();
        ASSERT_TRUE(request.messageId.length());
        std::vector<std::string> after = row.kept;
        after.push_back(request.messageId.c_str());
        EXPECT_EQ(readHost(folder + "/mms.new"), indexBytes(after));
        rowManager.stop();
        rowDriver.runUntilIdle();
    }
}

// A summary rewrite keeps everything after segment 1; a wipe leaves only
// the indexes and zero counters.
TEST_F(StoreFixture, SummaryRewriteKeepsThePartsAndWipeEmptiesTheStore)
{
    writeMessage("i1700000001_0",
        {summaryOf("1"), segment({{"Content-Type", "text/plain"}}, "body"),
            segment({{"X-QV-Total-Media-Parts", "1"}}), segment({}, "whole"),
            segment({{"Content-Type", "text/plain"}}, "part")});
    start();
    CStoreSummaryRewriteRequest rewrite(kReply);
    rewrite.messageId = "i1700000001_0";
    rewrite.headers.add("X-QV-From-Address", "5550002");
    const std::int32_t rewriteResult = send(rewrite);
    EXPECT_EQ(rewriteResult, kResultSucceeded);
    EXPECT_EQ(peer("segments", "i1700000001_0"),
        "[[[[\"X-QV-From-Address\", \"5550002\", null]], \"\"], [[[\"Content-Type\", \"text/plain\", null]], "
        "\"626f6479\"], [[[\"X-QV-Total-Media-Parts\", \"1\", null]], \"\"], [[], \"77686f6c65\"], "
        "[[[\"Content-Type\", \"text/plain\", null]], \"70617274\"]]");
    EXPECT_EQ(counter(kPersMessageStoreUsage), peerUsage());

    CStoreWipeRequest wipe(kReply);
    const std::int32_t wipeResult = send(wipe);
    EXPECT_EQ(wipeResult, kResultSucceeded);
    EXPECT_FALSE(exists("i1700000001_0"));
    EXPECT_EQ(peer("index-read", "mms.notyet"), "[\"mms.new\", \"mms.notyet\"]");
    EXPECT_EQ(counter(kPersInboxTotalCount), "0");
    EXPECT_EQ(counter(kPersMessageStoreUsage), peerUsage());
}

} // namespace

namespace {

// A clock set back makes no id of a message still stored.
TEST_F(StoreFixture, ANewIdNeverReplacesAStoredMessage)
{
    writeMessage("i1700000000_0", {summaryOf("5550001"), segment({})});
    const std::string before = readHost(path("i1700000000_0"));
    start();
    const CVXLString id = storeNew(textMessage("5550002"), 0);
    EXPECT_STREQ(id.c_str(), "i1700000000_1");
    EXPECT_EQ(readHost(path("i1700000000_0")), before);
    EXPECT_EQ(manager.boxCount(0), 2u);
}

} // namespace

namespace {

// Streams of other jobs: a write makes room first (twice its hint and 1024
// bytes, or 4 MiB without one), relay copies before media parts; a read may
// name a body locator; the store closes a stream when its job ends.
TEST_F(StoreFixture, FileStreamsOfOtherJobsMakeRoomFirst)
{
    writeMessage("m1700000001_0", {summaryOf("1"), segment({})});
    writeMessage("i1700000002_0",
        {summaryOf("2"), segment({}), segment({{"X-QV-Total-Media-Parts", "1"}}), segment({}),
            segment({{"Content-Type", "image/gif"}}, "GIF89a")});
    start();
    auto open = [&](std::uint32_t hint, std::int64_t budget) {
        store.budget = budget;
        CStoreFileWriteRequest request(kReply);
        request.fileName = "temp_mms.raw";
        request.sizeHint = hint;
        EXPECT_EQ(send(request), kResultSucceeded);
        EXPECT_NE(request.job, nullptr);
        EXPECT_EQ(store.openStreams(), 1u);
        request.job->stop();
        driver.runUntilIdle();
        EXPECT_EQ(store.openStreams(), 0u);
    };
    open(100000, 201024);
    EXPECT_TRUE(exists("m1700000001_0"));
    open(100000, 201023);
    EXPECT_FALSE(exists("m1700000001_0"));
    open(0, 4194304);
    EXPECT_NE(peer().find("\"i1700000002_0\": 5"), std::string::npos);
    open(0, 4194303);
    EXPECT_NE(peer().find("\"i1700000002_0\": 4"), std::string::npos) << peer();
    EXPECT_EQ(counter(kPersMessageStoreUsage), peerUsage());

    CStoreFileWriteRequest index(kReply);
    index.fileName = "mms.new";
    EXPECT_EQ(send(index), kResultNotFound);
    EXPECT_EQ(index.job, nullptr);

    const struct {
        const char* name;
        std::int32_t result;
    } reads[] = {{"i1700000002_0|40|6", kResultSucceeded}, {"i1700000002_0", kResultSucceeded},
        {"i1700000002_0|40", kResultNotFound}, {"i1700000009_0|0|4", kResultNotFound}};
    for (const auto& r : reads) {
        CVXLNamedRequest request(kEventFileOpenForReading, kReply);
        request.fileName = r.name;
        EXPECT_EQ(send(request), r.result) << r.name;
        EXPECT_EQ(request.job != nullptr, r.result == kResultSucceeded) << r.name;
        if (request.job) {
            request.job->stop();
            driver.runUntilIdle();
        }
        EXPECT_EQ(store.openStreams(), 0u);
    }
}

} // namespace

namespace {

// While a relay mailbox transfer file is written, its room is made without
// the relay copies, and a purge leaves them.
TEST_F(StoreFixture, RelayCopiesStayWhileARelayTransferIsWritten)
{
    writeMessage("m1700000001_0", {summaryOf("1"), segment({})});
    start();
    store.budget = 1000;
    CStoreFileWriteRequest request(kReply);
    request.fileName = "temp_mmboxmms.raw";
    request.sizeHint = 100000;
    ASSERT_EQ(send(request), kResultSucceeded);
    ASSERT_NE(request.job, nullptr);
    EXPECT_TRUE(exists("m1700000001_0"));
    CStoreMmboxPurgeRequest purge(kReply);
    EXPECT_EQ(send(purge), kResultSucceeded);
    EXPECT_TRUE(exists("m1700000001_0"));

    request.job->stop();
    driver.runUntilIdle();
    EXPECT_EQ(send(purge), kResultSucceeded);
    EXPECT_FALSE(exists("m1700000001_0"));
}

} // namespace

namespace {

// A transfer file is written in place, unflushed (it is deleted at the next
// load); any other file a job writes replaces the old one whole.
TEST_F(StoreFixture, TransferFilesAreWrittenInPlaceOtherFilesReplaced)
{
    start();
    const struct {
        const char* name;
        std::int32_t mode;
    } rows[] = {
        {"temp_not.raw", CVXLFileStreamSinkJob::kOpenScratch},
        {"temp_mms.raw", CVXLFileStreamSinkJob::kOpenScratch},
        {"not_ind_resp.raw", CVXLFileStreamSinkJob::kOpenScratch},
        {"temp_mmboxmms.raw", CVXLFileStreamSinkJob::kOpenScratch},
        {"temp_mms.raw.bak", CVXLFileStreamSinkJob::kOpenWrite},
        {"picture.jpg", CVXLFileStreamSinkJob::kOpenWrite},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        CStoreFileWriteRequest request(kReply);
        request.fileName = row.name;
        ASSERT_EQ(send(request), kResultSucceeded);
        ASSERT_NE(request.job, nullptr);
        const auto* sink = dynamic_cast<CVXLFileStreamSinkJob*>(request.job);
        ASSERT_NE(sink, nullptr);
        EXPECT_EQ(sink->openMode(), row.mode);
        request.job->stop();
        driver.runUntilIdle();
    }
}

// Every open code of the store reaches the same stream: a write makes room
// first, a read takes a body locator's window, and a stored message is never
// written by another job.
TEST_F(StoreFixture, EveryOpenCodeOpensAStream)
{
    writeMessage("i1700000002_0", {summaryOf("2"), segment({})});
    start();
    const struct {
        std::int32_t code;
        const char* name;
        std::int32_t result;
    } rows[] = {
        {kEventFileOpenForWriting, "temp_mms.raw", kResultSucceeded},
        {kEventStoreFileOpenForWriting, "temp_mms.raw", kResultSucceeded},
        {kEventStoreTransferFileOpen, "temp_not.raw", kResultSucceeded},
        {kEventStoreTransferFileOpen, "temp_mmboxmms.raw", kResultSucceeded},
        {kEventStoreFileOpenForWriting, "i1700000002_0", kResultNotFound},
        {kEventStoreTransferFileOpen, "mms.new", kResultNotFound},
        {kEventFileOpenForReading, "i1700000002_0|0|4", kResultSucceeded},
        {kEventFileStoreOpenForReading, "i1700000002_0|0|4", kResultSucceeded},
        {kEventStoreFileOpenForReading, "i1700000002_0|0|4", kResultSucceeded},
        {kEventStoreFileOpenForReading, "i1700000002_0|0", kResultNotFound},
        {kEventStoreFileOpenForReading, "i1700000009_0", kResultNotFound},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.name) + " code " + std::to_string(row.code));
        store.budget = 1 << 30;
        CStoreFileWriteRequest request(kReply, row.code);
        request.fileName = row.name;
        request.sizeHint = 100000;
        EXPECT_EQ(send(request), row.result);
        EXPECT_EQ(request.job != nullptr, row.result == kResultSucceeded);
        if (request.job) {
            request.job->stop();
            driver.runUntilIdle();
        }
        EXPECT_EQ(store.openStreams(), 0u);
    }
}

} // namespace
