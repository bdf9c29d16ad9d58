#include "engine/core/jobs/VXLEvent.h"
#include "engine/core/jobs/VXLCancelNotice.h"
#include "engine/core/jobs/VXLFlagEvent.h"
#include "engine/core/jobs/VXLIntEvent.h"
#include "engine/core/jobs/VXLPayloadEvent.h"
#include "engine/core/jobs/VXLPlainEvent.h"
#include "engine/core/jobs/VXLSimpleEvent.h"

#include <gtest/gtest.h>

namespace {

TEST(VXLEvent, ConstructionDefaultsOfEachClass)
{
    struct Case {
        const char* name;
        const CVXLEvent& event;
        std::int32_t request;
        std::int32_t reply;
        bool replyWanted;
    };
    CVXLEvent plain;
    CVXLEvent paired(5, 6);
    CVXLSimpleEvent simple(0x8000000);
    CVXLPlainEvent plainEvent(9);
    CVXLFlagEvent flags(11);
    CVXLIntEvent integer(12);
    CVXLPayloadEvent payload(13, 14);
    CVXLCancelNotice notice;
    const Case cases[] = {
        {"default event", plain, -1, -1, true},
        {"event with codes", paired, 5, 6, true},
        {"simple event", simple, 0x8000000, 0x8000000, false},
        {"plain event", plainEvent, 9, 9, false},
        {"flag event", flags, 11, 11, false},
        {"int event", integer, 12, -1, false},
        {"payload event", payload, 13, 14, true},
        {"cancel notice", notice, kEventCancelNotice, kEventCancelNotice, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.event.requestCode(), c.request);
        EXPECT_EQ(c.event.replyCode(), c.reply);
        EXPECT_EQ(c.event.effectiveCode(), c.request);
        EXPECT_EQ(c.event.replyWanted(), c.replyWanted);
        EXPECT_EQ(c.event.status(), kEventIdle);
        EXPECT_EQ(c.event.result(), kResultSucceeded);
        EXPECT_FALSE(c.event.isBusy());
        EXPECT_FALSE(c.event.heapAllocated());
    }
    EXPECT_EQ(flags.firstFlag(), 0);
    EXPECT_EQ(integer.value(), 0);
    EXPECT_EQ(payload.payload(), 0u);
    EXPECT_EQ(notice.cancelled(), nullptr);
}

TEST(VXLEvent, ResultsAndTheEffectiveCodeOfAReply)
{
    CVXLEvent event(5, 6);
    event.setSucceeded(2);
    EXPECT_EQ(event.result(), kResultFailed) << "only the exact value 1 means success";
    event.setSucceeded(1);
    EXPECT_TRUE(event.succeeded());
    event.setResult(60, "bad url");
    EXPECT_STREQ(event.resultText().c_str(), "bad url");
    event.setResult(kResultCancelled);
    EXPECT_STREQ(event.resultText().c_str(), "") << "setting a result alone clears the text";

    event.setKind(kEventReply);
    EXPECT_EQ(event.effectiveCode(), 6);
    EXPECT_FALSE(event.isRequest());
    event.setKind(kEventTimer);
    EXPECT_EQ(event.effectiveCode(), 5);
    event.setStatus(kEventInProgress);
    EXPECT_TRUE(event.isBusy());
    event.setStatus(kEventCancelledByPeer);
    EXPECT_FALSE(event.isBusy());
}

TEST(VXLPayloadEvent, KeepsAWholePointerAndTellsTheNetworkNotice)
{
    CVXLPayloadEvent event(1, 2);
    int object = 0;
    event.setPayload(reinterpret_cast<std::uintptr_t>(&object));
    EXPECT_EQ(reinterpret_cast<int*>(event.payload()), &object);
    EXPECT_FALSE(vxlIsNetworkNotice(event));
    event.setPayload(273);
    event.setResult(52);
    EXPECT_TRUE(vxlIsNetworkNotice(event));
    event.setResult(53);
    EXPECT_FALSE(vxlIsNetworkNotice(event));
}

} // namespace

#include "engine/core/jobs/VXLRecordListEvent.h"

namespace {

TEST(VXLRecordListEvent, CopyingCopiesEveryRecord)
{
    auto* event = new CVXLRecordListEvent(20, 21);
    EXPECT_TRUE(event->heapAllocated());
    ASSERT_TRUE(event->append("to", "subject", "file", 1, 2, 3));
    ASSERT_TRUE(event->append("a", "b", "c", -1, 0, 7));
    CVXLRecordListEvent copy(*event);
    EXPECT_FALSE(copy.heapAllocated()) << "a copy lives where it is made";
    delete event;
    ASSERT_EQ(copy.count(), 2u);
    EXPECT_EQ(copy.requestCode(), 20);
    EXPECT_STREQ(copy.at(0)->text2.c_str(), "subject");
    EXPECT_EQ(copy.at(1)->value1, -1);
    EXPECT_EQ(copy.at(2), nullptr);

    CVXLRecordListEvent assigned;
    assigned.append("old", "", "", 0, 0, 0);
    assigned = copy;
    ASSERT_EQ(assigned.count(), 2u);
    EXPECT_STREQ(assigned.at(0)->text1.c_str(), "to");
}

} // namespace
