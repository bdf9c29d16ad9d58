#include "engine/client/VXLClient.h"
#include "engine/core/base/VXLLog.h"

#include "engine/core/platform/VXLPlatform.h"
#include "engine/core/settings/VXLConfigItem.h"
#include "engine/records/OutboundQueueRequests.h"
#include "tests/client/ReplyRecorder.h"
#include "tests/messaging/MessagingTestSupport.h"
#include "tests/support/EngineDriver.h"
#include "tests/support/ExternalTool.h"
#include "tests/support/MmsRelayPeer.h"
#include "tests/support/SquidProxy.h"
#include "tests/support/TestProcess.h"
#include "tests/transport/MmsTestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

// The whole engine sending a prepared MMS: the outbound queue takes it, its
// sender hands it to the inbound manager, which posts the m-send-req
// through a real squid to tests/peers/mms_relay.py. tshark reads what the
// relay saved.

namespace {

constexpr const char* kStoredId = "s1700000002";
constexpr const char* kToList = "+15550111,+15550222";
constexpr const char* kText = "Hello from Tessel";
constexpr const char* kPicture = "GIF89a\x01\x00\x01\x00\x80\x00\x00;";
constexpr std::size_t kPictureBytes = 14;

std::string dataLine(const char* bytes, std::size_t size)
{
    char line[64];
    std::snprintf(line, sizeof line, "data: %zu %08x", size,
        mmstest::crc32(reinterpret_cast<const std::uint8_t*>(bytes), size));
    return line;
}

struct SendCase {
    const char* name;
    // The relay's path: "?status=N" makes it refuse with 0x80 + N.
    const char* relayPath;
    // Whether the entry leaves the queue (sent) or waits for its retry.
    bool sent;
    // The report line the queue logs for the Producer's report, or "".
    const char* reportLine;
};

void PrintTo(const SendCase& c, std::ostream* out)
{
    *out << c.name;
}

class VXLClientSend : public ::testing::TestWithParam<SendCase> {
protected:
    void SetUp() override
    {
        TESSEL_REQUIRE_TOOL(testToolSquid());
        ASSERT_TRUE(squid.start()) << squid.error();
        ASSERT_TRUE(relay.start());
        ASSERT_TRUE(driver.create());
        CVXLClient& client = *driver.client();
        client.settings().setConfigString(kCfgMmscUri, relay.url(GetParam().relayPath).c_str());
        client.settings().setConfigString(kCfgProxyUri, squid.proxyUri().c_str());
        client.settings().setConfigString(kCfgUserIdentity, SquidProxy::kUser);
        ASSERT_TRUE(driver.startUp());
        client.startChild(&asker);
        askerStarted = true;
        driver.runUntilIdle();
        ASSERT_TRUE(queue().loaded());
        storeMessage();
    }

    void TearDown() override
    {
        if (!askerStarted)
            return;
        asker.stop();
        driver.runUntilIdle();
    }

    COutboundQueueManager& queue() { return driver.client()->getOutboundQueueManager(); }

    // The composed MMS as the composer left it in the message store:
    // summary, content, totals and message maps, then two parts.
    void storeMessage()
    {
        CVXLString folder;
        ASSERT_TRUE(platformHostPath(driver.client()->getMessageStore()->folder(), &folder));
        writeMessageFile(std::string(folder.c_str()) + "/" + kStoredId,
            {storedSegment({{"3", "http://relay.example/sent/2"}}),
                storedSegment({{"Content-Type", "application/vnd.wap.multipart.mixed"}}),
                storedSegment({{"X-QV-Total-Media-Parts", "2"}}), storedSegment({{"Subject", "Holiday"}}),
                storedSegment({{"Content-Type", "text/plain"}, {"Content-Location", "text.txt"}}, kText),
                storedSegment({{"Content-Type", "image/gif"}, {"Content-Location", "dot.gif"}},
                    std::string(kPicture, kPictureBytes))},
            driver.root().hostPath("message.json"));
    }

    // Submits the stored message with its To list, subject and part count.
    std::int32_t submit()
    {
        COutboundSubmitPreparedRequest request(1);
        const char* texts[] = {kStoredId, kToList, "cc-unused", "bcc-unused", "Holiday"};
        for (int i = 0; i < COutboundSubmitPreparedRequest::kTexts; ++i)
            request.texts[i] = texts[i];
        request.value = 2;
        asker.results.clear();
        asker.post(&queue(), &request);
        driver.runUntilIdle();
        return asker.results.empty() ? -999 : asker.results.back();
    }

    SquidProxy squid;
    MmsRelayPeer relay;
    EngineDriver driver;
    ReplyRecorder asker;
    bool askerStarted = false;
};

TEST_P(VXLClientSend, APreparedMessageGoesFromTheQueueThroughSquidToTheRelay)
{
    const SendCase& c = GetParam();
    const std::string itemFile = driver.storeFile("item_0.oq");
    ASSERT_EQ(submit(), 0);
    ASSERT_EQ(queue().count(), 1u);
    EXPECT_EQ(queue().entryAt(0).kind, 2u);

    // Sent: the entry goes; refused: its send has ended and it waits.
    const auto ended = [&] {
        if (c.sent)
            return queue().count() == 0;
        return !testLines(relay.log()).empty() && queue().count() == 1 && !queue().entryAt(0).sending
            && queue().sendState() == 0;
    };
    ASSERT_TRUE(driver.followRealTime(ended, 30000)) << relay.log();
    driver.runUntilIdle();

    const std::vector<std::string> requests = testLines(relay.log());
    ASSERT_EQ(requests.size(), 1u) << relay.log();
    EXPECT_NE(requests[0].find(std::string("POST ") + c.relayPath + " type=80"), std::string::npos)
        << requests[0];
    const auto posts = squid.accessLogLines("POST " + relay.url("/mms"), 1);
    ASSERT_EQ(posts.size(), 1u) << squid.accessLog();
    EXPECT_NE(posts[0].find(SquidProxy::kUser), std::string::npos) << posts[0];

    if (c.sent) {
        EXPECT_EQ(readHost(driver.storeFile("state.oq")),
            std::string("\x06\x01\x00\x00\x00\x00\x00\x00\x00\xFF", 10));
        EXPECT_FALSE(hostFileExists(itemFile));
    } else {
        EXPECT_EQ(queue().entryAt(0).attempts, 1u);
        EXPECT_TRUE(hostFileExists(itemFile));
    }
    CVXLLog::flush();
    const std::string log = driver.root().readFile("log/engine.log");
    if (*c.reportLine)
        EXPECT_NE(log.find(c.reportLine), std::string::npos) << log;
    else
        EXPECT_EQ(log.find("not sent"), std::string::npos) << log;

    TESSEL_REQUIRE_TOOL(testToolTshark());
    const std::string lines = mmstest::oracleText(relay.savedBody(1));
    for (const std::string& line : {std::string("header X-Mms-Message-Type: 0x80"),
             std::string("header To: +15550111"), std::string("header To: +15550222"),
             std::string("header Subject: Holiday"), std::string("part 1 content-type: text/plain"),
             "part 1 " + dataLine(kText, std::string(kText).size()),
             std::string("part 2 content-type: image/gif"), "part 2 " + dataLine(kPicture, kPictureBytes),
             std::string("malformed: no")})
        EXPECT_NE(lines.find(line), std::string::npos) << line << "\n" << lines;
    // The two texts the item keeps beside the To list are not sent.
    EXPECT_EQ(lines.find("unused"), std::string::npos) << lines;
}

// 0x80 + 97 is 0xE1: the relay refuses, and its text reaches the report.
INSTANTIATE_TEST_SUITE_P(RelayAnswers, VXLClientSend,
    ::testing::Values(SendCase {"Ok", "/mms", true, ""},
        SendCase {"StatusE1", "/mms?status=97", false, "not sent (reason 75): \"refused 97\""}),
    [](const ::testing::TestParamInfo<SendCase>& info) { return std::string(info.param.name); });

} // namespace
