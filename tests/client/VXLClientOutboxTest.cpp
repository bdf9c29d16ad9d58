// The Client's outbound queue in a whole engine: a submit stores the message
// in the engine's working folder, as the stored-format peer reads it, and a
// new engine on the same device root finds it again.
#include "engine/client/VXLClient.h"
#include "engine/core/scenario/ScenarioLayout.h"
#include "engine/records/VXLInboundRequests.h"
#include "tests/client/ReplyRecorder.h"
#include "tests/messaging/MessagingTestSupport.h"
#include "tests/support/EngineDriver.h"
#include "tests/support/StringVoiceMemo.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct OutboxRig {
    explicit OutboxRig(TempDeviceRoot* root)
        : driver(root)
    {
    }
    ~OutboxRig()
    {
        asker.stop();
        driver.runUntilIdle();
    }

    bool start()
    {
        if (!driver.startUp())
            return false;
        driver.client()->startChild(&asker);
        driver.runUntilIdle();
        return queue().loaded();
    }

    COutboundQueueManager& queue() { return driver.client()->getOutboundQueueManager(); }

    std::int32_t ask(CVXLEvent& request)
    {
        asker.results.clear();
        asker.post(&queue(), &request);
        driver.runUntilIdle();
        return asker.results.empty() ? -999 : asker.results.back();
    }

    std::string folder() const
    {
        const std::string state = driver.storeFile("state.oq");
        return state.substr(0, state.rfind('/'));
    }

    EngineDriver driver;
    ReplyRecorder asker;
};

TEST(VXLClientOutbox, ASubmittedMessageOutlivesTheEngine)
{
    TempDeviceRoot root;
    StringVoiceMemo memo(std::string(5000, 'v'));
    std::string id;
    {
        OutboxRig rig(&root);
        ASSERT_TRUE(rig.start());
        EXPECT_EQ(COutboundQueueManager::instance(), &rig.queue());
        // Data communication off: the message stays queued, not sent.
        rig.driver.client()->settings().setPersistentString(kPersDatacommActive, "0");
        CScenarioLayout screen;
        screen.setId("__vxl_sendto_recipients");
        COutboundSubmitRequest submit(1);
        submit.screen = &screen;
        submit.recipients.insertAt("+15557", 0);
        submit.voiceMemo = &memo;
        ASSERT_EQ(rig.ask(submit), 0);
        ASSERT_EQ(rig.queue().count(), 1u);
        id = rig.queue().entryAt(0).summary.messageId.c_str();
        int status = -1;
        const std::string read = msgstore({"queue-read", rig.folder()}, &status);
        ASSERT_EQ(status, 0) << read;
        EXPECT_NE(read.find("\"recipients\": \"+15557\""), std::string::npos) << read;
        EXPECT_NE(read.find("\"id\": \"" + id + "\""), std::string::npos) << read;
        EXPECT_NE(read.find("\"audio_size\": 5000"), std::string::npos) << read;
        EXPECT_EQ(read.find("\"item_file\": null"), std::string::npos) << read;
        // Counted as queued, and it stays so.
        EXPECT_EQ(rig.driver.client()->getCounters().get(kCounterQueued), 1);
        EXPECT_TRUE(rig.driver.shutDown());
    }
    OutboxRig rig(&root);
    ASSERT_TRUE(rig.start());
    ASSERT_EQ(rig.queue().count(), 1u);
    EXPECT_EQ(std::string(rig.queue().entryAt(0).summary.messageId.c_str()), id);
    CMessageItemRequest remove(2);
    remove.messageId = id.c_str();
    EXPECT_EQ(rig.ask(remove), 0);
    // Data communication is on again, so the restart may have begun to send
    // it: then it goes once that send has ended (no server answers here).
    for (int i = 0; i < 100 && rig.queue().count() != 0; ++i)
        rig.driver.runToNextTimer();
    EXPECT_EQ(rig.queue().count(), 0u);
    EXPECT_EQ(readHost(rig.driver.storeFile("state.oq")),
        std::string("\x06\x01\x00\x00\x00\x00\x00\x00\x00\xFF", 10));
    EXPECT_EQ(readHost(rig.driver.storeFile("item_0.oq")), "");
}

// A shut-down while the voice memo is on its way to the service (no server
// answers here) ends at once, without waiting for the service's answer; the
// message is still queued at the next start.
TEST(VXLClientOutbox, AShutDownDuringASendDoesNotWaitForTheService)
{
    TempDeviceRoot root;
    StringVoiceMemo memo(std::string(5000, 'v'));
    {
        OutboxRig rig(&root);
        ASSERT_TRUE(rig.start());
        CScenarioLayout screen;
        screen.setId("__vxl_sendto_recipients");
        COutboundSubmitRequest submit(1);
        submit.screen = &screen;
        submit.recipients.insertAt("+15557", 0);
        submit.voiceMemo = &memo;
        ASSERT_EQ(rig.ask(submit), 0);
        COutboundSender& sender = rig.driver.client()->getOutboundSender();
        for (int i = 0; i < 20 && sender.sendStep() == 0; ++i)
            rig.driver.runToNextTimer();
        ASSERT_NE(sender.sendStep(), 0);
        // Ticks only: the driven clock does not move, so nothing may wait
        // for a timeout.
        EXPECT_TRUE(rig.driver.shutDown());
    }
    OutboxRig rig(&root);
    ASSERT_TRUE(rig.start());
    EXPECT_EQ(rig.queue().count(), 1u);
}

} // namespace
