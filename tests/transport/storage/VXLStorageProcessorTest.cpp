#include "engine/transport/storage/VXLStorageProcessor.h"

#include "engine/transport/storage/VXLReadStorageTransaction.h"
#include "engine/transport/storage/VXLStorageBlock.h"
#include "engine/transport/storage/VXLStorageObject.h"
#include "engine/transport/storage/VXLStorageSink.h"
#include "engine/transport/storage/VXLWriteStorageTransaction.h"
#include "engine/transport/tasks/VXLTaskProcessor.h"
#include "engine/transport/tasks/VXLTransactionListener.h"
#include "tests/support/JobTreeDriver.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

class RecordingListener : public CVXLTransactionListener {
public:
    void transactionFinished(std::int32_t result) override { results.push_back(result); }
    std::vector<std::int32_t> results;
};

// A stored object in memory. Each operation reports at once, or, when
// `deferred`, when the test calls release().
class FakeStorage : public CVXLStorageObject {
public:
    std::string contents; // what reads return
    std::string written;
    bool deferred = false;
    bool failOpen = false;
    bool failClose = false;
    int failReadAt = -1; // index of the read that reports an error
    int failWriteAt = -1;
    std::uint32_t maxWrite = 0xFFFFFFFFu; // bytes one write takes at most
    std::uint32_t mode = 0;
    int opens = 0, reads = 0, writes = 0, closes = 0, abandons = 0;

    void open(CVXLCallback* callback, std::uint32_t openMode) override
    {
        ++opens;
        mode = openMode;
        const bool fails = failOpen;
        report([callback, fails] { callback->call(fails ? 4 : 0); });
    }

    void read(CVXLStorageBlock* block, std::uint32_t maxBytes) override
    {
        const int index = reads++;
        if (index == failReadAt)
            return report([block] { block->complete(10); });
        const std::uint32_t left = static_cast<std::uint32_t>(contents.size()) - position_;
        const std::uint32_t n = left < maxBytes ? left : maxBytes;
        if (n == 0)
            return report([block] { block->complete(3); });
        block->bytes().append(contents.data() + position_, n);
        position_ += n;
        report([block] { block->complete(0); });
    }

    void write(CVXLStorageBlock* block) override
    {
        const int index = writes++;
        if (index == failWriteAt)
            return report([block] { block->complete(14); });
        std::uint32_t n = block->bytes().length();
        if (n > maxWrite)
            n = maxWrite;
        written.append(reinterpret_cast<const char*>(block->bytes().data()), n);
        report([block, n] { block->complete(0, n); });
    }

    void close(CVXLCallback* callback) override
    {
        ++closes;
        const bool fails = failClose;
        report([callback, fails] { callback->call(fails ? 5 : 0); });
    }

    void abandon() override
    {
        ++abandons;
        held_ = nullptr;
    }

    bool holding() const { return static_cast<bool>(held_); }
    void release()
    {
        auto report = held_;
        held_ = nullptr;
        if (report)
            report();
    }

private:
    void report(std::function<void()> what)
    {
        if (deferred)
            held_ = std::move(what);
        else
            what();
    }

    std::uint32_t position_ = 0;
    std::function<void()> held_;
};

class StringSink : public CVXLStorageSink {
public:
    bool write(const std::uint8_t* bytes, std::uint32_t length) override
    {
        chunks.push_back(length);
        if (static_cast<int>(chunks.size()) == refuseAt)
            return false;
        got.append(reinterpret_cast<const char*>(bytes), length);
        return true;
    }
    std::string got;
    std::vector<std::uint32_t> chunks;
    int refuseAt = -1;
};

std::string pattern(std::size_t n)
{
    std::string out(n, '\0');
    for (std::size_t i = 0; i < n; ++i)
        out[i] = static_cast<char>((i * 131 + i / 251) & 0xFF);
    return out;
}

// The storage processor registered with a task processor on a driven clock
// (the engine leaves it unregistered; tests register it to reach it).
class StorageProcessorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        driver.attach(&tasks);
        tasks.registerProcessor(&processor);
        driver.runUntilIdle();
    }

    void run(CVXLTransaction& transaction, const RecordingListener& listener)
    {
        ASSERT_EQ(tasks.addTransaction(&transaction), 1);
        for (int tick = 0; tick < 5 && listener.results.empty(); ++tick)
            driver.runToNextTimer();
        ASSERT_EQ(listener.results.size(), 1u);
        EXPECT_FALSE(processor.isBusy());
    }

    // Submits and steps until the storage object holds the first report.
    void startDeferred(CVXLTransaction& transaction, FakeStorage& storage)
    {
        storage.deferred = true;
        ASSERT_EQ(tasks.addTransaction(&transaction), 1);
        driver.runToNextTimer();
        ASSERT_TRUE(storage.holding());
    }

    JobTreeDriver driver;
    CVXLTaskProcessor tasks;
    CVXLStorageProcessor processor;
};

TEST_F(StorageProcessorTest, ReadsInBlocksIntoTheSink)
{
    struct Case {
        const char* what;
        std::size_t size;
        std::function<void(FakeStorage&, StringSink&)> setUp;
        std::int32_t result;
        std::vector<std::uint32_t> chunks;
        int closes;
    };
    const Case cases[] = {
        {"25,000 bytes", 25000, nullptr, 0, {10240, 10240, 4520}, 1},
        {"empty object", 0, nullptr, 0, {}, 1},
        {"open fails", 100, [](FakeStorage& s, StringSink&) { s.failOpen = true; }, 1, {}, 0},
        {"read error on the second block", 25000, [](FakeStorage& s, StringSink&) { s.failReadAt = 1; }, 1,
            {10240}, 1},
        {"close fails", 100, [](FakeStorage& s, StringSink&) { s.failClose = true; }, 1, {100}, 1},
        {"sink refuses the second block", 25000, [](FakeStorage&, StringSink& k) { k.refuseAt = 2; }, 1,
            {10240, 10240}, 1},
    };
    for (const Case& c : cases) {
        auto* storage = new FakeStorage;
        const CVXLStorageRef ref(storage);
        storage->contents = pattern(c.size);
        StringSink sink;
        if (c.setUp)
            c.setUp(*storage, sink);
        RecordingListener listener;
        CVXLReadStorageTransaction transaction {CVXLTransactionListenerRef(&listener)};
        transaction.setStorage(ref);
        transaction.setSink(&sink);
        run(transaction, listener);
        EXPECT_EQ(listener.results, std::vector<std::int32_t> {c.result}) << c.what;
        EXPECT_EQ(sink.chunks, c.chunks) << c.what;
        EXPECT_EQ(storage->mode, CVXLStorageObject::kOpenRead) << c.what;
        EXPECT_EQ(storage->closes, c.closes) << c.what;
        if (c.result == 0) {
            EXPECT_TRUE(sink.got == storage->contents) << c.what;
        }
    }
}

TEST_F(StorageProcessorTest, WritesTheBufferUntilNothingIsLeft)
{
    struct Case {
        const char* what;
        std::size_t size;
        std::function<void(FakeStorage&)> setUp;
        std::int32_t result;
        int writes;
        int closes;
    };
    const Case cases[] = {
        {"25,000 bytes, 4,096 a write", 25000, [](FakeStorage& s) { s.maxWrite = 4096; }, 0, 7, 1},
        {"25,000 bytes at once", 25000, nullptr, 0, 1, 1},
        {"empty buffer", 0, nullptr, 0, 1, 1},
        {"open fails", 10, [](FakeStorage& s) { s.failOpen = true; }, 1, 0, 0},
        {"write error", 25000, [](FakeStorage& s) { s.maxWrite = 4096, s.failWriteAt = 2; }, 1, 3, 1},
        {"object takes nothing", 10, [](FakeStorage& s) { s.maxWrite = 0; }, 1, 1, 1},
        {"close fails", 10, [](FakeStorage& s) { s.failClose = true; }, 1, 1, 1},
    };
    for (const Case& c : cases) {
        auto* storage = new FakeStorage;
        const CVXLStorageRef ref(storage);
        if (c.setUp)
            c.setUp(*storage);
        const std::string data = pattern(c.size);
        CVXLByteBuffer bytes;
        bytes.append(data.data(), static_cast<std::uint32_t>(data.size()));
        RecordingListener listener;
        CVXLWriteStorageTransaction transaction {CVXLTransactionListenerRef(&listener)};
        transaction.setStorage(ref);
        transaction.setBytes(bytes);
        run(transaction, listener);
        EXPECT_EQ(listener.results, std::vector<std::int32_t> {c.result}) << c.what;
        EXPECT_EQ(storage->writes, c.writes) << c.what;
        EXPECT_EQ(storage->closes, c.closes) << c.what;
        if (c.result == 0) {
            EXPECT_EQ(storage->mode, CVXLStorageObject::kOpenWrite) << c.what;
            EXPECT_TRUE(storage->written == data) << c.what;
        }
        // The transaction's own bytes are not consumed.
        EXPECT_EQ(transaction.bytes().length(), data.size()) << c.what;
    }
}

TEST_F(StorageProcessorTest, AcceptsBothTypeNamesInAnyCaseWhileIdle)
{
    RecordingListener listener;
    const CVXLTransactionListenerRef ref(&listener);
    struct Case {
        const char* type;
        bool accepted;
    } cases[] = {
        {"CVXLReadStorageTransaction", true},
        {"cvxlreadstoragetransaction", true},
        {"CVXLWRITESTORAGETRANSACTION", true},
        {"CVXLReadStorageTransactionX", false},
        {"WSPDECODETRANSACTION", false},
    };
    for (const Case& c : cases) {
        CVXLTransaction transaction {CVXLString(c.type), ref};
        EXPECT_EQ(processor.acceptsTransaction(&transaction), c.accepted) << c.type;
    }
    // Busy with one transaction, it takes no other.
    auto* storage = new FakeStorage;
    const CVXLStorageRef storageRef(storage);
    StringSink sink;
    CVXLReadStorageTransaction running(ref);
    running.setStorage(storageRef);
    running.setSink(&sink);
    startDeferred(running, *storage);
    CVXLWriteStorageTransaction other(ref);
    EXPECT_FALSE(processor.acceptsTransaction(&other));
    while (storage->holding()) {
        storage->release();
        driver.runUntilIdle();
    }
    EXPECT_EQ(listener.results, std::vector<std::int32_t> {0});
    EXPECT_TRUE(processor.acceptsTransaction(&other));
}

// A cancel ends the transfer when the operation under way reports: the
// object is closed and the listener hears 24, once, never success.
TEST_F(StorageProcessorTest, CancelEndsAtTheNextReportWith24)
{
    struct Case {
        const char* what;
        bool write;
        int reportsBeforeCancel; // operations that have reported
        int closes;
    } cases[] = {
        {"read, while opening", false, 0, 1},
        {"read, between blocks", false, 2, 1},
        {"read, at its end", false, 4, 1},
        {"read, while closing", false, 5, 1},
        {"write, while opening", true, 0, 1},
        {"write, between blocks", true, 2, 1},
    };
    for (const Case& c : cases) {
        auto* storage = new FakeStorage;
        const CVXLStorageRef ref(storage);
        storage->contents = pattern(25000);
        storage->maxWrite = 4096;
        StringSink sink;
        RecordingListener listener;
        CVXLReadStorageTransaction read {CVXLTransactionListenerRef(&listener)};
        CVXLWriteStorageTransaction write {CVXLTransactionListenerRef(&listener)};
        CVXLByteBuffer bytes;
        bytes.append(storage->contents.data(), 25000);
        read.setStorage(ref);
        read.setSink(&sink);
        write.setStorage(ref);
        write.setBytes(bytes);
        CVXLTransaction& transaction = c.write ? static_cast<CVXLTransaction&>(write) : read;
        startDeferred(transaction, *storage);
        for (int i = 0; i < c.reportsBeforeCancel; ++i) {
            storage->release();
            driver.runUntilIdle();
        }
        transaction.cancel();
        driver.runUntilIdle();
        for (int i = 0; i < 20 && storage->holding(); ++i) {
            storage->release();
            driver.runUntilIdle();
        }
        EXPECT_EQ(listener.results, std::vector<std::int32_t> {24}) << c.what;
        EXPECT_EQ(storage->closes, c.closes) << c.what;
        EXPECT_EQ(storage->abandons, 0) << c.what;
        EXPECT_FALSE(processor.isBusy()) << c.what;
    }
}

TEST_F(StorageProcessorTest, QueuedCancelAndStopFromOutsideAnswer24)
{
    auto* storage = new FakeStorage;
    const CVXLStorageRef ref(storage);
    storage->contents = pattern(25000);
    StringSink sink;
    RecordingListener first, second;
    CVXLReadStorageTransaction running {CVXLTransactionListenerRef(&first)};
    running.setStorage(ref);
    running.setSink(&sink);
    CVXLReadStorageTransaction queued {CVXLTransactionListenerRef(&second)};
    queued.setStorage(ref);
    queued.setSink(&sink);
    startDeferred(running, *storage);
    ASSERT_EQ(tasks.addTransaction(&queued), 1);
    queued.cancel();
    EXPECT_EQ(second.results, std::vector<std::int32_t> {24});

    // A read under way when the task processor stops: abandoned, its block
    // freed, the listener told 24.
    storage->release();
    driver.runUntilIdle();
    ASSERT_TRUE(storage->holding());
    tasks.stop();
    driver.runUntilIdle();
    EXPECT_EQ(first.results, std::vector<std::int32_t> {24});
    EXPECT_EQ(storage->abandons, 1);
    EXPECT_FALSE(storage->holding());
}

} // namespace
