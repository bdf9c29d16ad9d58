#include "engine/transfer/VXLByteBufferSink.h"
#include "engine/transfer/VXLByteBufferSource.h"
#include "engine/transfer/VXLFileStreamSinkJob.h"
#include "engine/transfer/VXLFileStreamSourceJob.h"
#include "tests/support/FileStoreFixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

namespace {

std::string textOf(const CVXLByteBuffer& buffer)
{
    return buffer.length() ? std::string(reinterpret_cast<const char*>(buffer.data()), buffer.length()) : "";
}

// A byte-buffer sink that records what the protocol hands it and can refuse
// one chunk with a result of its own.
class RecordingSink : public CVXLByteBufferSink {
public:
    void onBegin(std::int32_t total) override
    {
        totals.push_back(total);
        CVXLByteBufferSink::onBegin(total);
    }
    void onData(const CVXLByteBuffer& buffer) override
    {
        chunks.push_back(buffer.length());
        if (static_cast<int>(chunks.size()) == refuseChunk)
            return completeData(false, refuseWith);
        CVXLByteBufferSink::onData(buffer);
    }
    void onEnd(bool complete) override
    {
        ends.push_back(complete);
        CVXLByteBufferSink::onEnd(complete);
    }

    std::vector<std::int32_t> totals;
    std::vector<std::uint32_t> chunks;
    std::vector<bool> ends;
    int refuseChunk = 0;
    std::int32_t refuseWith = 0;
};

struct XferFixture : FileStoreFixture {
    TraceJob owner {"owner"};
    CVXLEvent run {kEventXferRun, kEventXferRunDone};

    XferFixture() { driver.attach(&owner); }

    // Posts the run request and steps until the tree is idle; the result the
    // owner got, or -1 when no answer came.
    std::int32_t runTransfer(CVXLXferJobBase& source)
    {
        const std::size_t before = owner.results.size();
        owner.post(&source, &run);
        driver.runUntilIdle(100000);
        return owner.results.size() > before ? owner.results.back() : -1;
    }

    // Attaches both jobs and has the source hand `bytes` to the sink; the
    // buffer the source was given.
    CVXLByteBuffer connect(CVXLByteBufferSource& source, CVXLEventHandler& sink, const std::string& bytes)
    {
        driver.attach(&source);
        driver.attach(&sink);
        CVXLByteBuffer buffer;
        buffer.append(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
        source.setBuffer(buffer);
        source.setDestination(&sink);
        return buffer;
    }

    void openFileSink(CVXLFileStreamSinkJob& sink, const char* path)
    {
        sink.setFileStore(store.openStream());
        sink.setPath(path);
    }
};

TEST(VXLXferJob, FileSourceIntoByteBufferSink)
{
    const std::string big = FileStoreFixture::randomBytes(5 * 1024 * 1024 + 123, 7);
    struct Case {
        const char* what;
        const char* file;
        std::string contents;
        bool create;
        bool announceSize;
        std::int32_t windowStart, windowLength;
        std::int32_t result;
        std::string expected;
        std::int32_t beganWith;
    };
    const Case cases[] = {
        {"5 MB, size known", "big.bin", big, true, true, 0, 0, 0, big, static_cast<std::int32_t>(big.size())},
        {"5 MB, size unknown", "big.bin", big, true, false, 0, 0, 0, big, -1},
        {"empty file", "empty.bin", "", true, true, 0, 0, 0, "", 0},
        {"window inside", "w.bin", big.substr(0, 1000), true, true, 100, 10, 0, big.substr(100, 10), 1000},
        {"window from 0", "w.bin", big.substr(0, 1000), true, true, 0, 60000, 0, big.substr(0, 1000), 1000},
        {"missing file", "missing.bin", "", false, false, 0, 0, 4, "", -2},
    };
    for (const Case& c : cases) {
        XferFixture f;
        if (c.create)
            f.writeHostFile(c.file, c.contents);
        CVXLFileStreamSourceJob source;
        RecordingSink sink;
        f.driver.attach(&source);
        f.driver.attach(&sink);
        source.setFileStore(f.store.openStream());
        source.setPath(c.file);
        source.setAnnouncedTotal(c.announceSize ? static_cast<std::int32_t>(c.contents.size()) : -1);
        if (c.windowStart || c.windowLength)
            source.setReadWindow(c.windowStart, c.windowLength);
        source.setDestination(&sink);
        EXPECT_EQ(f.runTransfer(source), c.result) << c.what;
        EXPECT_TRUE(textOf(sink.data()) == c.expected) << c.what;
        if (c.beganWith == -2) {
            EXPECT_TRUE(sink.totals.empty()) << c.what;
        } else {
            EXPECT_EQ(sink.totals, std::vector<std::int32_t> {c.beganWith}) << c.what;
            EXPECT_EQ(sink.ends, std::vector<bool> {true}) << c.what;
        }
        // Flow control: nothing larger than the sink asked for, full chunks
        // until the last.
        for (std::size_t i = 0; i < sink.chunks.size(); ++i) {
            EXPECT_LE(sink.chunks[i], 51200u) << c.what;
            if (i + 1 < sink.chunks.size()) {
                EXPECT_EQ(sink.chunks[i], 51200u) << c.what << " chunk " << i;
            }
        }
        EXPECT_FALSE(source.isOpened());
        f.store.closeStream(source.fileStore());
    }
}

TEST(VXLXferJob, ByteBufferSourceIntoFileSinkMatchesByHash)
{
    XferFixture f;
    const std::string bytes = FileStoreFixture::randomBytes(5 * 1024 * 1024 + 77, 11);
    f.writeHostFile("original.bin", bytes);
    CVXLByteBufferSource source;
    CVXLFileStreamSinkJob sink;
    f.connect(source, sink, bytes);
    f.openFileSink(sink, "copy\\out.bin");
    EXPECT_EQ(f.runTransfer(source), 0);
    const std::string hashes = FileStoreFixture::runPython(
        "-c \"import hashlib,sys; [print(hashlib.sha256(open(p,'rb').read()).hexdigest()) for p in "
        "sys.argv[1:]]\" '"
        + f.hostFile("original.bin") + "' '" + f.hostFile("copy/out.bin") + "'");
    ASSERT_EQ(hashes.size(), 2u * 65u) << hashes;
    EXPECT_EQ(hashes.substr(0, 65), hashes.substr(65));

    // Appending adds to what is there.
    CVXLByteBuffer tail;
    tail.append("tail", 4);
    source.setBuffer(tail);
    source.setDestination(&sink);
    sink.setOpenMode(CVXLFileStreamSinkJob::kOpenAppend);
    EXPECT_EQ(f.runTransfer(source), 0);
    EXPECT_TRUE(f.readHostFile("copy/out.bin") == bytes + "tail");
    f.store.closeStream(sink.fileStore());
}

TEST(VXLXferJob, StopInTheMiddleCancelsAndKeepsTheOldFile)
{
    XferFixture f;
    f.writeHostFile("state.bin", "old contents");
    CVXLByteBufferSource source;
    CVXLFileStreamSinkJob sink;
    const std::string bytes = FileStoreFixture::randomBytes(20 * 51200, 3);
    f.connect(source, sink, bytes);
    f.openFileSink(sink, "state.bin");
    f.owner.post(&source, &f.run);
    for (int i = 0; i < 12; ++i)
        f.driver.step();
    ASSERT_GT(source.count(), 0);
    ASSERT_LT(source.count(), static_cast<std::int32_t>(bytes.size()));
    source.stop();
    f.driver.runUntilIdle();
    ASSERT_FALSE(f.owner.results.empty());
    EXPECT_EQ(f.owner.results.back(), 24);
    // The stop was answered once the abort had run down: the source is done.
    EXPECT_EQ(source.runState(), kHandlerFinished);
    EXPECT_EQ(f.readHostFile("state.bin"), "old contents");
    // Deleting the unclosed replace stream drops its temporary file.
    f.store.closeStream(sink.fileStore());
    EXPECT_EQ(f.readHostFile("state.bin"), "old contents");
}

// A replace writes beside the file and a stop keeps the old one; a scratch
// write goes into the file itself, so a stop leaves the bytes written so far.
// A mode handed over as a number (as a write request carries it) never makes
// a scratch write.
TEST(VXLXferJob, ScratchWritesGoIntoTheFileWhereAReplaceWritesBesideIt)
{
    enum class Set { kReplace, kScratch, kModeOfScratch };
    struct Case {
        const char* what;
        Set set;
        bool stopped;
        bool replaces;
    };
    const Case cases[] = {
        {"replace, complete", Set::kReplace, false, true},
        {"replace, stopped", Set::kReplace, true, true},
        {"scratch, complete", Set::kScratch, false, false},
        {"scratch, stopped", Set::kScratch, true, false},
        {"scratch's number as a mode, stopped", Set::kModeOfScratch, true, true},
    };
    const std::string old = "old contents";
    const std::string bytes = FileStoreFixture::randomBytes(20 * 51200, 13);
    for (const Case& c : cases) {
        XferFixture f;
        f.writeHostFile("temp.raw", old);
        CVXLByteBufferSource source;
        CVXLFileStreamSinkJob sink;
        f.connect(source, sink, bytes);
        f.openFileSink(sink, "temp.raw");
        if (c.set == Set::kScratch)
            sink.setScratch();
        else
            sink.setOpenMode(c.set == Set::kReplace ? CVXLFileStreamSinkJob::kOpenWrite
                                                    : CVXLFileStreamSinkJob::kOpenScratch);
        f.owner.post(&source, &f.run);
        for (int i = 0; i < 12; ++i)
            f.driver.step();
        ASSERT_GT(source.count(), 0) << c.what;
        ASSERT_LT(source.count(), static_cast<std::int32_t>(bytes.size())) << c.what;
        const auto files = [&f] {
            return std::distance(
                std::filesystem::directory_iterator(f.hostFile("")), std::filesystem::directory_iterator());
        };
        EXPECT_EQ(files(), c.replaces ? 2 : 1) << c.what << ": the temporary while writing";
        if (c.stopped)
            source.stop();
        f.driver.runUntilIdle();
        ASSERT_FALSE(f.owner.results.empty()) << c.what;
        EXPECT_EQ(f.owner.results.back(), c.stopped ? 24 : 0) << c.what;
        f.store.closeStream(sink.fileStore());
        const std::string now = f.readHostFile("temp.raw");
        if (!c.stopped)
            EXPECT_TRUE(now == bytes) << c.what;
        else if (c.replaces)
            EXPECT_EQ(now, old) << c.what;
        else
            EXPECT_TRUE(!now.empty() && now.size() < bytes.size() && bytes.compare(0, now.size(), now) == 0)
                << c.what << ": " << now.size() << " bytes";
        EXPECT_EQ(files(), 1) << c.what << ": no temporary stays";
    }
}

TEST(VXLXferJob, SinkThatStopsEarlyEndsTheTransferWithItsResult)
{
    XferFixture f;
    const std::string bytes = FileStoreFixture::randomBytes(5 * 51200, 5);
    CVXLByteBufferSource source;
    RecordingSink sink;
    sink.refuseChunk = 3;
    sink.refuseWith = 77;
    const CVXLByteBuffer buffer = f.connect(source, sink, bytes);
    EXPECT_EQ(f.runTransfer(source), 77);
    EXPECT_EQ(sink.chunks.size(), 3u);
    EXPECT_EQ(sink.ends, std::vector<bool> {false});

    // Both jobs are ready for the next transfer.
    sink.refuseChunk = 0;
    source.setBuffer(buffer);
    EXPECT_EQ(f.runTransfer(source), 0);
    EXPECT_TRUE(textOf(sink.data()) == bytes);
}

TEST(VXLXferJob, StopToAnActiveSinkWindsTheTransferDown)
{
    XferFixture f;
    const std::string bytes = FileStoreFixture::randomBytes(10 * 51200, 9);
    CVXLByteBufferSource source;
    RecordingSink sink;
    f.connect(source, sink, bytes);
    f.owner.post(&source, &f.run);
    for (int i = 0; i < 6; ++i)
        f.driver.step();
    ASSERT_FALSE(sink.chunks.empty());
    sink.stop();
    f.driver.runUntilIdle();
    ASSERT_FALSE(f.owner.results.empty());
    EXPECT_EQ(f.owner.results.back(), 24);
    EXPECT_EQ(sink.runState(), kHandlerFinished);
    EXPECT_FALSE(source.isOpened());
    EXPECT_LT(sink.chunks.size(), 10u);
}

TEST(VXLXferJob, FileSinkThatCannotOpenRefusesTheBegin)
{
    XferFixture f;
    f.root.makeFolder("dummy");
    CVXLByteBufferSource source;
    CVXLFileStreamSinkJob sink;
    f.connect(source, sink, "x");
    f.openFileSink(sink, "..\\escape.bin");
    EXPECT_EQ(f.runTransfer(source), 4);
    f.store.closeStream(sink.fileStore());
}

} // namespace
