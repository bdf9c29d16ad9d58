#include "engine/access/MediaAccessManager.h"

#include "engine/core/base/VXLLog.h"
#include "engine/core/platform/VXLPlatformStatus.h"
#include "engine/core/settings/VXLPersKeys.h"
#include "engine/core/settings/VXLPersStore.h"
#include "engine/media/LocalMediaManager.h"
#include "engine/media/OnlineMediaManager.h"
#include "engine/media/VXLMediaStoreManager.h"
#include "tests/messaging/MessagingTestSupport.h"
#include "tests/messaging/inbound/InboundTestSupport.h"
#include "tests/service/VraxJobRig.h"
#include "tests/support/FolderMediaSource.h"
#include "tests/support/JpegFixture.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr std::int32_t kReply = 61;
constexpr const char* kPhoneFolder = "My Pictures/";

bool exists(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

// The Media Access Manager over the real local, online and media store
// managers: a phone store (id 1) over a folder of the device root, or the
// media source given, the service protocol job and, once served, the test
// server.
struct AccessRig : VraxJobRig,
                   CMediaAccessManager::Owner,
                   CLocalMediaManager::Owner,
                   CVXLMediaStoreManager::Owner,
                   COnlineMediaManager::Owner {
    FolderMediaSource source {{{1, "Phone", 1, true, "\\My Pictures"}}};
    CVXLPlatformMediaSource* media;
    CVXLMediaStoreManager stores;
    CLocalMediaManager local;
    COnlineMediaManager online;
    CVXLPersStore settingsStore;
    CVXLEventHandler* inbound = nullptr;
    std::vector<std::int32_t> uiCodes;
    CMediaAccessManager manager;

    explicit AccessRig(CVXLPlatformMediaSource* other = nullptr)
        : media(other ? other : &source)
    {
        root.makeFolder(kPhoneFolder);
        stores.setOwner(this);
        local.setOwner(this);
        online.setOwner(this);
        manager.setOwner(this);
        driver.attach(&local);
        driver.attach(&stores);
        driver.attach(&online);
        driver.runUntilIdle();
        registered();
    }
    ~AccessRig()
    {
        if (manager.isActive()) {
            manager.stop();
            driver.runUntilIdle();
        }
    }
    void start()
    {
        driver.attach(&manager);
        driver.runUntilIdle();
    }

    CVXLEventHandler* onlineMediaManager() override { return &online; }
    CVXLEventHandler* localMediaManager() override { return &local; }
    CVXLEventHandler* inboundMessageManager() override { return inbound; }
    CVXLMediaStoreManager* mediaStoreManager() override { return &stores; }
    CVXLPersStore* settings() override { return &settingsStore; }
    void pushUIRequestCode(std::int32_t code) override { uiCodes.push_back(code); }
    CVXLPlatformMediaSource* mediaSource() override { return media; }
    CVXLEventHandler* fileStoreManager() override { return &files; }
    CVXLEventHandler* vraxJob() override { return &job; }
    bool configItem(std::int32_t item, CVXLString* text) override
    {
        if (item != kCfgMediaBrowserWindowSize)
            return false;
        *text = "10";
        return true;
    }

    std::int32_t send(CVXLEvent& request)
    {
        const std::size_t before = requester.results.size();
        requester.post(&manager, &request);
        const bool answered = pump([&] { return requester.results.size() > before; });
        return answered ? requester.results.back() : kNoAnswer;
    }
    std::int32_t openAlbum(const char* id)
    {
        CMediaOpenAlbumRequest open(kReply);
        open.setFileName(id);
        return send(open);
    }
    std::int32_t openPhone()
    {
        CMediaLocationRequest open(kReply);
        open.setStoreIndex(1);
        return send(open);
    }
    std::int32_t close()
    {
        CMediaAccessBasicRequest close(kMediaClose, kReply);
        return send(close);
    }
    std::int32_t releaseAll()
    {
        CMediaElementRequest release(kMediaRelease, kReply);
        return send(release);
    }
    // A window of the open list; the names (or uids) of the items it got.
    std::int32_t fetch(std::int32_t start, std::uint32_t count, std::vector<std::string>* names = nullptr)
    {
        CMediaAccessQuery query(kReply);
        query.bind(0, count);
        query.setPayload(start);
        const std::int32_t result = send(query);
        if (names) {
            names->clear();
            for (const CVXLMediaItem* item : query.getResultList())
                names->push_back(item->uid().length() ? item->uid().c_str() : item->name().c_str());
        }
        return result;
    }
    CVXLMediaItem* cached(std::int32_t position) const
    {
        const CMediaCollection* list = manager.currentCollection();
        const CMediaCollectionEntry* entry = list ? list->at(position) : nullptr;
        return entry ? entry->item : nullptr;
    }
    void pictures(int count)
    {
        for (int n = 0; n < count; ++n) {
            char name[32];
            std::snprintf(name, sizeof name, "p%03d.jpg", n);
            root.writeFile(std::string(kPhoneFolder) + name, "picture bytes");
        }
    }
    bool picture(const std::string& name) const
    {
        return exists(root.hostPath(std::string(kPhoneFolder) + name));
    }
    std::string progress() const
    {
        CVXLString value;
        settingsStore.get(kPersProgressCurrent, &value);
        return value.c_str();
    }
};

// A re-opened album is served from the cache: the server sees the first
// album's page once, and the second album's once.
TEST(MediaAccessManager, AReopenedAlbumIsServedFromTheCache)
{
    AccessRig rig;
    rig.start();
    ASSERT_TRUE(rig.serve("items,items"));
    std::vector<std::string> names;
    ASSERT_EQ(rig.openAlbum("C7"), 0);
    ASSERT_EQ(rig.fetch(0, 3, &names), 0);
    EXPECT_EQ(names, (std::vector<std::string> {"U1", "U2", "U3"}));
    ASSERT_EQ(rig.close(), 0);
    ASSERT_EQ(rig.openAlbum("C8"), 0);
    ASSERT_EQ(rig.fetch(0, 3, &names), 0);
    EXPECT_EQ(rig.log().size(), 2u);
    rig.releaseAll();
    rig.close();

    ASSERT_EQ(rig.openAlbum("C7"), 0);
    ASSERT_EQ(rig.fetch(0, 3, &names), 0);
    EXPECT_EQ(names, (std::vector<std::string> {"U1", "U2", "U3"}));
    EXPECT_EQ(rig.log().size(), 2u) << "a second request for C7 reached the server";
    EXPECT_EQ(rig.manager.collectionCount(), 2u);
}

// Selection holds across lists: an item selected in one album shows as
// selected where it is listed again, and the toggle reaches every list.
TEST(MediaAccessManager, SelectionHoldsAcrossCollections)
{
    AccessRig rig;
    rig.start();
    ASSERT_TRUE(rig.serve("items,items"));
    ASSERT_EQ(rig.openAlbum("C7"), 0);
    ASSERT_EQ(rig.fetch(0, 3), 0);
    CVXLMediaItem* u2 = rig.cached(1);
    ASSERT_NE(u2, nullptr);
    rig.manager.toggleSelection(*u2);
    EXPECT_EQ(rig.manager.countSelected(), 1u);
    rig.close();

    ASSERT_EQ(rig.openAlbum("C8"), 0);
    ASSERT_EQ(rig.fetch(0, 3), 0);
    ASSERT_NE(rig.cached(1), nullptr);
    EXPECT_TRUE(rig.manager.currentCollection()->at(1)->selected) << "U2 came in selected";
    EXPECT_EQ(rig.manager.countSelected(), 1u);
    EXPECT_FALSE(rig.manager.isSelected(*rig.cached(0)));
    // Both lists hold U2: the selection list names it once.
    EXPECT_EQ(rig.manager.getSelectionList()->size(), 1u);
    rig.manager.toggleSelection(*rig.cached(1));
    EXPECT_FALSE(rig.manager.isSelected(*rig.cached(1)));
    EXPECT_TRUE(rig.manager.selectedMedia().empty());
}

// The whole-selection flag makes every item count as selected; the
// selected items of a list with it are all its cached items.
TEST(MediaAccessManager, TheWholeSelectionFlag)
{
    AccessRig rig;
    rig.start();
    ASSERT_TRUE(rig.serve("items"));
    ASSERT_EQ(rig.openAlbum("C7"), 0);
    ASSERT_EQ(rig.fetch(0, 3), 0);
    EXPECT_FALSE(rig.manager.isSelected(*rig.cached(2)));
    rig.manager.setSelectionFlag(true);
    EXPECT_TRUE(rig.manager.selectionFlag());
    EXPECT_TRUE(rig.manager.isSelected(*rig.cached(2)));
    CMediaSelection* list = rig.manager.getSelectedItems();
    EXPECT_EQ(list->size(), 3u);
    EXPECT_EQ(rig.manager.currentCollection()->at(0)->useCount, 2);
    list->release();
    EXPECT_EQ(rig.manager.currentCollection()->at(0)->useCount, 1);
    rig.manager.resetSelectionFlag();
    EXPECT_FALSE(rig.manager.isSelected(*rig.cached(2)));
    rig.manager.setSelectionFlag(true);
    rig.manager.clearAllSelections();
    EXPECT_FALSE(rig.manager.selectionFlag());
}

// Closing drops what is not in use; a selected entry keeps one use while
// its list is open and so survives the close.
TEST(MediaAccessManager, ClosingKeepsSelectedEntries)
{
    AccessRig rig;
    rig.pictures(3);
    rig.start();
    ASSERT_EQ(rig.openPhone(), 0);
    ASSERT_EQ(rig.fetch(0, 3), 0);
    rig.manager.toggleSelection(*rig.cached(1));
    ASSERT_EQ(rig.releaseAll(), 0);
    EXPECT_EQ(rig.manager.currentCollection()->at(1)->useCount, 1);
    CMediaCollection* list = rig.manager.currentCollection();
    ASSERT_EQ(rig.close(), 0);
    EXPECT_EQ(list->at(0), nullptr);
    ASSERT_NE(list->at(1), nullptr);
    EXPECT_EQ(list->at(2), nullptr);
    EXPECT_EQ(list->cachedCount(), 1u);
    // Reopened: the selected item is there at once, the others are asked for.
    const int before = rig.source.firstNameCalls + rig.source.nextNameCalls;
    ASSERT_EQ(rig.openPhone(), 0);
    std::vector<std::string> names;
    EXPECT_EQ(rig.fetch(1, 1, &names), 0);
    EXPECT_EQ(names, std::vector<std::string> {"p001.jpg"});
    EXPECT_EQ(rig.source.firstNameCalls + rig.source.nextNameCalls, before);
}

// 49 items of a location in use: nothing to evict, the cache grows. Once
// released, the 50th evicts the least recently used unselected one.
TEST(MediaAccessManager, EvictionAtFortyEight)
{
    struct Case {
        const char* name;
        bool releaseFirst;
        int selected; // -1: none
        int evicted; // -1: none
        std::uint32_t cachedAfter;
    };
    const Case cases[] = {
        {"all in use: none evicted", false, -1, -1, 50},
        {"released: the oldest goes", true, -1, 0, 49},
        {"a selected oldest stays, the next goes", true, 0, 1, 49},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AccessRig rig;
        rig.pictures(50);
        rig.start();
        ASSERT_EQ(rig.openPhone(), 0);
        ASSERT_EQ(rig.fetch(0, 49), 0);
        EXPECT_EQ(rig.manager.currentCollection()->cachedCount(), 49u);
        if (c.selected >= 0)
            rig.manager.toggleSelection(*rig.cached(c.selected));
        if (c.releaseFirst)
            rig.releaseAll();
        std::vector<std::string> names;
        ASSERT_EQ(rig.fetch(49, 1, &names), 0);
        EXPECT_EQ(names, std::vector<std::string> {"p049.jpg"});
        for (int p = 0; p < 49; ++p)
            EXPECT_EQ(rig.cached(p) == nullptr, p == c.evicted) << p;
        EXPECT_EQ(rig.manager.currentCollection()->cachedCount(), c.cachedAfter);
    }
}

// Deleting local media walks a real folder: the selection, or the whole
// location; each delete counts; a refused delete ends the walk with its
// result and is not counted; an item the source says it removed but still
// lists ends the walk over the location with 1000 and is logged; the caches
// are emptied after.
TEST(MediaAccessManager, LocalDeleteWalksTheFolder)
{
    struct Case {
        const char* name;
        bool whole;
        std::vector<int> selected;
        std::string refused;
        std::string kept;
        std::int32_t result;
        std::vector<bool> left; // p000..p004 after
        const char* progress;
    };
    const Case cases[] = {
        {"selection", false, {1, 3}, "", "", 0, {true, false, true, false, true}, "2"},
        {"whole location", true, {}, "", "", 0, {false, false, false, false, false}, "5"},
        {"refused in the selection", false, {0, 2, 4}, "p002.jpg", "",
            static_cast<std::int32_t>(kPlatformDeleteFailed), {false, true, true, true, true}, "1"},
        {"refused in the location", true, {}, "p003.jpg", "",
            static_cast<std::int32_t>(kPlatformDeleteFailed), {false, false, false, true, true}, "3"},
        {"still listed after its delete", true, {}, "", "p002.jpg", kResultFailed,
            {false, false, true, true, true}, "3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AccessRig rig;
        rig.pictures(5);
        if (!c.refused.empty())
            rig.source.refusedDeletes.insert(c.refused);
        if (!c.kept.empty())
            rig.source.keptDeletes.insert(c.kept);
        rig.start();
        ASSERT_EQ(rig.openPhone(), 0);
        ASSERT_EQ(rig.fetch(0, 5), 0);
        for (int p : c.selected)
            rig.manager.toggleSelection(*rig.cached(p));
        CMediaElementRequest remove(kMediaDeleteLocalItems, kReply);
        remove.setRefresh(c.whole);
        EXPECT_EQ(rig.send(remove), c.result);
        for (int p = 0; p < 5; ++p) {
            char name[16];
            std::snprintf(name, sizeof name, "p%03d.jpg", p);
            EXPECT_EQ(rig.picture(name), c.left[p]) << name;
        }
        EXPECT_EQ(rig.progress(), c.progress);
        EXPECT_EQ(rig.manager.currentCollection()->cachedCount(), 0u);
        EXPECT_EQ(rig.manager.state(), CMediaAccessManager::kIdle);
        if (!c.kept.empty()) {
            CVXLLog::flush();
            EXPECT_NE(rig.root.readFile("log/engine.log").find("\"" + c.kept + "\" is still there"),
                std::string::npos);
        }
    }
}

// A move, an online delete or a local delete that succeeds empties the
// current list and leaves it counted as not open, so the items fetched into
// it again go with their last use; a copy, or a refused move, keeps it. The
// screen's own list of the selection, which the request works on, and the
// manager's list of every selection are emptied with it.
TEST(MediaAccessManager, AChangeThatTakesItemsAwayEmptiesTheListAndItsOpens)
{
    struct Case {
        const char* name;
        std::int32_t code;
        const char* reply; // the server's, for an online album; "" a phone list
        std::int32_t result;
        std::uint32_t cached;
        std::uint32_t opens;
    };
    const Case cases[] = {
        {"copy", kMediaCopyItems, "done", 0, 3, 1},
        {"move", kMediaMoveItems, "done", 0, 0, 0},
        {"online delete", kMediaDeleteOnlineItems, "done", 0, 0, 0},
        {"refused move", kMediaMoveItems, "error-info280", kResultNetworkNotice, 3, 1},
        {"local delete", kMediaDeleteLocalItems, "", 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AccessRig rig;
        rig.pictures(3);
        rig.start();
        const bool online = *c.reply != 0;
        if (online) {
            ASSERT_TRUE(rig.serve(std::string("items,") + c.reply));
            ASSERT_EQ(rig.openAlbum("C7"), 0);
        } else {
            ASSERT_EQ(rig.openPhone(), 0);
        }
        ASSERT_EQ(rig.fetch(0, 3), 0);
        rig.manager.toggleSelection(*rig.cached(1));
        CMediaSelection* mine = rig.manager.getSelectedItems();
        const CMediaSelection* every = rig.manager.getSelectionList();
        CMediaAlbumOperationRequest copyOrMove(kReply);
        copyOrMove.destination = "C8";
        copyOrMove.setFlag(c.code == kMediaMoveItems ? 1 : 0);
        CMediaElementRequest remove(c.code, kReply);
        const bool transfer = c.code == kMediaCopyItems || c.code == kMediaMoveItems;
        CMediaAccessRequest& request = transfer ? static_cast<CMediaAccessRequest&>(copyOrMove) : remove;
        request.setSelection(mine);
        EXPECT_EQ(rig.send(request), c.result);
        const CMediaCollection* list = rig.manager.currentCollection();
        ASSERT_NE(list, nullptr);
        EXPECT_EQ(list->cachedCount(), c.cached);
        EXPECT_EQ(list->openCount(), c.opens);
        const std::size_t left = c.cached != 0 ? 1 : 0;
        EXPECT_EQ(mine->size(), left);
        EXPECT_EQ(every->size(), left);
        for (mine->reset(); !mine->done(); mine->next())
            EXPECT_STREQ(mine->current().identity.c_str(), online ? "U2" : "p001.jpg");
        mine->release();
        if (left != 0) {
            EXPECT_EQ(list->at(1)->useCount, 1);
        }
        if (c.opens != 0 || online)
            continue;
        // Fetched again: the list holds the items while they are used.
        std::vector<std::string> names;
        ASSERT_EQ(rig.fetch(0, 2, &names), 0);
        EXPECT_EQ(names, (std::vector<std::string> {"p000.jpg", "p002.jpg"}));
        EXPECT_EQ(list->cachedCount(), 2u);
        ASSERT_EQ(rig.releaseAll(), 0);
        EXPECT_EQ(list->cachedCount(), 0u) << "entries of a list not open outlived their last use";
        EXPECT_EQ(rig.close(), 0);
    }
}

// Requests without an operation, and fetches with nothing to ask, are
// answered with 1000 instead of being kept for ever.
TEST(MediaAccessManager, RequestsThatUsedToHangAreAnswered)
{
    AccessRig rig;
    rig.start();
    for (std::int32_t code : {18, 28, 40, 0x7FFF}) {
        CMediaElementRequest odd(code, kReply);
        EXPECT_EQ(rig.send(odd), kResultFailed) << code;
    }
    EXPECT_EQ(rig.fetch(0, 3), kResultFailed) << "no list open";
    CMediaAccessQuery lookup(kReply);
    CVXLMediaDescriptor descriptor;
    descriptor.id = "p000.jpg";
    lookup.setDescriptor(descriptor);
    EXPECT_EQ(rig.send(lookup), kResultFailed) << "a lookup with no list open";

    // The album list current (kind 3): no member job gets a fetch.
    JobTreeDriver driver;
    TraceJob requester("requester");
    CMediaAccessManager alone;
    driver.attach(&alone);
    driver.attach(&requester);
    driver.runUntilIdle();
    const std::size_t before = requester.results.size();
    CMediaElementRequest albums(kMediaAlbumList, kReply);
    requester.post(&alone, &albums);
    driver.runUntilIdle();
    ASSERT_EQ(requester.results.size(), before + 1);
    EXPECT_EQ(alone.kind(), CMediaAccessManager::kAlbumList);
    CMediaAccessQuery query(kReply);
    query.bind(0, 2);
    requester.post(&alone, &query);
    driver.runUntilIdle();
    ASSERT_EQ(requester.results.size(), before + 2);
    EXPECT_EQ(requester.results.back(), kResultFailed);
    alone.stop();
    driver.runUntilIdle();
}

// updateItem: every cached item with the identity takes the new values, and
// the screens are told once.
TEST(MediaAccessManager, UpdateItemReachesEveryCachedCopy)
{
    AccessRig rig;
    rig.pictures(2);
    rig.start();
    ASSERT_EQ(rig.openPhone(), 0);
    ASSERT_EQ(rig.fetch(0, 2), 0);
    CVXLMediaItem changed;
    changed.setId(rig.cached(1)->id());
    changed.setUid("U99");
    changed.setTitle("uploaded");
    rig.manager.updateItem(changed);
    EXPECT_STREQ(rig.cached(1)->uid().c_str(), "U99");
    EXPECT_EQ(rig.cached(0)->uid().length(), 0u);
    EXPECT_EQ(rig.uiCodes, std::vector<std::int32_t> {kUIRequestMediaChanged});
    EXPECT_EQ(rig.manager.currentCollection()->at(1)->useCount, 1) << "the walk's own use went back";

    CVXLMediaItem stranger;
    stranger.setId("elsewhere.jpg");
    rig.manager.updateItem(stranger);
    EXPECT_EQ(rig.uiCodes.size(), 1u);
}

// ---------------------------------------------------------------- every request, in one session

// The manager over the test server and the device's own media source, with
// JPEG pictures a.jpg to d.jpg in the phone's picture folder. Each row is one
// step of a user's session: it reads what the server saw and what the
// manager holds after it.
struct SessionRig : AccessRig {
    explicit SessionRig(CVXLPlatformMediaSource* device)
        : AccessRig(device)
    {
        for (const char* name : {"a.jpg", "b.jpg", "c.jpg", "d.jpg"}) {
            const std::string jpeg = testJpeg(32, 24, 3, 85, [name](unsigned y, unsigned char* row) {
                for (unsigned x = 0; x < 32 * 3; ++x)
                    row[x] = static_cast<unsigned char>(x * name[0] + y);
            });
            EXPECT_TRUE(root.writeFile(std::string("My Documents/My Pictures/") + name, jpeg));
        }
        start();
    }

    // Each request the server took since the last call: its log line and the
    // document it kept.
    std::vector<std::string> newRequests()
    {
        const std::vector<std::string> lines = log();
        std::vector<std::string> out;
        for (; seen < lines.size(); ++seen) {
            std::ifstream in(logPath + "." + std::to_string(seen + 1) + ".xml");
            out.push_back(lines[seen] + "\n"
                + std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
        }
        return out;
    }

    // "kind=K albums={position:uses} list={position:uses[*selected]} opens=N".
    std::string holds() const
    {
        std::string out = "kind=" + std::to_string(manager.kind()) + " albums={";
        const char* gap = "";
        for (std::size_t p = 0; p < 16; ++p) {
            std::uint16_t uses = 0;
            if (manager.cachedAlbum(p, &uses)) {
                out += gap + std::to_string(p) + ":" + std::to_string(uses);
                gap = " ";
            }
        }
        out += "}";
        const CMediaCollection* list = manager.currentCollection();
        if (!list)
            return out;
        out += " list={";
        gap = "";
        for (std::int32_t p = 0; p < list->size(); ++p) {
            if (const CMediaCollectionEntry* entry = list->at(p)) {
                out += gap + std::to_string(p) + ":" + std::to_string(entry->useCount)
                    + (entry->selected ? "*" : "");
                gap = " ";
            }
        }
        return out + "} opens=" + std::to_string(list->openCount());
    }

    // An album of the table as the server named it, for a rename.
    CVXLAlbum renamed {"Album 3"};
    std::size_t seen = 0;
};

std::string namesOf(const std::vector<CVXLMediaItem*>& items)
{
    std::string out;
    for (const CVXLMediaItem* item : items)
        out += (out.empty() ? "" : " ")
            + std::string(item->uid().length() ? item->uid().c_str() : item->name().c_str());
    return out;
}

TEST(MediaAccessManager, EveryRequestAgainstTheServerAndTheDevicesPictures)
{
    using Step = std::function<std::int32_t(SessionRig&, std::string * got)>;
    struct Row {
        const char* what;
        const char* replies; // the server's, in order ("" none)
        Step step;
        std::int32_t answer;
        std::string got;
        // Per request the server took: what its log line and document hold.
        std::vector<std::vector<std::string>> saw;
        std::string holds;
    };
    const auto albumAt = [](std::int32_t position) {
        return [position](SessionRig& rig, std::string* got) {
            CMediaElementRequest get(kMediaAlbumAt, kReply);
            get.setData(position);
            const std::int32_t result = rig.send(get);
            if (get.payloadAlbum())
                *got = get.payloadAlbum()->name().c_str();
            return result;
        };
    };
    const auto plain = [](std::int32_t code) {
        return [code](SessionRig& rig, std::string*) {
            CMediaElementRequest request(code, kReply);
            return rig.send(request);
        };
    };
    const auto albumText = [](std::int32_t code, const char* text) {
        return [code, text](SessionRig& rig, std::string* got) {
            CMediaAlbumTextRequest request(code, kReply);
            request.text = text;
            const std::int32_t result = rig.send(request);
            *got = request.answer.c_str();
            return result;
        };
    };
    const auto fetch = [](std::int32_t start, std::uint32_t count) {
        return [start, count](SessionRig& rig, std::string* got) {
            CMediaAccessQuery query(kReply);
            query.bind(0, count);
            query.setPayload(start);
            const std::int32_t result = rig.send(query);
            *got = namesOf(query.getResultList());
            return result;
        };
    };
    const auto lookup = [](const char* name) {
        return [name](SessionRig& rig, std::string* got) {
            CMediaAccessQuery query(kReply);
            // A phone item is known by its name alone.
            CVXLMediaDescriptor descriptor;
            descriptor.id = name;
            query.setDescriptor(descriptor);
            const std::int32_t result = rig.send(query);
            *got = namesOf(query.getResultList());
            return result;
        };
    };
    // Selects the items at the positions, then asks for a copy (flag 0), a
    // move (1) or a delete (-1) of the selection, or with `whole` of the album.
    const auto change = [](std::vector<int> select, int flag, bool whole) {
        return [select, flag, whole](SessionRig& rig, std::string*) {
            for (int p : select)
                rig.manager.toggleSelection(*rig.cached(p));
            CMediaAlbumOperationRequest copyOrMove(kReply);
            copyOrMove.destination = "C8";
            copyOrMove.setFlag(flag);
            CMediaElementRequest remove(kMediaDeleteOnlineItems, kReply);
            CMediaAccessRequest& request = flag < 0 ? static_cast<CMediaAccessRequest&>(remove) : copyOrMove;
            request.setRefresh(whole);
            return rig.send(request);
        };
    };
    const auto save = [](int position, const char* title) {
        return [position, title](SessionRig& rig, std::string* got) {
            CVXLMediaItem* item = rig.cached(position);
            item->setTitle(title);
            CMediaElementRequest request(kMediaSaveItem, kReply);
            request.setPayloadItem(item);
            const std::int32_t result = rig.send(request);
            const std::string record = std::string(item->name().c_str()) + "-10003.md";
            *got = rig.hostFileExists(record) ? record : "no record";
            return result;
        };
    };
    const auto direct = [](std::function<void(CMediaAccessManager&)> call) {
        return [call](SessionRig& rig, std::string*) {
            call(rig.manager);
            return 0;
        };
    };

    const Row rows[] = {
        {"get album 0: a page of the album list from the server", "albums-last", albumAt(0), 0, "Album 0",
            {{"request=list-req", "window=0,10"}}, "kind=0 albums={0:1}"},
        {"a second get of album 0 is served from the table", "", albumAt(0), 0, "Album 0", {},
            "kind=0 albums={0:2}"},
        {"album 3 comes from the Online Media Manager's page", "", albumAt(3), 0, "Album 3", {},
            "kind=0 albums={0:2 3:1}"},
        {"release albums: one use each, album 3 at zero goes", "", plain(kMediaReleaseAlbums), 0, "", {},
            "kind=0 albums={0:1}"},
        {"create an album: its title to the server, its new id back, the table emptied", "album-created",
            albumText(kMediaCreateAlbum, "Trip"), 0, "C9",
            {{"request=container-update", "<attr name=\"TITLE\">Trip</attr>"}}, "kind=0 albums={}"},
        {"rename album C3", "done",
            [](SessionRig& rig, std::string* got) {
                rig.renamed.setIdentifier("C3");
                rig.renamed.commit();
                rig.renamed.setName("Work", false);
                CMediaElementRequest rename(kMediaRenameAlbum, kReply);
                rename.setPayloadAlbum(&rig.renamed);
                const std::int32_t result = rig.send(rename);
                *got = std::string(rig.renamed.name().c_str())
                    + (rig.renamed.isModified() ? " edited" : " committed");
                return result;
            },
            0, "Work committed",
            {{"request=container-update", "id=\"C3\"", "<attr name=\"TITLE\">Work</attr>"}},
            "kind=0 albums={}"},
        {"delete album C3", "done", albumText(kMediaDeleteAlbum, "C3"), 0, "",
            {{"request=delete-req", "id=\"C3\""}}, "kind=0 albums={}"},
        {"get album 0 after the changes asks the server again", "albums-last", albumAt(0), 0, "Album 0",
            {{"request=list-req"}}, "kind=0 albums={0:1}"},
        {"a refused album delete keeps the table", "error-info280", albumText(kMediaDeleteAlbum, "C4"),
            kResultNetworkNotice, "", {{"request=delete-req", "id=\"C4\""}}, "kind=0 albums={0:1}"},
        {"open album C7", "", [](SessionRig& rig, std::string*) { return rig.openAlbum("C7"); }, 0, "", {},
            "kind=1 albums={0:1} list={} opens=1"},
        {"fetch its first three items", "items", fetch(0, 3), 0, "U1 U2 U3",
            {{"request=list-req", "id=\"C7\""}}, "kind=1 albums={0:1} list={0:1 1:1 2:1} opens=1"},
        {"save an online item: its record goes to the server", "done", save(0, "Sunset"), 0, "no record",
            {{"request=media-xfer", "U1", "Sunset"}}, "kind=1 albums={0:1} list={0:1 1:1 2:1} opens=1"},
        {"copy the selection to C8: the list kept, the albums dropped", "done", change({0, 1}, 0, false), 0,
            "", {{"request=copy-req", "id=\"C8\"", "id=\"U1\"", "id=\"U2\""}},
            "kind=1 albums={} list={0:1* 1:1* 2:1} opens=1"},
        {"a refused delete of the selection keeps the list", "error-info280", change({}, -1, false),
            kResultNetworkNotice, "", {{"request=delete-req", "id=\"U1\"", "id=\"U2\""}},
            "kind=1 albums={} list={0:1* 1:1* 2:1} opens=1"},
        {"move the whole album to C8: the list emptied and no longer open", "done", change({0, 1}, 1, true),
            0, "", {{"request=move-req", "id=\"C8\"", "id=\"C7\" type=\"container\""}},
            "kind=1 albums={} list={} opens=0"},
        {"fetched again, from the server", "items", fetch(0, 3), 0, "U1 U2 U3", {{"request=list-req"}},
            "kind=1 albums={} list={0:1 1:1 2:1} opens=0"},
        {"delete the selection: the list emptied", "done", change({2}, -1, false), 0, "",
            {{"request=delete-req", "id=\"U3\""}}, "kind=1 albums={} list={} opens=0"},
        {"close the album", "", plain(kMediaClose), 0, "", {}, "kind=0 albums={}"},
        {"open the phone's pictures", "", [](SessionRig& rig, std::string*) { return rig.openPhone(); }, 0,
            "", {}, "kind=2 albums={} list={} opens=1"},
        {"fetch two of them", "", fetch(0, 2), 0, "a.jpg b.jpg", {},
            "kind=2 albums={} list={0:1 1:1} opens=1"},
        {"save a local item: its record is written, the server sees nothing", "", save(0, "Beach"), 0,
            "a.jpg-10003.md", {}, "kind=2 albums={} list={0:1 1:1} opens=1"},
        {"look up b.jpg: found in the list", "", lookup("b.jpg"), 0, "b.jpg", {},
            "kind=2 albums={} list={0:1 1:2} opens=1"},
        {"look up d.jpg: imported by the Local Media Manager, kept at the end", "", lookup("d.jpg"), 0,
            "d.jpg", {}, "kind=2 albums={} list={0:1 1:2 2:1} opens=1"},
        {"add c.jpg: at the end and selected", "",
            [](SessionRig& rig, std::string* got) {
                CMediaItemEvent add(kReply);
                add.location = 0x10003;
                add.name = "c.jpg";
                const std::int32_t result = rig.send(add);
                CVXLMediaItem* item = rig.cached(3);
                *got = item
                    ? std::string(item->name().c_str()) + (rig.manager.isSelected(*item) ? " selected" : "")
                    : "none";
                return result;
            },
            0, "c.jpg selected", {}, "kind=2 albums={} list={0:1 1:2 2:1 3:0*} opens=1"},
        {"releaseElement(1)", "", direct([](CMediaAccessManager& m) { m.releaseElement(1); }), 0, "", {},
            "kind=2 albums={} list={0:1 1:1 2:1 3:0*} opens=1"},
        {"releaseAll: a selected item keeps one use", "",
            direct([](CMediaAccessManager& m) { m.releaseAll(); }), 0, "", {},
            "kind=2 albums={} list={0:0 1:0 2:0 3:1*} opens=1"},
        {"clearElements", "", direct([](CMediaAccessManager& m) { m.clearElements(); }), 0, "", {},
            "kind=2 albums={} list={} opens=0"},
        {"close the phone's pictures", "", plain(kMediaClose), 0, "", {}, "kind=0 albums={}"},
        {"open album C9", "", [](SessionRig& rig, std::string*) { return rig.openAlbum("C9"); }, 0, "", {},
            "kind=1 albums={} list={} opens=1"},
        {"cancel a fetch the server holds: answered 24 at once", "items-stall",
            [](SessionRig& rig, std::string* got) {
                CMediaAccessQuery query(kReply);
                query.bind(0, 3);
                const std::size_t before = rig.requester.results.size();
                rig.requester.post(&rig.manager, &query);
                rig.pump([&] { return rig.log().size() > rig.seen; }, 5000);
                rig.requester.cancelEventsWith(&rig.manager);
                if (!rig.pump([&] { return rig.requester.results.size() > before; }, 2000))
                    return VraxJobRig::kNoAnswer;
                *got = namesOf(query.getResultList());
                return rig.requester.results.back();
            },
            kResultCancelled, "", {{"request=list-req", "id=\"C9\""}}, "kind=1 albums={} list={} opens=1"},
    };

    std::string script;
    for (const Row& row : rows)
        if (*row.replies)
            script += (script.empty() ? "" : ",") + std::string(row.replies);
    CVXLPlatformMediaSource device;
    SessionRig rig(&device);
    ASSERT_TRUE(rig.serve(script));
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        std::string got;
        EXPECT_EQ(row.step(rig, &got), row.answer);
        EXPECT_EQ(got, row.got);
        const std::vector<std::string> requests = rig.newRequests();
        ASSERT_EQ(requests.size(), row.saw.size());
        for (std::size_t n = 0; n < requests.size(); ++n)
            for (const std::string& part : row.saw[n])
                EXPECT_NE(requests[n].find(part), std::string::npos) << part << " not in\n" << requests[n];
        EXPECT_EQ(rig.holds(), row.holds);
        EXPECT_EQ(rig.manager.state(), CMediaAccessManager::kIdle);
    }
}

// ---------------------------------------------------------------- message media

// The manager with the real inbound manager over a stored message of six
// parts: a plain picture, a DRM picture, a save-locked video, a text, a
// picture whose lock says false, a DRM and save-locked video.
struct MessageRig : AccessRig {
    InboundRig messaging;
    static constexpr const char* kId = "i1700000001_0";

    MessageRig()
    {
        messaging.attach(driver, "http://127.0.0.1:9/mms", "", "user");
        inbound = &messaging.manager;
        CVXLString folder;
        platformHostPath(messaging.messageStore.folder(), &folder);
        const std::vector<std::string> segments = {
            segment({{"X-QV-From-Address", "5550001"}}, "summary"),
            segment({{"Content-Type", "application/vnd.wap.multipart.related"}}),
            segment({{"X-QV-Total-Media-Parts", "5"}}),
            segment({{"Subject", "parts"}}),
            segment({{"Content-Type", "image/jpeg"}, {"Content-Location", "p0"}}, "jpeg bytes"),
            segment({{"Content-Type", "image/gif"}, {"Content-Location", "p1"},
                        {"x-qv-drm-content-type", "image/gif"}},
                "gif bytes"),
            segment({{"Content-Type", "video/3gpp"}, {"Content-Location", "p2"}, {"X-QV-Save-Lock", "TRUE"}},
                "3gp bytes"),
            segment({{"Content-Type", "text/plain"}, {"Content-Location", "t3"}}, "hello"),
            segment({{"Content-Type", "image/png"}, {"Content-Location", "p4"}, {"x-qv-save-lock", "false"}},
                "png bytes"),
            segment({{"Content-Type", "video/mp4"}, {"Content-Location", "p5"},
                        {"X-QV-DRM-Content-Type", "video/mp4"}, {"X-QV-Save-Lock", "true"}},
                "mp4 bytes"),
        };
        std::string json = "[";
        for (std::size_t i = 0; i < segments.size(); ++i)
            json += (i ? ", " : "") + segments[i];
        writeHost(root.hostPath("seed.json"), json + "]");
        int status = -1;
        const std::string out = msgstore(
            {"message-write", root.hostPath("seed.json"), std::string(folder.c_str()) + "/" + kId}, &status);
        EXPECT_EQ(status, 0) << out;
        start();
    }
    // The manager stops while the inbound manager it may post to is there.
    ~MessageRig()
    {
        if (manager.isActive()) {
            manager.stop();
            driver.runUntilIdle();
        }
    }

    std::int32_t openMessage(std::int32_t mediaFilter, std::int32_t lockFilter,
        std::int32_t* pictures = nullptr, std::int32_t* videos = nullptr)
    {
        CMediaAccessBasicRequest open(kMediaOpenMessage, kReply);
        open.setMessage(kId, 6);
        open.setOwner(mediaFilter);
        open.setPayload(lockFilter);
        const std::int32_t result = send(open);
        if (pictures)
            *pictures = open.pictureCount();
        if (videos)
            *videos = open.getStoreIndex();
        return result;
    }
};

// The lock filter leaves parts out by their own headers (names compared
// without case); the media filter picks pictures, videos or both.
TEST(MediaAccessManager, MessageMediaFilters)
{
    struct Case {
        std::int32_t media;
        std::int32_t lock;
        std::int32_t pictures;
        std::int32_t videos;
        std::vector<std::string> names;
    };
    const Case cases[] = {
        {2, 0, 3, 2, {"p0", "p1", "p2", "p4", "p5"}},
        {2, 1, 3, 0, {"p0", "p1", "p4"}},
        {2, 2, 2, 1, {"p0", "p2", "p4"}},
        {2, 3, 2, 0, {"p0", "p4"}},
        {0, 0, 3, 2, {"p0", "p1", "p4"}},
        {1, 0, 3, 2, {"p2", "p5"}},
        {1, 2, 2, 1, {"p2"}},
    };
    MessageRig rig;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "media " << c.media << " lock " << c.lock);
        std::int32_t pictures = -1;
        std::int32_t videos = -1;
        ASSERT_EQ(rig.openMessage(c.media, c.lock, &pictures, &videos), 0);
        EXPECT_EQ(pictures, c.pictures);
        EXPECT_EQ(videos, c.videos);
        std::vector<std::string> names;
        // The last media part answers 68.
        EXPECT_EQ(rig.fetch(0, 10, &names), kResultLastPage);
        EXPECT_EQ(names, c.names);
        rig.releaseAll();
        ASSERT_EQ(rig.close(), 0);
    }
}

// A window that starts at 2 lands at positions 2 onward; the entries before
// it stay as they were.
TEST(MediaAccessManager, AMessageWindowLandsAtItsPositions)
{
    MessageRig rig;
    ASSERT_EQ(rig.openMessage(2, 0), 0);
    std::vector<std::string> names;
    ASSERT_EQ(rig.fetch(2, 2, &names), 0);
    EXPECT_EQ(names, (std::vector<std::string> {"p2", "p4"}));
    EXPECT_EQ(rig.cached(0), nullptr);
    ASSERT_NE(rig.cached(2), nullptr);
    EXPECT_STREQ(rig.cached(2)->name().c_str(), "p2");
    EXPECT_STREQ(rig.cached(3)->name().c_str(), "p4");
    ASSERT_EQ(rig.fetch(0, 2, &names), 0);
    EXPECT_EQ(names, (std::vector<std::string> {"p0", "p1"}));
    EXPECT_STREQ(rig.cached(2)->name().c_str(), "p2");
    // Position 5 is past the media parts.
    EXPECT_EQ(rig.fetch(5, 1), kResultFailed);
}

TEST(MediaAccessManager, OpeningAMessageThatIsNotStoredFails)
{
    MessageRig rig;
    CMediaAccessBasicRequest open(kMediaOpenMessage, kReply);
    open.setMessage("i1700000009_0", 3);
    EXPECT_EQ(rig.send(open), kResultFailed);
}

} // namespace

namespace {

// A cancel during the walk over the location ends it after the item under
// way: every file gone is counted, and the rest stay.
TEST(MediaAccessManager, ACancelStopsTheLocalDeleteAfterTheCurrentItem)
{
    AccessRig rig;
    rig.pictures(6);
    rig.start();
    ASSERT_EQ(rig.openPhone(), 0);
    ASSERT_EQ(rig.fetch(0, 6), 0);
    CMediaElementRequest remove(kMediaDeleteLocalItems, kReply);
    remove.setRefresh(true);
    rig.requester.post(&rig.manager, &remove);
    for (int steps = 0; steps < 2000 && rig.progress() != "1"; ++steps)
        rig.driver.step();
    ASSERT_EQ(rig.progress(), "1");
    rig.requester.cancelEventsWith(&rig.manager);
    rig.driver.runUntilIdle(100000);
    int left = 0;
    for (int p = 0; p < 6; ++p) {
        char name[16];
        std::snprintf(name, sizeof name, "p%03d.jpg", p);
        left += rig.picture(name) ? 1 : 0;
    }
    EXPECT_GE(left, 4) << "the walk went on after the cancel";
    EXPECT_EQ(rig.progress(), std::to_string(6 - left));
    EXPECT_EQ(rig.manager.state(), CMediaAccessManager::kIdle);
    EXPECT_EQ(rig.manager.currentCollection()->cachedCount(), 0u) << "items of deleted files still cached";
    // The manager takes the next request, and lists what is left.
    std::vector<std::string> names;
    EXPECT_EQ(rig.fetch(0, 1, &names), 0);
    ASSERT_EQ(names.size(), 1u);
    EXPECT_TRUE(rig.picture(names[0]));
}

} // namespace
