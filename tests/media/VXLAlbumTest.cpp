#include "engine/media/VXLAlbum.h"
#include "engine/media/VXLMediaItemElement.h"
#include "engine/media/VXLTrackedText.h"

#include <gtest/gtest.h>

namespace {

TEST(VXLTrackedText, CommitReportsOnlyARealChange)
{
    CVXLTrackedText t("old");
    EXPECT_FALSE(t.isModified());
    EXPECT_FALSE(t.commit());
    t.setText("new");
    EXPECT_TRUE(t.isModified());
    EXPECT_STREQ(t.committedText().c_str(), "old");
    EXPECT_TRUE(t.commit());
    EXPECT_FALSE(t.isModified());
    EXPECT_STREQ(t.committedText().c_str(), "new");
    t.setText("new");
    EXPECT_FALSE(t.commit()) << "setting the committed value again is no change";

    CVXLTrackedText copy;
    t.setText("edited");
    copy = t;
    EXPECT_STREQ(copy.text().c_str(), "edited");
    EXPECT_STREQ(copy.committedText().c_str(), "new");
    EXPECT_TRUE(copy.isModified());
}

TEST(VXLAlbum, NameModificationAndCommit)
{
    CVXLAlbum album("Holiday");
    EXPECT_FALSE(album.isModified());
    EXPECT_EQ(album.commitMark(), 0);

    album.setName("Trip", false);
    EXPECT_TRUE(album.isModified());
    EXPECT_STREQ(album.name().c_str(), "Trip");
    album.commit();
    EXPECT_FALSE(album.isModified());
    EXPECT_EQ(album.commitMark(), 1);

    album.setName("Coast", true);
    EXPECT_FALSE(album.isModified()) << "a name set with the commit flag is committed at once";
    EXPECT_STREQ(album.name().c_str(), "Coast");
}

TEST(VXLAlbum, CopyTakesEveryFieldAndTheUncommittedName)
{
    CVXLAlbum album("A");
    album.setName("B", false);
    album.setIdentifier("id-7");
    album.setExtra(-3);
    album.setLocation((5u << 16) + 4);
    for (std::uint32_t n = 1; n <= CVXLAlbum::kCounters; ++n)
        album.setCounter(n, static_cast<std::int32_t>(n * 10));

    CVXLAlbum copy(album);
    CVXLAlbum assigned;
    assigned = album;
    for (const CVXLAlbum* c : {&copy, &assigned}) {
        EXPECT_TRUE(c->isModified()) << "the committed name is copied too";
        EXPECT_STREQ(c->name().c_str(), "B");
        EXPECT_STREQ(c->identifier().c_str(), "id-7");
        EXPECT_EQ(c->extra(), -3);
        EXPECT_EQ(c->location(), (5u << 16) + 4);
        for (std::uint32_t n = 1; n <= CVXLAlbum::kCounters; ++n)
            EXPECT_EQ(c->counter(n), static_cast<std::int32_t>(n * 10));
    }
    EXPECT_EQ(copy.elementType(), 0u);
    EXPECT_EQ(copy.accept(), 1);
}

TEST(VXLAlbum, CountersOutsideOneToSixAreIgnored)
{
    CVXLAlbum album;
    album.setCounter(0, 1);
    album.setCounter(7, 1);
    for (std::uint32_t n = 0; n <= 7; ++n)
        EXPECT_EQ(album.counter(n), 0) << n;
}

TEST(VXLAlbum, StorageClassFollowsTheLocationKind)
{
    struct Case {
        std::uint32_t location;
        std::uint32_t storageClass;
    };
    const Case cases[] = {
        {0, 1},
        {1, 0},
        {(9u << 16) + 1, 0},
        {(2u << 16) + 3, 1},
        {(2u << 16) + 4, 2},
        {5, 1},
        {0x10004, 2},
    };
    CVXLAlbum album;
    for (const Case& c : cases) {
        album.setLocation(c.location);
        EXPECT_EQ(album.storageClass(), c.storageClass) << std::hex << c.location;
    }
}

TEST(VXLMediaItemElement, TextAndFifthValue)
{
    CVXLMediaItemElement item;
    EXPECT_EQ(item.elementType(), 6u);
    EXPECT_FALSE(item.isModified());
    item.setText("clip.3gp");
    item.setValue5(42);
    EXPECT_STREQ(item.text().c_str(), "clip.3gp");
    for (std::uint32_t n = 0; n <= 7; ++n)
        EXPECT_EQ(item.value(n), n == 5 ? 42 : 0) << n;
    item.commit();
    EXPECT_EQ(item.commitMark(), 1);
    EXPECT_FALSE(item.isModified());
}

} // namespace
