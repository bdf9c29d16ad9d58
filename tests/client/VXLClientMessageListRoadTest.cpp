// The message screens headless on the whole engine: messages received from
// tests/peers/mms_relay.py, the lists filled by the real jobs through their
// own message service jobs, the stores and the outbound queue, and what was
// deleted read back from the device root by tests/peers/msgstore.py.
#include "engine/messaging/VXLMessageSummary.h"
#include "engine/screens/VXLLayoutMessageList.h"
#include "engine/screens/VXLMessageListJob.h"
#include "tests/client/MessageListRoadRig.h"

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
    ASSERT_TRUE(rig.start({ 7, 11, 21, 42, 43 }));
    rig.client->settings().setConfigString(kCfgMessageBrowserWindowSize, "5");
    std::vector<std::pair<std::string, std::string>> twelve;
    for (int i = 1; i <= 12; ++i)
        twelve.push_back({ "M" + std::to_string(i), sender(i) });
    ASSERT_TRUE(rig.receive(twelve)) << rig.relay.log();

    auto* job = dynamic_cast<CVXLMessageListJob*>(rig.startJob(21));
    ASSERT_NE(job, nullptr);
    CVXLLayoutMessageList& layout = job->layout();
    ASSERT_EQ(rig.top(), &layout);
    EXPECT_EQ(layout.messageCount(), 12u);
    EXPECT_EQ(layout.list().first(), 0);
    EXPECT_EQ(layout.list().length(), 5);
    // Each message has one recipient: no Reply All.
    EXPECT_EQ(screenText(layout), "Inbox | right View, left Reply, -unplaced Reply All, unplaced Forward, unplaced Save "
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
    EXPECT_EQ(rig.told(), (std::vector<std::int32_t> { 8 }));
    EXPECT_EQ(rig.top(), nullptr);
}

} // namespace
