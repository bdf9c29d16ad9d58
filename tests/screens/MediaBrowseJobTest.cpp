// The media browse job base over the real Media Access Manager of a started
// engine: a phone album of copies of one small JPEG in the phone's picture
// folder, opened and paged by the album summary job (UI job 13). Every
// range the job asks the manager for is recorded, and the cache of loaded
// elements is checked after every engine tick.
#include "engine/access/MediaAccessManager.h"
#include "engine/media/VXLMediaItem.h"
#include "tests/screens/MediaBrowseFixture.h"
#include "tests/support/ScreenText.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace {

using MediaBrowseJobTest = MediaBrowseFixture;

// With W 16 and R 4 the album opens on its last row with its last item
// focused: 16 items from 0, 17 from 4 (so that item 16 is in the window);
// the window's elements are loaded and the pages beside it prefetched.
TEST_F(MediaBrowseJobTest, AlbumOpensOnItsLastRow)
{
    struct Case {
        int pictures;
        std::uint32_t first;
        std::int32_t focus;
        const char* cache;
    };
    const Case cases[] = {
        {5, 0, 4, "0..5"},
        {16, 0, 15, "0..16"},
        {17, 4, 16, "4..17"},
        {100, 84, 99, "52..100"},
    };
    int written = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pictures);
        pictures(c.pictures);
        written = c.pictures;
        RecordingBrowseJob job;
        start(job);
        ASSERT_TRUE(job.isBrowsing());
        EXPECT_EQ(job.total(), static_cast<std::uint32_t>(written));
        EXPECT_EQ(job.layout().first(), c.first);
        EXPECT_EQ(focusedIndex(job), c.focus);
        EXPECT_EQ(cacheText(job), c.cache);
        EXPECT_EQ(screenText(job.layout()).substr(0, 11), "In Phone | ");
        job.stop();
        run();
    }
}

// Window placement: a pending focus outside the window moves the window to
// it; one at or past the total (a delete removed the last items) is dropped
// and the initial position taken; a first index past the total comes back
// inside it.
TEST_F(MediaBrowseJobTest, PlacementKeepsTheFocusInsideTheWindow)
{
    struct Case {
        const char* what;
        std::uint32_t total;
        std::uint32_t first;
        std::int32_t focus;
        bool initial;
        std::uint32_t placedFirst;
        std::int32_t placedFocus;
    };
    const Case cases[] = {
        {"focus inside the window stays", 40, 8, 20, false, 8, 20},
        {"focus after the window moves it", 40, 0, 30, false, 30, 30},
        {"focus before the window moves it", 40, 20, 3, false, 3, 3},
        {"focus at the total falls back to the last row", 17, 0, 17, false, 4, 16},
        {"focus past the total falls back", 40, 0, 45, false, 24, 39},
        {"first past a shrunk total, no focus", 20, 30, -1, false, 4, -1},
        {"first past a total below the window", 10, 12, -1, false, 0, -1},
        {"initial with a total inside one window", 16, 0, -1, true, 0, 15},
        {"initial with a total of 17", 17, 0, -1, true, 4, 16},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // Not started: wired by hand, as init would.
        RecordingBrowseJob job;
        job.setPool(pool);
        job.layout().setOwner(&job);
        job.layout().reset();
        job.layout().addFilter(kMediaFilterImagesAndVideos);
        // The total may have shrunk under the window (a delete).
        job.layout().setCounts(0, 1000);
        job.layout().setFirst(c.first);
        job.layout().setCounts(0, c.total);
        job.setTotal(c.total);
        job.setPendingFocus(c.focus);
        job.placeWindow(c.initial);
        EXPECT_EQ(job.layout().first(), c.placedFirst);
        EXPECT_EQ(job.pendingFocus(), c.placedFocus);
    }
}

// Prefetch limits with M 48 and W 16: two pages fit beside the window; those
// after it come first, those before it take what is left.
TEST_F(MediaBrowseJobTest, PrefetchLimitsShareTheRoomBesideTheWindow)
{
    struct Case {
        std::uint32_t total;
        std::uint32_t first;
        std::uint32_t before;
        std::uint32_t after;
    };
    const Case cases[] = {
        {16, 0, 0, 0},
        {100, 0, 0, 2},
        {100, 16, 1, 1},
        {100, 32, 1, 1},
        {100, 84, 2, 0},
        {100, 76, 2, 0},
        {40, 0, 0, 1},
        {1000, 500, 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.total) + " from " + std::to_string(c.first));
        // Not started: wired by hand, as init would.
        RecordingBrowseJob job;
        job.setPool(pool);
        job.layout().setOwner(&job);
        job.layout().reset();
        job.layout().addFilter(kMediaFilterImagesAndVideos);
        job.layout().setCounts(0, c.total);
        job.layout().setFirst(c.first);
        job.setTotal(c.total);
        ASSERT_EQ(job.layout().cacheMax(), 48u);
        job.computePrefetchLimits();
        EXPECT_EQ(job.prefetchLimitBefore(), c.before);
        EXPECT_EQ(job.prefetchLimitAfter(), c.after);
    }
}

// Paging forward through 100 pictures window by window asks the manager for
// each element once, and never holds more than M elements.
TEST_F(MediaBrowseJobTest, PagingForwardFetchesEachElementOnce)
{
    pictures(100);
    RecordingBrowseJob job;
    start(job);
    ASSERT_TRUE(job.isBrowsing());
    EXPECT_EQ(cacheText(job), "52..100");

    job.ranges.clear();
    scrollTo(job, 0);
    EXPECT_EQ(cacheText(job), "0..48");
    EXPECT_EQ(focusedIndex(job), 0);
    for (std::uint32_t first = 16; first < 100; first += 16) {
        SCOPED_TRACE(first);
        scrollTo(job, first);
        ASSERT_TRUE(job.isBrowsing());
        EXPECT_EQ(job.layout().first(), first);
        ASSERT_NE(job.layout().currentElement(), nullptr);
        EXPECT_EQ(focusedIndex(job), static_cast<std::int32_t>(first));
        const auto* item = job.layout().currentElement()->asMediaItem();
        ASSERT_NE(item, nullptr);
        char name[16];
        std::snprintf(name, sizeof name, "p%04u.jpg", first);
        EXPECT_NE(std::string(item->name().c_str()).find(name), std::string::npos) << item->name().c_str();
    }
    std::map<std::int32_t, int> asked;
    for (const auto& [start, count] : job.ranges)
        for (std::uint32_t i = 0; i < count; ++i)
            ++asked[start + static_cast<std::int32_t>(i)];
    EXPECT_EQ(asked.size(), 100u);
    for (const auto& [index, times] : asked)
        EXPECT_EQ(times, 1) << "element " << index;
    EXPECT_LE(mostCached, 48u);
    EXPECT_EQ(mostCached, 48u);
}

// A window far from the cache replaces it; one a short gap away is joined
// to it with the gap, so the loaded elements stay one range.
TEST_F(MediaBrowseJobTest, TheCacheStaysOneRange)
{
    pictures(200);
    RecordingBrowseJob job;
    start(job);
    scrollTo(job, 0);
    EXPECT_EQ(cacheText(job), "0..48");
    job.ranges.clear();
    scrollTo(job, 56);
    // The gap 48..56 is fetched with the window; the pages after it follow.
    ASSERT_FALSE(job.ranges.empty());
    EXPECT_EQ(job.ranges.front(), (std::pair<std::int32_t, std::uint32_t>(48, 24)));
    EXPECT_EQ(job.layout().cacheCount(), 48u);
    for (std::int32_t i = 56; i < 72; ++i)
        EXPECT_TRUE(job.layout().hasElement(i)) << i;
    job.ranges.clear();
    scrollTo(job, 150);
    ASSERT_FALSE(job.ranges.empty());
    EXPECT_EQ(job.ranges.front(), (std::pair<std::int32_t, std::uint32_t>(150, 16)));
    EXPECT_LE(mostCached, 48u);
    for (std::int32_t i = 150; i < 166; ++i)
        EXPECT_TRUE(job.layout().hasElement(i)) << i;
}

// A stop while the album summary is asked for (nothing open yet), and one
// while a range is out, both end the job within the test's bound; with the
// album open its elements are released and the manager's hold ended first.
TEST_F(MediaBrowseJobTest, StopEndsTheJobWhateverIsOutstanding)
{
    pictures(60);
    CMediaAccessManager& mam = client->getMediaAccessManager();
    {
        RecordingBrowseJob job;
        job.stopWhenAsking = true;
        start(job);
        EXPECT_EQ(job.runState(), kHandlerFinished);
        EXPECT_FALSE(job.albumOpen());
        EXPECT_TRUE(job.ranges.empty()) << "nothing loaded after the stop";
    }
    {
        RecordingBrowseJob job;
        job.stopAtRange = 1;
        start(job);
        EXPECT_EQ(job.runState(), kHandlerFinished);
        EXPECT_EQ(job.ranges.size(), 1u);
        EXPECT_FALSE(job.albumOpen());
        EXPECT_EQ(job.layout().cacheCount(), 0u);
        EXPECT_EQ(mam.currentCollection(), nullptr) << "the hold was ended";
        EXPECT_EQ(mam.state(), CMediaAccessManager::kIdle);
    }
    {
        // During the prefetch, with the window loaded.
        RecordingBrowseJob job;
        job.stopAtRange = 2;
        start(job);
        EXPECT_EQ(job.runState(), kHandlerFinished);
        EXPECT_EQ(job.ranges.size(), 2u);
        EXPECT_EQ(mam.currentCollection(), nullptr);
    }
}

} // namespace
