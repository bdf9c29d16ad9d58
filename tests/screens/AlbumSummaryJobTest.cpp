// The album summary jobs (13, 12 and 14) and the favourite position job (8)
// over the real Media Access Manager and Local Media Manager of a started
// engine: an empty album, a card album with no card, a delete with its
// progress and the favourites it clears, Assign and the favourite shown
// alone.
#include "engine/access/MediaAccessManager.h"
#include "engine/access/MediaSelection.h"
#include "engine/core/settings/VXLPersKeys.h"
#include "engine/media/VXLMediaItem.h"
#include "engine/screens/VXLFavoritePositionJob.h"
#include "engine/screens/VXLInformationJob.h"
#include "engine/screens/VXLLayoutInformation.h"
#include "tests/screens/MediaBrowseFixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class AlbumSummaryJobTest : public MediaBrowseFixture {
public:
    // The notice the job shows, "" when none.
    std::string notice(CVXLUiJob& job)
    {
        auto* info = dynamic_cast<CVXLInformationJob*>(job.currentChild());
        return info ? info->layout().message().c_str() : "";
    }
    // The user focuses the element at the index, as the window would.
    CVXLMediaItem* focus(CVXLMediaBrowseJob& job, std::int32_t index)
    {
        CVXLElement* element = job.layout().elementAt(index);
        job.layout().setCurrentElement(element);
        return element ? element->asMediaItem() : nullptr;
    }
    std::string setting(const std::string& key)
    {
        CVXLString value;
        client->settings().getPersistentString(key.c_str(), &value);
        return value.c_str();
    }
    bool picture(int n)
    {
        char name[64];
        std::snprintf(name, sizeof name, "My Documents/My Pictures/p%04d.jpg", n);
        return engine.root().exists(name);
    }
    std::uint32_t cardLocation() const { return (2u << 16) + 4; }
};

// An album whose summary counts nothing shows "The selected album is
// empty."; a card album while item 41 says no card shows the no-card
// notice. Leaving the empty album's notice is Back or Exit as pressed; any
// way out of the no-card notice is Exit.
TEST_F(AlbumSummaryJobTest, EmptyAlbumAndMissingCardEndWithTheirNotice)
{
    struct Case {
        bool card;
        const char* press;
        const char* text;
        std::int32_t result;
    };
    const Case cases[] = {
        {false, "Back", "The selected album is empty.", 8},
        {false, "Continue", "The selected album is empty.", 8},
        {false, "Exit", "The selected album is empty.", 9},
        {true, "Continue", "No media card is present. Insert a media card.", 9},
        {true, "Back", "No media card is present. Insert a media card.", 9},
    };
    client->settings().setConfigString(kCfgMemCardPresent, "0");
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " " + c.press);
        parent.signals.clear();
        CVXLAlbumSummaryJob job;
        if (c.card) {
            album.setLocation(cardLocation());
            job.setProperty(
                CVXLMediaBrowseJob::kPropertyAlbum, CVXLVariant(static_cast<const void*>(&album)));
            job.startUnder(&parent);
            runChecked(job);
        } else {
            start(job);
        }
        EXPECT_EQ(job.layout().state(), c.card ? 1u : 2u);
        EXPECT_EQ(notice(job), c.text);
        ASSERT_NE(job.currentChild(), nullptr);
        ASSERT_TRUE(submitByLabel(*job.currentChild()->getLayout(), c.press));
        run();
        EXPECT_EQ(parent.signals, std::vector<std::int32_t> {c.result});
        EXPECT_EQ(job.runState(), kHandlerFinished);
    }
}

// Delete of three selected pictures with its progress: the files are gone,
// "int.progress_total" was 3, every favourite slot naming a deleted picture
// is empty (the others kept), and the album is shown again with the focus
// on the lowest deleted position.
TEST_F(AlbumSummaryJobTest, DeleteWithProgressRemovesTheFilesAndTheirFavourites)
{
    pictures(20);
    RecordingBrowseJob job;
    start(job);
    ASSERT_TRUE(job.isBrowsing());
    ASSERT_EQ(job.layout().first(), 4u);
    CMediaAccessManager& mam = client->getMediaAccessManager();
    std::vector<std::string> names;
    for (std::int32_t index : {5, 7, 9}) {
        CVXLMediaItem* item = focus(job, index);
        ASSERT_NE(item, nullptr) << index;
        names.push_back(item->name().c_str());
        ASSERT_TRUE(submitByLabel(job.layout(), "Select"));
        runChecked(job);
    }
    EXPECT_EQ(mam.countSelected(), 3u);
    CVXLMediaItem* kept = focus(job, 12);
    ASSERT_NE(kept, nullptr);
    CVXLMediaItem* doomed = focus(job, 7);
    const auto where = [](const CVXLMediaItem* item) {
        return static_cast<std::int32_t>(CMediaSelection::packedLocationOf(*item));
    };
    client->settings().setFavorite(1, doomed->id(), "one", where(doomed));
    client->settings().setFavorite(4, doomed->id(), "the same again", where(doomed));
    client->settings().setFavorite(6, kept->id(), "kept", where(kept));
    const std::string keptId = kept->id().c_str();

    ASSERT_TRUE(submitByLabel(job.layout(), "Delete"));
    // The progress bar shows while the manager deletes.
    requests.clear();
    runChecked(job);
    bool progressShown = false;
    for (const Request& r : requests)
        progressShown = progressShown
            || (r.kind == kUIRequestNewLayout && r.layout && r.layout->layoutType() == kLayoutProgressBar);
    EXPECT_TRUE(progressShown);
    ASSERT_TRUE(job.isBrowsing());
    EXPECT_EQ(job.deleteTotal, "3");
    for (int n : {5, 7, 9})
        EXPECT_FALSE(picture(n)) << n;
    EXPECT_TRUE(picture(4));
    EXPECT_EQ(job.total(), 17u);
    EXPECT_EQ(setting("pers.favorites_id.1"), "");
    EXPECT_EQ(setting("pers.favorites_id.4"), "");
    EXPECT_EQ(setting("pers.favorites_id.6"), keptId);
    EXPECT_EQ(focusedIndex(job), 5);
    EXPECT_EQ(mam.countSelected(), 0u);
    EXPECT_LE(mostCached, 48u);
}

// Assign (job 12) stores the focused picture as favourite 3 and ends with
// 10; with no focus it is refused, and a slot outside 0-10 writes nothing.
// Job 8 then shows that picture alone; deleting it ends the job with Back.
TEST_F(AlbumSummaryJobTest, AnAssignedFavouriteIsShownAloneAndItsDeleteEndsTheJob)
{
    pictures(20);
    {
        CVXLMediaBrowseJob12 job;
        job.setProperty(CVXLMediaBrowseJob::kPropertyFavorite, CVXLVariant(11));
        start(job);
        ASSERT_TRUE(job.isBrowsing());
        EXPECT_EQ(job.layout().state(), 12u);
        ASSERT_NE(focus(job, 6), nullptr);
        parent.signals.clear();
        ASSERT_TRUE(submitByLabel(job.layout(), "Assign"));
        run();
        EXPECT_EQ(parent.signals, std::vector<std::int32_t> {10});
        for (int slot = 0; slot <= 10; ++slot)
            EXPECT_EQ(setting("pers.favorites_id." + std::to_string(slot)), "") << slot;
    }
    std::string chosen;
    {
        CVXLMediaBrowseJob12 job;
        job.setProperty(CVXLMediaBrowseJob::kPropertyFavorite, CVXLVariant(3));
        start(job);
        job.layout().setCurrentElement(nullptr);
        EXPECT_FALSE(submitByLabel(job.layout(), "Assign")) << "no item focused";
        CVXLMediaItem* item = focus(job, 6);
        ASSERT_NE(item, nullptr);
        chosen = item->name().c_str();
        const std::string id = item->id().c_str();
        const std::string location = std::to_string(CMediaSelection::packedLocationOf(*item));
        parent.signals.clear();
        ASSERT_TRUE(submitByLabel(job.layout(), "Assign"));
        run();
        EXPECT_EQ(parent.signals, std::vector<std::int32_t> {10});
        EXPECT_EQ(setting("pers.favorites_id.3"), id);
        EXPECT_NE(setting("pers.favorites_caption.3"), "");
        EXPECT_EQ(setting("pers.favorites_location.3"), location);
    }
    CVXLFavoritePositionJob job;
    job.setProperty(CVXLMediaBrowseJob::kPropertyFavorite, CVXLVariant(3));
    start(job);
    ASSERT_TRUE(job.isBrowsing());
    EXPECT_EQ(job.favoriteIndex(), 3);
    EXPECT_EQ(job.layout().state(), 14u);
    EXPECT_EQ(job.layout().windowSize(), 1u);
    EXPECT_EQ(job.layout().cacheCount(), 1u);
    ASSERT_NE(job.layout().currentElement(), nullptr);
    ASSERT_NE(job.layout().currentElement()->asMediaItem(), nullptr);
    EXPECT_EQ(std::string(job.layout().currentElement()->asMediaItem()->name().c_str()), chosen);

    parent.signals.clear();
    ASSERT_TRUE(submitByLabel(job.layout(), "Delete"));
    runChecked(job);
    EXPECT_EQ(parent.signals, std::vector<std::int32_t> {8});
    EXPECT_FALSE(picture(6));
    EXPECT_EQ(setting("pers.favorites_id.3"), "");
    EXPECT_EQ(job.runState(), kHandlerFinished);
}

// Every browser state the album jobs enter, answered as the phone's user
// interface answers a type-7 layout (it renders none): Continue when the
// state offers it, which hands the focused item over (10), else the layout
// is released, which the job takes as Back (8). Each flow ends.
TEST_F(AlbumSummaryJobTest, EveryBrowserStateAnsweredWithContinueEnds)
{
    client->settings().setConfigString(kCfgMemCardPresent, "1");
    pictures(6);
    pictures(6, "Storage Card/DCIM");
    CVXLAlbum phone;
    phone.setLocation(client->getMediaStoreManager().getStoreLocation(0));
    CVXLAlbum card;
    card.setLocation(client->getMediaStoreManager().getStoreLocation(1));
    ASSERT_EQ(CVXLMediaBrowseJob::storageClassOf(card.location()), CVXLMediaBrowseJob::kStorageCard);
    // Favourites 0 (phone) and 1 (card) for job 8.
    for (int slot : {0, 1}) {
        CVXLMediaBrowseJob12 assign;
        assign.setProperty(CVXLMediaBrowseJob::kPropertyFavorite, CVXLVariant(slot));
        assign.setProperty(CVXLMediaBrowseJob::kPropertyAlbum,
            CVXLVariant(static_cast<const void*>(slot == 0 ? &phone : &card)));
        assign.startUnder(&parent);
        runChecked(assign);
        ASSERT_NE(focus(assign, 2), nullptr) << slot;
        ASSERT_TRUE(submitByLabel(assign.layout(), "Assign"));
        run();
    }
    struct Case {
        int type;
        bool onCard;
        std::uint32_t state;
        std::int32_t result;
    };
    const Case cases[] = {
        {13, false, 2, 8},
        {13, true, 1, 8},
        {14, false, 6, 10},
        {14, true, 7, 10},
        {12, false, 12, 8},
        {12, true, 13, 8},
        {8, false, 14, 8},
        {8, true, 15, 8},
    };
    const std::uint32_t kContinue = layoutEventId(kLayoutMediaBrowser, kLayoutActionContinue);
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.type) + (c.onCard ? " card" : " phone"));
        auto* job = dynamic_cast<CVXLMediaBrowseJob*>(pool->acquire(c.type));
        ASSERT_NE(job, nullptr);
        EXPECT_EQ(job->typeId(), c.type);
        job->setProperty(CVXLMediaBrowseJob::kPropertyFavorite, CVXLVariant(c.onCard ? 1 : 0));
        job->setProperty(CVXLMediaBrowseJob::kPropertyAlbum,
            CVXLVariant(static_cast<const void*>(c.onCard ? &card : &phone)));
        parent.signals.clear();
        requests.clear();
        job->startUnder(&parent);
        runChecked(*job);
        ASSERT_TRUE(job->isBrowsing());
        EXPECT_EQ(job->layout().state(), c.state);
        ASSERT_FALSE(requests.empty());
        EXPECT_EQ(requests.front().kind, static_cast<std::uint32_t>(kUIRequestNewLayout));
        EXPECT_EQ(requests.front().layout, &job->layout());
        if (job->layout().canSubmitAction(kContinue))
            EXPECT_EQ(job->layout().submitAction(kContinue), 1);
        else
            job->onLayoutReleased(&job->layout());
        run();
        EXPECT_EQ(parent.signals, std::vector<std::int32_t> {c.result});
        if (job->runState() != kHandlerFinished) {
            // Handed over: the program leaves the flow.
            job->stop();
            run();
        }
        EXPECT_EQ(job->runState(), kHandlerFinished);
        // The user interface lets go of what it was asked to release.
        confirmReleases(*job);
        pool->release(job);
    }
}

} // namespace
