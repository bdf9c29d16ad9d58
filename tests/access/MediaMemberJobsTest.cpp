#include "engine/access/AlbumSummaryJob.h"
#include "engine/access/LocalMediaElementJob.h"
#include "engine/access/MediaAccessManager.h"
#include "engine/access/MediaAccessRequests.h"
#include "engine/access/MediaElementJob.h"
#include "engine/media/VXLOnlineMediaRequest.h"
#include "tests/support/JobTreeDriver.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

constexpr std::int32_t kReply = 5;

// A fetch before an open, or after a close, fails at once: 81 online, 80
// local. Nothing reaches a media manager.
TEST(MediaMemberJobs, AFetchBeforeOpenFails)
{
    struct Case {
        const char* name;
        bool online;
        bool openThenClose;
        std::int32_t result;
    };
    const Case cases[] = {
        {"online, never opened", true, false, kResultOnlineListNotOpened},
        {"online, closed", true, true, kResultOnlineListNotOpened},
        {"local, never opened", false, false, kResultLocalListNotOpened},
        {"local, closed", false, true, kResultLocalListNotOpened},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        JobTreeDriver driver;
        TraceJob requester("requester");
        TraceJob media("media manager");
        CMediaElementJob online;
        CLocalMediaElementJob local;
        CMediaMemberJob* job = c.online ? static_cast<CMediaMemberJob*>(&online) : &local;
        job->setMediaManager(&media);
        driver.attach(&media);
        driver.attach(&requester);
        driver.attach(job);
        driver.runUntilIdle();

        CMediaOpenAlbumRequest album(kReply);
        album.setFileName("C1");
        CMediaLocationRequest location(kReply);
        location.setStoreIndex(1);
        if (c.openThenClose) {
            const std::size_t before = requester.results.size();
            CMediaAccessBasicRequest open(1, kReply);
            open.setOrigin(c.online ? static_cast<CMediaAccessRequest*>(&album) : &location);
            requester.post(job, &open);
            driver.runUntilIdle();
            CMediaAccessBasicRequest close(0, kReply);
            requester.post(job, &close);
            driver.runUntilIdle();
            ASSERT_EQ(requester.results.size(), before + 2);
            EXPECT_EQ(requester.results[before], 0);
            EXPECT_EQ(requester.results[before + 1], 0);
        }
        CMediaFetchRequest fetch(kReply);
        fetch.count = 3;
        requester.post(job, &fetch);
        driver.runUntilIdle();
        ASSERT_FALSE(requester.results.empty());
        EXPECT_EQ(requester.results.back(), c.result);
        for (std::int32_t code : media.codes)
            EXPECT_EQ(code, kEventStart) << "a request reached the media manager";
        job->stop();
        driver.runUntilIdle();
    }
}

// Codes a member job does not know are answered at once.
TEST(MediaMemberJobs, UnknownOperationsAreAnswered)
{
    JobTreeDriver driver;
    TraceJob requester("requester");
    CMediaElementJob online;
    CLocalMediaElementJob local;
    CAlbumSummaryJob albums;
    for (CMediaMemberJob* job : {static_cast<CMediaMemberJob*>(&online),
             static_cast<CMediaMemberJob*>(&local), static_cast<CMediaMemberJob*>(&albums)})
        driver.attach(job);
    driver.attach(&requester);
    driver.runUntilIdle();
    for (CMediaMemberJob* job : {static_cast<CMediaMemberJob*>(&online),
             static_cast<CMediaMemberJob*>(&local), static_cast<CMediaMemberJob*>(&albums)}) {
        SCOPED_TRACE(job->name());
        CMediaAccessBasicRequest odd(9, kReply);
        requester.post(job, &odd);
        driver.runUntilIdle();
        ASSERT_FALSE(requester.results.empty());
        EXPECT_EQ(requester.results.back(), kResultFailed);
    }
}

// The Media Access Manager over a stand-in for the Online Media Manager that
// notes each request its member jobs send it: an album of three items U1 to
// U3, an album list of 12, albums named by their position, new albums C9.
struct ThroughTheManager : CMediaAccessManager::Owner {
    JobTreeDriver driver;
    TraceJob requester {"requester"};
    TraceJob online {"online media manager"};
    CMediaAccessManager manager;
    std::vector<std::string> asked;

    ThroughTheManager()
    {
        online.handler = [this](TraceJob& self, CVXLEvent* event) {
            if (auto* request = dynamic_cast<CVXLOnlineMediaRequest*>(event))
                asked.push_back(answer(*request));
            self.finishEvent(event);
        };
        manager.setOwner(this);
        driver.attach(&online);
        driver.attach(&requester);
        driver.attach(&manager);
        driver.runUntilIdle();
    }
    ~ThroughTheManager()
    {
        manager.stop();
        driver.runUntilIdle();
    }

    CVXLEventHandler* onlineMediaManager() override { return &online; }
    CVXLEventHandler* localMediaManager() override { return nullptr; }
    CVXLEventHandler* inboundMessageManager() override { return nullptr; }
    CVXLMediaStoreManager* mediaStoreManager() override { return nullptr; }
    CVXLPersStore* settings() override { return nullptr; }
    void pushUIRequestCode(std::int32_t) override { }

    static std::string answer(CVXLOnlineMediaRequest& request)
    {
        request.setResult(kResultSucceeded);
        switch (request.requestCode()) {
        case kEventMediaItemAt: {
            const std::string uid = "U" + std::to_string(request.index + 1);
            request.item = new CVXLMediaItem();
            request.item->setId(uid.c_str());
            request.item->setUid(uid.c_str());
            request.item->setOnline(true);
            return "item-at " + std::to_string(request.index);
        }
        case kEventOnlineItemOperation: {
            std::string uids;
            for (std::uint32_t i = 0; i < request.uids.count(); ++i)
                uids += (i ? "," : "") + std::string(request.uids.at(i).c_str());
            return "item-op kind=" + std::to_string(request.kind) + " whole="
                + (request.wholeAlbum ? "1" : "0") + " uids=" + uids + " from=" + request.containerId.c_str()
                + " to=" + request.destinationId.c_str() + " mask=" + std::to_string(request.mediaBits);
        }
        case kEventMediaCount:
            request.total = 12;
            return "album-list";
        case kEventMediaAlbumAt:
            request.album.setName(("Album " + std::to_string(request.index)).c_str(), true);
            return "album-at " + std::to_string(request.index);
        case kEventOnlineDeleteAlbum:
            return std::string("delete-album ") + request.text.c_str();
        case kEventOnlineCreateAlbum: {
            const std::string title = request.text.c_str();
            request.text = "C9";
            return "create-album " + title;
        }
        case kEventOnlineRenameAlbum:
            return std::string("rename-album ")
                + (request.renamed ? request.renamed->identifier().c_str() : "-") + " "
                + (request.renamed ? request.renamed->name().c_str() : "-");
        default:
            return "code " + std::to_string(request.requestCode());
        }
    }

    std::int32_t send(CVXLEvent& request)
    {
        const std::size_t before = requester.results.size();
        requester.post(&manager, &request);
        driver.runUntilIdle();
        return requester.results.size() > before ? requester.results.back() : -1;
    }

    // Album C7 open with its three items fetched, U1 and U3 selected.
    void openAndSelect()
    {
        CMediaOpenAlbumRequest open(kReply);
        open.setFileName("C7");
        ASSERT_EQ(send(open), 0);
        CMediaAccessQuery query(kReply);
        query.bind(0, 3);
        ASSERT_EQ(send(query), 0);
        ASSERT_EQ(query.getResultList().size(), 3u);
        manager.toggleSelection(*query.getResultList()[0]);
        manager.toggleSelection(*query.getResultList()[2]);
        asked.clear();
    }
};

// The manager's copy (13), move (14) and online delete (16) reach the Online
// Media Manager as item operations of kind 3, 2 and 1, with the selection or,
// with the refresh flag, the whole album and no list; its album requests 10,
// 11, 12, 7 and 2 reach it through the album summary job's operations 2, 3,
// 1, 4 and 5, and their answers come back to the screen's request.
TEST(MediaMemberJobs, TheManagersRequestsReachTheOnlineMediaManager)
{
    using Send = std::function<std::int32_t(ThroughTheManager&, std::string * got)>;
    const auto itemOperation = [](std::int32_t code, bool whole) -> Send {
        return [code, whole](ThroughTheManager& rig, std::string*) {
            CMediaAlbumOperationRequest copyOrMove(kReply);
            copyOrMove.destination = "C8";
            copyOrMove.setFlag(code == kMediaMoveItems ? 1 : 0);
            CMediaElementRequest remove(kMediaDeleteOnlineItems, kReply);
            CMediaAccessRequest& request
                = code == kMediaDeleteOnlineItems ? static_cast<CMediaAccessRequest&>(remove) : copyOrMove;
            request.setRefresh(whole);
            return rig.send(request);
        };
    };
    const auto albumText = [](std::int32_t code, const char* text) -> Send {
        return [code, text](ThroughTheManager& rig, std::string* got) {
            CMediaAlbumTextRequest request(code, kReply);
            request.text = text;
            const std::int32_t result = rig.send(request);
            *got = request.answer.c_str();
            return result;
        };
    };
    struct Case {
        const char* what;
        Send send;
        std::string asked;
        std::string got;
    };
    const Case cases[] = {
        {"copy the selection", itemOperation(kMediaCopyItems, false),
            "item-op kind=3 whole=0 uids=U1,U3 from=C7 to=C8 mask=3", ""},
        {"move the selection", itemOperation(kMediaMoveItems, false),
            "item-op kind=2 whole=0 uids=U1,U3 from=C7 to=C8 mask=3", ""},
        {"delete the selection", itemOperation(kMediaDeleteOnlineItems, false),
            "item-op kind=1 whole=0 uids=U1,U3 from=C7 to= mask=3", ""},
        {"copy the whole album", itemOperation(kMediaCopyItems, true),
            "item-op kind=3 whole=1 uids= from=C7 to=C8 mask=3", ""},
        {"move the whole album", itemOperation(kMediaMoveItems, true),
            "item-op kind=2 whole=1 uids= from=C7 to=C8 mask=3", ""},
        {"delete the whole album", itemOperation(kMediaDeleteOnlineItems, true),
            "item-op kind=1 whole=1 uids= from=C7 to= mask=3", ""},
        {"delete an album (operation 1)", albumText(kMediaDeleteAlbum, "C3"), "delete-album C3", ""},
        {"create an album (operation 2)", albumText(kMediaCreateAlbum, "Trip"), "create-album Trip", "C9"},
        {"rename an album (operation 3)",
            [](ThroughTheManager& rig, std::string* got) {
                CVXLAlbum album("Holiday");
                album.setIdentifier("C3");
                album.commit();
                album.setName("Work", false);
                CMediaElementRequest rename(kMediaRenameAlbum, kReply);
                rename.setPayloadAlbum(&album);
                const std::int32_t result = rig.send(rename);
                *got = album.name().c_str();
                return result;
            },
            "rename-album C3 Work", "Work"},
        {"the album list (operation 4): its length in the parameter word",
            [](ThroughTheManager& rig, std::string* got) {
                CMediaElementRequest list(kMediaAlbumList, kReply);
                const std::int32_t result = rig.send(list);
                *got = std::to_string(list.getOwner());
                CMediaElementRequest end(kMediaAlbumListEnd, kReply);
                rig.send(end);
                return result;
            },
            "album-list", "12"},
        {"the album at a position (operation 5)",
            [](ThroughTheManager& rig, std::string* got) {
                CMediaElementRequest get(kMediaAlbumAt, kReply);
                get.setData(4);
                const std::int32_t result = rig.send(get);
                *got = get.payloadAlbum() ? get.payloadAlbum()->name().c_str() : "none";
                return result;
            },
            "album-at 4", "Album 4"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ThroughTheManager rig;
        rig.openAndSelect();
        std::string got;
        EXPECT_EQ(c.send(rig, &got), 0);
        EXPECT_EQ(rig.asked, std::vector<std::string> {c.asked});
        EXPECT_EQ(got, c.got);
        EXPECT_EQ(rig.manager.state(), CMediaAccessManager::kIdle);
    }
}

} // namespace
