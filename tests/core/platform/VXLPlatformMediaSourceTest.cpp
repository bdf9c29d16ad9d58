#include "engine/core/platform/VXLPlatformMediaSource.h"
#include "engine/core/base/VXLLog.h"
#include "engine/core/platform/VXLPlatformStatus.h"
#include "tests/core/platform/RecordingSinks.h"
#include "tests/support/TempDeviceRoot.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <string>
#include <vector>

namespace {

using Values = std::vector<std::uint32_t>;

struct StoreSeen {
    std::uint16_t id;
    std::string name;
    std::int32_t kind;
    std::uint8_t isDefault;
    int last;
};

std::vector<StoreSeen> listStores(CVXLPlatformMediaSource& media)
{
    std::vector<StoreSeen> seen;
    StoreSeen store {};
    const char* name = nullptr;
    int last = media.firstStore(&store.id, &name, &store.kind, &store.isDefault);
    for (int guard = 0; guard < 5; ++guard) {
        store.name = name ? name : "";
        store.last = last;
        seen.push_back(store);
        if (last)
            break;
        last = media.nextStore(&store.id, &name, &store.kind, &store.isDefault);
    }
    return seen;
}

std::vector<std::string> itemNames(CVXLPlatformMediaSource& media, Values* statuses)
{
    RecordingNames items;
    media.firstItemName(&items);
    for (int guard = 0; guard < 50 && items.statuses.back() == kPlatformOk; ++guard)
        media.nextItemName(&items);
    *statuses = items.statuses;
    return items.names;
}

// The phone's pictures, sounds and videos, and the card's while it is in.
TEST(PlatformMediaSource, StoresListTheMediaFilesOfThePictureFolders)
{
    TempDeviceRoot root;
    root.writeFile("My Documents/My Pictures/beach.jpg", std::string(300, 'j'));
    root.writeFile("My Documents/My Pictures/Trip/day2.PNG", "png");
    root.writeFile("My Documents/My Pictures/Trip/Deep/wave.gif", "gif");
    root.writeFile("My Documents/My Pictures/memo.amr", "amr");
    root.writeFile("My Documents/My Pictures/notes.txt", "text");
    root.writeFile("My Documents/My Pictures/.hidden.jpg", "x");
    root.writeFile("Storage Card/DCIM/100MEDIA/clip.3gp", std::string(1234, 'v'));
    root.writeFile("Storage Card/DCIM/100MEDIA/IMG_0001.JPG", "jpeg");
    root.writeFile("Storage Card/DCIM/top.jpg", "jpeg");
    root.writeFile("photo-at-root.jpg", "not in a picture folder");

    struct Case {
        const char* deviceConf;
        std::vector<std::string> stores;
    } cases[] = {
        {"", {"1 My Media 1 default", "2 Storage Card 2 last"}},
        {"card.present = 0\n", {"1 My Media 1 default last"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.deviceConf);
        root.writeFile("device.conf", c.deviceConf);
        CVXLPlatformMediaSource media;
        std::vector<std::string> stores;
        for (const StoreSeen& s : listStores(media))
            stores.push_back(std::to_string(s.id) + " " + s.name + " " + std::to_string(s.kind)
                + (s.isDefault ? " default" : "") + (s.last ? " last" : ""));
        EXPECT_EQ(stores, c.stores);
    }
    root.writeFile("device.conf", "");

    CVXLPlatformMediaSource media;
    struct Listing {
        std::uint16_t store;
        std::vector<std::string> names;
        std::string album;
        std::vector<std::uint32_t> summary;
    } listings[] = {
        {1,
            {"\\My Documents\\My Pictures\\Trip\\Deep\\wave.gif",
                "\\My Documents\\My Pictures\\Trip\\day2.PNG", "beach.jpg", "memo.amr"},
            "My Media 1 1 1", {3, 0, 1, 0, 0}},
        {2,
            // By path even at the top: a name means one file in any store.
            {"\\Storage Card\\DCIM\\100MEDIA\\IMG_0001.JPG", "\\Storage Card\\DCIM\\100MEDIA\\clip.3gp",
                "\\Storage Card\\DCIM\\top.jpg"},
            "Storage Card 1 1 1", {2, 1, 0, 0, 0}},
    };
    for (const Listing& l : listings) {
        SCOPED_TRACE(l.store);
        media.selectStore(l.store);
        Values statuses;
        EXPECT_EQ(itemNames(media, &statuses), l.names);
        EXPECT_EQ(statuses.back(), kPlatformNoMoreEntries);
        RecordingAlbums albums;
        EXPECT_EQ(media.listAlbums(&albums), 1);
        EXPECT_EQ(albums.albums, std::vector<std::string> {l.album});
        EXPECT_EQ(albums.summaries, std::vector<std::vector<std::uint32_t>> {l.summary});
        EXPECT_EQ(albums.statuses, Values {kPlatformOk});
    }

    // An empty picture folder: no item at all.
    TempDeviceRoot empty;
    CVXLPlatformMediaSource none;
    Values statuses;
    EXPECT_TRUE(itemNames(none, &statuses).empty());
    EXPECT_EQ(statuses, Values {kPlatformNoMoreEntries});
}

TEST(PlatformMediaSource, ItemDetailsAreTheFileSizeAndItsMimeType)
{
    TempDeviceRoot root;
    root.writeFile("Storage Card/DCIM/clip.3gp", std::string(1234, 'v'));
    root.writeFile("My Documents/My Pictures/snapshot.PNG", "png");
    root.writeFile("My Documents/My Pictures/gone.jpg", "soon gone");
    CVXLPlatformMediaSource media;
    Values statuses;
    EXPECT_EQ(itemNames(media, &statuses), (std::vector<std::string> {"gone.jpg", "snapshot.PNG"}));
    ASSERT_EQ(::unlink(root.hostPath("My Documents/My Pictures/gone.jpg").c_str()), 0);
    struct Case {
        const char* name;
        std::vector<std::uint32_t> sizes;
        std::vector<std::string> types;
        std::uint32_t status;
    } cases[] = {
        {"snapshot.png", {3}, {"image/png"}, kPlatformOk},
        {"\\storage card\\dcim\\CLIP.3GP", {1234}, {"video/3gpp"}, kPlatformOk},
        // Listed, then removed before its import: an error, never an item of size 0.
        {"gone.jpg", {}, {}, kPlatformNoSuchItem},
        {"NotReallyThere.jpg", {}, {}, kPlatformNoSuchItem},
        {"notes.zzqq", {}, {}, kPlatformUnknownType},
        {"DCIM\\clip.3gp", {}, {}, kPlatformUnknownType},
        {"\\..\\clip.3gp", {}, {}, kPlatformUnknownType},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingDetails details;
        media.itemInfo(c.name, &details, 0);
        EXPECT_EQ(details.sizes, c.sizes);
        EXPECT_EQ(details.types, c.types);
        EXPECT_EQ(details.statuses, Values {c.status});
    }
    CVXLLog::flush();
    EXPECT_NE(root.readFile("log/engine.log").find("gone.jpg\" is not there"), std::string::npos);

    RecordingCallback deleted;
    media.deleteItem("\\Storage Card\\DCIM\\clip.3gp", &deleted);
    media.deleteItem("\\Storage Card\\DCIM\\clip.3gp", &deleted);
    media.deleteItem("DCIM\\clip.3gp", &deleted);
    media.deleteItem("snapshot.png", &deleted);
    EXPECT_EQ(deleted.values, (Values {kPlatformOk, kPlatformOk, kPlatformDeleteFailed, kPlatformOk}));
    EXPECT_FALSE(root.exists("Storage Card/DCIM/clip.3gp"));
    EXPECT_FALSE(root.exists("My Documents/My Pictures/snapshot.PNG"));
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
    // By name in the selected store's folder, or by path.
    streams[0]->open("Cat.jpg", 0, &opened);
    streams[1]->open("\\My Documents\\My Pictures\\Cat.jpg", 0, &opened);
    EXPECT_EQ(opened.values, (Values {kPlatformOk, kPlatformOk}));
    for (int i = 0; i < 2; ++i) {
        RecordingData data;
        streams[i]->read(&data, 100);
        EXPECT_EQ(data.bytes(), "meow");
    }
    for (CVXLPlatformFileStream* stream : streams)
        media.closeStream(stream);
    EXPECT_EQ(media.openStreams(), 0u);
}

} // namespace
