#include "engine/media/LocalMediaManager.h"

#include "engine/core/base/VXLLog.h"
#include "engine/core/jobs/VXLNamedRequest.h"
#include "engine/core/platform/VXLPlatformMediaSource.h"
#include "engine/core/platform/VXLPlatformStatus.h"
#include "engine/files/VXLFileStoreManager.h"
#include "engine/media/VXLAlbumSummaryRequest.h"
#include "engine/media/VXLLocalMediaRequest.h"
#include "engine/media/VXLMediaItem.h"
#include "engine/media/VXLMediaStoreManager.h"
#include "platform/media/Image.h"
#include "tests/core/platform/RecordingSinks.h"
#include "tests/support/ExternalTool.h"
#include "tests/support/FileStoreFixture.h"
#include "tests/support/FolderMediaSource.h"
#include "tests/support/JpegFixture.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <unistd.h>

#include <memory>
#include <string>

namespace {

constexpr std::int32_t kReply = 77;
constexpr const char* kPhoneFolder = "My Pictures/";
constexpr const char* kCardFolder = "Storage Card/Pictures/";

// A phone store (id 1, kind 1, the default) and a card store (id 2, kind 2)
// over folders of the device root, the engine's file store and the two
// managers, started as the Client starts them.
struct LocalMediaRig : FileStoreFixture, CLocalMediaManager::Owner, CVXLMediaStoreManager::Owner {
    FolderMediaSource source {
        {{1, "Phone", 1, true, "\\My Pictures"}, {2, "Card", 2, false, "\\Storage Card\\Pictures"}}};
    CVXLFileStoreManager files;
    CVXLMediaStoreManager stores;
    CLocalMediaManager manager;
    TraceJob requester {"requester"};
    CVXLPlatformMediaSource* media;

    // Over another media source when one is given.
    explicit LocalMediaRig(CVXLPlatformMediaSource* other = nullptr)
        : media(other ? other : &source)
    {
        root.makeFolder(kPhoneFolder);
        root.makeFolder(kCardFolder);
        files.setFileStore(&store);
        stores.setOwner(this);
        manager.setOwner(this);
        driver.attach(&files);
        driver.attach(&manager);
        driver.attach(&stores);
        driver.attach(&requester);
        driver.runUntilIdle();
    }

    CVXLPlatformMediaSource* mediaSource() override { return media; }
    CVXLMediaStoreManager* mediaStoreManager() override { return &stores; }
    CVXLEventHandler* fileStoreManager() override { return &files; }

    void picture(const std::string& name, const std::string& bytes = "picture bytes")
    {
        root.writeFile(std::string(kPhoneFolder) + name, bytes);
    }

    // The result of the answer, or -1 when none came.
    std::int32_t send(CVXLEvent& request)
    {
        const std::size_t before = requester.results.size();
        requester.post(&manager, &request);
        driver.runUntilIdle(100000);
        return requester.results.size() > before ? requester.results.back() : -1;
    }

    // Imports the item at an index of the phone store; the item (or null)
    // goes to `item`.
    std::int32_t importAt(std::int32_t index, std::unique_ptr<CVXLMediaItem>* item, std::int32_t store = 1)
    {
        CVXLLocalMediaRequest request(kEventMediaItemAt, kReply);
        request.location().setByNumber(true);
        request.location().setNumber(store);
        request.index = index;
        const std::int32_t result = send(request);
        item->reset(request.item);
        return result;
    }

    std::int32_t save(CVXLMediaItem& item)
    {
        CVXLLocalMediaRequest request(kEventMediaItemSave, kReply);
        request.item = &item;
        return send(request);
    }

    std::int32_t remove(const char* name, std::uint32_t packedLocation = 0x10003)
    {
        CVXLLocalMediaRequest request(kEventLocalDeleteItem, kReply);
        request.setName(name);
        request.packedLocation = packedLocation;
        return send(request);
    }
};

TEST(LocalMediaManager, RecordNamesCarryThePackedLocation)
{
    EXPECT_STREQ(
        CLocalMediaManager::recordName("IMG_0001.jpg", 0x10003, ".md").c_str(), "IMG_0001.jpg-10003.md");
    EXPECT_STREQ(CLocalMediaManager::recordName("clip.3gp", 0x20004, ".au").c_str(), "clip.3gp-20004.au");
    EXPECT_STREQ(CLocalMediaManager::recordName("x.jpg", 0xABCD0003, ".md").c_str(), "x.jpg-ABCD0003.md");
}

// Item 0 after item 0 starts the enumeration again; item 1 after item 0
// goes on with the next name; a failed step starts the next import over.
TEST(LocalMediaManager, ImportsByIndexContinuingOrRestartingTheEnumeration)
{
    LocalMediaRig rig;
    rig.picture("a.jpg", "aaaa");
    rig.picture("b.jpg", "bbbbbb");
    rig.root.writeFile(std::string(kPhoneFolder) + "c.3gp", "video");
    struct Step {
        std::int32_t index;
        std::int32_t result;
        const char* id;
        int firstCalls;
        int nextCalls;
    };
    const Step steps[] = {
        {0, 0, "a.jpg", 1, 0},
        {0, 0, "a.jpg", 2, 0},
        {1, 0, "b.jpg", 2, 1},
        {2, 0, "c.3gp", 2, 2},
        // No item 5: the media source's 23 is passed on.
        {5, 23, nullptr, 3, 5},
        {1, 0, "b.jpg", 4, 6},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.index);
        std::unique_ptr<CVXLMediaItem> item;
        EXPECT_EQ(rig.importAt(s.index, &item), s.result);
        EXPECT_EQ(rig.source.firstNameCalls, s.firstCalls);
        EXPECT_EQ(rig.source.nextNameCalls, s.nextCalls);
        if (!s.id) {
            EXPECT_EQ(item, nullptr);
            continue;
        }
        ASSERT_NE(item, nullptr);
        EXPECT_STREQ(item->id().c_str(), s.id);
        EXPECT_STREQ(item->location().c_str(), "10003");
        EXPECT_EQ(item->isImage(), std::string(s.id) != "c.3gp");
        EXPECT_TRUE(item->mediaRef().get() != nullptr);
        EXPECT_FALSE(item->isModified());
    }
}

// Every new picture has no record: it is imported with the defaults.
TEST(LocalMediaManager, ANewPictureWithoutARecordImportsWithDefaults)
{
    LocalMediaRig rig;
    rig.picture("IMG_0001.jpg", std::string(1234, 'p'));
    std::unique_ptr<CVXLMediaItem> item;
    ASSERT_EQ(rig.importAt(0, &item), 0);
    ASSERT_NE(item, nullptr);
    EXPECT_STREQ(item->id().c_str(), "IMG_0001.jpg");
    EXPECT_EQ(item->size(), 1234);
    EXPECT_EQ(item->width(), -1);
    EXPECT_STREQ(item->uid().c_str(), "");
    EXPECT_EQ(item->pendingCount(), 0);
    EXPECT_FALSE(rig.hostFileExists("IMG_0001.jpg-10003.md"));
}

// The record is written under the item's record name; an independent reader
// of the documented layout reads it back, and the next import loads it.
TEST(LocalMediaManager, SavedRecordsAreReadBackByTheNextImport)
{
    LocalMediaRig rig;
    rig.picture("IMG_0001.jpg");
    std::unique_ptr<CVXLMediaItem> item;
    ASSERT_EQ(rig.importAt(0, &item), 0);
    item->setTitle("Beach");
    item->setUid("u-42");
    item->setOrientation(3);
    item->setCaptureTime(1700000000);
    item->setLatitude(-12345);
    item->setWidth(640);
    item->setHeight(480);
    item->setTrackedText("note");
    item->setThirdFlag(true);
    ASSERT_TRUE(item->isModified());
    ASSERT_EQ(rig.save(*item), 0);
    EXPECT_FALSE(item->isModified());

    const std::string dump
        = FileStoreFixture::runPython("'" TESSEL_SOURCE_DIR "/tests/peers/md_record_reader.py' '"
            + rig.hostFile("IMG_0001.jpg-10003.md") + "'");
    EXPECT_EQ(dump,
        "id=IMG_0001.jpg\nuid=u-42\ntitle=Beach\nlocation=10003\nname=IMG_0001.jpg\ntracked=note\ninfo=\n"
        "orientation=3\ncapture=1700000000\nupload=0\nlatitude=-12345\nlongitude=0\nwidth=640\nheight=480\n"
        "size=13\npending=0\nonline=0\nthird=1\nfourth=0\naux1=1\naux2=1\n");

    std::unique_ptr<CVXLMediaItem> again;
    ASSERT_EQ(rig.importAt(0, &again), 0);
    EXPECT_STREQ(again->title().c_str(), "Beach");
    EXPECT_STREQ(again->uid().c_str(), "u-42");
    EXPECT_EQ(again->orientation(), 3);
    EXPECT_EQ(again->captureTime(), 1700000000);
    EXPECT_EQ(again->latitude(), -12345);
    EXPECT_EQ(again->width(), 640);
    EXPECT_STREQ(again->trackedText().c_str(), "note");
    EXPECT_TRUE(again->thirdFlag());
}

// A record that cannot be written fails the save and leaves the item
// changed, so that a later save writes it; the file keeps what it held.
TEST(LocalMediaManager, ARecordNotWrittenLeavesTheItemToBeSavedAgain)
{
    LocalMediaRig rig;
    rig.picture("IMG_0001.jpg");
    std::unique_ptr<CVXLMediaItem> item;
    ASSERT_EQ(rig.importAt(0, &item), 0);
    // A folder in the record's place: the write cannot replace it.
    ASSERT_EQ(::mkdir(rig.hostFile("IMG_0001.jpg-10003.md").c_str(), 0700), 0);
    item->setTrackedText("note");
    ASSERT_TRUE(item->isModified());
    EXPECT_NE(rig.save(*item), 0);
    EXPECT_TRUE(item->isModified());
    CVXLLog::flush();
    EXPECT_NE(
        rig.root.readFile("log/engine.log").find("IMG_0001.jpg-10003.md not written"), std::string::npos);

    ASSERT_EQ(::rmdir(rig.hostFile("IMG_0001.jpg-10003.md").c_str()), 0);
    EXPECT_EQ(rig.save(*item), 0);
    EXPECT_FALSE(item->isModified());
    std::unique_ptr<CVXLMediaItem> again;
    ASSERT_EQ(rig.importAt(0, &again), 0);
    EXPECT_STREQ(again->trackedText().c_str(), "note");
}

// An item named with its store (as the upload managers name it) is imported
// from that store; a card item's record carries the card's location.
TEST(LocalMediaManager, ImportsByLocationAndNameFromEitherStore)
{
    LocalMediaRig rig;
    rig.picture("IMG_0001.jpg");
    rig.root.writeFile(std::string(kCardFolder) + "IMG_0002.jpg", "card picture");
    struct Case {
        const char* name;
        std::uint32_t location;
        std::int32_t result;
        const char* record;
    };
    for (const Case& c : {Case {"IMG_0001.jpg", 0x10003, 0, "IMG_0001.jpg-10003.md"},
             Case {"IMG_0002.jpg", 0x20004, 0, "IMG_0002.jpg-20004.md"},
             Case {"IMG_0002.jpg", 0x10003, 8, nullptr}}) {
        SCOPED_TRACE(std::string(c.name) + " " + std::to_string(c.location));
        CVXLLocalMediaRequest request(kEventLocalImportByName, kReply);
        request.setName(c.name);
        request.packedLocation = c.location;
        EXPECT_EQ(rig.send(request), c.result);
        std::unique_ptr<CVXLMediaItem> item(request.item);
        if (!c.record) {
            EXPECT_EQ(item, nullptr);
            continue;
        }
        ASSERT_NE(item, nullptr);
        item->setTitle("saved");
        ASSERT_EQ(rig.save(*item), 0);
        EXPECT_TRUE(rig.hostFileExists(c.record));
    }
}

// A damaged record is logged and the item starts from the defaults; the
// import does not fail.
TEST(LocalMediaManager, ADamagedRecordGivesTheDefaults)
{
    LocalMediaRig rig;
    rig.picture("IMG_0001.jpg");
    rig.writeHostFile("IMG_0001.jpg-10003.md", std::string("\x01\xff\xff\xff\x7f", 5));
    std::unique_ptr<CVXLMediaItem> item;
    ASSERT_EQ(rig.importAt(0, &item), 0);
    EXPECT_STREQ(item->id().c_str(), "IMG_0001.jpg");
    EXPECT_EQ(item->width(), -1);
    CVXLLog::flush();
    EXPECT_NE(rig.root.readFile("log/engine.log").find("IMG_0001.jpg-10003.md"), std::string::npos);
}

TEST(LocalMediaManager, DeletesAnswerWithTheMediaSourcesStatus)
{
    LocalMediaRig rig;
    rig.picture("IMG_0001.jpg");
    rig.writeHostFile("IMG_0001.jpg-10003.md", "record");
    rig.writeHostFile("IMG_0001.jpg-10003.au", "audio");
    rig.picture("keep.jpg");
    rig.writeHostFile("keep.jpg-10003.md", "record");
    rig.source.refusedDeletes.insert("keep.jpg");
    const std::string phone(kPhoneFolder);

    EXPECT_EQ(rig.remove("IMG_0001.jpg"), 0);
    EXPECT_FALSE(rig.root.exists(phone + "IMG_0001.jpg"));
    EXPECT_FALSE(rig.hostFileExists("IMG_0001.jpg-10003.md"));
    EXPECT_FALSE(rig.hostFileExists("IMG_0001.jpg-10003.au"));

    // A refused delete is reported, and the item keeps its record.
    EXPECT_EQ(rig.remove("keep.jpg"), 1);
    EXPECT_TRUE(rig.root.exists(phone + "keep.jpg"));
    EXPECT_TRUE(rig.hostFileExists("keep.jpg-10003.md"));

    // No record files: still answered.
    rig.picture("bare.jpg");
    EXPECT_EQ(rig.remove("bare.jpg"), 0);
}

// Two source jobs are lent; a third lend waits until one comes back.
TEST(LocalMediaManager, AThirdLendWaitsForAJobToComeBack)
{
    LocalMediaRig rig;
    rig.picture("IMG_0001.jpg");
    {
        CVXLLocalMediaRequest select(kEventLocalMediaRequest, kReply);
        ASSERT_EQ(rig.send(select), 0);
    }
    CVXLNamedRequest lends[3] = {{kEventFileStoreOpenForReading, kReply},
        {kEventFileStoreOpenForReading, kReply}, {kEventFileStoreOpenForReading, kReply}};
    for (CVXLNamedRequest& lend : lends)
        lend.fileName = "IMG_0001.jpg";
    EXPECT_EQ(rig.send(lends[0]), 0);
    EXPECT_EQ(rig.send(lends[1]), 0);
    ASSERT_NE(lends[0].job, nullptr);
    ASSERT_NE(lends[1].job, nullptr);
    EXPECT_NE(lends[0].job, lends[1].job);
    EXPECT_EQ(rig.manager.freeJobs(), 0);
    EXPECT_EQ(rig.send(lends[2]), -1);
    EXPECT_TRUE(lends[2].isBusy());
    EXPECT_EQ(rig.source.openStreams, 2);
    // The waiting lend lets other requests through.
    CVXLLocalMediaRequest count(kEventMediaCount, kReply);
    EXPECT_EQ(rig.send(count), 0);
    EXPECT_EQ(count.value, 2u);
    EXPECT_TRUE(lends[2].isBusy());

    CVXLXferJobBase* first = lends[0].job;
    lends[0].job->stop();
    rig.driver.runUntilIdle(100000);
    EXPECT_FALSE(lends[2].isBusy());
    EXPECT_EQ(rig.requester.events.back(), &lends[2]);
    EXPECT_EQ(rig.requester.results.back(), 0);
    EXPECT_EQ(lends[2].job, first);
    EXPECT_EQ(rig.source.openStreams, 2);
    lends[1].job->stop();
    lends[2].job->stop();
    rig.driver.runUntilIdle(100000);
    EXPECT_EQ(rig.manager.freeJobs(), 2);
    EXPECT_EQ(rig.source.openStreams, 0);

    // A stop answers a lend still waiting, and the lent jobs give their
    // streams back.
    for (CVXLNamedRequest& lend : lends)
        rig.requester.post(&rig.manager, &lend);
    rig.driver.runUntilIdle(100000);
    ASSERT_TRUE(lends[2].isBusy());
    rig.manager.stop();
    rig.driver.runUntilIdle(100000);
    EXPECT_FALSE(lends[2].isBusy());
    ASSERT_FALSE(rig.requester.events.empty());
    EXPECT_EQ(rig.requester.events.back(), &lends[2]);
    EXPECT_EQ(rig.requester.results.back(), kResultCancelled);
    EXPECT_EQ(rig.source.openStreams, 0);
}

// Album counts: the built-in's summary (code 119) and 0x8000018 answer with
// the images and videos of the store's album; album by index answers 68 for
// the last store and 23 past it.
TEST(LocalMediaManager, AlbumRequestsAnswerTheCounts)
{
    LocalMediaRig rig;
    rig.picture("a.jpg");
    rig.picture("b.png");
    rig.root.writeFile(std::string(kPhoneFolder) + "c.3gp", "v");
    rig.root.writeFile(std::string(kPhoneFolder) + "d.amr", "s");
    rig.root.writeFile(std::string(kCardFolder) + "e.jpg", "i");

    CVXLAlbumSummaryRequest summary(0x10003);
    EXPECT_EQ(rig.send(summary), 0);
    EXPECT_EQ(summary.itemCount(), 3u);
    EXPECT_EQ(summary.summary(), &summary.album());
    EXPECT_STREQ(summary.album().name().c_str(), "Phone");
    EXPECT_EQ(summary.album().location(), 0x10003u);

    struct Case {
        const char* what;
        std::int32_t store;
        std::uint32_t images;
        std::uint32_t videos;
    };
    for (const Case& c : {Case {"phone", 1, 2, 1}, Case {"card", 2, 1, 0}}) {
        SCOPED_TRACE(c.what);
        CVXLLocalMediaRequest counts(kEventLocalAlbumBySelector, kEventLocalAlbumCountsDone);
        counts.location().setByNumber(true);
        counts.location().setNumber(c.store);
        EXPECT_EQ(rig.send(counts), 0);
        EXPECT_EQ(counts.imageCount, c.images);
        EXPECT_EQ(counts.videoCount, c.videos);
    }

    struct IndexCase {
        std::int32_t index;
        std::int32_t result;
        const char* name;
        std::uint32_t location;
    };
    for (const IndexCase& c :
        {IndexCase {0, 0, "Phone", 0x10003}, IndexCase {1, 68, "Card", 0x20004}, IndexCase {2, 23, "", 0}}) {
        SCOPED_TRACE(c.index);
        CVXLLocalMediaRequest album(kEventMediaAlbumAt, kReply);
        album.index = c.index;
        EXPECT_EQ(rig.send(album), c.result);
        EXPECT_STREQ(album.album.name().c_str(), c.name);
        EXPECT_EQ(album.album.location(), c.location);
    }
}

// Store requests and the codes the manager does not serve: all answered.
TEST(LocalMediaManager, EveryRequestIsAnswered)
{
    LocalMediaRig rig;
    CVXLLocalMediaRequest count(kEventMediaCount, kReply);
    EXPECT_EQ(rig.send(count), 0);
    EXPECT_EQ(count.value, 2u);
    CVXLLocalMediaRequest store(kEventLocalFirstStore, kReply);
    EXPECT_EQ(rig.send(store), 0);
    EXPECT_EQ(store.location().number(), 1);
    store.setRequestCode(kEventLocalNextStore);
    EXPECT_EQ(rig.send(store), 0);
    EXPECT_STREQ(store.location().name().c_str(), "Card");
    EXPECT_EQ(rig.send(store), 1000);

    for (std::int32_t code :
        {std::int32_t(kEventStoreTransferFileOpen), std::int32_t(kEventMediaItemAt + 0x100), 0x8000020}) {
        SCOPED_TRACE(code);
        CVXLLocalMediaRequest other(code, kReply);
        EXPECT_EQ(rig.send(other), 1000);
    }
    // A request of the wrong class under a served code.
    CVXLEvent bare(kEventMediaItemAt, kReply);
    EXPECT_EQ(rig.send(bare), 1000);
    // Item information of a missing item passes the source's status on.
    CVXLLocalMediaRequest info(kEventLocalItemInfo, kReply);
    info.setName("missing.jpg");
    EXPECT_EQ(rig.send(info), 8);
}

} // namespace

namespace {

// The Local Media Manager over the device's own media source: real pictures
// in the phone's and the card's folders are imported, their records saved
// (one in a sub-folder too), and their bytes read back decode as pictures.
TEST(LocalMediaManager, ImportsTheDevicesOwnPictures)
{
    TESSEL_REQUIRE_TOOL(testToolConvert());
    CVXLPlatformMediaSource device;
    LocalMediaRig rig(&device);
    const std::string jpeg = testJpeg(64, 48, 3, 90, [](unsigned y, unsigned char* row) {
        for (unsigned x = 0; x < 64 * 3; ++x)
            row[x] = static_cast<unsigned char>(x * 3 + y);
    });
    ASSERT_TRUE(rig.root.writeFile("My Documents/My Pictures/beach.jpg", jpeg));
    ASSERT_TRUE(rig.root.makeFolder("My Documents/My Pictures/Trip"));
    ASSERT_TRUE(rig.root.makeFolder("Storage Card/DCIM/100MEDIA"));
    for (const char* made :
        {"My Documents/My Pictures/Trip/map.png", "Storage Card/DCIM/100MEDIA/anim.gif"}) {
        const TestCommandResult run
            = testRunCommand("convert -size 30x20 gradient:red-blue '" + rig.root.hostPath(made) + "' 2>&1");
        ASSERT_EQ(run.status, 0) << run.output;
    }
    EXPECT_EQ(rig.stores.getStoreCount(), 2u);

    struct Case {
        std::int32_t store;
        std::int32_t index;
        const char* id;
        const char* file;
        const char* location;
        const char* record;
    } cases[] = {
        {1, 0, "\\My Documents\\My Pictures\\Trip\\map.png", "My Documents/My Pictures/Trip/map.png", "10003",
            "My Documents/My Pictures/Trip/map.png-10003.md"},
        {1, 1, "beach.jpg", "My Documents/My Pictures/beach.jpg", "10003", "beach.jpg-10003.md"},
        {2, 0, "\\Storage Card\\DCIM\\100MEDIA\\anim.gif", "Storage Card/DCIM/100MEDIA/anim.gif", "20004",
            "Storage Card/DCIM/100MEDIA/anim.gif-20004.md"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        std::unique_ptr<CVXLMediaItem> item;
        ASSERT_EQ(rig.importAt(c.index, &item, c.store), 0);
        ASSERT_NE(item, nullptr);
        const std::string bytes = rig.root.readFile(c.file);
        EXPECT_STREQ(item->id().c_str(), c.id);
        EXPECT_STREQ(item->location().c_str(), c.location);
        EXPECT_EQ(item->size(), static_cast<std::int32_t>(bytes.size()));
        EXPECT_TRUE(item->isImage());
        item->setTitle("seen");
        ASSERT_EQ(rig.save(*item), 0);
        EXPECT_TRUE(rig.hostFileExists(c.record));

        // The item's bytes as the source streams them make a thumbnail.
        CVXLPlatformFileStream* stream = device.openStream();
        ASSERT_NE(stream, nullptr);
        RecordingCallback opened;
        stream->open(item->id().c_str(), 0, &opened);
        RecordingData data;
        stream->read(&data, static_cast<std::uint32_t>(bytes.size()) + 10);
        device.closeStream(stream);
        EXPECT_EQ(opened.values, std::vector<std::uint32_t> {0});
        ASSERT_EQ(data.bytes(), bytes);
        auto image = tessel::media::Image::fromBuffer(
            reinterpret_cast<const std::uint8_t*>(data.bytes().data()), data.bytes().size());
        ASSERT_NE(image, nullptr);
        const auto thumbnail = image->thumbnail(16, 12);
        ASSERT_TRUE(thumbnail.has_value());
        EXPECT_EQ(thumbnail->width(), 16);
    }

    // A listed picture removed before its import is an error, not an item.
    std::unique_ptr<CVXLMediaItem> item;
    ASSERT_EQ(rig.importAt(0, &item), 0);
    ASSERT_EQ(::unlink(rig.root.hostPath("My Documents/My Pictures/beach.jpg").c_str()), 0);
    EXPECT_EQ(rig.importAt(1, &item), static_cast<std::int32_t>(kPlatformNoSuchItem));
    EXPECT_EQ(item, nullptr);
}

} // namespace
