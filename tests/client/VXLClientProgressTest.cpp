#include "engine/client/VXLClient.h"

#include "engine/core/settings/VXLPersKeys.h"
#include "engine/transfer/VXLByteBufferSink.h"
#include "engine/transfer/VXLByteBufferSource.h"
#include "tests/support/EngineDriver.h"
#include "tests/support/JobTreeDriver.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// Transfer progress lands in the running Client's settings, where screens
// read it while the transfer goes on.

namespace {

std::string setting(CVXLClient& client, const char* key)
{
    CVXLString out;
    client.settings().getPersistentString(key, &out);
    return out.c_str();
}

// Notes the Client's progress figures as each chunk arrives.
class SamplingSink : public CVXLByteBufferSink {
public:
    explicit SamplingSink(CVXLClient& client)
        : client_(client)
    {
    }
    void onData(const CVXLByteBuffer& buffer) override
    {
        samples.push_back(
            setting(client_, kPersProgressTotal) + "/" + setting(client_, kPersProgressCurrent));
        CVXLByteBufferSink::onData(buffer);
    }
    std::vector<std::string> samples;

private:
    CVXLClient& client_;
};

TEST(VXLClientProgress, ATransferPublishesItsFiguresInTheClientsSettings)
{
    EngineDriver driver;
    ASSERT_TRUE(driver.startUp());
    CVXLClient& client = *driver.client();
    const std::string bytes(3 * kXferSinkChunkSize + 100, 'p');
    CVXLByteBuffer buffer;
    buffer.append(bytes.data(), static_cast<std::uint32_t>(bytes.size()));

    TraceJob owner("owner");
    CVXLByteBufferSource source;
    SamplingSink sink(client);
    sink.setProgressKeys(&client.settings().store(), kPersProgressTotal, kPersProgressCurrent);
    source.setBuffer(buffer);
    source.setDestination(&sink);
    client.startChild(&owner);
    client.startChild(&source);
    client.startChild(&sink);
    driver.runUntilIdle();
    CVXLEvent run(kEventXferRun, kEventXferRunDone);
    owner.post(&source, &run);
    driver.runUntilIdle();

    ASSERT_FALSE(owner.results.empty());
    EXPECT_EQ(owner.codes.back(), kEventXferRunDone);
    EXPECT_EQ(owner.results.back(), kResultSucceeded);
    const std::string total = std::to_string(bytes.size());
    const std::string chunk = std::to_string(kXferSinkChunkSize);
    const std::vector<std::string> expected
        = {total + "/" + chunk, total + "/" + std::to_string(2 * kXferSinkChunkSize),
            total + "/" + std::to_string(3 * kXferSinkChunkSize), total + "/" + total};
    EXPECT_EQ(sink.samples, expected);
}

} // namespace
