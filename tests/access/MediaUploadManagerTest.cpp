#include "engine/access/MediaUploadManager.h"

#include "engine/media/LocalMediaManager.h"
#include "engine/media/OnlineMediaManager.h"
#include "engine/media/VXLMediaItem.h"
#include "engine/media/VXLMediaItemRecord.h"
#include "engine/media/VXLMediaLocation.h"
#include "engine/media/VXLMediaStoreManager.h"
#include "engine/records/MediaUploadRequest.h"
#include "tests/service/ServiceTestSupport.h"
#include "tests/service/VraxJobRig.h"
#include "tests/support/FolderMediaSource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr std::int32_t kReply = 77;
// The phone store of the rig's media source: id 1, kind 1.
const std::uint32_t kPhone = (1u << 16) + kLocationKindStoreKind1;

// The upload manager over the local and online managers, the service
// protocol job and the test server; pictures lie in a phone folder.
struct UploadManagerRig : VraxJobRig,
                          CLocalMediaManager::Owner,
                          CVXLMediaStoreManager::Owner,
                          COnlineMediaManager::Owner,
                          CMediaUploadManager::Owner {
    UploadManagerRig()
    {
        root.makeFolder("My Pictures/");
        environment.defaultMimeType = "image/jpeg";
        environment.store.set("vrax.max_image_upload_size", "200000");
        registered();
        stores.setOwner(this);
        local.setOwner(this);
        online.setOwner(this);
        online.setUploadRecorder(&uploads);
        uploads.setOwner(this);
        driver.attach(&stores);
        driver.attach(&local);
        driver.attach(&online);
        driver.attach(&uploads);
        driver.runUntilIdle();
    }

    CVXLPlatformMediaSource* mediaSource() override { return &source; }
    CVXLMediaStoreManager* mediaStoreManager() override { return &stores; }
    CVXLEventHandler* fileStoreManager() override { return &files; }
    bool uploadsPending() override { return keepPending; }
    CVXLEventHandler* vraxJob() override { return &job; }
    bool configItem(std::int32_t, CVXLString*) override { return false; }
    CVXLEventHandler* localMediaManager() override { return &local; }
    CVXLEventHandler* onlineMediaManager() override { return &online; }
    bool dataCommActive() override { return dataOn; }
    std::uint32_t nowSeconds() override { return 1800000123; }
    void updateItem(const CVXLMediaItem& item) override
    {
        updated.push_back(item.id().c_str());
        if (lastUpdated)
            lastUpdated->updateFrom(item);
        if (afterUpdate)
            afterUpdate();
    }

    std::int32_t upload(CMediaUploadRequest& request)
    {
        const std::size_t before = requester.results.size();
        requester.post(&uploads, &request);
        const bool answered = pump([&] { return requester.results.size() > before; });
        return answered ? requester.results.back() : kNoAnswer;
    }

    std::vector<std::string> uploadLines() const
    {
        std::vector<std::string> lines;
        for (const std::string& line : log())
            if (line.find("request=media-xfer") != std::string::npos)
                lines.push_back(line);
        return lines;
    }

    bool dataOn = true;
    bool keepPending = false;
    std::vector<std::string> updated;
    std::function<void()> afterUpdate;
    CVXLMediaItem* lastUpdated = nullptr;
    FolderMediaSource source {{{1, "Phone", 1, true, "\\My Pictures"}}};
    CVXLMediaStoreManager stores;
    CLocalMediaManager local;
    COnlineMediaManager online;
    CMediaUploadManager uploads;
};

std::string hashOf(const std::string& line)
{
    const auto at = line.find(" sha256=");
    return at == std::string::npos ? std::string() : line.substr(at + 8, 64);
}

// Each case posts one request over two pictures of the phone, an online item
// and maybe a picture that is not there; the server answers by its script.
TEST(MediaUploadManager, UploadsItemByItemAndAnswersOnce)
{
    const std::uint32_t online = 1;
    struct Item {
        std::uint32_t location;
        const char* identity;
    };
    struct Case {
        const char* name;
        const char* script;
        std::vector<Item> items;
        std::int32_t result;
        bool emptyText;
        std::int32_t status;
        // The uids written back, and the files the server received in order.
        std::vector<const char*> uids;
        std::vector<const char*> received;
    } cases[] = {
        {"two pictures and an online item", "upload-ack,upload-ack",
            {{kPhone, "IMG_0001.jpg"}, {online, "U5"}, {kPhone, "IMG_0002.jpg"}}, 0, true, 0,
            {"U77", "", "U77"}, {"IMG_0001.jpg", "IMG_0002.jpg"}},
        {"only online items: nothing sent", "", {{online, "U5"}, {0, "U6"}}, 0, true, 0, {"", ""}, {}},
        {"an empty list", "", {}, 0, true, 0, {}, {}},
        {"refused with 273: 52 and no text", "error-info273", {{kPhone, "IMG_0001.jpg"}},
            kResultNetworkNotice, true, 273, {""}, {"IMG_0001.jpg"}},
        {"another error: its result, earlier uids kept", "upload-ack,status302",
            {{kPhone, "IMG_0001.jpg"}, {kPhone, "IMG_0002.jpg"}}, kResultHttpStatus, true, 0, {"U77", ""},
            {"IMG_0001.jpg", "IMG_0002.jpg"}},
        {"58 once: the same item again", "alert,choice-ack,upload-ack", {{kPhone, "IMG_0002.jpg"}}, 0, true,
            0, {"U77"}, {"IMG_0002.jpg", "IMG_0002.jpg"}},
        {"58 three times: still sent", "alert,choice-ack,alert,choice-ack,alert,choice-ack,upload-ack",
            {{kPhone, "IMG_0001.jpg"}}, 0, true, 0, {"U77"},
            {"IMG_0001.jpg", "IMG_0001.jpg", "IMG_0001.jpg", "IMG_0001.jpg"}},
        {"58 a fourth time: given up with 58",
            "alert,choice-ack,alert,choice-ack,alert,choice-ack,alert,choice-ack", {{kPhone, "IMG_0001.jpg"}},
            kResultUploadNotRepeated, true, 0, {""},
            {"IMG_0001.jpg", "IMG_0001.jpg", "IMG_0001.jpg", "IMG_0001.jpg"}},
        {"a picture that is not there: 84 before any upload", "upload-ack",
            {{kPhone, "IMG_0001.jpg"}, {kPhone, "IMG_0404.jpg"}}, kResultMediaNotResolved, true, 0, {"", ""},
            {}},
    };
    const std::map<std::string, std::string> files = {
        {"IMG_0001.jpg", VraxJobRig::uploadBytes(5000)},
        {"IMG_0002.jpg", VraxJobRig::uploadBytes(9000).substr(1000)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        UploadManagerRig rig;
        for (const auto& [name, bytes] : files)
            rig.root.writeFile("My Pictures/" + name, bytes);
        if (*c.script) {
            ASSERT_TRUE(rig.serve(c.script));
        }
        CMediaUploadRequest request(kReply);
        request.name = "C7";
        for (const Item& item : c.items)
            request.addItem({item.location, "", item.identity});
        ASSERT_EQ(rig.upload(request), c.result);
        EXPECT_EQ(request.resultText().length() == 0, c.emptyText) << request.resultText().c_str();
        EXPECT_EQ(request.statusValue, c.status);
        ASSERT_EQ(request.items.size(), c.uids.size());
        for (std::size_t i = 0; i < c.uids.size(); ++i)
            EXPECT_STREQ(request.items[i].uid.c_str(), c.uids[i]) << i;
        const auto lines = rig.uploadLines();
        ASSERT_EQ(lines.size(), c.received.size());
        for (std::size_t i = 0; i < lines.size(); ++i)
            EXPECT_EQ(hashOf(lines[i]), rig.sha256(files.at(c.received[i]))) << lines[i];
        // Every saved item went back to the media cache.
        const auto uploaded
            = std::count_if(c.uids.begin(), c.uids.end(), [](const char* uid) { return *uid; });
        EXPECT_EQ(static_cast<std::int64_t>(rig.updated.size()), uploaded);
        EXPECT_FALSE(rig.uploads.busy());
    }
}

// An uploaded item is saved and handed to the media cache with its uid, the
// upload time and, when the request's third flag is set, one pending upload
// less.
TEST(MediaUploadManager, TheSavedRecordCountsTheUpload)
{
    struct Case {
        const char* name;
        std::uint8_t thirdFlag;
        std::int32_t pending;
    } cases[] = {
        {"third flag: one pending upload less", 1, 1},
        {"no third flag: the count stays", 0, 2},
    };
    const std::string record
        = CLocalMediaManager::recordName("IMG_0001.jpg", kPhone, CVXLMediaItemRecord::kRecordSuffix).c_str();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        UploadManagerRig rig;
        rig.keepPending = true;
        rig.root.writeFile("My Pictures/IMG_0001.jpg", VraxJobRig::uploadBytes(800));
        CVXLMediaItem before;
        before.setId("IMG_0001.jpg");
        before.setPendingCount(2);
        const CVXLByteBuffer bytes = CVXLMediaItemRecord::save(before);
        rig.writeHostFile(record, std::string(reinterpret_cast<const char*>(bytes.data()), bytes.length()));
        ASSERT_TRUE(rig.serve("upload-ack"));
        CMediaUploadRequest request(kReply);
        request.flags[2] = c.thirdFlag;
        request.addItem({kPhone, "", "IMG_0001.jpg"});
        CVXLMediaItem item;
        item.setId("IMG_0001.jpg");
        rig.lastUpdated = &item;
        ASSERT_EQ(rig.upload(request), kResultSucceeded);
        ASSERT_EQ(rig.updated.size(), 1u);
        EXPECT_FALSE(item.isModified());
        EXPECT_EQ(item.pendingCount(), c.pending);
        EXPECT_EQ(item.uploadTime(), 1800000123);
        EXPECT_STREQ(item.uid().c_str(), "U77");
    }
}

// With data communication off nothing is resolved or sent: 17 at once.
TEST(MediaUploadManager, DataOffAnswers17WithoutAConnection)
{
    UploadManagerRig rig;
    rig.root.writeFile("My Pictures/IMG_0001.jpg", VraxJobRig::uploadBytes(100));
    ASSERT_TRUE(rig.serve("upload-ack"));
    rig.dataOn = false;
    CMediaUploadRequest request(kReply);
    request.addItem({kPhone, "", "IMG_0001.jpg"});
    EXPECT_EQ(rig.upload(request), kResultDataCommOff);
    EXPECT_TRUE(request.items[0].uid.length() == 0);
    rig.driver.runUntilIdle(100000);
    EXPECT_TRUE(rig.log().empty());
}

// A second request waits in the queue until the first is answered.
TEST(MediaUploadManager, SecondRequestWaitsForTheFirst)
{
    UploadManagerRig rig;
    rig.root.writeFile("My Pictures/IMG_0001.jpg", VraxJobRig::uploadBytes(700));
    ASSERT_TRUE(rig.serve("upload-ack,upload-ack"));
    CMediaUploadRequest first(kReply);
    first.addItem({kPhone, "", "IMG_0001.jpg"});
    CMediaUploadRequest second(kReply + 1);
    second.addItem({kPhone, "", "IMG_0001.jpg"});
    const std::size_t before = rig.requester.codes.size();
    rig.requester.post(&rig.uploads, &first);
    rig.requester.post(&rig.uploads, &second);
    ASSERT_TRUE(rig.pump([&] { return rig.requester.codes.size() >= before + 2; }));
    EXPECT_EQ(std::vector<std::int32_t>(rig.requester.codes.begin() + before, rig.requester.codes.end()),
        (std::vector<std::int32_t> {kReply, kReply + 1}));
    EXPECT_EQ(first.result(), 0);
    EXPECT_EQ(second.result(), 0);
    EXPECT_STREQ(second.items[0].uid.c_str(), "U77");
    EXPECT_EQ(rig.uploadLines().size(), 2u);
}

// A request its sender cancels ends when the upload under way comes back;
// nothing after it is sent and the next request is served.
TEST(MediaUploadManager, ACancelledRequestEndsAfterTheUploadUnderWay)
{
    UploadManagerRig rig;
    rig.root.writeFile("My Pictures/IMG_0001.jpg", VraxJobRig::uploadBytes(3000));
    ASSERT_TRUE(rig.serve("upload-ack,upload-ack,upload-ack,upload-ack"));
    CMediaUploadRequest request(kReply);
    for (int i = 0; i < 3; ++i)
        request.addItem({kPhone, "", "IMG_0001.jpg"});
    // Cancelled once the first item is done: the second is already on its way.
    rig.afterUpdate = [&] {
        rig.afterUpdate = nullptr;
        rig.requester.cancelEventsWith(&rig.uploads);
    };
    rig.requester.post(&rig.uploads, &request);
    ASSERT_TRUE(rig.pump([&] { return !request.isBusy() && !rig.uploads.busy(); }));
    const std::size_t sent = rig.uploadLines().size();
    EXPECT_EQ(sent, 2u);
    EXPECT_STREQ(request.items[0].uid.c_str(), "U77");
    EXPECT_TRUE(request.items[2].uid.length() == 0);

    CMediaUploadRequest next(kReply);
    next.addItem({kPhone, "", "IMG_0001.jpg"});
    EXPECT_EQ(rig.upload(next), kResultSucceeded);
    EXPECT_STREQ(next.items[0].uid.c_str(), "U77");
    EXPECT_EQ(rig.uploadLines().size(), sent + 1);
}

// Codes other than the upload request are answered with 1000.
TEST(MediaUploadManager, OtherCodesAreAnswered)
{
    UploadManagerRig rig;
    CVXLEvent other(kEventMediaItemSave, kReply);
    other.setResult(kResultSucceeded);
    const std::size_t before = rig.requester.codes.size();
    rig.requester.post(&rig.uploads, &other);
    rig.driver.runUntilIdle(100000);
    ASSERT_EQ(rig.requester.codes.size(), before + 1);
    EXPECT_EQ(rig.requester.results.back(), kResultFailed);
}

} // namespace
