#pragma once

#include "engine/core/settings/VXLConfigItem.h"
#include "engine/core/settings/VXLPersKeys.h"
#include "engine/media/VXLMediaStoreManager.h"
#include "engine/screens/VXLAlbumSummaryJob.h"
#include "tests/screens/ScreenJobFixture.h"
#include "tests/support/JpegFixture.h"
#include "tests/support/ScreenText.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

// The album summary job with the ranges it sends recorded, and the window
// placement within reach.
class RecordingBrowseJob : public CVXLAlbumSummaryJob {
public:
    using CVXLMediaBrowseJob::computePrefetchLimits;
    using CVXLMediaBrowseJob::placeWindow;

    void setTotal(std::uint32_t total) { total_ = total; }
    void setPendingFocus(std::int32_t focus) { pendingFocus_ = focus; }

    std::vector<std::pair<std::int32_t, std::uint32_t>> ranges;
    // A stop arrives while the summary is asked for, or while the n-th
    // range is out.
    bool stopWhenAsking = false;
    std::size_t stopAtRange = 0;
    // "int.progress_total" as a delete starts.
    std::string deleteTotal;

protected:
    void startDelete() override
    {
        CVXLString total;
        if (CVXLScreenServices* screen = services())
            screen->persistentString(kPersProgressTotal, total);
        deleteTotal = total.c_str();
        CVXLAlbumSummaryJob::startDelete();
    }
    void sendRange(std::int32_t start, std::uint32_t count) override
    {
        ranges.emplace_back(start, count);
        CVXLAlbumSummaryJob::sendRange(start, count);
        if (ranges.size() == stopAtRange)
            stop();
    }
    void refreshAlbum() override
    {
        CVXLAlbumSummaryJob::refreshAlbum();
        if (stopWhenAsking)
            stop();
    }
};

// A started engine whose phone store holds copies of one small JPEG, and a
// browse job started on the phone's album under the fixture's parent; the
// cache of loaded elements is checked after every tick.
class MediaBrowseFixture : public ScreenJobFixture {
public:
    void SetUp() override
    {
        // The phone's store and the memory card's.
        ASSERT_TRUE(engine.root().writeFile("device.conf", "card.present = 1\n"));
        ScreenJobFixture::SetUp();
        jpeg = testJpeg(32, 24, 3, 80, [](unsigned y, unsigned char* row) {
            for (unsigned x = 0; x < 32 * 3; ++x)
                row[x] = static_cast<unsigned char>(x * 7 + y * 3);
        });
        ASSERT_FALSE(jpeg.empty());
    }

    void pictures(int count, const char* folder = "My Documents/My Pictures")
    {
        for (int n = 0; n < count; ++n) {
            char name[96];
            std::snprintf(name, sizeof name, "%s/p%04d.jpg", folder, n);
            ASSERT_TRUE(engine.root().writeFile(name, jpeg));
        }
    }

    // The phone's album, as the album list gives it.
    void start(CVXLMediaBrowseJob& job)
    {
        album.setName("My Pictures", true);
        album.setLocation(client->getMediaStoreManager().getStoreLocation(0));
        ASSERT_EQ(CVXLMediaBrowseJob::storageClassOf(album.location()), CVXLMediaBrowseJob::kStoragePhone);
        job.setProperty(CVXLMediaBrowseJob::kPropertyAlbum, CVXLVariant(static_cast<const void*>(&album)));
        job.startUnder(&parent);
        runChecked(job);
    }

    // Ticks until idle, as run() does, keeping the largest cache seen.
    void runChecked(CVXLMediaBrowseJob& job, int maxTicks = 2000)
    {
        for (int i = 0; i < maxTicks; ++i) {
            const std::int32_t result = engine.tick();
            mostCached = std::max(mostCached, job.layout().cacheCount());
            if (CVXLUIRequest* request = engine.popUIRequest()) {
                requests.push_back({request->kind(), request->layout()});
                continue;
            }
            if (result == CVXLClient::kTickIdle && client->getWaitTime() != 0)
                break;
        }
    }

    // The user moves the window and presses Update.
    void scrollTo(CVXLMediaBrowseJob& job, std::uint32_t first)
    {
        job.layout().setFirst(first);
        ASSERT_TRUE(submitByLabel(job.layout(), "Update"));
        runChecked(job);
    }

    std::int32_t focusedIndex(CVXLMediaBrowseJob& job)
    {
        CVXLElement* focused = job.layout().currentElement();
        return focused ? focused->indexWord() : -1;
    }
    std::string cacheText(CVXLMediaBrowseJob& job)
    {
        const std::int32_t first = job.layout().cacheFirst();
        return std::to_string(first) + ".."
            + std::to_string(first + static_cast<std::int32_t>(job.layout().cacheCount()));
    }

    std::string jpeg;
    CVXLAlbum album;
    std::uint32_t mostCached = 0;
};
