// The album list of job 45 over the real Local Media Manager of a started
// engine whose phone and memory card stores hold pictures: the counts read
// for every local album before the list shows, the card's entry with item 41,
// "OnLine Albums" left out for "local_show_only" 1, a preselected album
// picked unseen, and the picks, Back and Exit of the user.
#include "engine/media/VXLAlbum.h"
#include "engine/screens/VXLPreselectedAlbumJob.h"
#include "tests/screens/MediaBrowseFixture.h"
#include "tests/support/ScreenText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class PreselectedAlbumJobTest : public MediaBrowseFixture {
public:
    void SetUp() override
    {
        MediaBrowseFixture::SetUp();
        pictures(5);
        pictures(3, "Storage Card/DCIM");
        phone.setName("My Pictures", true);
        phone.setLocation(client->getMediaStoreManager().getStoreLocation(0));
        card.setName("Card", true);
        card.setLocation(client->getMediaStoreManager().getStoreLocation(1));
        ASSERT_EQ(CVXLMediaBrowseJob::storageClassOf(card.location()), CVXLMediaBrowseJob::kStorageCard);
    }

    void setCard(bool present)
    {
        client->settings().setConfigString(kCfgMemCardPresent, present ? "1" : "0");
    }

    // The list's albums in order as "class:count", the focused one marked.
    static std::string albums(CVXLPreselectedAlbumJob& job)
    {
        std::string out;
        CVXLListModel& list = job.layout().list();
        for (std::int32_t i = list.first(); i < list.first() + list.length(); ++i) {
            CVXLElement* element = list.itemAt(i);
            const CVXLAlbum* album = element ? element->asType0() : nullptr;
            if (!album)
                continue;
            out += std::string(out.empty() ? "" : " ") + (element == job.layout().currentElement() ? "*" : "")
                + std::to_string(CVXLMediaBrowseJob::storageClassOf(album->location())) + ":"
                + std::to_string(album->counter(1) + album->counter(2));
        }
        return out;
    }
    static CVXLAlbum* focusClass(CVXLPreselectedAlbumJob& job, std::uint32_t storage)
    {
        CVXLListModel& list = job.layout().list();
        for (std::int32_t i = list.first(); i < list.first() + list.length(); ++i) {
            CVXLElement* element = list.itemAt(i);
            CVXLAlbum* album = element ? element->asType0() : nullptr;
            if (album && CVXLMediaBrowseJob::storageClassOf(album->location()) == storage) {
                job.layout().setCurrentElement(album);
                return album;
            }
        }
        return nullptr;
    }
    // The album "album_summary" names, as the browse jobs read it.
    static CVXLAlbum picked(CVXLPreselectedAlbumJob& job)
    {
        CVXLAlbum album;
        CVXLMediaBrowseJob::albumOf(job.property(CVXLPreselectedAlbumJob::kPropertyAlbum), &album);
        return album;
    }
    bool shown(CVXLPreselectedAlbumJob& job)
    {
        for (const Request& r : requests)
            if (r.layout == &job.layout() && r.kind == kUIRequestNewLayout)
                return true;
        return false;
    }

    CVXLAlbum phone;
    CVXLAlbum card;
};

// Every local album's count is read before the list shows: the phone's 5
// and, with item 41 on, the card's 3 (the card's request goes out right
// after the phone's reply, so the reply must be done with before it is
// posted again). "OnLine Albums" counts 0 and is left out for
// "local_show_only" 1. A preselected album is picked as soon as the counts
// are in, without the list, and the property is cleared.
TEST_F(PreselectedAlbumJobTest, CountsEveryLocalAlbumThenShowsTheListOrPicksThePreselectedOne)
{
    struct Case {
        const char* name;
        bool cardPresent;
        int localOnly;
        CVXLAlbum* preselected;
        const char* albums;
        std::vector<std::int32_t> results;
    };
    const Case cases[] = {
        {"phone only", false, 0, nullptr, "*1:5 0:0", {}},
        {"phone and card", true, 0, nullptr, "*1:5 0:0 2:3", {}},
        {"local only", true, 1, nullptr, "*1:5 2:3", {}},
        {"local only, no card", false, 1, nullptr, "*1:5", {}},
        {"card preselected", true, 0, &card, "*1:5 0:0 2:3", {50}},
        {"phone preselected, local only", false, 1, &phone, "*1:5", {50}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        setCard(c.cardPresent);
        run();
        parent.signals.clear();
        requests.clear();
        CVXLPreselectedAlbumJob job;
        job.setProperty(CVXLPreselectedAlbumJob::kPropertyLocalOnly, CVXLVariant(c.localOnly));
        if (c.preselected)
            job.setProperty(CVXLPreselectedAlbumJob::kPropertyPreselected,
                CVXLVariant(static_cast<const void*>(c.preselected)));
        job.startUnder(&parent);
        run();
        EXPECT_EQ(job.layout().state(), CVXLLayoutList::kStorageState);
        EXPECT_EQ(albums(job), c.albums);
        EXPECT_EQ(parent.signals, c.results);
        if (c.preselected) {
            EXPECT_TRUE(job.isPicked());
            EXPECT_FALSE(shown(job));
            EXPECT_EQ(job.property(CVXLPreselectedAlbumJob::kPropertyPreselected).reference(), nullptr);
            EXPECT_EQ(picked(job).location(), c.preselected->location());
        } else {
            EXPECT_TRUE(job.isListShown());
            EXPECT_TRUE(shown(job));
        }
        job.stop();
        run();
        EXPECT_EQ(job.runState(), kHandlerFinished);
    }
}

// Item 41 turned on and off while the list shows: the list is built and
// counted again with and without the card; a picture added meanwhile is
// counted.
TEST_F(PreselectedAlbumJobTest, TheCardComesAndGoesWithItem41)
{
    setCard(false);
    run();
    CVXLPreselectedAlbumJob job;
    job.startUnder(&parent);
    run();
    ASSERT_TRUE(job.isListShown());
    EXPECT_EQ(albums(job), "*1:5 0:0");
    ASSERT_TRUE(engine.root().writeFile("Storage Card/DCIM/p0100.jpg", jpeg));
    setCard(true);
    run();
    ASSERT_TRUE(job.isListShown());
    EXPECT_EQ(albums(job), "*1:5 0:0 2:4");
    setCard(false);
    run();
    EXPECT_EQ(albums(job), "*1:5 0:0");
    EXPECT_TRUE(parent.signals.empty());
    job.stop();
    run();
    EXPECT_EQ(job.runState(), kHandlerFinished);
}

// Continue on a local album reads its count again and gives 50 with the
// album in "album_summary"; "OnLine Albums" gives 51 at once. The program
// resumes the job (12): the list is counted and shown again. Back gives 8,
// Exit 9; a stop from the program then ends the job, and the pool's job
// starts afresh for the next row.
TEST_F(PreselectedAlbumJobTest, PicksBackAndExitOfTheUser)
{
    setCard(true);
    run();
    struct Case {
        const char* name;
        std::uint32_t storage;
        const char* press;
        std::int32_t result;
        int count;
    };
    const Case cases[] = {
        {"phone", CVXLMediaBrowseJob::kStoragePhone, "Continue", 50, 6},
        {"card", CVXLMediaBrowseJob::kStorageCard, "Continue", 50, 3},
        {"online", CVXLMediaBrowseJob::kStorageOnline, "Continue", 51, 0},
        {"back", CVXLMediaBrowseJob::kStoragePhone, "Back", 8, -1},
        {"exit", CVXLMediaBrowseJob::kStoragePhone, "Exit", 9, -1},
    };
    int added = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        parent.signals.clear();
        requests.clear();
        // The pool's job, started again for each row.
        auto* pooled
            = dynamic_cast<CVXLPreselectedAlbumJob*>(pool->acquire(CVXLPreselectedAlbumJob::kTypeId));
        ASSERT_NE(pooled, nullptr);
        ASSERT_TRUE(pooled->isPooled());
        CVXLPreselectedAlbumJob& job = *pooled;
        // A list still shown from the row before goes first.
        job.startUnder(&parent);
        run();
        confirmReleases(job);
        run();
        ASSERT_TRUE(job.isListShown());
        ASSERT_NE(focusClass(job, c.storage), nullptr);
        // A picture taken while the list shows is in the count of the pick.
        if (c.storage == CVXLMediaBrowseJob::kStoragePhone && added++ == 0) {
            ASSERT_TRUE(engine.root().writeFile("My Documents/My Pictures/p0100.jpg", jpeg));
        }
        ASSERT_TRUE(submitByLabel(job.layout(), c.press));
        run();
        EXPECT_EQ(parent.signals, std::vector<std::int32_t> {c.result});
        if (c.count >= 0) {
            ASSERT_TRUE(job.isPicked());
            const CVXLAlbum album = picked(job);
            EXPECT_EQ(CVXLMediaBrowseJob::storageClassOf(album.location()), c.storage);
            EXPECT_EQ(album.counter(1) + album.counter(2), c.count);
            // The program comes back to the list.
            confirmReleases(job);
            requests.clear();
            auto* resume = new CVXLSimpleEvent(CVXLPreselectedAlbumJob::kSignalGoOn);
            resume->setHeapAllocated(true);
            parent.post(&job, resume);
            run();
            EXPECT_TRUE(job.isListShown());
            EXPECT_TRUE(shown(job));
            EXPECT_EQ(albums(job).substr(0, 1), c.storage == CVXLMediaBrowseJob::kStoragePhone ? "*" : "1");
        }
        // The program leaves the flow.
        job.stop();
        run();
        EXPECT_EQ(job.runState(), kHandlerFinished);
        confirmReleases(job);
        pool->release(&job);
    }
}

} // namespace
