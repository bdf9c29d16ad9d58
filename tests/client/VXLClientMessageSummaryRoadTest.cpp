// The message summary screen (job 28) on the whole engine: the program shows
// it for a message that arrives and for one a launch names, and for a
// notification that waits for the subscriber's consent. Messages come from
// tests/peers/mms_relay.py on 127.0.0.1; deletes are read back from the
// device root by tests/peers/msgstore.py.
#include "engine/core/settings/VXLPersKeys.h"
#include "engine/messaging/store/VXLMessageSummary.h"
#include "engine/screens/VXLLayout.h"
#include "engine/screens/VXLLayoutMessageList.h"
#include "engine/screens/VXLMessageListJob.h"
#include "engine/screens/VXLMessageSummaryJob.h"
#include "tests/client/MessageListRoadRig.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr const char* kSummaryScreen
    = "Enhanced Message Summary | left View, right Delete, hard Back, hard Exit";
constexpr const char* kConsentScreen = "Data Charge  | left Retrieve Summary, hard Back, hard Exit";

void registered(CVXLClient& client)
{
    client.settings().setPersistentString(kPersVraxId, "D42");
    client.settings().setPersistentString(kPersVraxRegComplete, "1");
}

CVXLMessageSummaryJob* summaryJob(MessageListRoadRig& rig)
{
    return dynamic_cast<CVXLMessageSummaryJob*>(rig.currentJob());
}

// The program's types of the jobs shown from the given entry of the log on.
std::vector<int> shownFrom(const MessageListRoadRig& rig, std::size_t from)
{
    const std::vector<int> all = rig.pool->shownTypes();
    return std::vector<int>(all.begin() + static_cast<std::ptrdiff_t>(std::min(from, all.size())), all.end());
}

// A message that arrives shows its summary (event 109 through the program);
// each row is what the user does with it and what follows: View opens the
// inbox view (job 31) with the summary and its Back the message's thread
// (job 26) and on to the thread list (job 30), Delete removes
// the message from the store and tells so (notice 12), Back and Exit leave.
TEST(VXLClientMessageSummaryRoad, AnArrivingMessageShowsItsSummaryAndEachActionDoesItsPart)
{
    struct Row {
        const char* id;
        const char* action;
        // The jobs the program starts after the summary, and whether the
        // message is still stored at the end.
        std::vector<int> then;
        bool kept;
    };
    const Row rows[] = {
        {"A1", "View", {6, 31, 26, 30, 43}, true},
        {"A2", "Delete", {43, 11}, false},
        {"A3", "Back", {}, true},
        {"A4", "Exit", {}, true},
    };
    MessageListRoadRig rig;
    rig.dismissArrivals = false;
    ASSERT_TRUE(rig.start({7, 11, 26, 30, 42, 43}));
    CVXLClient& client = *rig.client;
    registered(client);
    int n = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.action);
        const std::string from = "%2B1555020" + std::to_string(++n);
        const std::size_t before = rig.pool->shown.size();
        ASSERT_TRUE(rig.receive(row.id, from)) << rig.relay.log();
        const CVXLString id = client.getMessageStoreManager().boxIdAt(0, 0);
        CVXLMessageSummaryJob* job = summaryJob(rig);
        ASSERT_NE(job, nullptr);
        ASSERT_TRUE(job->isShowingSummary());
        EXPECT_EQ(rig.topText(), kSummaryScreen);
        EXPECT_EQ(job->layout().state(), 1u);
        const auto* summary = static_cast<const CVXLMessageSummary*>(
            static_cast<const CVXLObject*>(job->property("message_summary").reference()));
        ASSERT_NE(summary, nullptr);
        EXPECT_EQ(summary->messageId(), id);
        EXPECT_EQ(std::string(summary->fromAddress().c_str()), "+1555020" + std::to_string(n));

        ASSERT_TRUE(rig.press(row.action));
        if (std::string(row.action) == "View") {
            // The registration check (job 6) goes on; the inbox view has the
            // summary, and its Back ends the program's run.
            ASSERT_FALSE(rig.pool->shown.empty());
            ASSERT_EQ(rig.pool->shown.back().type, 6);
            rig.pool->script.push_back({10, {}});
            ASSERT_TRUE(rig.pool->answer(client.getProducer().uiJobs()));
            rig.run();
            EXPECT_EQ(rig.pool->shown.back().type, 31);
            EXPECT_EQ(rig.pool->shown.back().properties["message_summary"], "<ref>");
            rig.pool->script.push_back({8, {}});
            ASSERT_TRUE(rig.pool->answer(client.getProducer().uiJobs()));
            rig.run();
            // Back from a view opened from the arrival leads to the
            // message's thread.
            auto* thread = dynamic_cast<CVXLMessageListJob*>(rig.currentJob());
            ASSERT_NE(thread, nullptr);
            EXPECT_EQ(thread->typeId(), 26);
            EXPECT_EQ(rig.pool->shown.back().properties["thread_id"], "+1555020" + std::to_string(n));
            EXPECT_EQ(thread->layout().messageCount(), 1u);
            ASSERT_TRUE(rig.press("Back"));
            // Its Back leads to the thread list (job 30).
            ASSERT_NE(rig.currentJob(), nullptr);
            EXPECT_EQ(rig.currentJob()->typeId(), 30);
            ASSERT_TRUE(rig.press("Back"));
        } else if (std::string(row.action) == "Delete") {
            ASSERT_NE(rig.top(), nullptr);
            EXPECT_EQ(rig.top()->layoutType(), kLayoutInformation) << rig.topText();
            ASSERT_TRUE(rig.press("Continue")) << rig.topText();
        }
        EXPECT_EQ(shownFrom(rig, before), [&] {
            std::vector<int> all {28};
            all.insert(all.end(), row.then.begin(), row.then.end());
            return all;
        }());
        EXPECT_EQ(rig.currentJob(), nullptr);
        EXPECT_TRUE(client.getProducer().isIdle());
        const std::string stored = storedInboxIds(client);
        EXPECT_EQ(stored.find(id.c_str()) != std::string::npos, row.kept) << stored;
    }

    // The messages left with Back and Exit are still new; leaving the
    // thread list with Back clears the counts.
    EXPECT_EQ(client.getThreadDB().totalNewCount(), 2u);
    rig.startActivity(88);
    ASSERT_NE(rig.currentJob(), nullptr);
    EXPECT_EQ(rig.currentJob()->typeId(), 30);
    ASSERT_TRUE(rig.press("Back"));
    EXPECT_TRUE(client.getProducer().isIdle());
    EXPECT_EQ(client.getThreadDB().totalNewCount(), 0u);
}

// A launch that names a message (activity 100) shows the stored one's
// summary; one the store does not hold shows the error of its read, and
// its Ok ends the run.
TEST(VXLClientMessageSummaryRoad, ALaunchNamingAMessageShowsItsSummaryOrTheError)
{
    MessageListRoadRig rig;
    ASSERT_TRUE(rig.start({7, 11, 42, 43}));
    CVXLClient& client = *rig.client;
    ASSERT_TRUE(rig.receive("N1", "%2B15550301")) << rig.relay.log();
    const CVXLString id = client.getMessageStoreManager().boxIdAt(0, 0);

    rig.startActivity(100, id.c_str());
    CVXLMessageSummaryJob* job = summaryJob(rig);
    ASSERT_NE(job, nullptr);
    EXPECT_TRUE(job->isShowingSummary());
    EXPECT_EQ(rig.topText(), kSummaryScreen);
    ASSERT_TRUE(rig.press("Back"));
    EXPECT_EQ(rig.currentJob(), nullptr);
    EXPECT_TRUE(client.getProducer().isIdle());

    rig.startActivity(100, "k-none");
    ASSERT_NE(summaryJob(rig), nullptr);
    ASSERT_NE(rig.top(), nullptr);
    EXPECT_EQ(rig.top()->layoutType(), kLayoutError) << rig.topText();
    ASSERT_TRUE(rig.press("Ok"));
    EXPECT_EQ(rig.currentJob(), nullptr);
    EXPECT_TRUE(client.getProducer().isIdle());
}

// A notification that waits for the subscriber's consent, handed to the
// Client's push queue as the phone's push source does, with item 43 on:
// Retrieve Summary fetches it under a progress screen whose bar follows the
// fetch; when the Client has handled the push the screen ends by itself,
// and the message that arrived shows its summary. Back on the progress
// leaves the screen at once.
TEST(VXLClientMessageSummaryRoad, RetrieveSummaryFetchesUnderProgressThatEndsWithTheFetch)
{
    MessageListRoadRig rig;
    ASSERT_TRUE(rig.start({7, 11, 42, 43}));
    CVXLClient& client = *rig.client;
    client.settings().setConfigNumber(43, 1);
    const std::vector<CPushRequest*> pushes
        = rig.notifications({{"C1", "%2B15550401"}, {"C2", "%2B15550402"}}, true);
    ASSERT_EQ(pushes.size(), 2u);

    rig.queuePush(*pushes[0]);
    ASSERT_TRUE(rig.follow([&] { return rig.top() != nullptr; }, 30000)) << rig.relay.log();
    CVXLMessageSummaryJob* job = summaryJob(rig);
    ASSERT_NE(job, nullptr);
    EXPECT_TRUE(job->isAskingConsent());
    EXPECT_EQ(rig.topText(), kConsentScreen);
    EXPECT_EQ(rig.relay.log().find("GET /msg/C1?from=%2B15550401 "), std::string::npos) << rig.relay.log();

    const std::size_t before = rig.pool->shown.size();
    ASSERT_TRUE(rig.press("Retrieve Summary"));
    bool bar = false;
    ASSERT_TRUE(rig.follow(
        [&] {
            bar = bar || (rig.top() && rig.top()->layoutType() == kLayoutProgressBar);
            return client.getWapPushQueue().count() == 0 && summaryJob(rig)
                && summaryJob(rig)->isShowingSummary();
        },
        30000))
        << rig.relay.log() << rig.topText();
    EXPECT_TRUE(bar);
    EXPECT_NE(rig.relay.log().find("GET /msg/C1?from=%2B15550401 "), std::string::npos) << rig.relay.log();
    EXPECT_NE(rig.relay.log().find("POST /mms type=83 tid=T-C1"), std::string::npos) << rig.relay.log();
    EXPECT_EQ(client.getMessageStoreManager().boxCount(0), 1u);
    // The progress under the consent screen's job, then the arrival's summary.
    EXPECT_EQ(shownFrom(rig, before), (std::vector<int> {43, 42, 28}));
    EXPECT_EQ(rig.topText(), kSummaryScreen);
    ASSERT_TRUE(rig.press("Back"));
    EXPECT_TRUE(client.getProducer().isIdle());

    // Back on the progress: the screen ends without waiting for the fetch.
    rig.queuePush(*pushes[1]);
    ASSERT_TRUE(rig.follow([&] { return rig.top() != nullptr && rig.topText() == kConsentScreen; }, 30000));
    ASSERT_TRUE(rig.press("Retrieve Summary"));
    ASSERT_NE(rig.top(), nullptr);
    ASSERT_TRUE(rig.press("Back")) << rig.topText();
    EXPECT_EQ(rig.currentJob() ? rig.currentJob()->typeId() : 0, 0);
    // The spinner is taken down too (its text is not read: a screen left up
    // names a layout its job may no longer hold).
    EXPECT_EQ(rig.top(), nullptr);
}

} // namespace
