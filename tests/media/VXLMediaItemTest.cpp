#include "engine/media/VXLMediaItem.h"
#include "engine/media/VXLMediaRef.h"

#include <gtest/gtest.h>

#include <functional>

TEST(VXLMediaItem, TrackedValuesMakeTheItemModifiedUntilCommitted)
{
    struct Case {
        const char* what;
        std::function<void(CVXLMediaItem&)> change;
        bool modified;
    };
    const Case cases[] = {
        {"location", [](CVXLMediaItem& i) { i.setLocation("\\My Documents"); }, true},
        {"name", [](CVXLMediaItem& i) { i.setName("IMG_0001.jpg"); }, true},
        {"tracked text", [](CVXLMediaItem& i) { i.setTrackedText("x"); }, true},
        {"title is not tracked", [](CVXLMediaItem& i) { i.setTitle("Beach"); }, false},
        {"size is not tracked", [](CVXLMediaItem& i) { i.setSize(12); }, false},
    };
    for (const Case& c : cases) {
        CVXLMediaItem item;
        EXPECT_EQ(item.elementType(), 8u);
        c.change(item);
        EXPECT_EQ(item.isModified(), c.modified) << c.what;
        item.commit();
        EXPECT_FALSE(item.isModified()) << c.what;
    }
}

TEST(VXLMediaItem, PendingCounterNeverGoesBelowZero)
{
    CVXLMediaItem item;
    item.decCounter();
    EXPECT_FALSE(item.hasPendingCount());
    item.bumpCounter();
    item.bumpCounter();
    item.decCounter();
    EXPECT_EQ(item.pendingCount(), 1);
    item.clearCounter();
    EXPECT_FALSE(item.hasPendingCount());
}

TEST(VXLMediaItem, ImageFlagFollowsTheType)
{
    struct Case {
        const char* mimeType;
        bool image;
    };
    const Case cases[] = {{"image/jpeg", true}, {"video/3gpp", false}, {"image", false}, {nullptr, false}};
    for (const Case& c : cases) {
        CVXLMediaItem item;
        item.setIsImage(c.mimeType);
        EXPECT_EQ(item.isImage(), c.image) << (c.mimeType ? c.mimeType : "null");
    }
}

TEST(VXLMediaItem, DescriptorReadsTheReferencesUserValue)
{
    CVXLMediaItem item;
    item.setId("IMG_0001.jpg");
    item.setUid("u-42");
    EXPECT_EQ(item.descriptor().value, 0) << "no media reference";
    CVXLMediaRefHandle handle;
    handle.setValue(2);
    item.setMediaRef(handle);
    const CVXLMediaDescriptor descriptor = item.descriptor();
    EXPECT_EQ(descriptor.value, 2);
    EXPECT_EQ(descriptor.uid, "u-42");
    EXPECT_EQ(descriptor.id, "IMG_0001.jpg");
    EXPECT_EQ(handle.get()->referenceCount(), 2);
}

TEST(VXLMediaItem, UpdateTakesTheValuesOfTheSameIdentityOnly)
{
    CVXLMediaItem known;
    known.setId("a");
    known.setTitle("old");
    CVXLMediaItem incoming;
    incoming.setId("a");
    incoming.setTitle("new");
    incoming.setOrientation(2);
    incoming.setCaptureTime(1700000000);
    incoming.setUploadTime(1700000100);
    incoming.setLatitude(-33);
    incoming.setLongitude(151);
    incoming.setWidth(640);
    incoming.setHeight(480);
    CVXLMediaItem stranger;
    stranger.setId("b");
    stranger.setTitle("other");

    EXPECT_FALSE(known.updateFrom(stranger));
    EXPECT_EQ(known.title(), "old");
    EXPECT_TRUE(known.updateFrom(incoming));
    EXPECT_EQ(known.title(), "new");
    EXPECT_EQ(known.orientation(), 2);
    EXPECT_EQ(known.captureTime(), 1700000000);
    EXPECT_EQ(known.uploadTime(), 1700000100);
    EXPECT_EQ(known.latitude(), -33);
    EXPECT_EQ(known.longitude(), 151);
    EXPECT_EQ(known.width(), 640);
    EXPECT_EQ(known.height(), 480);
    CVXLMediaItem fresh;
    EXPECT_EQ(fresh.width(), -1);
    EXPECT_EQ(fresh.height(), -1);
}
