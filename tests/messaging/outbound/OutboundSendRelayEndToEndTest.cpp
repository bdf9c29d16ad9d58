#include "engine/core/jobs/VXLResultCodes.h"
#include "engine/core/platform/VXLPlatform.h"
#include "engine/core/platform/VXLPlatformFileStore.h"
#include "engine/files/VXLFileStoreManager.h"
#include "engine/messaging/outbound/OutboundSender.h"
#include "tests/messaging/inbound/InboundTestSupport.h"
#include "tests/messaging/outbound/OutboundSenderStandIns.h"
#include "tests/support/ExternalTool.h"
#include "tests/support/JobTreeDriver.h"
#include "tests/support/MmsRelayPeer.h"
#include "tests/support/SquidProxy.h"
#include "tests/support/TempDeviceRoot.h"
#include "tests/support/TestProcess.h"
#include "tests/transport/MmsTestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

// A prepared MMS sent end to end: the sender reads its item from the real
// file store and hands it to the real inbound manager, which reads the
// stored message's parts and posts the m-send-req through a real squid to
// tests/peers/mms_relay.py. tshark reads what the relay received.

namespace {

constexpr const char* kStoredId = "s1700000001";
constexpr const char* kText = "Hello from Tessel";
constexpr const char* kPicture = "GIF89a\x01\x00\x01\x00\x80\x00\x00;";
constexpr std::size_t kPictureBytes = 14;

class OutboundSendRelayEndToEnd : public RelayThroughSquidTest {
protected:
    void SetUp() override
    {
        RelayThroughSquidTest::SetUp();
        if (HasFatalFailure() || IsSkipped())
            return;
        files.setFileStore(&fileStore);
        sender.setFileStoreManager(&files);
        sender.setUploadManager(&uploads);
        sender.setInboundManager(&rig.manager);
        uploads.sender = queue.sender = &sender;
        driver.attach(&files);
        driver.attach(&uploads);
        driver.attach(&queue);
        driver.attach(&sender);
        driver.runUntilIdle();
        storeMessage();
    }

    // The composed MMS as the phone's composer left it in the message
    // store: summary, content, totals and message maps, then two parts.
    void storeMessage()
    {
        const std::string json = std::string("[")
            + "[[[\"3\", \"http://relay.example/sent/1\", null]], \"\"],"
            + "[[[\"Content-Type\", \"application/vnd.wap.multipart.mixed\", null]], \"\"],"
            + "[[[\"X-QV-Total-Media-Parts\", \"2\", null]], \"\"],"
            + "[[[\"Subject\", \"Holiday\", null]], \"\"],"
            + "[[[\"Content-Type\", \"text/plain\", null], [\"Content-Location\", \"text.txt\", null]], \""
            + testHex(kText) + "\"],"
            + "[[[\"Content-Type\", \"image/gif\", null], [\"Content-Location\", \"dot.gif\", null]], \""
            + testHex(std::string(kPicture, kPictureBytes)) + "\"]]";
        const std::string jsonPath = root.hostPath("message.json");
        std::ofstream(jsonPath) << json;
        CVXLString folder;
        ASSERT_TRUE(platformHostPath(rig.messageStore.folder(), &folder));
        const TestCommandResult written
            = testRunCommand(testPython() + " " TESSEL_SOURCE_DIR "/tests/peers/msgstore.py message-write '"
                + jsonPath + "' '" + folder.c_str() + "/" + kStoredId + "'");
        ASSERT_EQ(written.status, 0) << written.output;
    }

    void writeItem(const std::string& bytes)
    {
        CVXLString folder;
        ASSERT_TRUE(platformHostPath(fileStore.folder(), &folder));
        std::ofstream(std::string(folder.c_str()) + "/item_3.oq", std::ios::binary)
            .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }

    // Sends item_3.oq; false when no answer came in time (the peers are
    // real processes, so the tree follows real time).
    bool send()
    {
        request.itemFile = "item_3.oq";
        request.audioFile = "";
        queue.post(&sender, &request);
        return driver.followRealTime([&] { driver.step(); }, [&] { return !queue.answers.empty(); }, 30000,
            std::chrono::microseconds(200));
    }

    CVXLPlatformFileStore fileStore;
    CVXLFileStoreManager files;
    UploadStandIn uploads;
    QueueStandIn queue;
    COutboundSender sender;
    COutboundSendRequest request {9};
};

} // namespace

TEST_F(OutboundSendRelayEndToEnd, TheRelayReceivesTheToListSubjectAndParts)
{
    writeItem(preparedItem(kStoredId, "+15550111,+15550222", "Holiday", 2));
    ASSERT_TRUE(send()) << relay.log();
    ASSERT_EQ(queue.reports.size(), 1u);
    EXPECT_EQ(queue.reports[0].result, kResultSucceeded) << queue.reports[0].text << "\n" << relay.log();
    EXPECT_EQ(queue.reports[0].permanent, 0);

    const std::string log = relay.log();
    EXPECT_NE(log.find("001 POST /mms type=80"), std::string::npos) << log;
    EXPECT_EQ(squid.accessLogLines("POST " + relay.url("/mms"), 1).size(), 1u) << squid.accessLog();

    TESSEL_REQUIRE_TOOL(testToolTshark());
    const std::string lines = mmstest::oracleText(relay.savedBody(1));
    char textData[64];
    std::snprintf(textData, sizeof textData, "data: %zu %08x", std::string(kText).size(),
        mmstest::crc32(reinterpret_cast<const std::uint8_t*>(kText), std::string(kText).size()));
    char pictureData[64];
    std::snprintf(pictureData, sizeof pictureData, "data: %zu %08x", kPictureBytes,
        mmstest::crc32(reinterpret_cast<const std::uint8_t*>(kPicture), kPictureBytes));
    for (const std::string& line : {std::string("header X-Mms-Message-Type: 0x80"),
             std::string("header To: +15550111"), std::string("header To: +15550222"),
             std::string("header Subject: Holiday"), std::string("part 1 content-type: text/plain"),
             std::string("part 1 ") + textData, std::string("part 2 content-type: image/gif"),
             std::string("part 2 ") + pictureData, std::string("malformed: no")})
        EXPECT_NE(lines.find(line), std::string::npos) << line << "\n" << lines;
    // The two texts the item keeps beside them are not sent.
    EXPECT_EQ(lines.find("unused"), std::string::npos) << lines;
    EXPECT_EQ(lines.find("header Cc"), std::string::npos) << lines;
}

TEST_F(OutboundSendRelayEndToEnd, ARelayStatusE1IsReportedAs75WithTheRelaysText)
{
    rig.services.relay = relay.url("/mms?status=97");
    writeItem(preparedItem(kStoredId, "+15550111", "Holiday", 2));
    ASSERT_TRUE(send()) << relay.log();
    ASSERT_EQ(queue.reports.size(), 1u);
    EXPECT_EQ(queue.reports[0].result, kResultMmsRelayStatus) << relay.log();
    EXPECT_EQ(queue.reports[0].text, "refused 97");
    EXPECT_EQ(queue.reports[0].permanent, 0);
    EXPECT_NE(relay.log().find("001 POST /mms?status=97 type=80"), std::string::npos) << relay.log();
}
