#include "engine/records/VXLMessageListItem.h"
#include "engine/media/VXLMediaRef.h"
#include "tests/media/MediaTestSupport.h"

#include <gtest/gtest.h>

namespace {

TEST(VXLMessageListItem, ANewItemIsTypeTwelveWithNoReferences)
{
    CVXLMessageListItem item;
    EXPECT_EQ(item.elementType(), 12u);
    EXPECT_EQ(item.accept(), 1);
    EXPECT_FALSE(item.isModified());
    EXPECT_FALSE(item.hasFirstReference());
    EXPECT_FALSE(item.hasSecondReference());
    EXPECT_EQ(item.firstReference(), nullptr);
    EXPECT_EQ(item.secondReference(), nullptr);
    EXPECT_EQ(item.count(), 0);
    EXPECT_EQ(item.valueA(), 0u);
    EXPECT_EQ(item.valueB(), 0u);
    EXPECT_EQ(item.commitMark(), 0);
    item.commit();
    EXPECT_EQ(item.commitMark(), 1);
}

TEST(VXLMessageListItem, EachReferenceSetsOnlyItsOwnFlag)
{
    int deleted = 0;
    CVXLMessageListItem item;
    CVXLMediaRefHandle handle = soleHandle(&deleted);
    item.setSecondReference(handle);
    EXPECT_FALSE(item.hasFirstReference());
    EXPECT_TRUE(item.hasSecondReference());
    EXPECT_EQ(item.secondReference(), handle.get());
    EXPECT_EQ(item.firstReference(), nullptr);
    item.setFirstReference(handle);
    EXPECT_TRUE(item.hasFirstReference());
    EXPECT_EQ(handle.get()->referenceCount(), 3);
}

TEST(VXLMessageListItem, ReplacingAReferenceReleasesTheOldOne)
{
    int firstDeleted = 0;
    int secondDeleted = 0;
    CVXLMessageListItem item;
    item.setFirstReference(soleHandle(&firstDeleted));
    EXPECT_EQ(firstDeleted, 0);
    item.setFirstReference(soleHandle(&secondDeleted));
    EXPECT_EQ(firstDeleted, 1);
    EXPECT_EQ(secondDeleted, 0);
    EXPECT_TRUE(item.hasFirstReference());
}

TEST(VXLMessageListItem, DestroyingTheLastHolderDeletesTheReferenceASharedOneSurvives)
{
    int soleDeleted = 0;
    int sharedDeleted = 0;
    CVXLMediaRefHandle kept = soleHandle(&sharedDeleted);
    {
        auto* item = new CVXLMessageListItem;
        item->setFirstReference(soleHandle(&soleDeleted));
        item->setSecondReference(kept);
        EXPECT_EQ(kept.get()->referenceCount(), 2);
        delete item;
    }
    EXPECT_EQ(soleDeleted, 1);
    EXPECT_EQ(sharedDeleted, 0);
    EXPECT_EQ(kept.get()->referenceCount(), 1);
}

TEST(VXLMessageListItem, CopyTakesTheSecondReferenceOnlyWhenTheSourceHasOne)
{
    struct Case {
        const char* what;
        bool sourceHasSecond;
        bool targetHadSecond;
        bool expectSecond;
        bool expectTargetsOwnSecond;
    };
    const Case cases[] = {
        {"source with both references", true, false, true, false},
        {"source with the first only, target empty", false, false, false, false},
        {"source with the first only, target keeps its own", false, true, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        int deleted = 0;
        CVXLMessageListItem source;
        source.setName("+15551234");
        source.setId(CVXLString("thread-key"));
        source.setCount(7);
        source.setValueA(2);
        source.setValueB(1);
        CVXLMediaRefHandle first = soleHandle(&deleted);
        CVXLMediaRefHandle second = soleHandle(&deleted);
        CVXLMediaRefHandle own = soleHandle(&deleted);
        source.setFirstReference(first);
        if (c.sourceHasSecond)
            source.setSecondReference(second);
        CVXLMessageListItem target;
        if (c.targetHadSecond)
            target.setSecondReference(own);
        target.copyFrom(source);
        EXPECT_STREQ(target.name().c_str(), "+15551234");
        EXPECT_STREQ(target.id().c_str(), "thread-key");
        EXPECT_EQ(target.count(), 7);
        EXPECT_EQ(target.valueA(), 2u);
        EXPECT_EQ(target.valueB(), 1u);
        EXPECT_TRUE(target.hasFirstReference());
        EXPECT_EQ(target.firstReference(), first.get());
        EXPECT_EQ(target.hasSecondReference(), c.expectSecond);
        if (c.expectTargetsOwnSecond)
            EXPECT_EQ(target.secondReference(), own.get());
        else if (c.expectSecond)
            EXPECT_EQ(target.secondReference(), second.get());
        else
            EXPECT_EQ(target.secondReference(), nullptr);
    }
}

} // namespace
