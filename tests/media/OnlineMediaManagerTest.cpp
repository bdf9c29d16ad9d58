#include "engine/media/OnlineMediaManager.h"

#include "engine/media/VXLMediaItem.h"
#include "engine/media/VXLMediaRef.h"
#include "engine/media/VXLOnlineMediaRequest.h"
#include "tests/service/VraxJobRig.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>

namespace {

constexpr std::int32_t kReply = 91;

bool has(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

// The manager over the service protocol job and the test server, with the
// configuration items a test sets.
struct OnlineRig : VraxJobRig, COnlineMediaManager::Owner {
    explicit OnlineRig(const std::string& windowSize = "10")
    {
        config[kCfgMediaBrowserWindowSize] = windowSize;
        config[kCfgImagePreviewMimeType] = "image/jpeg";
        manager.setOwner(this);
        driver.attach(&manager);
        driver.runUntilIdle();
        registered();
    }

    CVXLEventHandler* vraxJob() override { return &job; }
    bool configItem(std::int32_t item, CVXLString* text) override
    {
        const auto found = config.find(item);
        if (found == config.end())
            return false;
        *text = found->second.c_str();
        return true;
    }

    std::int32_t send(CVXLOnlineMediaRequest& request)
    {
        const std::size_t before = requester.results.size();
        requester.post(&manager, &request);
        const bool answered = pump([&] { return requester.results.size() > before; });
        return answered ? requester.results.back() : kNoAnswer;
    }

    std::map<std::int32_t, std::string> config;
    COnlineMediaManager manager;
};

// Configuration item 13 sizes the album pages, held to 5..10; the server sees
// the window asked for.
TEST(OnlineMediaManager, TheWindowSizeItemSizesAlbumPages)
{
    struct Case {
        const char* item;
        std::int32_t pageSize;
        const char* window;
    };
    for (const Case& c : { Case { "3", 5, "window=0,5" }, Case { "20", 10, "window=0,10" },
             Case { "7", 7, "window=0,7" } }) {
        SCOPED_TRACE(c.item);
        OnlineRig rig(c.item);
        EXPECT_EQ(rig.manager.albumPageSize(), c.pageSize);
        ASSERT_TRUE(rig.serve("albums-last"));
        CVXLOnlineMediaRequest list(kEventMediaCount, kReply);
        EXPECT_EQ(rig.send(list), 0);
        EXPECT_EQ(list.total, 15);
        const auto lines = rig.log();
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_TRUE(has(lines[0], c.window)) << lines[0];
    }
}

// Albums on the page are answered from it; album 12 with 0-9 held fetches the
// page that starts at 12.
TEST(OnlineMediaManager, AnAlbumOffThePageFetchesThePageStartingAtIt)
{
    OnlineRig rig;
    ASSERT_TRUE(rig.serve("albums-last,albums-last"));
    CVXLOnlineMediaRequest list(kEventMediaCount, kReply);
    ASSERT_EQ(rig.send(list), 0);
    CVXLOnlineMediaRequest album(kEventMediaAlbumAt, kReply);
    album.index = 3;
    EXPECT_EQ(rig.send(album), 0);
    EXPECT_STREQ(album.album.identifier().c_str(), "C3");
    EXPECT_STREQ(album.album.name().c_str(), "Album 3");
    EXPECT_EQ(album.album.counter(1), 6);
    EXPECT_EQ(rig.log().size(), 1u);

    album.index = 12;
    EXPECT_EQ(rig.send(album), 0);
    EXPECT_STREQ(album.album.identifier().c_str(), "C0");
    const auto lines = rig.log();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_TRUE(has(lines[1], "window=12,10")) << lines[1];
}

// A contents page is at least 5 long; the item is built from its entry, with
// the preview rendition the configuration names.
TEST(OnlineMediaManager, ItemsComeFromContentsPagesOfAtLeastFive)
{
    OnlineRig rig;
    rig.config[kCfgVideoPreviewMimeType] = "image/jpeg";
    ASSERT_TRUE(rig.serve("items"));
    struct Case {
        std::int32_t index;
        const char* uid;
        bool image;
        std::int32_t size;
        std::int32_t renditions;
    };
    for (const Case& c : { Case { 0, "U1", true, 51234, 1 }, Case { 1, "U2", false, 0, 2 } }) {
        SCOPED_TRACE(c.uid);
        CVXLOnlineMediaRequest at(kEventMediaItemAt, kReply);
        at.containerId = "C7";
        at.index = c.index;
        at.pageSize = 3;
        EXPECT_EQ(rig.send(at), 0);
        std::unique_ptr<CVXLMediaItem> item(at.item);
        ASSERT_NE(item, nullptr);
        EXPECT_STREQ(item->uid().c_str(), c.uid);
        EXPECT_EQ(item->isImage(), c.image);
        EXPECT_EQ(item->size(), c.size);
        EXPECT_TRUE(item->online());
        ASSERT_NE(item->mediaRef().get(), nullptr);
        const CVXLMediaRef& ref = *item->mediaRef().get();
        std::int32_t renditions = 0;
        for (std::uint32_t i = 0; i < CVXLMediaRef::kMaxRenditions; ++i)
            renditions += ref.rendition(i).inUse() ? 1 : 0;
        EXPECT_EQ(renditions, c.renditions);
    }
    const auto lines = rig.log();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(has(lines[0], "window=0,5")) << lines[0];
}

// A rename the server refuses leaves the name as it was before the edit; one
// it accepts commits it.
TEST(OnlineMediaManager, ARefusedRenameRestoresTheName)
{
    OnlineRig rig;
    ASSERT_TRUE(rig.serve("error-info273,done"));
    CVXLAlbum album("Holiday");
    album.setIdentifier("C7");
    album.commit();
    album.setName("Beach", false);
    CVXLOnlineMediaRequest rename(kEventOnlineRenameAlbum, kReply);
    rename.renamed = &album;
    EXPECT_EQ(rig.send(rename), kResultNetworkNotice);
    EXPECT_STREQ(album.name().c_str(), "Holiday");
    EXPECT_FALSE(album.isModified());

    album.setName("Beach", false);
    EXPECT_EQ(rig.send(rename), 0);
    EXPECT_STREQ(album.name().c_str(), "Beach");
    EXPECT_FALSE(album.isModified());
    const auto lines = rig.log();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_TRUE(has(lines[1], "request=container-update")) << lines[1];
}

// An item operation that the server reports with detail 273 is answered 0;
// codes the manager does not serve get 1000.
TEST(OnlineMediaManager, ItemOperationsAndUnservedCodes)
{
    OnlineRig rig;
    ASSERT_TRUE(rig.serve("error-info273,done"));
    CVXLOnlineMediaRequest move(kEventOnlineItemOperation, kReply);
    move.kind = 2;
    move.containerId = "C7";
    move.destinationId = "C8";
    move.uids.insertAt("U1", 0);
    EXPECT_EQ(rig.send(move), 0);
    move.kind = 3;
    EXPECT_EQ(rig.send(move), 0);
    const auto lines = rig.log();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_TRUE(has(lines[0], "request=move-req")) << lines[0];
    EXPECT_TRUE(has(lines[1], "request=copy-req")) << lines[1];

    for (std::int32_t code : { std::int32_t(kEventStoreTransferFileOpen), std::int32_t(kEventLocalFirstStore),
             std::int32_t(kEventOnlineUploadItem) }) {
        CVXLOnlineMediaRequest other(code, kReply);
        EXPECT_EQ(rig.send(other), 1000);
    }
    move.kind = 9;
    EXPECT_EQ(rig.send(move), 1000);
}

} // namespace
