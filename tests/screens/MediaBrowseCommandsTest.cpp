// The media browser's commands on an online album, through the real Media
// Access Manager and Online Media Manager talking to
// tests/peers/vrax_server.py on 127.0.0.1: the album opened online (no
// summary asked), Copy and Move through the program's choice of the target
// album, the commit of an edited item, and a change of the filter, each as
// the server receives it.
#include "engine/access/MediaAccessManager.h"
#include "engine/media/VXLAlbum.h"
#include "engine/media/VXLMediaItem.h"
#include "engine/screens/VXLMediaBrowseJob.h"
#include "engine/screens/VXLMediaBrowseJob38.h"
#include "engine/screens/VXLMediaBrowseJob39.h"
#include "tests/screens/VraxServerFixture.h"
#include "tests/support/ScreenText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The browse base on an online album, as the online album browser starts it
// (layout state 0).
class OnlineBrowseJob : public CVXLMediaBrowseJob {
public:
    int typeId() const override { return 38; }
};

class MediaBrowseCommandsTest : public VraxServerFixture {
public:
    // Online album C7 with two pictures and a video.
    void start(CVXLMediaBrowseJob& job)
    {
        album.setName("Holiday", true);
        album.setIdentifier("C7");
        album.setCounter(1, 2);
        album.setCounter(2, 1);
        album.commit();
        job.setProperty(CVXLMediaBrowseJob::kPropertyAlbum, CVXLVariant(static_cast<const void*>(&album)));
        job.startUnder(&parent);
        ASSERT_TRUE(follow([&] { return job.isBrowsing(); }));
    }
    static CVXLMediaItem* focus(CVXLMediaBrowseJob& job, std::int32_t index)
    {
        CVXLElement* element = job.layout().elementAt(index);
        job.layout().setCurrentElement(element);
        return element ? element->asMediaItem() : nullptr;
    }
    static std::string uids(CVXLMediaBrowseJob& job)
    {
        std::string out;
        for (std::int32_t i = 0; i < static_cast<std::int32_t>(job.total()); ++i) {
            CVXLElement* element = job.layout().elementAt(i);
            CVXLMediaItem* item = element ? element->asMediaItem() : nullptr;
            out += std::string(out.empty() ? "" : " ") + (item ? item->uid().c_str() : "-");
        }
        return out;
    }
    // The program chose album C8 for a copy or a move.
    void chooseTarget(CVXLMediaBrowseJob& job)
    {
        job.setProperty(CVXLMediaBrowseJob::kPropertyAlbumId, CVXLVariant("C8"));
        answer(job, CVXLMediaBrowseJob::kSignalGoOn);
    }

    CVXLAlbum album;
};

// The online album opens without asking for a summary and loads its items
// from the server; Copy and Move each ask the program for the target album
// (36, "album_summary" emptied, the browser released), send the selection
// there once the program answers, and show the album again; Abandoned
// instead shows the browser again with nothing sent.
TEST_F(MediaBrowseCommandsTest, CopyAndMoveGoToTheAlbumTheProgramChose)
{
    serve("items,done,done,items");
    CMediaAccessManager& mam = client->getMediaAccessManager();
    OnlineBrowseJob job;
    start(job);
    EXPECT_EQ(job.layout().state(), 0u);
    EXPECT_EQ(screenText(job.layout()), expectedScreen(kLayoutMediaBrowser, 0));
    EXPECT_EQ(job.total(), 3u);
    EXPECT_EQ(uids(job), "U1 U2 U3");
    EXPECT_EQ(mam.kind(), CMediaAccessManager::kOnlineAlbum);

    // A copy leaves the manager's list as it was; a move empties it, so the
    // items are asked of the server again.
    struct Case {
        const char* command;
        const char* request;
        std::size_t requests;
    };
    const Case cases[] = {{"Copy", "request=copy-req", 1}, {"Move", "request=move-req", 2}};
    std::size_t served = 1;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        CVXLMediaItem* item = focus(job, 0);
        ASSERT_NE(item, nullptr);
        ASSERT_TRUE(submitByLabel(job.layout(), "Select"));
        run();
        parent.signals.clear();
        requests.clear();
        ASSERT_TRUE(submitByLabel(job.layout(), c.command));
        run();
        EXPECT_EQ(parent.signals, (std::vector<std::int32_t> {36}));
        EXPECT_EQ(job.property(CVXLMediaBrowseJob::kPropertyAlbum).toInt(), 0);
        ASSERT_FALSE(requests.empty());
        EXPECT_EQ(requests.back().kind, static_cast<std::uint32_t>(kUIRequestReleaseLayout));
        confirmReleases(job);
        chooseTarget(job);
        ASSERT_TRUE(follow([&] { return job.isBrowsing() && received().size() == served + c.requests; }));
        EXPECT_EQ(received()[served], c.request);
        const std::string sent = document(static_cast<int>(served) + 1);
        EXPECT_NE(sent.find("id=\"C8\""), std::string::npos) << sent;
        EXPECT_NE(sent.find("id=\"U1\""), std::string::npos) << sent;
        EXPECT_EQ(mam.countSelected(), 0u);
        EXPECT_EQ(uids(job), "U1 U2 U3") << "loaded again";
        served += c.requests;
    }

    // Abandoned: the browser is back and nothing goes to the server.
    focus(job, 1);
    ASSERT_TRUE(submitByLabel(job.layout(), "Copy"));
    run();
    confirmReleases(job);
    requests.clear();
    answer(job, CVXLMediaBrowseJob::kSignalAbandoned);
    EXPECT_TRUE(job.isBrowsing());
    EXPECT_TRUE(shown(job.layout()));
    EXPECT_EQ(received().size(), served);
    job.stop();
    run();
    EXPECT_EQ(job.runState(), kHandlerFinished);
}

// Update commits a focused item whose title was edited (the server gets
// the new title) and only updates the browser when nothing changed; a
// narrower filter lets the album go and opens it again with that filter.
TEST_F(MediaBrowseCommandsTest, UpdateCommitsAnEditedItemOrAppliesTheFilter)
{
    serve("items,done,items");
    OnlineBrowseJob job;
    start(job);
    CVXLMediaItem* item = focus(job, 0);
    ASSERT_NE(item, nullptr);
    requests.clear();
    ASSERT_TRUE(submitByLabel(job.layout(), "Update"));
    run();
    EXPECT_EQ(received().size(), 1u) << "nothing changed: nothing sent";
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ(requests.back().kind, static_cast<std::uint32_t>(kUIRequestUpdatedLayout));

    item->setName("Sunset");
    ASSERT_TRUE(submitByLabel(job.layout(), "Update"));
    ASSERT_TRUE(follow([&] { return job.isBrowsing() && received().size() == 2; }));
    EXPECT_EQ(received()[1], "request=media-xfer");
    EXPECT_NE(document(2).find("uid=\"U1\""), std::string::npos) << document(2);
    EXPECT_FALSE(item->isModified());

    job.layout().clearFilter();
    job.layout().addFilter(kMediaFilterImages);
    ASSERT_TRUE(submitByLabel(job.layout(), "Update"));
    ASSERT_TRUE(follow([&] { return job.isBrowsing() && received().size() == 3; }));
    EXPECT_FALSE(job.layout().filterChanged());
    EXPECT_EQ(job.total(), 2u) << "the two pictures";
    EXPECT_EQ(received()[2], "request=list-req");
    job.stop();
    run();
    EXPECT_EQ(job.runState(), kHandlerFinished);
}

// The online browser's state offers no Continue: the phone's user
// interface releases the layout, which the job takes as Back (8).
TEST_F(MediaBrowseCommandsTest, TheOnlineBrowserReleasedByTheFrontEndEndsWithBack)
{
    serve("items");
    OnlineBrowseJob job;
    start(job);
    EXPECT_FALSE(job.layout().canSubmitAction(layoutEventId(kLayoutMediaBrowser, kLayoutActionContinue)));
    job.onLayoutReleased(&job.layout());
    run();
    EXPECT_EQ(parent.signals, (std::vector<std::int32_t> {8}));
    job.stop();
    run();
    EXPECT_EQ(job.runState(), kHandlerFinished);
}

// Jobs 38 and 39 on an online album, answered as the phone's user interface
// answers a type-7 layout: Continue where the state offers it (the picker
// hands the focused item over, 10), else the layout released (Back, 8).
// Each flow ends.
TEST_F(MediaBrowseCommandsTest, TheOnlineJobsAnsweredWithContinueEnd)
{
    const std::uint32_t kContinue = layoutEventId(kLayoutMediaBrowser, kLayoutActionContinue);
    CVXLMediaBrowseJob38 browser;
    CVXLMediaBrowseJob39 picker;
    struct Case {
        CVXLMediaBrowseJob* job;
        std::uint32_t state;
        std::int32_t result;
    };
    const Case cases[] = {{&browser, 0, 8}, {&picker, 3, 10}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.job->typeId());
        serve("items");
        parent.signals.clear();
        start(*c.job);
        EXPECT_EQ(c.job->layout().state(), c.state);
        focus(*c.job, 0);
        if (c.job->layout().canSubmitAction(kContinue))
            EXPECT_EQ(c.job->layout().submitAction(kContinue), 1);
        else
            c.job->onLayoutReleased(&c.job->layout());
        run();
        EXPECT_EQ(parent.signals, (std::vector<std::int32_t> {c.result}));
        if (c.job->runState() != kHandlerFinished) {
            // Handed over: the program leaves the flow.
            c.job->stop();
            run();
        }
        EXPECT_EQ(c.job->runState(), kHandlerFinished);
    }
}

} // namespace
