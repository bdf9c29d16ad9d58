#include "engine/core/jobs/VXLCounterTable.h"
#include "engine/core/jobs/VXLResultCodes.h"
#include "engine/messaging/outbound/OutboundSender.h"
#include "tests/messaging/outbound/OutboundSenderStandIns.h"
#include "tests/service/ServiceTestSupport.h"
#include "tests/service/VraxJobRig.h"
#include "tests/support/ExternalTool.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

// A composed message sent end to end: the sender reads the item and the
// voice memo from the real file store, a stand-in uploads the media, and the
// real VRAX job takes the memo and the message to tests/peers/vrax_server.py.

namespace {

struct ServiceSendRig : VraxJobRig {
    ServiceSendRig()
    {
        registered();
        environment.store.set("vrax.max_audio_upload_size", "100000");
        sender.setFileStoreManager(&files);
        sender.setUploadManager(&uploads);
        sender.setVraxJob(&job);
        sender.setCounters(&counters);
        uploads.sender = queue.sender = &sender;
        driver.attach(&uploads);
        driver.attach(&queue);
        driver.attach(&sender);
        driver.runUntilIdle();
    }

    bool send(const char* audioFile)
    {
        request.itemFile = "item_7.oq";
        request.audioFile = audioFile;
        queue.post(&sender, &request);
        return pump([&] { return !queue.answers.empty(); }, 20000);
    }

    std::string keptDocument(int n) const
    {
        std::ifstream in(logPath + "." + std::to_string(n) + ".xml", std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    UploadStandIn uploads;
    QueueStandIn queue;
    COutboundSender sender;
    CVXLCounterTable counters;
    COutboundSendRequest request {9};
};

bool has(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

} // namespace

TEST(OutboundSendServiceEndToEnd, TheVoiceMemoAndThenTheQueuedMessageReachTheServer)
{
    TESSEL_REQUIRE_TOOL(testToolXmllint());
    ServiceSendRig rig;
    const std::string memo = FileStoreFixture::randomBytes(23456, 11);
    rig.writeHostFile("item_7.oq", composedItem(2, "memo.amr"));
    rig.writeHostFile("audio_7.oq", memo);
    ASSERT_TRUE(rig.serve("upload-ack,queued-uri"));
    rig.counters.set(kCounterMessagesSent, 3);

    ASSERT_TRUE(rig.send("audio_7.oq"));

    ASSERT_EQ(rig.queue.reports.size(), 1u);
    EXPECT_EQ(rig.queue.reports[0].result, kResultSucceeded) << rig.queue.reports[0].text;
    EXPECT_EQ(rig.queue.reports[0].permanent, 0);
    EXPECT_EQ(rig.queue.reports[0].messageId, "o1700000000");
    EXPECT_EQ(rig.counters.get(kCounterMessagesSent), 4);
    const auto lines = rig.log();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_TRUE(has(lines[0], "request=media-xfer")) << lines[0];
    EXPECT_TRUE(has(lines[0], "attachment=23456 sha256=" + rig.sha256(memo))) << lines[0];
    EXPECT_TRUE(has(lines[1], "request=mm-msg-xfer")) << lines[1];
    EXPECT_FALSE(has(lines[1], "bad")) << lines[1];

    const std::string document = rig.keptDocument(2);
    EXPECT_TRUE(xmllintAccepts(document)) << document;
    // The writer indents; the elements are compared without it.
    std::string compact;
    for (std::size_t i = 0; i < document.size(); ++i) {
        if (document[i] == '\n') {
            while (i + 1 < document.size() && document[i + 1] == ' ')
                ++i;
            continue;
        }
        compact += document[i];
    }
    for (const char* part :
        {"<mm-msg-xfer priority=\"High\">", "<scenario id=\"__vxl_sendto_recipients\" cookie=\"ck\">",
            "<field fid=\"pics\"><li>U1</li></field>",
            "<field fid=\"to\"><li>+15550111</li><li>a@b.example</li></field>",
            "<field fid=\"subj\"><li>Hello</li></field>", "<field fid=\"voice\"><li>U77</li></field>"})
        EXPECT_TRUE(has(compact, part)) << part << "\n" << document;
}

TEST(OutboundSendServiceEndToEnd, ARefusalWithSubCode273IsPermanent)
{
    struct Case {
        const char* script;
        std::int32_t result;
        std::uint8_t permanent;
        std::int32_t sent;
    } cases[] = {
        {"error-info273", kResultNetworkNotice, 1, 0},
        // An error without its info carries no sub-code.
        {"error273", kResultVraxBadErrorInfo, 0, 0},
        {"queued-uri-other", kResultSucceeded, 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script);
        ServiceSendRig rig;
        rig.writeHostFile("item_7.oq", composedItem(1, ""));
        ASSERT_TRUE(rig.serve(c.script));
        ASSERT_TRUE(rig.send(""));
        ASSERT_EQ(rig.queue.reports.size(), 1u);
        EXPECT_EQ(rig.queue.reports[0].result, c.result);
        EXPECT_EQ(rig.queue.reports[0].permanent, c.permanent);
        EXPECT_EQ(rig.counters.get(kCounterMessagesSent), c.sent);
        ASSERT_EQ(rig.log().size(), 1u);
    }
}
