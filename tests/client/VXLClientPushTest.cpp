#include "engine/client/VXLClient.h"
#include "engine/core/jobs/VXLResultCodes.h"
#include "engine/messaging/push/WapPushRequest.h"
#include "tests/support/EngineDriver.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Stands in for the inbound message manager: records each push request and
// holds it until the test answers.
class RecordingReceiver : public CVXLEventHandler {
public:
    struct Seen {
        std::string pdu;
        std::uint32_t fetchNow;
        std::uint32_t attempts;
        bool backAfterCrash;
    };
    std::vector<Seen> seen;
    CVXLEvent* held = nullptr;

    void onEvent(CVXLEvent* event) override
    {
        if (event->isRequest() && event->requestCode() == CPushRequest::kRequestCode) {
            const auto* push = static_cast<CPushRequest*>(event);
            seen.push_back({std::string(reinterpret_cast<const char*>(push->pdu.data()), push->pdu.length()),
                push->fetchNow, push->attempts, push->backAfterCrash});
            held = event;
            return;
        }
        finishEvent(event);
    }

    void answer(std::int32_t result)
    {
        CVXLEvent* event = held;
        held = nullptr;
        event->setResult(result);
        finishEvent(event);
    }
};

std::string storeFile(const char* name)
{
    return std::string("Application Data/Tessel/") + name;
}

// A started engine whose push receiver is the stand-in, past the start's
// wait for the queue's load.
struct PushRig {
    explicit PushRig(TempDeviceRoot* root = nullptr)
        : driver(root)
    {
    }
    ~PushRig()
    {
        if (receiver.held)
            receiver.answer(kResultPushKeep);
        receiver.stop();
        source.stop();
        driver.runUntilIdle();
    }

    static constexpr std::int32_t kResultPushKeep = CVXLClient::kPushResultKeep;

    bool start()
    {
        if (!driver.startUp())
            return false;
        client().startChild(&receiver);
        client().startChild(&source);
        client().setPushReceiver(&receiver);
        driver.runUntilIdle();
        // Other members' timers (the expiration job's first run) may come first.
        for (int i = 0; i < 10 && client().pushTimerArmed(); ++i)
            driver.runToNextTimer();
        return client().getWapPushQueue().isLoaded() && !client().pushTimerArmed();
    }

    CVXLClient& client() { return *driver.client(); }
    CWapPushQueue& queue() { return client().getWapPushQueue(); }

    void push(const std::string& pdu)
    {
        auto* request = new CWapPushRequest;
        request->setReplyWanted(false);
        request->item.pdu.append(pdu.data(), static_cast<std::uint32_t>(pdu.size()));
        source.post(&queue(), request);
        driver.runUntilIdle();
    }

    std::vector<std::string> held()
    {
        std::vector<std::string> out;
        CWapPushQueue copy;
        CVXLByteBuffer bytes;
        queue().serialise(bytes);
        copy.parse(bytes);
        while (const CWapPushItem* head = copy.peekHead()) {
            out.push_back(std::string(reinterpret_cast<const char*>(head->pdu.data()), head->pdu.length())
                + "/" + std::to_string(head->attempts));
            copy.popHead(nullptr);
        }
        return out;
    }

    EngineDriver driver;
    RecordingReceiver receiver;
    CVXLEventHandler source;
};

// The answer to a hand-over decides what becomes of the head, with A and B
// queued and A handed over.
TEST(VXLClientPush, TheAnswerRemovesKeepsOrRetriesTheHead)
{
    struct Case {
        const char* what;
        std::int32_t result;
        std::vector<std::string> queued; // after the answer
        std::vector<std::string> handed; // everything handed over
        bool timer; // the push timer is armed
    };
    const Case cases[] = {
        {"done", 0, {"B/0"}, {"A", "B"}, false},
        {"dropped by the manager", 74, {"B/0"}, {"A", "B"}, false},
        {"left queued untouched", 89, {"A/0", "B/0"}, {"A"}, false},
        {"failed", 1000, {"B/0", "A/1"}, {"A"}, true},
        {"cancelled while running", 24, {"B/0", "A/1"}, {"A"}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PushRig rig;
        ASSERT_TRUE(rig.start());
        rig.push("A");
        rig.push("B");
        ASSERT_EQ(rig.receiver.seen.size(), 1u);
        EXPECT_TRUE(rig.client().pushInProgress());
        rig.receiver.answer(c.result);
        rig.driver.runUntilIdle();
        EXPECT_EQ(rig.held(), c.queued);
        std::vector<std::string> handed;
        for (const auto& seen : rig.receiver.seen)
            handed.push_back(seen.pdu);
        EXPECT_EQ(handed, c.handed);
        EXPECT_EQ(rig.client().pushTimerArmed(), c.timer);
    }
}

// A failed head goes to the tail and the next one is tried when the timer
// has run; the third failure of an item drops it.
TEST(VXLClientPush, AFailedPushIsTriedAgainAfterTwoMinutesAndDroppedAtTheThirdFailure)
{
    PushRig rig;
    ASSERT_TRUE(rig.start());
    rig.push("A");
    rig.receiver.answer(1000);
    rig.driver.runUntilIdle();
    EXPECT_EQ(rig.client().getWaitTime(), CVXLClient::kPushRetryMs);
    rig.driver.advance(CVXLClient::kPushRetryMs - 1);
    rig.driver.runUntilIdle();
    EXPECT_EQ(rig.receiver.seen.size(), 1u);
    rig.driver.advance(1);
    rig.driver.runUntilIdle();
    ASSERT_EQ(rig.receiver.seen.size(), 2u);
    EXPECT_EQ(rig.receiver.seen[1].attempts, 1u);
    rig.receiver.answer(1000);
    rig.driver.runUntilIdle();
    rig.driver.runToNextTimer();
    ASSERT_EQ(rig.receiver.seen.size(), 3u);
    EXPECT_EQ(rig.receiver.seen[2].attempts, 2u);
    rig.receiver.answer(1000);
    rig.driver.runUntilIdle();
    EXPECT_EQ(rig.queue().count(), 0u);
    EXPECT_FALSE(rig.client().pushTimerArmed());
    EXPECT_EQ(rig.driver.root().readFile(storeFile("state.wq")), std::string("\x02\x00\x00\x00\x00", 5));
}

TEST(VXLClientPush, APushWhileDataCommunicationIsOffWaitsForItToComeOn)
{
    PushRig rig;
    ASSERT_TRUE(rig.start());
    rig.client().requestSuspend(0);
    rig.driver.tick();
    rig.push("A");
    EXPECT_TRUE(rig.receiver.seen.empty());
    rig.client().requestResume(0);
    rig.driver.runUntilIdle();
    ASSERT_EQ(rig.receiver.seen.size(), 1u);
    EXPECT_EQ(rig.receiver.seen[0].pdu, "A");
}

// The queue's file from a run that crashed while its head was handed over:
// the head comes back with one attempt more, marked, so the manager can look
// for what it already stored.
TEST(VXLClientPush, AHeadBackAfterACrashIsHandedOverMarkedWithItsAttempt)
{
    TempDeviceRoot root;
    // Format, count, then attempts 0, fetchNow 1 and the PDU's length and bytes.
    const char image[] = "\x02\x01\x00\x00\x00"
                         "\x00\x00\x00\x00"
                         "\x01\x00\x00\x00"
                         "\x02\x00\x00\x00"
                         "N1";
    ASSERT_TRUE(root.writeFile(storeFile("state.wq"), std::string(image, sizeof image - 1)));
    ASSERT_TRUE(root.writeFile(storeFile("_vxl.run"), "\x01"));
    PushRig rig(&root);
    ASSERT_TRUE(rig.start());
    ASSERT_EQ(rig.receiver.seen.size(), 1u);
    EXPECT_EQ(rig.receiver.seen[0].pdu, "N1");
    EXPECT_EQ(rig.receiver.seen[0].fetchNow, 1u);
    EXPECT_EQ(rig.receiver.seen[0].attempts, 1u);
    EXPECT_TRUE(rig.receiver.seen[0].backAfterCrash);
}

} // namespace

namespace {

// A hand-over cancelled by the shut-down is no failed attempt: the head is
// saved as it was, and nothing more is handed over.
TEST(VXLClientPush, AHandOverCancelledByTheShutDownLeavesTheHeadUncounted)
{
    PushRig rig;
    ASSERT_TRUE(rig.start());
    rig.push("A");
    rig.push("B");
    ASSERT_EQ(rig.receiver.seen.size(), 1u);
    rig.client().requestShutdown();
    for (int i = 0; i < 1000 && rig.client().state() < CVXLClient::State::StoppingProducer; ++i)
        rig.driver.tick();
    ASSERT_GE(rig.client().state(), CVXLClient::State::StoppingProducer);
    rig.receiver.answer(kResultCancelled);
    rig.driver.runUntilIdle();
    EXPECT_EQ(rig.held(), (std::vector<std::string> {"A/0", "B/0"}));
    EXPECT_EQ(rig.receiver.seen.size(), 1u);
    EXPECT_FALSE(rig.client().pushTimerArmed());
}

} // namespace
