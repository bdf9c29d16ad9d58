#include "engine/core/platform/VXLPlatformMediaSource.h"
#include "engine/core/platform/VXLPlatformStatus.h"
#include "tests/core/platform/RecordingSinks.h"
#include "tests/support/TempDeviceRoot.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Values = std::vector<std::uint32_t>;

TEST(PlatformMediaSource, AFixedCatalogueOfOneStoreOneAlbumOneItem)
{
    TempDeviceRoot root;
    CVXLPlatformMediaSource media;
    std::uint16_t id = 0;
    const char* name = nullptr;
    std::int32_t kind = 0;
    std::uint8_t isDefault = 0;
    EXPECT_NE(media.firstStore(&id, &name, &kind, &isDefault), 0) << "the only store is the last";
    EXPECT_EQ(id, 1);
    EXPECT_STREQ(name, "My Media");
    EXPECT_EQ(kind, 1);
    EXPECT_EQ(isDefault, 1);
    media.selectStore(1);
    media.setListingOptions(3);
    media.enableOption(1);
    media.enableOption(2);
    EXPECT_EQ(media.selectedStore(), 1);
    EXPECT_EQ(media.listingOptions(), 3u);

    RecordingAlbums albums;
    EXPECT_EQ(media.listAlbums(&albums), 1);
    EXPECT_EQ(albums.albums, std::vector<std::string> { "My Media 1 1 1" });
    EXPECT_EQ(albums.summaries, (std::vector<std::vector<std::uint32_t>> { { 1, 0, 0, 0, 0 } }));
    EXPECT_EQ(albums.statuses, Values { kPlatformOk });

    RecordingNames items;
    media.firstItemName(&items);
    media.nextItemName(&items);
    EXPECT_EQ(items.names, std::vector<std::string> { "NotReallyThere.jpg" });
    EXPECT_EQ(items.statuses, (Values { kPlatformOk, kPlatformNoMoreEntries }));
}

TEST(PlatformMediaSource, ItemDetailsAreTheFileSizeAndItsMimeType)
{
    TempDeviceRoot root;
    root.writeFile("Storage Card/DCIM/clip.3gp", std::string(1234, 'v'));
    root.writeFile("snapshot.PNG", "png");
    CVXLPlatformMediaSource media;
    struct Case {
        const char* name;
        std::vector<std::uint32_t> sizes;
        std::vector<std::string> types;
        std::uint32_t status;
    } cases[] = {
        { "NotReallyThere.jpg", { 0 }, { "image/jpeg" }, kPlatformOk },
        { "\\storage card\\dcim\\CLIP.3GP", { 1234 }, { "video/3gpp" }, kPlatformOk },
        { "snapshot.png", { 3 }, { "image/png" }, kPlatformOk },
        { "notes.zzqq", {}, {}, kPlatformUnknownType },
        { "DCIM\\clip.3gp", {}, {}, kPlatformUnknownType },
        { "\\..\\clip.3gp", {}, {}, kPlatformUnknownType },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingDetails details;
        media.itemInfo(c.name, &details, 0);
        EXPECT_EQ(details.sizes, c.sizes);
        EXPECT_EQ(details.types, c.types);
        EXPECT_EQ(details.statuses, Values { c.status });
    }

    RecordingCallback deleted;
    media.deleteItem("\\Storage Card\\DCIM\\clip.3gp", &deleted);
    media.deleteItem("\\Storage Card\\DCIM\\clip.3gp", &deleted);
    media.deleteItem("DCIM\\clip.3gp", &deleted);
    EXPECT_EQ(deleted.values, (Values { kPlatformOk, kPlatformOk, kPlatformDeleteFailed }));
    EXPECT_FALSE(root.exists("Storage Card/DCIM/clip.3gp"));
}

TEST(PlatformMediaSource, StreamsReadItemsByPathAndAreLimitedTo32)
{
    TempDeviceRoot root;
    root.writeFile("My Documents/My Pictures/cat.jpg", "meow");
    CVXLPlatformMediaSource media;
    std::vector<CVXLPlatformFileStream*> streams;
    for (std::uint32_t i = 0; i < CVXLPlatformMediaSource::kMaxOpenStreams; ++i)
        streams.push_back(media.openStream());
    EXPECT_EQ(media.openStream(), nullptr);
    RecordingCallback opened;
    streams[0]->open("\\My Documents\\My Pictures\\Cat.jpg", 0, &opened);
    EXPECT_EQ(opened.values, Values { kPlatformOk });
    RecordingData data;
    streams[0]->read(&data, 100);
    EXPECT_EQ(data.bytes(), "meow");
    for (CVXLPlatformFileStream* stream : streams)
        media.closeStream(stream);
    EXPECT_EQ(media.openStreams(), 0u);
}

} // namespace
