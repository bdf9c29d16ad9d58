#include "engine/media/OnlineMediaManager.h"

#include "engine/media/LocalMediaManager.h"
#include "engine/media/VXLLocalMediaRequest.h"
#include "engine/media/VXLMediaItem.h"
#include "engine/media/VXLMediaRef.h"
#include "engine/media/VXLMediaStoreManager.h"
#include "engine/media/VXLOnlineMediaRequest.h"
#include "tests/media/MediaTestSupport.h"
#include "tests/service/ServiceTestSupport.h"
#include "tests/service/VraxJobRig.h"
#include "tests/support/ExternalTool.h"
#include "tests/support/FolderMediaSource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
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
    for (const Case& c :
        {Case {"3", 5, "window=0,5"}, Case {"20", 10, "window=0,10"}, Case {"7", 7, "window=0,7"}}) {
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
    for (const Case& c : {Case {0, "U1", true, 51234, 1}, Case {1, "U2", false, 0, 2}}) {
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
// three codes get a plain 0 and codes the manager does not serve 1000, none
// of them reaching the server.
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

    struct Case {
        std::int32_t code;
        std::int32_t result;
    };
    const Case cases[] = {
        {kEventStoreTransferFileOpen, kResultFailed},
        {kEventLocalFirstStore, kResultFailed},
        {kEventXferCloseDone, kResultSucceeded},
        {kEventLocalAlbumBySelector, kResultSucceeded},
        {kEventLocalDeleteItemDone, kResultSucceeded},
    };
    for (const Case& c : cases) {
        CVXLOnlineMediaRequest other(c.code, kReply);
        EXPECT_EQ(rig.send(other), c.result) << std::hex << c.code;
    }
    move.kind = 9;
    EXPECT_EQ(rig.send(move), 1000);
    EXPECT_EQ(rig.log().size(), 2u);
}

// The online manager with a local one over a phone folder, which lends the
// sources of uploads.
struct UploadRig : OnlineRig, CLocalMediaManager::Owner, CVXLMediaStoreManager::Owner {
    UploadRig()
    {
        root.makeFolder("My Pictures/");
        stores.setOwner(this);
        local.setOwner(this);
        driver.attach(&local);
        driver.attach(&stores);
        driver.runUntilIdle();
    }

    CVXLPlatformMediaSource* mediaSource() override { return &source; }
    CVXLMediaStoreManager* mediaStoreManager() override { return &stores; }
    CVXLEventHandler* fileStoreManager() override { return &files; }

    // The phone store's first item, imported by the local manager.
    std::unique_ptr<CVXLMediaItem> importFirst()
    {
        CVXLLocalMediaRequest request(kEventMediaItemAt, kReply);
        request.location().setByNumber(true);
        request.location().setNumber(1);
        request.index = 0;
        requester.post(&local, &request);
        driver.runUntilIdle(100000);
        return std::unique_ptr<CVXLMediaItem>(request.item);
    }

    FolderMediaSource source {{{1, "Phone", 1, true, "\\My Pictures"}}};
    CVXLMediaStoreManager stores;
    CLocalMediaManager local;
};

std::string patterned(std::size_t n)
{
    std::string out(n, '\0');
    for (std::size_t i = 0; i < n; ++i)
        out[i] = static_cast<char>((i * 131 + i / 7) & 0xff);
    return out;
}

// A local item's bytes go from the source the local manager lends, through
// the sink adapter, to the server as the body of "media-xfer"; an item that
// the server already has is answered 0 though no byte was asked for.
TEST(OnlineMediaManager, AnUploadSendsWhatTheMediaSourceHolds)
{
    struct Case {
        const char* name;
        const char* script;
        const char* uid;
        std::size_t size;
        std::size_t sent;
        std::int32_t result;
    } cases[] = {
        {"small picture", "upload-ack", "", 13, 13, 0},
        {"picture over three reads", "upload-ack", "", 120000, 120000, 0},
        {"known item the server does not find: nothing to send", "lookup-none,upload-ack", "U1", 7000, 0, 0},
        {"server refuses", "error-info273", "", 7000, 7000, kResultNetworkNotice},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        UploadRig rig;
        ASSERT_TRUE(rig.serve(c.script));
        rig.environment.store.set("vrax.max_image_upload_size", "200000");
        const std::string bytes = patterned(c.size);
        rig.root.writeFile("My Pictures/IMG_0001.jpg", bytes);
        std::unique_ptr<CVXLMediaItem> item = rig.importFirst();
        ASSERT_NE(item, nullptr);
        ASSERT_EQ(item->size(), static_cast<std::int32_t>(c.size));
        item->setUid(c.uid);
        rig.environment.mimeTypes[item.get()] = "image/jpeg";

        CVXLOnlineMediaRequest upload(kEventOnlineUploadItem, kReply);
        upload.item = item.get();
        upload.text = "C7";
        upload.status = 1;
        EXPECT_EQ(rig.send(upload), c.result);
        EXPECT_EQ(upload.status, 0);
        // The lent source went back to the local manager.
        rig.driver.runUntilIdle(100000);
        EXPECT_EQ(rig.local.freeJobs(), CLocalMediaManager::kPoolSize);
        EXPECT_EQ(rig.source.openStreams, 0);
        const auto lines = rig.log();
        ASSERT_FALSE(lines.empty());
        const std::string& last = lines.back();
        EXPECT_TRUE(has(last, "request=media-xfer")) << last;
        if (c.result != kResultSucceeded)
            continue;
        EXPECT_TRUE(has(last, " attachment=" + std::to_string(c.sent) + " ")) << last;
        if (c.sent > 0) {
            EXPECT_TRUE(has(last, " sha256=" + rig.sha256(bytes))) << last;
        }
    }
}

// An online item is answered at once; an item without media, or whose source
// cannot be lent, is answered with the failure and nothing reaches the server.
TEST(OnlineMediaManager, UploadsThatCannotStartAreAnswered)
{
    // Answers the open request without a source job.
    TraceJob lender {"lender"};
    UploadRig rig;
    rig.driver.attach(&lender);
    rig.driver.runUntilIdle();
    ASSERT_TRUE(rig.serve("upload-ack"));
    CVXLOnlineMediaRequest upload(kEventOnlineUploadItem, kReply);
    CVXLMediaItem bare;
    upload.item = &bare;
    EXPECT_EQ(rig.send(upload), kResultFailed);

    CVXLMediaItem online;
    online.mediaRef().addEntry("U9", "image/jpeg", &rig.manager, -1, -1, 10, true);
    upload.item = &online;
    EXPECT_EQ(rig.send(upload), kResultSucceeded);

    CVXLMediaItem local;
    local.mediaRef().addEntry("IMG_0001.jpg", "image/jpeg", &lender, -1, -1, 10, true);
    upload.item = &local;
    EXPECT_EQ(rig.send(upload), kResultFailed);
    EXPECT_EQ(std::count(lender.codes.begin(), lender.codes.end(), kEventFileStoreOpenForReading), 1);
    EXPECT_TRUE(rig.log().empty());
}

// Media references of online items, served by the manager under the Job
// Runner, each read into a destination of its own.
struct FetchRig : OnlineRig {
    static constexpr int kItems = 10;

    FetchRig()
    {
        driver.attach(&runner);
        driver.runUntilIdle();
        driver.root().setJobRunner(&runner);
    }
    // An item still serving when its handle goes stops, and the runner
    // deletes it once it has.
    ~FetchRig()
    {
        for (CVXLMediaRefHandle& ref : refs)
            ref = CVXLMediaRefHandle();
        driver.runUntilIdle();
    }

    // Asks for a rendition of an item through reference `at`.
    void read(int at, const char* id, std::int32_t sizeClass, const char* path = "")
    {
        refs[at].setMimeType("image/jpeg");
        refs[at].addEntry(id, "image/jpeg", &manager, -1, -1, -1, true);
        refs[at].get()->setSizeClass(sizeClass);
        refs[at].get()->setListener(&readers[at]);
        refs[at].get()->setRequestPath(path);
        ASSERT_EQ(refs[at].get()->submitRequest(), 1);
    }

    // Runs until the first n readers have seen their transfer end.
    bool ended(int n)
    {
        return pump([&] {
            for (int i = 0; i < n; ++i) {
                if (readers[i].ends == 0)
                    return false;
            }
            return true;
        });
    }

    CJobRunner runner;
    TestDestination readers[kItems];
    CVXLMediaRefHandle refs[kItems];
};

// Fetches queued together go out as one "media-req" of at most nine items;
// a request for another rendition or destination starts a batch of its own.
TEST(OnlineMediaManager, FetchesQueuedTogetherShareOneRequest)
{
    struct Read {
        const char* id;
        std::int32_t sizeClass;
        const char* path;
    };
    struct Case {
        const char* name;
        std::vector<Read> reads;
        std::vector<std::string> requests;
    };
    const Read preview[] = {{"I1", 1, ""}, {"I2", 1, ""}, {"I3", 1, ""}, {"I4", 1, ""}, {"I5", 1, ""},
        {"I6", 1, ""}, {"I7", 1, ""}, {"I8", 1, ""}, {"I9", 1, ""}, {"I10", 1, ""}};
    const Case cases[] = {
        {"nine", {preview, preview + 9}, {"numelem=9 ids=I1,I2,I3,I4,I5,I6,I7,I8,I9 "}},
        {"a tenth starts a second batch", {preview, preview + 10},
            {"numelem=9 ids=I1,I2,I3,I4,I5,I6,I7,I8,I9 ", "numelem=1 ids=I10 "}},
        {"a preview and a view of one item", {{"I1", 1, ""}, {"I1", 2, ""}},
            {"numelem=1 ids=I1 rend=THUMBNAIL_XY", "numelem=1 ids=I1 rend=SIZE_KEEP_ASPECT_RATIO"}},
        {"another destination", {{"I1", 1, ""}, {"I2", 1, "/other"}, {"I3", 1, ""}},
            {"numelem=1 ids=I1 ", "numelem=1 ids=I2 ", "numelem=1 ids=I3 "}},
    };
    // Each request document the server kept must be well-formed to xmllint too.
    const ToolCheck& xmllint = testCheckTool(testToolXmllint());
    if (xmllint.verdict == ToolVerdict::Fail)
        ADD_FAILURE() << xmllint.message;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FetchRig rig;
        std::string script = "fetch-none";
        for (std::size_t i = 1; i < c.requests.size(); ++i)
            script += ",fetch-none";
        ASSERT_TRUE(rig.serve(script));
        for (std::size_t i = 0; i < c.reads.size(); ++i)
            rig.read(static_cast<int>(i), c.reads[i].id, c.reads[i].sizeClass, c.reads[i].path);
        EXPECT_TRUE(rig.ended(static_cast<int>(c.reads.size())));
        const auto lines = rig.log();
        ASSERT_EQ(lines.size(), c.requests.size());
        for (std::size_t i = 0; i < lines.size(); ++i) {
            EXPECT_TRUE(has(lines[i], "request=media-req")) << lines[i];
            EXPECT_TRUE(has(lines[i], c.requests[i])) << lines[i];
            std::ifstream kept(rig.logPath + "." + std::to_string(i + 1) + ".xml", std::ios::binary);
            const std::string document {
                std::istreambuf_iterator<char>(kept), std::istreambuf_iterator<char>()};
            EXPECT_TRUE(has(document, "<media-req")) << i;
            if (xmllint.verdict == ToolVerdict::Ready) {
                EXPECT_TRUE(xmllintAccepts(document)) << document;
            }
        }
        // No item came: every reader got nothing.
        for (std::size_t i = 0; i < c.reads.size(); ++i)
            EXPECT_TRUE(rig.readers[i].bytes.empty()) << i;
    }
}

// Each reader gets exactly the bytes the server sent for its item, whatever
// the order of the parts; an item the reply leaves out ends its reader empty.
TEST(OnlineMediaManager, FetchedBytesEqualTheServers)
{
    const auto served = VraxJobRig::servedHashes();
    ASSERT_EQ(served.size(), 3u);
    struct Case {
        const char* script;
        bool whole[3];
    } cases[] = {
        {"fetch3", {true, true, true}},
        {"fetch3-split", {true, true, true}},
        {"fetch2of3", {true, false, true}},
    };
    static const char* const kIds[] = {"I1", "I2", "I3"};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script);
        FetchRig rig;
        ASSERT_TRUE(rig.serve(c.script));
        for (int i = 0; i < 3; ++i)
            rig.read(i, kIds[i], CVXLMediaRef::kSizeOriginal);
        EXPECT_TRUE(rig.ended(3));
        for (int i = 0; i < 3; ++i) {
            SCOPED_TRACE(kIds[i]);
            if (c.whole[i])
                EXPECT_EQ(rig.sha256(rig.readers[i].bytes), served.at(kIds[i]));
            else
                EXPECT_TRUE(rig.readers[i].bytes.empty());
        }
        const auto lines = rig.log();
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_TRUE(has(lines[0], "numelem=3 ids=I1,I2,I3 ")) << lines[0];
    }
}

} // namespace
