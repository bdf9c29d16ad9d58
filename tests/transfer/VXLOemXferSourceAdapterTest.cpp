#include "engine/transfer/VXLOemXferSourceAdapter.h"
#include "engine/transfer/VXLByteBufferSink.h"
#include "tests/support/JobTreeDriver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// A user-interface source over a string: it reads at most `perRead` bytes
// at a time, reports the end with the last bytes, and can refuse to open
// or fail one read with a status of its own.
class StringSource : public CVXLOemXferSource {
public:
    void open(CVXLCallback* callback) override
    {
        ++opens;
        callback->call(static_cast<std::uint32_t>(openStatus));
    }
    void close() override { ++closes; }
    void read(CVXLOemXferReader* reader, std::int32_t size) override
    {
        ++reads;
        if (reads == failRead)
            return reader->status(failStatus);
        const std::size_t n
            = std::min<std::size_t>({static_cast<std::size_t>(size), perRead, bytes.size() - offset});
        if (n)
            reader->data(
                reinterpret_cast<const std::uint8_t*>(bytes.data() + offset), static_cast<std::uint32_t>(n));
        offset += n;
        reader->status(offset == bytes.size() ? kReadEnd : kReadMore);
    }
    void rewind(CVXLCallback* callback) override { callback->call(0); }
    std::int32_t getSize() override { return reportSize ? static_cast<std::int32_t>(bytes.size()) : 0; }
    const char16_t* getMimeType() override { return u"image/jpeg"; }

    std::string bytes;
    bool reportSize = true;
    std::int32_t openStatus = 0;
    std::size_t perRead = 1000000;
    int failRead = 0;
    std::int32_t failStatus = 0;
    std::size_t offset = 0;
    int opens = 0, closes = 0, reads = 0;
};

class TotalsSink : public CVXLByteBufferSink {
public:
    void onBegin(std::int32_t total) override
    {
        totals.push_back(total);
        CVXLByteBufferSink::onBegin(total);
    }
    std::vector<std::int32_t> totals;
};

std::string textOf(const CVXLByteBuffer& buffer)
{
    return buffer.length() ? std::string(reinterpret_cast<const char*>(buffer.data()), buffer.length()) : "";
}

} // namespace

TEST(VXLOemXferSourceAdapter, ReadsTheSourceIntoTheSink)
{
    std::string big(150000, '\0');
    for (std::size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<char>(i * 7);
    struct Case {
        const char* what;
        std::string bytes;
        bool reportSize;
        std::int32_t openStatus;
        std::size_t perRead;
        int failRead;
        std::int32_t failStatus;
        std::int32_t result;
        std::vector<std::int32_t> totals;
        std::string received;
    };
    const Case cases[] = {
        {"known size", big, true, 0, 1000000, 0, 0, 0, {150000}, big},
        {"known size, short reads", big, true, 0, 7000, 0, 0, 0, {150000}, big},
        {"size 0 is unknown: read to the end", big, false, 0, 30000, 0, 0, 0, {-1}, big},
        {"unknown size, empty source", "", false, 0, 1000, 0, 0, 0, {-1}, ""},
        {"open refused: its status", big, true, 4, 1000, 0, 0, 4, {}, ""},
        {"read reports out of memory", big, true, 0, 60000, 2, 1, 24, {150000}, big.substr(0, 51200)},
        {"read reports not open", big, false, 0, 60000, 1, 4, 24, {-1}, ""},
    };
    for (const Case& c : cases) {
        JobTreeDriver driver;
        TraceJob owner("owner");
        StringSource source;
        source.bytes = c.bytes;
        source.reportSize = c.reportSize;
        source.openStatus = c.openStatus;
        source.perRead = c.perRead;
        source.failRead = c.failRead;
        source.failStatus = c.failStatus;
        CVXLOemXferSourceAdapter adapter;
        TotalsSink sink;
        driver.attach(&owner);
        driver.attach(&adapter);
        driver.attach(&sink);
        adapter.setSource(&source);
        adapter.setDestination(&sink);
        driver.runUntilIdle();
        owner.results.clear();
        CVXLEvent run(kEventXferRun, kEventXferRunDone);
        owner.post(&adapter, &run);
        driver.runUntilIdle(100000);
        ASSERT_EQ(owner.results.size(), 1u) << c.what;
        EXPECT_EQ(owner.results[0], c.result) << c.what;
        EXPECT_EQ(sink.totals, c.totals) << c.what;
        if (c.result == 0) {
            EXPECT_TRUE(textOf(sink.data()) == c.received) << c.what;
        }
        EXPECT_EQ(source.opens, 1) << c.what;
        EXPECT_EQ(source.closes, 1) << c.what;
        EXPECT_EQ(adapter.source(), nullptr) << c.what;
    }
}
