// The message screens headless on the whole engine: messages received from
// tests/peers/mms_relay.py, the lists filled by the real jobs through their
// own message service jobs, the stores and the outbound queue, and what was
// deleted read back from the device root by tests/peers/msgstore.py.
#include "engine/messaging/store/VXLMessageSummary.h"
#include "engine/messaging/threads/VXLThreadEntry.h"
#include "engine/records/VXLMessageListItem.h"
#include "engine/screens/MessageSummaryGetter.h"
#include "engine/screens/VXLInfoMessageTable.h"
#include "engine/screens/VXLLayoutInformation.h"
#include "engine/screens/VXLLayoutMessageList.h"
#include "engine/screens/VXLLayoutThreadList.h"
#include "engine/screens/VXLMessageListJob.h"
#include "engine/screens/VXLMessageSummaryJob.h"
#include "engine/screens/VXLThreadListJob.h"
#include "tests/client/MessageListRoadRig.h"
#include "tests/support/ExternalTool.h"
#include "tests/transport/MmsTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string sender(int n)
{
    return "%2B155501" + std::to_string(100 + n);
}

// The senders of the window's records in position order, "." for an empty
// position.
[[maybe_unused]] std::string windowText(const CVXLLayoutMessageList& layout)
{
    std::string out;
    const CVXLListModel& list = layout.list();
    for (std::int32_t i = 0; i < list.length(); ++i) {
        CVXLElement* item = list.itemAt(list.first() + i);
        const CVXLMessageSummary* record = item ? item->asMessageSummary() : nullptr;
        out += std::string(out.empty() ? "" : " ") + (record ? record->fromAddress().c_str() : ".");
    }
    return out;
}

int recordsIn(const CVXLLayoutMessageList& layout)
{
    int n = 0;
    for (std::int32_t i = 0; i < layout.list().length(); ++i)
        n += layout.list().hasItemAt(layout.list().first() + i) ? 1 : 0;
    return n;
}

TEST(VXLClientMessageListRoad, AnInboxWindowOfFiveFromTenHoldsTheLastTwoOfTwelve)
{
    MessageListRoadRig rig;
    ASSERT_TRUE(rig.start({7, 11, 21, 42, 43}));
    rig.client->settings().setConfigString(kCfgMessageBrowserWindowSize, "5");
    std::vector<std::pair<std::string, std::string>> twelve;
    for (int i = 1; i <= 12; ++i)
        twelve.push_back({"M" + std::to_string(i), sender(i)});
    ASSERT_TRUE(rig.receive(twelve)) << rig.relay.log();

    auto* job = dynamic_cast<CVXLMessageListJob*>(rig.startJob(21));
    ASSERT_NE(job, nullptr);
    CVXLLayoutMessageList& layout = job->layout();
    ASSERT_EQ(rig.top(), &layout);
    EXPECT_EQ(layout.messageCount(), 12u);
    EXPECT_EQ(layout.list().first(), 0);
    EXPECT_EQ(layout.list().length(), 5);
    // Each message has one recipient: no Reply All.
    EXPECT_EQ(screenText(layout),
        "Inbox | right View, left Reply, -unplaced Reply All, unplaced Forward, unplaced Save "
        "Message, unplaced Delete, unplaced Update, unplaced Back, unplaced Exit");
    EXPECT_EQ(recordsIn(layout), 5);

    // The user interface moves the window to 10 and asks for it.
    layout.list().setFirst(10);
    ASSERT_TRUE(rig.press("Update"));
    EXPECT_EQ(layout.messageCount(), 12u);
    EXPECT_EQ(layout.list().first(), 10);
    EXPECT_FALSE(layout.list().isChanged());
    EXPECT_EQ(recordsIn(layout), 2);
    EXPECT_TRUE(layout.list().hasItemAt(10));
    EXPECT_TRUE(layout.list().hasItemAt(11));

    // A thirteenth message, and the user interface's code 15: the window
    // is loaded again.
    ASSERT_TRUE(rig.receive("M13", sender(13))) << rig.relay.log();
    EXPECT_EQ(layout.messageCount(), 12u);
    rig.client->pushUIRequestCode(15);
    rig.run();
    EXPECT_EQ(layout.messageCount(), 13u);
    EXPECT_EQ(recordsIn(layout), 3);

    ASSERT_TRUE(rig.press("Back"));
    EXPECT_EQ(rig.told(), (std::vector<std::int32_t> {8}));
    EXPECT_EQ(rig.top(), nullptr);
}

// The thread list's rows: each thread's name and message count.
std::string threadRows(const CVXLLayoutThreadList& layout)
{
    std::string out;
    const CVXLListModel& list = layout.list();
    for (std::int32_t i = 0; i < list.length(); ++i) {
        auto* item = static_cast<CVXLMessageListItem*>(list.itemAt(list.first() + i));
        if (item)
            out += std::string(out.empty() ? "" : " | ") + item->name().c_str() + " ("
                + std::to_string(item->count()) + ")";
    }
    return out;
}

CVXLMessageListItem* threadNamed(CVXLLayoutThreadList& layout, const char* name)
{
    const CVXLListModel& list = layout.list();
    for (std::int32_t i = 0; i < list.length(); ++i) {
        auto* item = static_cast<CVXLMessageListItem*>(list.itemAt(list.first() + i));
        if (item && item->name() == name)
            return item;
    }
    return nullptr;
}

// The ids, joined by " ", without one of them.
std::string without(const std::string& ids, const std::string& id)
{
    std::string rest = " " + ids + " ";
    const std::size_t at = rest.find(" " + id + " ");
    if (at != std::string::npos)
        rest.erase(at, id.size() + 1);
    return rest.size() >= 2 ? rest.substr(1, rest.size() - 2) : "";
}

// The conversations from the menu's "Tessel" entry (activity 88): three
// threads as the list shows them; Continue opens one with its newest
// messages in view; a delete there removes exactly the message, Delete All
// that thread only (the queue's file untouched); the thread list's own
// Delete All empties every thread.
TEST(VXLClientMessageListRoad, ThreadsFromTheListToTheirMessagesAndDeletesReadBack)
{
    MessageListRoadRig rig;
    ASSERT_TRUE(rig.start({7, 11, 26, 30, 42, 43}));
    CVXLClient& client = *rig.client;
    client.settings().setConfigString(kCfgMessageBrowserWindowSize, "2");
    ASSERT_TRUE(rig.receive({{"A1", "%2B15550101"}, {"B1", "%2B15550202"}, {"A2", "%2B15550101"},
        {"C1", "%2B15550303"}, {"A3", "%2B15550101"}}))
        << rig.relay.log();

    rig.startActivity(88);
    auto* threads = dynamic_cast<CVXLThreadListJob*>(rig.currentJob());
    ASSERT_NE(threads, nullptr);
    CVXLLayoutThreadList& list = threads->layout();
    ASSERT_EQ(rig.top(), &list);
    EXPECT_EQ(list.itemCount(), 3u);
    EXPECT_EQ(threadRows(list), "+15550101 (3) | +15550303 (1) | +15550202 (1)");
    EXPECT_EQ(screenText(list),
        "Messaging | hard Continue, unplaced Update, unplaced Compose, hard Delete, hard Delete "
        "All, hard Back, hard Exit");

    // Continue on the first thread: the program opens it with "thread_id".
    CVXLMessageListItem* a = threadNamed(list, "+15550101");
    ASSERT_NE(a, nullptr);
    list.setCurrentElement(a);
    ASSERT_TRUE(rig.press("Continue"));
    auto* thread = dynamic_cast<CVXLMessageListJob*>(rig.currentJob());
    ASSERT_NE(thread, nullptr);
    EXPECT_EQ(thread->typeId(), 26);
    EXPECT_EQ(std::string(thread->threadId().c_str()), "+15550101");
    CVXLLayoutMessageList& messages = thread->layout();
    ASSERT_EQ(rig.top(), &messages);
    // Window 2 of 3: the newest two, from 1.
    EXPECT_EQ(messages.messageCount(), 3u);
    EXPECT_EQ(messages.list().first(), 1);
    EXPECT_EQ(recordsIn(messages), 2);
    EXPECT_EQ(std::string(messages.getTitle().c_str()), "+15550101");

    // Delete the selected message: exactly that one leaves the store.
    const std::string before = storedInboxIds(client);
    ASSERT_EQ(std::count(before.begin(), before.end(), ' '), 4) << before;
    const CVXLMessageSummary* doomed = messages.selectedRecord();
    ASSERT_NE(doomed, nullptr);
    const std::string doomedId = doomed->messageId().c_str();
    ASSERT_TRUE(rig.press("Delete"));
    EXPECT_EQ(storedInboxIds(client), without(before, doomedId));
    EXPECT_EQ(messages.messageCount(), 2u);
    EXPECT_EQ(client.getThreadDB().findThread(CVXLString("+15550101"))->messages.count(), 2u);
    EXPECT_EQ(rig.currentJob(), thread);

    // A message waits in the outbound queue; Delete All in this thread
    // leaves it and the other threads. The thread is gone, so its list goes
    // back to the thread list, loaded again.
    ASSERT_TRUE(rig.queueMessage("+15550404"));
    const std::string queueFile = rig.root.readFile("Application Data/Tessel/state.oq");
    ASSERT_FALSE(queueFile.empty());
    const std::string others = storedInboxIds(client);
    ASSERT_TRUE(rig.press("Delete All"));
    EXPECT_EQ(rig.root.readFile("Application Data/Tessel/state.oq"), queueFile);
    const std::string left = storedInboxIds(client);
    EXPECT_EQ(std::count(left.begin(), left.end(), ' '), 1) << left;
    EXPECT_EQ(client.getThreadDB().findThread(CVXLString("+15550101")), nullptr);
    ASSERT_EQ(rig.currentJob(), threads);
    ASSERT_EQ(rig.top(), &list);
    EXPECT_EQ(threadRows(list), "+15550303 (1) | +15550202 (1)");

    // The thread list's Delete All: every thread goes, with its messages;
    // the queued message, in no thread, stays.
    ASSERT_TRUE(rig.press("Delete All"));
    EXPECT_EQ(storedInboxIds(client), "");
    EXPECT_EQ(list.itemCount(), 0u);
    EXPECT_EQ(threadRows(list), "");
    EXPECT_EQ(client.getOutboundQueueManager().countQueued(), 1u);
    EXPECT_EQ(rig.root.readFile("Application Data/Tessel/state.oq"), queueFile);
    EXPECT_EQ(screenText(list),
        "Messaging | -hard Continue, -unplaced Update, unplaced Compose, -hard Delete, -hard "
        "Delete All, hard Back, hard Exit");
    ASSERT_TRUE(rig.press("Back"));
    EXPECT_EQ(rig.currentJob(), nullptr);
    EXPECT_TRUE(client.getProducer().isIdle());
}

// The pending list's rows: recipients and the entry's state.
std::string pendingRows(const CVXLLayoutMessageList& layout)
{
    std::string out;
    for (std::int32_t i = 0; i < layout.list().length(); ++i) {
        CVXLElement* item = layout.list().itemAt(layout.list().first() + i);
        const CVXLMessageSummary* record = item ? item->asMessageSummary() : nullptr;
        if (!record)
            continue;
        const std::uint32_t kind = CVXLLayoutMessageList::boxTypeOf(*record);
        out += std::string(out.empty() ? "" : " | ") + record->toText().c_str() + " "
            + (kind == 3        ? "queued"
                    : kind == 4 ? "sending"
                    : kind == 5 ? "failed"
                                : "?");
    }
    return out;
}

void selectRow(CVXLLayoutMessageList& layout, std::int32_t row)
{
    layout.setCurrentElement(layout.list().itemAt(layout.list().first() + row));
}

// The outbound queue's file with the first entry's attempts used up, as a
// message that failed three times leaves it: format byte, next item number,
// count and current index come before the entry's kind, item number and
// attempts.
bool useUpFirstAttempts(TempDeviceRoot& root)
{
    std::string state = root.readFile("Application Data/Tessel/state.oq");
    constexpr std::size_t kFirstAttempts = 1 + 4 + 4 + 1 + 1 + 4;
    if (state.size() <= kFirstAttempts || state[0] != 6)
        return false;
    state[kFirstAttempts] = 3;
    return root.writeFile("Application Data/Tessel/state.oq", state);
}

// A field of the queue's file as tests/peers/msgstore.py reads it: per
// entry "recipients:attempts", newest last.
std::string queueEntries(TempDeviceRoot& root)
{
    const std::string folder = root.hostPath("Application Data/Tessel");
    const TestCommandResult run = testRunCommand(testPython()
        + " '" TESSEL_SOURCE_DIR "/tests/peers/msgstore.py' queue-read '" + folder + "' | " + testPython()
        + " -c 'import json, sys; print(\" \".join(\"%s:%d\" % (e[\"summary\"][\"recipients\"], "
          "e[\"attempts\"]) "
          "for e in json.load(sys.stdin)[\"entries\"]))'");
    std::string out = run.status == 0 ? run.output : "<unreadable>";
    while (!out.empty() && out.back() == '\n')
        out.pop_back();
    return out;
}

// The pending messages over the engine's own queue: a row per queued
// message, newest first; Resend gives a failed message its attempts back in
// "state.oq", Delete takes an entry out, and the queue's own UI code 9
// loads the list again.
TEST(VXLClientMessageListRoad, PendingMessagesAreTheQueuedOnes)
{
    TempDeviceRoot root;
    {
        MessageListRoadRig first(&root);
        ASSERT_TRUE(first.start({7, 11, 42, 43}));
        ASSERT_TRUE(first.queueMessage("+15550404"));
        ASSERT_TRUE(first.queueMessage("+15550505"));
    }
    ASSERT_TRUE(useUpFirstAttempts(root));
    EXPECT_EQ(queueEntries(root), "+15550404:3 +15550505:0");

    MessageListRoadRig rig(&root);
    rig.dataOff = true;
    ASSERT_TRUE(rig.start({7, 11, 22, 42, 43}));
    auto* job = dynamic_cast<CVXLMessageListJob*>(rig.startJob(22));
    ASSERT_NE(job, nullptr);
    CVXLLayoutMessageList& layout = job->layout();
    ASSERT_EQ(rig.top(), &layout);
    EXPECT_EQ(layout.messageCount(), 2u);
    EXPECT_EQ(pendingRows(layout), "+15550505 queued | +15550404 failed");
    EXPECT_EQ(screenText(layout),
        "Pending Messages | unplaced Resend, unplaced Delete, unplaced Update, unplaced Back, "
        "unplaced Exit");

    // The failed one again: its attempts are back to none.
    selectRow(layout, 1);
    ASSERT_TRUE(rig.press("Resend"));
    EXPECT_EQ(queueEntries(root), "+15550404:0 +15550505:0");
    EXPECT_EQ(pendingRows(layout), "+15550505 queued | +15550404 queued");

    // Delete the newest.
    selectRow(layout, 0);
    ASSERT_TRUE(rig.press("Delete"));
    EXPECT_EQ(queueEntries(root), "+15550404:0");
    EXPECT_EQ(layout.messageCount(), 1u);
    EXPECT_EQ(pendingRows(layout), "+15550404 queued");

    // A new message: the queue says so with UI code 9 and the list follows.
    ASSERT_TRUE(rig.queueMessage("+15550606"));
    EXPECT_EQ(layout.messageCount(), 2u);
    EXPECT_EQ(pendingRows(layout), "+15550606 queued | +15550404 queued");
}

// A notification that recommends manual retrieval, pushed to the engine:
// the inbound manager asks the program (event 115), whose data-charge flow
// hands it to the message summary job. Without configuration item 43 the
// job agrees at once and the message is fetched (and its summary shown as
// it arrives); with it the user is asked, and Back leaves the message at the
// relay.
TEST(VXLClientMessageListRoad, ADataChargeIsFetchedAtOnceOrOnlyWhenTheUserAgrees)
{
    MessageListRoadRig rig;
    ASSERT_TRUE(rig.start({7, 11, 28, 42, 43}));
    CVXLClient& client = *rig.client;
    const std::vector<CPushRequest*> pushes
        = rig.notifications({{"D1", "%2B15550101"}, {"D2", "%2B15550202"}}, true);
    ASSERT_EQ(pushes.size(), 2u);
    const std::size_t answered = rig.pusher.results.size();

    // Item 43 off: agreed at once, the message is fetched and stored.
    rig.pusher.post(&client.getInboundMessageManager(), pushes[0]);
    ASSERT_TRUE(rig.follow([&] { return rig.pusher.results.size() > answered; }, 30000)) << rig.relay.log();
    EXPECT_EQ(rig.pusher.results.back(), 0);
    EXPECT_NE(rig.relay.log().find("GET /msg/D1?from=%2B15550101&thumbnail=true"), std::string::npos)
        << rig.relay.log();
    EXPECT_EQ(client.getMessageStoreManager().boxCount(0), 1u);
    // The consent job ended at once; the message that arrived shows its
    // summary.
    EXPECT_EQ(rig.pool->shownTypes(), (std::vector<int> {28, 28}));
    rig.dismissArrivalNotice();
    EXPECT_EQ(rig.top(), nullptr);
    EXPECT_TRUE(client.getProducer().isIdle());

    // Item 43 on: the user is asked, and Back leaves the message where it is.
    client.settings().setConfigNumber(43, 1);
    const std::size_t asked = testLines(rig.relay.log()).size();
    rig.pusher.post(&client.getInboundMessageManager(), pushes[1]);
    ASSERT_TRUE(rig.follow([&] { return rig.top() != nullptr; }, 30000));
    auto* job = dynamic_cast<CVXLMessageSummaryJob*>(rig.currentJob());
    ASSERT_NE(job, nullptr);
    EXPECT_TRUE(job->isAskingConsent());
    EXPECT_EQ(rig.topText(), "Data Charge  | left Retrieve Summary, hard Back, hard Exit");
    EXPECT_NE(job->layout().summary().length(), 0u);
    EXPECT_EQ(rig.pusher.results.size(), answered + 1);

    ASSERT_TRUE(rig.press("Back"));
    ASSERT_TRUE(rig.follow([&] { return rig.pusher.results.size() > answered + 1; }, 30000));
    EXPECT_EQ(rig.pusher.results.back(), 0);
    EXPECT_EQ(testLines(rig.relay.log()).size(), asked) << rig.relay.log();
    EXPECT_EQ(client.getMessageStoreManager().boxCount(0), 1u);
    EXPECT_EQ(rig.top(), nullptr);
    EXPECT_TRUE(client.getProducer().isIdle());
}

// The summary getter: a stored message's id gives its summary and folder
// (then 8 when the program goes on); a message that is not there shows the
// error of its read, whose answer tells the program 7, and the run ends.
TEST(VXLClientMessageListRoad, TheSummaryGetterFetchesAStoredMessageOrShowsTheError)
{
    MessageListRoadRig rig;
    ASSERT_TRUE(rig.start({7, 11, 29, 42, 43}));
    CVXLClient& client = *rig.client;
    ASSERT_TRUE(rig.receive("G1", "%2B15550101")) << rig.relay.log();
    const CVXLString id = client.getMessageStoreManager().boxIdAt(0, 0);
    ASSERT_NE(id.length(), 0u);

    auto* getter = dynamic_cast<CMessageSummaryGetter*>(rig.startJob(29, {{"message_id", CVXLVariant(id)}}));
    ASSERT_NE(getter, nullptr);
    EXPECT_EQ(rig.told(), (std::vector<std::int32_t> {10}));
    EXPECT_EQ(getter->property("folder_location").toInt(), 0);
    const auto* summary = static_cast<const CVXLMessageSummary*>(
        static_cast<const CVXLObject*>(getter->property("message_summary").reference()));
    ASSERT_NE(summary, nullptr);
    EXPECT_EQ(summary->messageId(), id);
    EXPECT_EQ(std::string(summary->fromAddress().c_str()), "+15550101");
    EXPECT_EQ(rig.top(), nullptr);
    rig.answer(getter, 12);
    EXPECT_EQ(rig.told(), (std::vector<std::int32_t> {10, 8}));

    // Through the program: the launch names no stored message.
    client.settings().setPersistentString(kPersVraxId, "D42");
    client.settings().setPersistentString(kPersVraxRegComplete, "1");
    rig.startActivity(101, "k-none");
    for (int guard = 0; guard < 3 && rig.currentJob() && rig.currentJob()->typeId() != 29; ++guard) {
        rig.pool->script.push_back({10, {}});
        ASSERT_TRUE(rig.pool->answer(client.getProducer().uiJobs()));
        rig.run();
    }
    ASSERT_NE(rig.currentJob(), nullptr);
    EXPECT_EQ(rig.currentJob()->typeId(), 29);
    ASSERT_NE(rig.top(), nullptr);
    EXPECT_EQ(rig.top()->layoutType(), kLayoutError);
    ASSERT_TRUE(rig.press("Ok"));
    EXPECT_EQ(rig.currentJob(), nullptr);
    EXPECT_TRUE(client.getProducer().isIdle());
    const auto& shown = rig.pool->shown;
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.back().type, 7);
}

// Back on the spinner while the thread list is being fetched: the job waits
// for the fetch's answer and only then tells the program 8; the list is
// never shown.
TEST(VXLClientMessageListRoad, BackWhileTheThreadListIsFetchedWaitsForItsAnswer)
{
    MessageListRoadRig rig;
    ASSERT_TRUE(rig.start({7, 11, 30, 42, 43}));
    CVXLClient& client = *rig.client;
    ASSERT_TRUE(rig.receive({{"W1", "%2B15550101"}, {"W2", "%2B15550202"}})) << rig.relay.log();

    auto* event = new CMenuTextEvent(88);
    event->setHeapAllocated(false);
    rig.activities.emplace_back(event);
    rig.menu.post(&client.getProducer(), event);
    CVXLThreadListJob* threads = nullptr;
    for (int i = 0; i < 1000 && !(threads && rig.top() && rig.top()->layoutType() == kLayoutProgressSpinner);
         ++i) {
        rig.driver.tick();
        rig.take();
        threads = dynamic_cast<CVXLThreadListJob*>(rig.currentJob());
    }
    ASSERT_NE(threads, nullptr);
    ASSERT_TRUE(threads->isLoading());
    // The job goes back to the pool when the run ends: only its address is
    // kept past that.
    const CVXLLayout* list = &threads->layout();
    const std::size_t shownBefore = rig.requests.size();
    ASSERT_TRUE(submitByLabel(*rig.top(), "Back"));

    bool waited = false;
    for (int i = 0; i < 1000 && !client.getProducer().isIdle(); ++i) {
        rig.driver.tick();
        rig.take();
        if (rig.currentJob() == threads && threads->isWaitingForReply() && !client.getProducer().isIdle())
            waited = true;
    }
    EXPECT_TRUE(waited);
    EXPECT_TRUE(client.getProducer().isIdle());
    // An earlier screen may have had the address: only what came after Back.
    for (std::size_t i = shownBefore; i < rig.requests.size(); ++i)
        EXPECT_FALSE(rig.requests[i].kind == kUIRequestNewLayout && rig.requests[i].layout == list);
    EXPECT_EQ(rig.top(), nullptr);
}

// Forward from a thread: the program's contact chooser fills the
// recipients, the job sends the forward through its message service job and
// the inbound manager, and the relay receives an m-forward-req (read by
// tshark through tests/peers/mms_tshark.py). With 22 messages queued the
// outbound queue is full: Forward shows notice 20 instead.
TEST(VXLClientMessageListRoad, AForwardReachesTheRelayUnlessTheQueueIsFull)
{
    TESSEL_REQUIRE_TOOL(testToolTshark());
    MessageListRoadRig rig;
    ASSERT_TRUE(rig.start({7, 11, 26, 30, 42, 43}));
    CVXLClient& client = *rig.client;
    client.settings().setPersistentString(kPersVraxId, "D42");
    client.settings().setPersistentString(kPersVraxRegComplete, "1");
    ASSERT_TRUE(rig.receive("F1", "%2B15550101")) << rig.relay.log();
    const std::size_t received = testLines(rig.relay.log()).size();

    rig.startActivity(88);
    ASSERT_TRUE(rig.press("Continue"));
    auto* thread = dynamic_cast<CVXLMessageListJob*>(rig.currentJob());
    ASSERT_NE(thread, nullptr);
    ASSERT_TRUE(rig.press("Forward"));
    // The registration check and the contact chooser are the program's.
    for (int guard = 0; guard < 4 && rig.currentJob() != thread; ++guard) {
        if (rig.currentJob()->typeId() == 4) {
            client.getGlobalContacts().clear();
            client.getGlobalContacts().addNew()->set(1, "+15550777", "");
        }
        rig.pool->script.push_back({10, {}});
        ASSERT_TRUE(rig.pool->answer(client.getProducer().uiJobs()));
        ASSERT_TRUE(rig.follow([&] { return testLines(rig.relay.log()).size() > received; }, 30000)
            || rig.currentJob() != thread);
    }
    ASSERT_EQ(rig.currentJob(), thread);
    ASSERT_TRUE(rig.follow([&] { return rig.top() == &thread->layout(); }, 30000)) << rig.relay.log();
    const std::vector<std::string> lines = testLines(rig.relay.log());
    ASSERT_EQ(lines.size(), received + 1) << rig.relay.log();
    EXPECT_NE(lines.back().find("POST /mms type=89"), std::string::npos) << lines.back();
    const std::string oracle = mmstest::oracleText(rig.relay.savedBody(static_cast<int>(lines.size())));
    EXPECT_NE(oracle.find("header X-Mms-Message-Type: 0x89"), std::string::npos) << oracle;
    EXPECT_NE(oracle.find("+15550777"), std::string::npos) << oracle;

    // A full queue: the notice, and back to the list.
    for (int i = 0; i < 22; ++i)
        ASSERT_TRUE(rig.queueMessage(("+1555090" + std::to_string(i)).c_str())) << i;
    ASSERT_TRUE(client.getOutboundQueueManager().isFull());
    CVXLLayoutMessageList& messages = thread->layout();
    for (std::int32_t i = 0; i < messages.list().length(); ++i) {
        CVXLElement* item = messages.list().itemAt(messages.list().first() + i);
        const CVXLMessageSummary* record = item ? item->asMessageSummary() : nullptr;
        if (record && record->getBoxType() == CVXLMessageSummary::kReceived)
            messages.setCurrentElement(item);
    }
    // The two displaced by the full queue are reported as failed sends;
    // the program's notices of them are dismissed.
    for (int guard = 0; guard < 30 && rig.currentJob() && rig.currentJob()->typeId() == 41; ++guard) {
        rig.pool->script.push_back({10, {}});
        ASSERT_TRUE(rig.pool->answer(client.getProducer().uiJobs()));
        rig.run();
    }
    ASSERT_EQ(rig.currentJob(), thread);
    // The scripted notices leave their screens up: the list is pressed
    // itself.
    ASSERT_TRUE(submitByLabel(messages, "Forward")) << screenText(messages);
    rig.run();
    CVXLLayoutInformation* notice = rig.top() ? rig.top()->asInformation() : nullptr;
    ASSERT_NE(notice, nullptr);
    EXPECT_EQ(notice->message(),
        CVXLScreenServices::text(rig.client->getUiJobPool()->services(), CVXLInfoMessageTable::textIdOf(20)));
    ASSERT_TRUE(rig.press("Continue"));
    EXPECT_EQ(rig.currentJob(), thread);
    EXPECT_TRUE(thread->isListing());
    EXPECT_EQ(testLines(rig.relay.log()).size(), received + 1);

    // Back to the thread list and out: the run ends and its jobs go back.
    ASSERT_TRUE(submitByLabel(messages, "Back"));
    rig.run();
    auto* threads = dynamic_cast<CVXLThreadListJob*>(rig.currentJob());
    ASSERT_NE(threads, nullptr);
    ASSERT_TRUE(submitByLabel(threads->layout(), "Back"));
    rig.run();
    EXPECT_TRUE(client.getProducer().isIdle());
}

} // namespace

// The other boxes over the real managers: the premium list is the premium
// inbox's current group; the saved and sent lists are the relay's folders,
// read through an MMbox view (mms_relay.py answers three descriptors, whose
// previews are fetched and stored); one the relay refuses is left as with
// Back. Save Message stores the selected inbox message in the relay's
// personal folder (m-mbox-store-req).
TEST(VXLClientMessageListRoad, PremiumSavedAndSentListsAndSaveMessage)
{
    struct Row {
        int type;
        // The relay's address for the row, below the relay's own.
        const char* relayPath;
        const char* title;
        std::uint32_t count;
        const char* window;
        // Requests the relay sees for the list, in order.
        std::vector<std::string> requests;
    };
    const std::string descriptors[] = {"GET /preview/mbox-msg-1?thumbnail=true",
        "GET /preview/mbox-msg-2?thumbnail=true", "GET /preview/mbox-msg-3?thumbnail=true"};
    const Row rows[] = {
        {23, "/mms", "Sports", 1, "+155501101", {}},
        {24, "/mms", "Saved Mail", 3, "+15550001111 +15550001111 +15550001111",
            {"POST /mms/?sua= type=8d", descriptors[0], descriptors[1], descriptors[2]}},
        {25, "/mms", "Sent Mail", 3, "+15550001111 +15550001111 +15550001111",
            {"POST /mms/?sua= type=8d", descriptors[0], descriptors[1], descriptors[2]}},
        // Without the totals the list still counts what was sent.
        {25, "/mms-nototals", "Sent Mail", 3, "+15550001111 +15550001111 +15550001111",
            {"POST /mms-nototals/?sua= type=8d", descriptors[0], descriptors[1], descriptors[2]}},
        {24, "/status/503", "", 0, "", {"POST /status/503/?sua= type=8d"}},
    };
    MessageListRoadRig rig;
    ASSERT_TRUE(rig.start({7, 11, 21, 23, 24, 25, 42, 43}));
    CVXLClient& client = *rig.client;
    // A premium message of the group "Sports", and one for the inbox.
    const std::string premium
        = "&folder=%3Cpremium%20control%3D%22normal%22%20id%3D%22sports%22%20name%3D%22Sports%22"
          "%20priority%3D%225%22%2F%3E";
    ASSERT_TRUE(rig.receive({{"P1", sender(1) + premium}, {"I1", sender(2)}})) << rig.relay.log();
    ASSERT_EQ(client.getPremiumInboxManager().groupCount(), 1u);
    // The folder list makes the group current.
    const CVXLString sports("Sports");
    client.getPremiumInboxManager().selectItem(&sports);

    for (const Row& row : rows) {
        SCOPED_TRACE(row.type);
        client.settings().setConfigString(kCfgMmscUri, rig.relay.url(row.relayPath).c_str());
        const std::size_t asked = testLines(rig.relay.log()).size();
        auto* job = dynamic_cast<CVXLMessageListJob*>(rig.startJob(row.type));
        ASSERT_NE(job, nullptr);
        ASSERT_TRUE(rig.follow(
            [&] {
                return !rig.told().empty()
                    || (rig.top() && rig.top()->layoutType() != kLayoutProgressSpinner);
            },
            30000))
            << rig.relay.log();
        std::vector<std::string> seen;
        const std::vector<std::string> log = testLines(rig.relay.log());
        for (std::size_t i = asked; i < log.size(); ++i)
            seen.push_back(log[i].substr(4, log[i].find(" tid=") - 4));
        for (std::string& line : seen)
            line = line.substr(0, line.find(" type=-"));
        EXPECT_EQ(seen, row.requests);
        if (!row.title[0]) {
            // A list that cannot be read is left as with Back.
            EXPECT_EQ(rig.told(), (std::vector<std::int32_t> {8}));
            EXPECT_EQ(rig.top(), nullptr) << rig.topText();
            rig.program.codes.clear();
            continue;
        }
        EXPECT_EQ(rig.top(), &job->layout());
        EXPECT_EQ(job->layout().getTitle(), row.title);
        EXPECT_EQ(job->layout().messageCount(), row.count);
        const std::string window = windowText(job->layout());
        EXPECT_EQ(window.substr(0, window.find(" .")), row.window);
        ASSERT_TRUE(rig.press("Back"));
        rig.program.codes.clear();
    }

    // Save Message: the selected inbox message goes to the relay's folder.
    client.settings().setConfigString(kCfgMmscUri, rig.relay.url("/mms").c_str());
    auto* inbox = dynamic_cast<CVXLMessageListJob*>(rig.startJob(21));
    ASSERT_NE(inbox, nullptr);
    ASSERT_NE(inbox->layout().selectedRecord(), nullptr);
    const std::size_t asked = testLines(rig.relay.log()).size();
    ASSERT_TRUE(rig.press("Save Message"));
    ASSERT_TRUE(rig.follow(
        [&] { return testLines(rig.relay.log()).size() > asked && rig.top() == &inbox->layout(); }, 30000))
        << rig.relay.log();
    EXPECT_NE(testLines(rig.relay.log())[asked].find("POST /mms type=8b"), std::string::npos)
        << rig.relay.log();
    EXPECT_EQ(inbox->layout().messageCount(), 1u);
    ASSERT_TRUE(rig.press("Back"));
}
