// The album pick jobs (36, the online albums, and 37, the album picker) on
// a started engine whose Media Access Manager and Online Media Manager talk
// to tests/peers/vrax_server.py on 127.0.0.1: the list a window at a time,
// a single album picked unseen, create, rename and delete as the server
// receives them, the picker's new-album entry, a range that is the last
// page, and a stop with the list request out.
#include "engine/access/MediaAccessManager.h"
#include "engine/core/jobs/VXLResultCodes.h"
#include "engine/media/VXLAlbum.h"
#include "engine/screens/VXLAlbumPickJob36.h"
#include "engine/screens/VXLAlbumPickJob37.h"
#include "tests/screens/VraxServerFixture.h"
#include "tests/support/JobTreeDriver.h"
#include "tests/support/ScreenText.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

// Job 36 with the ranges it sends recorded; the ones from `lastPageFrom`
// on are answered by `peer` instead of the manager.
class RecordingPickJob : public CVXLAlbumPickJob36 {
public:
    std::vector<std::int32_t> ranges;
    std::int32_t lastPageFrom = -1;
    CVXLEventHandler* peer = nullptr;

protected:
    void sendRange(CMediaElementRequest& request, std::int32_t index) override
    {
        ranges.push_back(index);
        if (lastPageFrom < 0 || index < lastPageFrom || !peer)
            return CVXLAlbumPickJob36::sendRange(request, index);
        request.reset();
        request.setPayloadAlbum(nullptr);
        request.setData(index);
        post(peer, &request);
    }
};

class AlbumPickJobTest : public VraxServerFixture {
public:
    bool browsing(CVXLAlbumPickJob& job)
    {
        return follow([&] { return job.isBrowsing(); });
    }

    static std::string names(CVXLAlbumPickJob& job)
    {
        std::string out;
        CVXLListModel& list = job.layout().list();
        for (std::int32_t i = 0; i < static_cast<std::int32_t>(job.layout().albumCount()); ++i) {
            CVXLElement* element = list.itemAt(i);
            const CVXLAlbum* album = element ? element->asType0() : nullptr;
            out += std::string(out.empty() ? "" : " ") + (album ? album->name().c_str() : "-");
        }
        return out;
    }
    static std::string focusedId(CVXLAlbumPickJob& job)
    {
        CVXLElement* focused = job.layout().currentElement();
        CVXLAlbum* album = focused ? focused->asType0() : nullptr;
        return album ? album->identifier().c_str() : "";
    }
    static CVXLAlbum* focus(CVXLAlbumPickJob& job, std::int32_t index)
    {
        CVXLElement* element = job.layout().list().itemAt(index);
        job.layout().setCurrentElement(element);
        return element ? element->asType0() : nullptr;
    }
};

// Job 36 lists three albums a window at a time (one range each); a typed
// name creates an album, an edited name renames the focused one, which stays
// focused when the list comes again, and Delete removes it; the server
// receives each change, and the list is asked again after each. Back gives
// the manager its previous list back.
TEST_F(AlbumPickJobTest, OnlineAlbumsAreListedCreatedRenamedAndDeleted)
{
    serve("albums3,album-created,albums3,done,albums3,done,albums3");
    CMediaAccessManager& mam = client->getMediaAccessManager();
    CVXLUiJob* acquired = pool->acquire(CVXLAlbumPickJob36::kTypeId);
    auto* job = dynamic_cast<CVXLAlbumPickJob36*>(acquired);
    ASSERT_NE(job, nullptr);
    job->startUnder(&parent);
    ASSERT_TRUE(browsing(*job));
    EXPECT_TRUE(shown(job->layout()));
    EXPECT_EQ(screenText(job->layout()),
        "Online Albums | hard Continue, left Send, unplaced Update, -hard Delete, hard Back, hard Exit");
    EXPECT_EQ(job->layout().albumCount(), 3u);
    EXPECT_EQ(names(*job), "Holiday Work Trip");
    EXPECT_EQ(mam.kind(), CMediaAccessManager::kAlbumList);

    job->layout().albumName().setText("Trip2");
    ASSERT_TRUE(submitByLabel(job->layout(), "Update"));
    ASSERT_TRUE(follow([&] { return job->isBrowsing() && received().size() == 3; }));
    EXPECT_EQ(job->layout().albumCount(), 4u);
    EXPECT_EQ(job->layout().albumName().text(), "");
    EXPECT_FALSE(job->layout().albumName().isModified());
    EXPECT_NE(document(2).find("<attr name=\"TITLE\">Trip2</attr>"), std::string::npos) << document(2);

    CVXLAlbum* work = focus(*job, 1);
    ASSERT_NE(work, nullptr);
    work->setName("Work 2026", false);
    ASSERT_TRUE(submitByLabel(job->layout(), "Update"));
    ASSERT_TRUE(follow([&] { return job->isBrowsing() && received().size() == 5; }));
    EXPECT_NE(document(4).find("id=\"C2\""), std::string::npos) << document(4);
    EXPECT_NE(document(4).find("<attr name=\"TITLE\">Work 2026</attr>"), std::string::npos) << document(4);
    EXPECT_EQ(focusedId(*job), "C2") << "the renamed album is focused again";

    ASSERT_TRUE(submitByLabel(job->layout(), "Delete"));
    ASSERT_TRUE(follow([&] { return job->isBrowsing() && received().size() == 7; }));
    EXPECT_NE(document(6).find("id=\"C2\""), std::string::npos) << document(6);
    EXPECT_EQ(job->layout().albumCount(), 3u);
    EXPECT_EQ(received(),
        (std::vector<std::string> {"request=list-req", "request=container-update", "request=list-req",
            "request=container-update", "request=list-req", "request=delete-req", "request=list-req"}));

    ASSERT_TRUE(submitByLabel(job->layout(), "Back"));
    run();
    EXPECT_EQ(parent.signals, (std::vector<std::int32_t> {8}));
    EXPECT_TRUE(job->isFinished());
    EXPECT_FALSE(job->listOpen());
    EXPECT_EQ(mam.kind(), CMediaAccessManager::kNone) << "the manager's previous list is back";
    job->stop();
    run();
    pool->release(job);
}

// A change the server refuses (52) returns to the list without an error
// screen; another failure shows the error, and leaving it returns to the
// list. Either way the list is the server's, asked again from the kept page.
TEST_F(AlbumPickJobTest, AFailedChangeReturnsToTheList)
{
    serve("albums3,error-info280,status302");
    CVXLAlbumPickJob36 job;
    job.startUnder(&parent);
    ASSERT_TRUE(browsing(job));
    ASSERT_NE(focus(job, 1), nullptr);
    ASSERT_TRUE(submitByLabel(job.layout(), "Delete"));
    ASSERT_TRUE(follow([&] { return job.isBrowsing() && received().size() == 2; }));
    EXPECT_EQ(job.currentChild(), nullptr);
    EXPECT_EQ(job.layout().albumCount(), 3u);
    EXPECT_EQ(names(job), "Holiday Work Trip");

    CVXLAlbum* work = focus(job, 1);
    ASSERT_NE(work, nullptr);
    work->setName("Work 2026", false);
    ASSERT_TRUE(submitByLabel(job.layout(), "Update"));
    ASSERT_TRUE(follow([&] { return job.currentChild() && job.currentChild()->typeId() == 7; }));
    CVXLLayout* error = job.currentChild()->getLayout();
    ASSERT_NE(error, nullptr);
    ASSERT_TRUE(submitByLabel(*error, "Back"));
    ASSERT_TRUE(follow([&] { return job.isBrowsing() && !job.currentChild(); }));
    EXPECT_EQ(names(job), "Holiday Work Trip") << "the refused name is taken back";
    EXPECT_EQ(received(),
        (std::vector<std::string> {"request=list-req", "request=delete-req", "request=container-update"}));
    EXPECT_TRUE(parent.signals.empty());
    job.stop();
    run();
}

// A list of one album: job 36 picks it at once without showing the list
// (49, "album_summary" the album), and shows it when the program comes back
// (12); job 37 shows it, and its Continue gives the album back (10).
TEST_F(AlbumPickJobTest, ASingleAlbumIsPickedUnseenByTheListButShownByThePicker)
{
    {
        serve("albums1");
        CVXLAlbumPickJob36 job;
        job.startUnder(&parent);
        ASSERT_TRUE(follow([&] { return !parent.signals.empty(); }));
        EXPECT_EQ(parent.signals, (std::vector<std::int32_t> {49}));
        EXPECT_FALSE(shown(job.layout()));
        auto* picked = static_cast<CVXLObject*>(job.property(CVXLAlbumPickJob::kPropertyAlbum).reference());
        auto* album = dynamic_cast<CVXLAlbum*>(picked);
        ASSERT_NE(album, nullptr);
        EXPECT_EQ(album->identifier(), "C1");
        EXPECT_EQ(album->name(), "Holiday");
        answer(job, 12);
        ASSERT_TRUE(browsing(job));
        EXPECT_TRUE(shown(job.layout()));
        EXPECT_EQ(names(job), "Holiday");
        job.stop();
        run();
        EXPECT_EQ(job.runState(), kHandlerFinished);
        stopServer();
    }
    parent.signals.clear();
    requests.clear();
    serve("albums1");
    CVXLAlbumPickJob37 job;
    job.startUnder(&parent);
    ASSERT_TRUE(browsing(job));
    EXPECT_TRUE(shown(job.layout()));
    EXPECT_EQ(
        screenText(job.layout()), "To Online Albums | hard Continue, unplaced Update, hard Back, hard Exit");
    EXPECT_TRUE(parent.signals.empty());
    ASSERT_TRUE(submitByLabel(job.layout(), "Continue"));
    run();
    EXPECT_EQ(parent.signals, (std::vector<std::int32_t> {10}));
    EXPECT_EQ(job.property(CVXLAlbumPickJob37::kPropertyPickedId).toString(), "C1");
    auto* element
        = static_cast<CVXLObject*>(job.property(CVXLAlbumPickJob37::kPropertyPickedElement).reference());
    EXPECT_EQ(element, job.layout().list().itemAt(0));
    job.stop();
    run();
    EXPECT_EQ(job.runState(), kHandlerFinished);
}

// Continue and Send on the shown list hand the focused album over as
// "album_summary" (49 and 27) and let the list go; the program's 12 shows
// the list again, from the manager's albums without asking the server.
TEST_F(AlbumPickJobTest, ContinueAndSendHandTheFocusedAlbumOver)
{
    serve("albums3");
    const struct {
        const char* key;
        std::int32_t result;
    } cases[] = {{"Continue", 49}, {"Send", 27}};
    CVXLAlbumPickJob36 job;
    job.startUnder(&parent);
    ASSERT_TRUE(browsing(job));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        parent.signals.clear();
        requests.clear();
        ASSERT_NE(focus(job, 2), nullptr);
        ASSERT_TRUE(submitByLabel(job.layout(), c.key));
        run();
        EXPECT_EQ(parent.signals, (std::vector<std::int32_t> {c.result}));
        auto* picked = static_cast<CVXLObject*>(job.property(CVXLAlbumPickJob::kPropertyAlbum).reference());
        auto* album = dynamic_cast<CVXLAlbum*>(picked);
        ASSERT_NE(album, nullptr);
        EXPECT_EQ(album->identifier(), "C3");
        EXPECT_EQ(album->name(), "Trip");
        ASSERT_FALSE(requests.empty());
        EXPECT_EQ(requests.back().kind, static_cast<std::uint32_t>(kUIRequestReleaseLayout));
        EXPECT_FALSE(job.isBrowsing());
        answer(job, 12);
        ASSERT_TRUE(browsing(job));
        EXPECT_TRUE(shown(job.layout()));
        EXPECT_EQ(names(job), "Holiday Work Trip");
    }
    EXPECT_EQ(received(), (std::vector<std::string> {"request=list-req"}));
    job.stop();
    run();
    EXPECT_EQ(job.runState(), kHandlerFinished);
}

// The picker creates an album from the typed name only when the program
// allowed it with "allow_create_album" 1; otherwise Update sends nothing.
// The pickers after the first take the list the Online Media Manager keeps.
TEST_F(AlbumPickJobTest, ThePickerCreatesAnAlbumOnlyWhenAllowed)
{
    struct Case {
        const char* allow;
        bool creates;
    };
    const Case cases[] = {{nullptr, false}, {"0", false}, {"2", false}, {"1", true}};
    // The list after the change has the new album.
    serve("albums1,album-created,albums3");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.allow ? c.allow : "absent");
        CVXLAlbumPickJob37 job;
        if (c.allow)
            job.setProperty(CVXLAlbumPickJob37::kPropertyAllowCreate, CVXLVariant(std::atoi(c.allow)));
        job.startUnder(&parent);
        ASSERT_TRUE(browsing(job));
        EXPECT_EQ(job.layout().albumCount(), 1u);
        job.layout().albumName().setText("New");
        ASSERT_TRUE(submitByLabel(job.layout(), "Update"));
        run();
        if (c.creates) {
            ASSERT_TRUE(follow([&] { return job.isBrowsing() && received().size() == 3; }));
            EXPECT_EQ(received()[1], "request=container-update");
            EXPECT_NE(document(2).find("<attr name=\"TITLE\">New</attr>"), std::string::npos) << document(2);
            EXPECT_EQ(job.layout().albumCount(), 2u);
        } else {
            EXPECT_TRUE(job.isBrowsing());
            EXPECT_EQ(received(), (std::vector<std::string> {"request=list-req"}));
        }
        job.stop();
        run();
        EXPECT_EQ(job.runState(), kHandlerFinished);
    }
}

// A range answered with 68 (the last page) is taken and ends the window's
// fetch: nothing is asked past it.
TEST_F(AlbumPickJobTest, ARangeThatIsTheLastPageEndsTheFetch)
{
    serve("albums3");
    CVXLAlbum last(CVXLString("Last"));
    last.setIdentifier("C2");
    TraceJob peer("last page");
    peer.handler = [&](TraceJob& self, CVXLEvent* event) {
        if (auto* range = dynamic_cast<CMediaElementRequest*>(event)) {
            range->setPayloadAlbum(&last);
            range->setResult(kResultLastPage);
        }
        self.finishEvent(event);
    };
    client->startChild(&peer);
    run();
    RecordingPickJob job;
    job.peer = &peer;
    job.lastPageFrom = 1;
    job.startUnder(&parent);
    ASSERT_TRUE(browsing(job));
    EXPECT_EQ(job.ranges, (std::vector<std::int32_t> {0, 1}));
    EXPECT_EQ(names(job), "Holiday Last -");
    EXPECT_EQ(job.fetchStep(), CVXLAlbumPickJob::kFetchWindow);
    job.stop();
    run();
    EXPECT_EQ(job.runState(), kHandlerFinished);
    peer.stop();
    run();
}

// A stop while the list request waits at the server ends the job within
// the test's bound.
TEST_F(AlbumPickJobTest, AStopWithTheListRequestOutEndsTheJob)
{
    serve("albums3", true);
    CMediaAccessManager& mam = client->getMediaAccessManager();
    CVXLAlbumPickJob36 job;
    job.startUnder(&parent);
    ASSERT_TRUE(follow([&] { return mam.kind() == CMediaAccessManager::kAlbumList; }));
    run();
    job.stop();
    ASSERT_TRUE(follow([&] { return job.runState() == kHandlerFinished; }, 5000));
    EXPECT_TRUE(parent.signals.empty()) << "a stopped job tells no result";
}

// The phone's user interface draws no list layout: it releases it, which
// the job takes as Back; both pick jobs then give the manager its list
// back and end with 8.
TEST_F(AlbumPickJobTest, AListReleasedByTheFrontEndEndsWithBack)
{
    serve("albums3");
    CMediaAccessManager& mam = client->getMediaAccessManager();
    for (int type : {CVXLAlbumPickJob36::kTypeId, CVXLAlbumPickJob37::kTypeId}) {
        SCOPED_TRACE(type);
        auto* job = dynamic_cast<CVXLAlbumPickJob*>(pool->acquire(type));
        ASSERT_NE(job, nullptr);
        parent.signals.clear();
        job->startUnder(&parent);
        ASSERT_TRUE(browsing(*job));
        job->onLayoutReleased(&job->layout());
        run();
        EXPECT_EQ(parent.signals, (std::vector<std::int32_t> {8}));
        EXPECT_TRUE(job->isFinished());
        EXPECT_EQ(mam.kind(), CMediaAccessManager::kNone);
        job->stop();
        run();
        EXPECT_EQ(job->runState(), kHandlerFinished);
        pool->release(job);
    }
}

} // namespace
