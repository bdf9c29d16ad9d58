// The media browser headless on the whole engine: the shipped program's
// "Review/Send Media" (activity 75) opens the phone's album of 20 pictures
// in the album summary job (13); the selection commands work on the Media
// Access Manager's selection, and a delete of three with its progress
// removes the files and every favourite that named them, read back from
// "_vxl.reg" by tests/peers/vxl_reg_reader.py; Back ends the flow. An upload
// of three goes through "state.uq" to tests/peers/vrax_server.py. A card
// album with no card and an empty album end with their notices.
#include "engine/access/BackgroundUploadManager.h"
#include "engine/access/MediaAccessManager.h"
#include "engine/access/MediaSelection.h"
#include "engine/client/menu/GlobalMenuValueEntry.h"
#include "engine/client/menu/VXLMenuTable.h"
#include "engine/core/settings/VXLPersKeys.h"
#include "engine/media/VXLAlbum.h"
#include "engine/media/VXLMediaItem.h"
#include "engine/media/VXLMediaStoreManager.h"
#include "engine/screens/VXLAlbumPickJob36.h"
#include "engine/screens/VXLAlbumSummaryJob.h"
#include "engine/screens/VXLFavoritePositionJob.h"
#include "engine/screens/VXLLayoutInformation.h"
#include "engine/screens/VXLMediaBrowseJob38.h"
#include "tests/client/MessageListRoadRig.h"
#include "tests/support/JpegFixture.h"
#include "tests/support/TestProcess.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr std::int32_t kActivityReviewMedia = 75;
// The favourites' "add" menu (its slot entry starts the assigner) and the
// program's answer of the album chooser (job 45) for a phone album.
constexpr std::int32_t kMenuAddFavorite = 14;
constexpr std::int32_t kLocalAlbumPicked = 50;
// My Albums, and the album chooser's answer for the online albums.
constexpr std::int32_t kActivityMyAlbums = 74;
constexpr std::int32_t kOnlineAlbumPicked = 51;

std::string pictureName(int n)
{
    char name[64];
    std::snprintf(name, sizeof name, "My Documents/My Pictures/p%04d.jpg", n);
    return name;
}

// tests/peers/vrax_server.py with its script on 127.0.0.1, the engine
// registered with it; stopped when the value goes.
struct VraxPeer {
    VraxPeer(MessageListRoadRig& rig, const std::string& script, bool gated = false)
        : log(rig.root.hostPath("vrax-server.log"))
        , gate(rig.root.hostPath("vrax-gate"))
    {
        std::vector<std::string> arguments {script, log, "--announce"};
        if (gated) {
            arguments.push_back("--gate");
            arguments.push_back(gate);
        }
        std::uint16_t port = 0;
        pid = testStartPythonPeer("vrax_server.py", arguments, log + ".out", &port);
        CVXLClient& client = *rig.client;
        client.settings().setConfigString(kCfgServerUri, testLoopbackUrl(port, "/vrax").c_str());
        client.settings().setPersistentString(kPersVraxId, "D42");
        client.settings().setPersistentString(kPersVraxRegComplete, "1");
    }
    ~VraxPeer()
    {
        if (pid > 0)
            testStopProcess(pid, 2000);
    }
    void open() const { std::ofstream(gate).put('\n'); }

    std::string log;
    std::string gate;
    pid_t pid = -1;
};

// "_vxl.reg" as tests/peers/vxl_reg_reader.py reads it.
std::string settingsFile(MessageListRoadRig& rig)
{
    rig.run();
    return testRunCommand("python3 '" TESSEL_SOURCE_DIR "/tests/peers/vxl_reg_reader.py' '"
        + rig.driver.storeFile("_vxl.reg") + "'")
        .output;
}

std::string persistent(CVXLClient& client, const char* key)
{
    CVXLString value;
    client.settings().getPersistentString(key, &value);
    return value.c_str();
}

// Runs the engine as the rig does; the values "int.progress_total" took
// between ticks meanwhile, other than the 0 the progress bar leaves.
std::vector<std::string> runWatchingTotal(MessageListRoadRig& rig)
{
    std::vector<std::string> seen;
    for (int i = 0; i < 100000; ++i) {
        const std::int32_t result = rig.driver.tick();
        const std::string total = persistent(*rig.client, kPersProgressTotal);
        if (total != "0" && !total.empty() && (seen.empty() || seen.back() != total))
            seen.push_back(total);
        if (rig.take())
            continue;
        if (result != CVXLClient::kTickWorkLeft && rig.client->getWaitTime() != 0)
            break;
    }
    return seen;
}

CVXLMediaItem* focus(CVXLAlbumSummaryJob& job, std::int32_t index)
{
    CVXLElement* element = job.layout().elementAt(index);
    job.layout().setCurrentElement(element);
    return element ? element->asMediaItem() : nullptr;
}

// My Albums (activity 74) up to job 36's list of the server's three
// albums: the album chooser (job 45, scripted) picks the online albums and
// the registration check (job 6, scripted) passes. Null when it fails.
CVXLAlbumPickJob36* showOnlineAlbums(MessageListRoadRig& rig)
{
    rig.startActivity(kActivityMyAlbums);
    if (!rig.currentJob() || rig.currentJob()->typeId() != 45) {
        ADD_FAILURE() << "no album chooser";
        return nullptr;
    }
    rig.pool->script.push_back({kOnlineAlbumPicked, {}});
    rig.pool->script.push_back({10, {}});
    for (int step = 0; step < 2; ++step) {
        if (!rig.pool->answer(rig.client->getProducer().uiJobs()))
            return nullptr;
        rig.run();
    }
    auto* list = dynamic_cast<CVXLAlbumPickJob36*>(rig.currentJob());
    if (!list || !rig.follow([&] { return list->isBrowsing(); }, 15000)) {
        ADD_FAILURE() << ::testing::PrintToString(rig.pool->shownTypes());
        return nullptr;
    }
    EXPECT_EQ(rig.top(), &list->layout());
    EXPECT_EQ(list->layout().albumCount(), 3u);
    return list;
}

TEST(VXLClientMediaBrowseRoad, ReviewMediaBrowsesSelectsAndDeletesWithProgress)
{
    MessageListRoadRig rig;
    ASSERT_TRUE(rig.start({7, 11, 12, 13, 14, 42, 43}));
    CVXLClient& client = *rig.client;
    const std::string jpeg = testJpeg(32, 24, 3, 80, [](unsigned y, unsigned char* row) {
        for (unsigned x = 0; x < 32 * 3; ++x)
            row[x] = static_cast<unsigned char>(x + y);
    });
    for (int n = 0; n < 20; ++n)
        ASSERT_TRUE(rig.root.writeFile(pictureName(n), jpeg));

    rig.startActivity(kActivityReviewMedia);
    auto* job = dynamic_cast<CVXLAlbumSummaryJob*>(rig.currentJob());
    ASSERT_NE(job, nullptr) << (rig.currentJob() ? rig.currentJob()->typeId() : -1) << " shown "
                            << ::testing::PrintToString(rig.pool->shownTypes());
    ASSERT_TRUE(job->isBrowsing());
    ASSERT_EQ(rig.top(), &job->layout());
    EXPECT_EQ(rig.topText(),
        "In Phone | menu Send to Contacts, menu Post to Service, unplaced Voice Send To Contacts, menu "
        "Upload, "
        "menu Delete, hard Select, menu Select All, menu Deselect All, hard Update, hard Album List, hard "
        "Back, "
        "menu Print, hard Exit");
    EXPECT_EQ(job->total(), 20u);
    EXPECT_EQ(job->layout().first(), 4u);
    ASSERT_NE(job->layout().currentElement(), nullptr);
    EXPECT_EQ(job->layout().currentElement()->indexWord(), 19);

    // Select, Select All and Deselect All are the manager's selection.
    CMediaAccessManager& mam = client.getMediaAccessManager();
    CVXLMediaItem* item = focus(*job, 8);
    ASSERT_NE(item, nullptr);
    ASSERT_TRUE(rig.press("Select"));
    EXPECT_TRUE(mam.isSelected(*item));
    ASSERT_TRUE(rig.press("Select All"));
    EXPECT_TRUE(mam.selectionFlag());
    ASSERT_TRUE(rig.press("Select All"));
    EXPECT_FALSE(mam.selectionFlag());
    EXPECT_EQ(mam.countSelected(), 0u);
    ASSERT_TRUE(rig.press("Select"));
    EXPECT_EQ(mam.countSelected(), 1u);
    ASSERT_TRUE(rig.press("Deselect All"));
    EXPECT_EQ(mam.countSelected(), 0u);

    // Three selected, two of them favourites (one in two slots).
    std::vector<CVXLMediaItem*> doomed;
    for (std::int32_t index : {6, 10, 11}) {
        doomed.push_back(focus(*job, index));
        ASSERT_NE(doomed.back(), nullptr) << index;
        ASSERT_TRUE(rig.press("Select"));
    }
    const auto where = [](const CVXLMediaItem* media) {
        return static_cast<std::int32_t>(CMediaSelection::packedLocationOf(*media));
    };
    CVXLMediaItem* kept = focus(*job, 15);
    ASSERT_NE(kept, nullptr);
    client.settings().setFavorite(0, doomed[0]->id(), "first", where(doomed[0]));
    client.settings().setFavorite(2, doomed[2]->id(), "second", where(doomed[2]));
    client.settings().setFavorite(5, doomed[2]->id(), "second again", where(doomed[2]));
    client.settings().setFavorite(7, kept->id(), "kept", where(kept));
    const std::string keptId = kept->id().c_str();
    focus(*job, 6);
    ASSERT_TRUE(submitByLabel(job->layout(), "Delete"));
    EXPECT_EQ(runWatchingTotal(rig), std::vector<std::string> {"3"});

    // The progress bar (job 42) came and went; the album is shown again.
    EXPECT_EQ(rig.pool->shownTypes(), (std::vector<int> {13, 42}));
    ASSERT_TRUE(job->isBrowsing());
    EXPECT_EQ(job->total(), 17u);
    EXPECT_EQ(job->layout().currentElement() ? job->layout().currentElement()->indexWord() : -1, 6);
    for (int n : {6, 10, 11})
        EXPECT_FALSE(rig.root.exists(pictureName(n))) << n;
    EXPECT_TRUE(rig.root.exists(pictureName(7)));

    rig.run();
    const std::string reg = testRunCommand("python3 '" TESSEL_SOURCE_DIR "/tests/peers/vxl_reg_reader.py' '"
        + rig.driver.storeFile("_vxl.reg") + "'")
                                .output;
    for (const char* empty : {"pers.favorites_id.0=\n", "pers.favorites_id.2=\n", "pers.favorites_id.5=\n"})
        EXPECT_NE(reg.find(empty), std::string::npos) << empty << reg;
    EXPECT_NE(reg.find("pers.favorites_id.7=" + keptId + "\n"), std::string::npos) << reg;

    // Back ends the flow.
    ASSERT_TRUE(rig.press("Back"));
    EXPECT_EQ(rig.currentJob(), nullptr);
    EXPECT_TRUE(client.getProducer().isIdle());
}

// Upload of three selected pictures to "My Uploads" (the program's upload
// destination screen, job 46, is scripted): the progress bar, then the
// notice "Your media is queued for uploading.", three records in
// "state.uq" read back by
// tests/peers/upload_queue_file.py, and then the three files received whole
// by tests/peers/vrax_server.py on 127.0.0.1. The server reads nothing until
// the queue has been read, so the upload cannot empty it first.
TEST(VXLClientMediaBrowseRoad, UploadQueuesTheSelectionAndTheServerReceivesIt)
{
    MessageListRoadRig rig;
    ASSERT_TRUE(rig.start({7, 11, 12, 13, 14, 42, 43}));
    CVXLClient& client = *rig.client;
    for (int n = 0; n < 6; ++n) {
        const std::string jpeg = testJpeg(32, 24, 3, 80, [n](unsigned y, unsigned char* row) {
            for (unsigned x = 0; x < 32 * 3; ++x)
                row[x] = static_cast<unsigned char>(x * (n + 1) + y);
        });
        ASSERT_TRUE(rig.root.writeFile(pictureName(n), jpeg));
    }
    const VraxPeer server(rig, "upload-ack,upload-ack,upload-ack", true);
    ASSERT_GT(server.pid, 0);
    const std::string& log = server.log;
    client.settings().store().set("vrax.max_image_upload_size", "100000");

    rig.startActivity(kActivityReviewMedia);
    auto* job = dynamic_cast<CVXLAlbumSummaryJob*>(rig.currentJob());
    ASSERT_NE(job, nullptr);
    ASSERT_TRUE(job->isBrowsing());
    // Each record: its offset, the packed location, the name and the album
    // ("" for My Uploads).
    std::vector<std::string> chosen;
    std::vector<std::string> queuedRecords;
    std::size_t offset = 0;
    for (std::int32_t index : {1, 3, 4}) {
        CVXLMediaItem* item = focus(*job, index);
        ASSERT_NE(item, nullptr) << index;
        const std::string name = item->name().c_str();
        chosen.push_back(name);
        queuedRecords.push_back(std::to_string(offset) + " "
            + std::to_string(CMediaSelection::packedLocationOf(*item)) + " " + name + " ");
        offset += 2 + 4 + 4 + name.size() + 1 + 4 + 1;
        ASSERT_TRUE(rig.press("Select"));
    }
    ASSERT_EQ(client.getMediaAccessManager().countSelected(), 3u);

    // Upload hands over (67); the destination screen answers "My Uploads".
    ASSERT_TRUE(rig.press("Upload"));
    ASSERT_NE(rig.currentJob(), nullptr);
    ASSERT_EQ(rig.currentJob()->typeId(), 46);
    rig.pool->script.push_back({62, {}});
    ASSERT_TRUE(rig.pool->answer(client.getProducer().uiJobs()));
    EXPECT_EQ(runWatchingTotal(rig), std::vector<std::string> {"3"});
    EXPECT_EQ(rig.currentJob(), job);
    auto* notice = dynamic_cast<CVXLLayoutInformation*>(rig.top());
    ASSERT_NE(notice, nullptr) << rig.topText();
    EXPECT_EQ(std::string(notice->message().c_str()), "Your media is queued for uploading.");
    const std::vector<int> shown = rig.pool->shownTypes();
    EXPECT_EQ(std::count(shown.begin(), shown.end(), 42), 1) << ::testing::PrintToString(shown);

    const TestCommandResult queued
        = testRunCommand(testPython() + " '" TESSEL_SOURCE_DIR "/tests/peers/upload_queue_file.py' --dump '"
            + rig.driver.storeFile(CBackgroundUploadManager::kQueueFileName) + "'");
    ASSERT_EQ(queued.status, 0) << queued.output;
    EXPECT_EQ(testLines(queued.output), queuedRecords) << queued.output;

    // The notice is left, then the album; the queue goes to the server.
    ASSERT_TRUE(rig.press("Continue"));
    // (The scripted destination screen leaves its layout up.)
    ASSERT_TRUE(job->isBrowsing());
    ASSERT_TRUE(submitByLabel(job->layout(), "Back"));
    rig.run();
    EXPECT_EQ(rig.currentJob(), nullptr);
    server.open();
    ASSERT_TRUE(rig.follow(
        [&] { return testFileLines(log).size() >= 3 && !client.getBackgroundUploadManager().hasPending(); },
        20000))
        << ::testing::PrintToString(testFileLines(log));
    const std::vector<std::string> received = testFileLines(log);
    EXPECT_EQ(received.size(), 3u);
    std::multiset<std::string> sent;
    for (const std::string& line : received) {
        EXPECT_NE(line.find("request=media-xfer"), std::string::npos) << line;
        const std::size_t at = line.find(" sha256=");
        ASSERT_NE(at, std::string::npos) << line;
        sent.insert(line.substr(at + 8, 64));
    }
    std::multiset<std::string> files;
    for (const std::string& name : chosen)
        files.insert(testSha256OfFile(rig.root.hostPath("My Documents/My Pictures/" + name)));
    EXPECT_EQ(sent, files);
}

// Favourites through the shipped program's menus. The add-favourite menu's
// slot entry (slot 3) runs the album chooser (job 45, scripted: the phone
// album) and the assigner (job 12): Assign on the focused picture writes
// the slot's three keys to "_vxl.reg". The favourites menu then lists it,
// and its entry (activity 82) shows that picture alone in job 8; deleting
// it ends the job with Back (8), the file and the slot gone.
TEST(VXLClientMediaBrowseRoad, AnAssignedFavouriteIsShownAloneAndDeletedFromTheFavouritesMenu)
{
    MessageListRoadRig rig;
    ASSERT_TRUE(rig.start({7, 8, 11, 12, 13, 14, 42, 43}));
    CVXLClient& client = *rig.client;
    for (int n = 0; n < 10; ++n) {
        const std::string jpeg = testJpeg(32, 24, 3, 80, [n](unsigned y, unsigned char* row) {
            for (unsigned x = 0; x < 32 * 3; ++x)
                row[x] = static_cast<unsigned char>(x * (n + 1) + y);
        });
        ASSERT_TRUE(rig.root.writeFile(pictureName(n), jpeg));
    }
    CVXLAlbum phone;
    phone.setLocation(client.getMediaStoreManager().getStoreLocation(0));

    CGlobalMenuList& add = client.buildGlobalMenu(kMenuAddFavorite);
    ASSERT_EQ(add.getEntryCount(), 1u);
    auto* slot = dynamic_cast<CGlobalMenuValueEntry*>(add.entryAt(0));
    ASSERT_NE(slot, nullptr);
    slot->setValue(3);
    add.runEntry(slot);
    rig.run();
    ASSERT_NE(rig.currentJob(), nullptr);
    ASSERT_EQ(rig.currentJob()->typeId(), 45);
    rig.pool->script.push_back(
        {kLocalAlbumPicked, {{"album_summary", CVXLVariant(static_cast<const void*>(&phone))}}});
    ASSERT_TRUE(rig.pool->answer(client.getProducer().uiJobs()));
    rig.run();
    auto* assigner = dynamic_cast<CVXLMediaBrowseJob12*>(rig.currentJob());
    ASSERT_NE(assigner, nullptr);
    ASSERT_TRUE(assigner->isBrowsing());
    EXPECT_EQ(assigner->layout().state(), 12u);
    EXPECT_EQ(rig.topText(), " | hard Update, hard Assign, hard Back, hard Exit");
    CVXLMediaItem* item = focus(*assigner, 6);
    ASSERT_NE(item, nullptr);
    const std::string name = item->name().c_str();
    const std::string id = item->id().c_str();
    const std::string location = std::to_string(CMediaSelection::packedLocationOf(*item));
    const std::string caption = (item->title().length() ? item->title() : item->name()).c_str();
    ASSERT_TRUE(rig.press("Assign"));
    EXPECT_EQ(rig.currentJob(), nullptr);
    EXPECT_TRUE(client.getProducer().isIdle());
    const std::string reg = settingsFile(rig);
    for (const std::string& pair : {"pers.favorites_id.3=" + id, "pers.favorites_caption.3=" + caption,
             "pers.favorites_location.3=" + location})
        EXPECT_NE(reg.find(pair + "\n"), std::string::npos) << pair << "\n" << reg;

    // The favourites menu lists the slot; its entry shows the picture alone.
    CGlobalMenuList& favourites = client.buildGlobalMenu(kMenuFavorites);
    ASSERT_EQ(favourites.getEntryCount(), 1u);
    EXPECT_EQ(std::string(favourites.entryAt(0)->caption().c_str()), caption);
    favourites.runEntry(favourites.entryAt(0));
    rig.run();
    auto* favourite = dynamic_cast<CVXLFavoritePositionJob*>(rig.currentJob());
    ASSERT_NE(favourite, nullptr);
    ASSERT_TRUE(favourite->isBrowsing());
    EXPECT_EQ(favourite->favoriteIndex(), 3);
    EXPECT_EQ(favourite->layout().state(), 14u);
    EXPECT_EQ(favourite->layout().cacheCount(), 1u);
    ASSERT_NE(favourite->layout().currentElement(), nullptr);
    ASSERT_NE(favourite->layout().currentElement()->asMediaItem(), nullptr);
    EXPECT_EQ(std::string(favourite->layout().currentElement()->asMediaItem()->name().c_str()), name);
    EXPECT_EQ(rig.topText(),
        " | menu Send to Contacts, menu Post to Service, unplaced Voice Send To Contacts, menu Upload, menu "
        "Delete, hard Select, hard Update, hard Album List, hard Back, menu Print, hard Exit");

    // The delete's progress bar, and the job ends instead of reloading (the
    // pool deletes it: the favourite job is not read after this).
    const std::size_t before = rig.pool->shown.size();
    ASSERT_TRUE(rig.press("Delete"));
    ASSERT_EQ(rig.pool->shown.size(), before + 1);
    EXPECT_EQ(rig.pool->shown.back().type, 42);
    EXPECT_EQ(rig.currentJob(), nullptr);
    ASSERT_FALSE(rig.requests.empty());
    EXPECT_EQ(rig.requests.back().kind, static_cast<std::uint32_t>(kUIRequestReturnToMenu));
    EXPECT_TRUE(client.getProducer().isIdle());
    EXPECT_FALSE(rig.root.exists("My Documents/My Pictures/" + name));
    EXPECT_TRUE(rig.root.exists(pictureName(5)));
    EXPECT_NE(settingsFile(rig).find("pers.favorites_id.3=\n"), std::string::npos);
}

// My Albums (activity 74) on an online album: the album chooser (job 45,
// scripted) picks the online albums, the registration check (job 6,
// scripted) passes, and the album list (job 36) shows the server's three
// albums; Continue on "Trip" hands it to the online browser (job 38, a
// scripted stand-in here) as "album_summary". Leaving that browser shows
// the list again without asking the server; Back on it and on the chooser
// ends the flow.
TEST(VXLClientMediaBrowseRoad, MyAlbumsListsTheOnlineAlbumsAndOpensThePickedOne)
{
    MessageListRoadRig rig;
    ASSERT_TRUE(rig.start({7, 11, 36, 42, 43}));
    CVXLClient& client = *rig.client;
    const VraxPeer server(rig, "albums3");
    ASSERT_GT(server.pid, 0);
    CVXLAlbumPickJob36* list = showOnlineAlbums(rig);
    ASSERT_NE(list, nullptr);
    CVXLElement* trip = list->layout().list().itemAt(2);
    ASSERT_NE(trip, nullptr);
    ASSERT_NE(trip->asType0(), nullptr);
    EXPECT_EQ(trip->asType0()->name(), "Trip");
    list->layout().setCurrentElement(trip);
    ASSERT_TRUE(rig.press("Continue"));

    CVXLUiJob* browser = rig.currentJob();
    ASSERT_NE(browser, nullptr);
    EXPECT_EQ(browser->typeId(), 38);
    auto* handed = dynamic_cast<CVXLAlbum*>(
        static_cast<CVXLObject*>(browser->property(CVXLMediaBrowseJob::kPropertyAlbum).reference()));
    ASSERT_NE(handed, nullptr);
    EXPECT_EQ(handed->identifier(), "C3");
    EXPECT_EQ(handed->name(), "Trip");

    rig.pool->script.push_back({8, {}});
    ASSERT_TRUE(rig.pool->answer(client.getProducer().uiJobs()));
    rig.run();
    ASSERT_EQ(rig.currentJob(), list);
    ASSERT_TRUE(list->isBrowsing());
    ASSERT_TRUE(submitByLabel(list->layout(), "Back"));
    rig.run();
    // The chooser again, left with Back.
    ASSERT_NE(rig.currentJob(), nullptr);
    EXPECT_EQ(rig.currentJob()->typeId(), 45);
    rig.pool->script.push_back({8, {}});
    ASSERT_TRUE(rig.pool->answer(client.getProducer().uiJobs()));
    rig.run();
    EXPECT_EQ(rig.currentJob(), nullptr);
    EXPECT_TRUE(client.getProducer().isIdle());
    const std::vector<std::string> received = testFileLines(server.log);
    ASSERT_EQ(received.size(), 1u);
    EXPECT_NE(received[0].find("request=list-req"), std::string::npos) << received[0];
}

// My Albums (activity 74) on an online album: the album chooser (job 45,
// scripted) picks the online albums, the registration check (job 6,
// scripted) passes, and the album list (job 36) shows the server's three
// albums; Continue on "Work" (three pictures) opens it in the online browser
// (job 38) as "album_summary", which pages its three items from the
// server in one request and shows them; Exit ends the flow.
TEST(VXLClientMediaBrowseRoad, MyAlbumsListsTheOnlineAlbumsAndBrowsesThePickedOne)
{
    MessageListRoadRig rig;
    ASSERT_TRUE(rig.start({7, 11, 36, 38, 42, 43}));
    CVXLClient& client = *rig.client;
    const VraxPeer server(rig, "albums3,items");
    ASSERT_GT(server.pid, 0);
    CVXLAlbumPickJob36* list = showOnlineAlbums(rig);
    ASSERT_NE(list, nullptr);
    CVXLElement* work = list->layout().list().itemAt(1);
    ASSERT_NE(work, nullptr);
    ASSERT_NE(work->asType0(), nullptr);
    EXPECT_EQ(work->asType0()->name(), "Work");
    list->layout().setCurrentElement(work);
    ASSERT_TRUE(rig.press("Continue"));

    auto* browser = dynamic_cast<CVXLMediaBrowseJob38*>(rig.currentJob());
    ASSERT_NE(browser, nullptr) << ::testing::PrintToString(rig.pool->shownTypes());
    EXPECT_EQ(browser->album().identifier(), "C2");
    EXPECT_EQ(browser->album().name(), "Work");
    ASSERT_TRUE(rig.follow([&] { return browser->isBrowsing(); }, 15000)) << rig.topText();
    EXPECT_EQ(rig.top(), &browser->layout());
    EXPECT_EQ(browser->layout().state(), 0u);
    std::vector<std::string> titles;
    for (std::int32_t i = 0; i < 4; ++i) {
        CVXLElement* element = browser->layout().elementAt(i);
        CVXLMediaItem* item = element ? element->asMediaItem() : nullptr;
        titles.push_back(item ? item->title().c_str() : "-");
    }
    EXPECT_EQ(titles, (std::vector<std::string> {"Beach", "Waves", "Dropped", "-"}));
    EXPECT_FALSE(browser->isPrefetching());

    const std::vector<std::string> asked = testFileLines(server.log);
    ASSERT_EQ(asked.size(), 2u) << ::testing::PrintToString(asked);
    EXPECT_NE(asked[1].find("request=list-req"), std::string::npos) << asked[1];

    // Back returns to the album list, whose spinner (a fresh job here, given
    // back and deleted) ends in the tick that queued its screen.
    ASSERT_TRUE(rig.press("Back"));
    ASSERT_TRUE(rig.follow(
        [&] {
            return dynamic_cast<CVXLAlbumPickJob36*>(rig.currentJob()) != nullptr && rig.top() != nullptr;
        },
        15000))
        << rig.topText();

    // Exit leaves the flow for the menu.
    ASSERT_TRUE(rig.press("Exit"));
    EXPECT_EQ(rig.currentJob(), nullptr);
    EXPECT_TRUE(client.getProducer().isIdle());
    ASSERT_FALSE(rig.requests.empty());
    EXPECT_EQ(rig.requests.back().kind, static_cast<std::uint32_t>(kUIRequestReturnToMenu));
    EXPECT_EQ(rig.requests.back().value, 1);
}

// The engine shut down while the online browser waits for its range: the
// server holds the album's contents half sent. The shut-down ends within
// the step bound.
TEST(VXLClientMediaBrowseRoad, ShutDownWithTheOnlineBrowsersRangeOutEnds)
{
    constexpr int kStepBound = 300;
    MessageListRoadRig rig;
    ASSERT_TRUE(rig.start({7, 11, 36, 38, 42, 43}));
    const VraxPeer server(rig, "albums3,items-stall");
    ASSERT_GT(server.pid, 0);
    CVXLAlbumPickJob36* list = showOnlineAlbums(rig);
    ASSERT_NE(list, nullptr);
    list->layout().setCurrentElement(list->layout().list().itemAt(1));
    ASSERT_TRUE(rig.press("Continue"));
    auto* browser = dynamic_cast<CVXLMediaBrowseJob38*>(rig.currentJob());
    ASSERT_NE(browser, nullptr);
    ASSERT_TRUE(rig.follow([&] { return testFileLines(server.log).size() >= 2; }, 15000));
    EXPECT_TRUE(browser->albumOpen());
    EXPECT_GT(browser->outstandingReplies(), 0);
    EXPECT_FALSE(browser->isBrowsing());
    EXPECT_TRUE(rig.driver.shutDown(kStepBound));
}

// A card album while configuration item 41 says no card is present, on the
// two roads of the storage-area menu (12) that open it: Browse Media picks
// the album through the chooser (job 45, scripted) into the album summary
// job (13), Delete Media opens the deleting job (14) at once. Each shows
// the no-card notice, not the empty album's, and ends with Exit (9): the
// program returns to the menu as for Exit. An empty phone album shows "The
// selected album is empty." and Back on it ends with 8.
TEST(VXLClientMediaBrowseRoad, ACardAlbumWithNoCardAndAnEmptyAlbumShowTheirNotices)
{
    constexpr std::int32_t kMenuMedia = 12;
    constexpr std::int32_t kActionDelete = 24;
    constexpr std::int32_t kActionBrowse = 26;
    constexpr std::uint16_t kCardStore = 2;
    const char* const kNoCard = "No media card is present. Insert a media card.";
    struct Case {
        std::int32_t action;
        std::uint16_t store;
        std::vector<int> shown;
        const char* notice;
        // Back (8) from the browser shows the chooser again, left with
        // Back; Exit (9) ends the flow at once.
        bool chooserAgain;
        // The menu the program returns to: 1 after Exit, 0 after Back.
        std::int32_t menuAfter;
    };
    const Case cases[] = {
        {kActionBrowse, kCardStore, {45, 13, 11}, kNoCard, false, 1},
        {kActionDelete, kCardStore, {14, 11}, kNoCard, false, 1},
        {kActionBrowse, 1, {45, 13, 11}, "The selected album is empty.", true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.action) + " store " + std::to_string(c.store));
        MessageListRoadRig rig;
        ASSERT_TRUE(rig.start({7, 11, 12, 13, 14, 42, 43}));
        CVXLClient& client = *rig.client;
        // Pictures on the card the engine is told is not there.
        for (int n = 0; n < 3; ++n)
            ASSERT_TRUE(rig.root.writeFile("Storage Card/DCIM/c" + std::to_string(n) + ".jpg",
                testJpeg(16, 16, 3, 80, [](unsigned y, unsigned char* row) {
                    std::fill(row, row + 48, static_cast<unsigned char>(y));
                })));
        client.settings().setConfigString(kCfgMemCardPresent, "0");
        rig.run();

        CGlobalMenuList& menu = client.buildGlobalMenu(kMenuMedia);
        CGlobalMenuValueEntry* area = nullptr;
        for (std::uint32_t i = 0; i < menu.getEntryCount(); ++i)
            if (menu.entryAt(i)->action() == c.action)
                area = dynamic_cast<CGlobalMenuValueEntry*>(menu.entryAt(i));
        ASSERT_NE(area, nullptr);
        area->setValue(c.store);
        menu.runEntry(area);
        rig.run();
        if (c.action == kActionBrowse) {
            ASSERT_NE(rig.currentJob(), nullptr);
            ASSERT_EQ(rig.currentJob()->typeId(), 45);
            const CVXLVariant album = rig.currentJob()->property("preselected_album");
            rig.pool->script.push_back({kLocalAlbumPicked, {{"album_summary", album}}});
            ASSERT_TRUE(rig.pool->answer(client.getProducer().uiJobs()));
            rig.run();
        }
        EXPECT_EQ(rig.pool->shownTypes(), c.shown);
        auto* notice = dynamic_cast<CVXLLayoutInformation*>(rig.top());
        ASSERT_NE(notice, nullptr) << rig.topText();
        EXPECT_EQ(std::string(notice->message().c_str()), c.notice);
        ASSERT_TRUE(rig.press("Back"));
        if (c.chooserAgain) {
            ASSERT_NE(rig.currentJob(), nullptr);
            ASSERT_EQ(rig.currentJob()->typeId(), 45);
            rig.pool->script.push_back({8, {}});
            ASSERT_TRUE(rig.pool->answer(client.getProducer().uiJobs()));
            rig.run();
        }
        EXPECT_EQ(rig.currentJob(), nullptr);
        EXPECT_TRUE(client.getProducer().isIdle());
        ASSERT_FALSE(rig.requests.empty());
        EXPECT_EQ(rig.requests.back().kind, static_cast<std::uint32_t>(kUIRequestReturnToMenu));
        EXPECT_EQ(rig.requests.back().value, c.menuAfter);
    }
}

} // namespace
