// The browse variants (jobs 38, 39 and 15) taken from the real pool of a
// started engine: the browser state each starts in, the filter the composer
// armed taken once, and the pickers keeping their selection when they end.
#include "engine/access/MediaAccessManager.h"
#include "engine/screens/VXLScreenServices.h"
#include "tests/screens/MediaBrowseFixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class MediaPickerJobTest : public MediaBrowseFixture {
public:
    // Online albums are packed as location kind 1, card stores as kind 4.
    static constexpr std::uint32_t kOnline = 1;
    static constexpr std::uint32_t kCard = (2u << 16) + 4;

    CVXLMediaBrowseJob* acquire(int type)
    {
        auto* job = dynamic_cast<CVXLMediaBrowseJob*>(pool->acquire(type));
        EXPECT_NE(job, nullptr) << type;
        EXPECT_EQ(job ? job->typeId() : 0, type);
        return job;
    }
    void end(CVXLMediaBrowseJob* job)
    {
        job->stop();
        run();
        pool->release(job);
    }
};

// Each variant's browser state after its start: 38 "Online Albums" (0), 39
// the online picker (3), 15 the phone picker (4) or the card picker (5) by
// the album's storage. The pickers take the filter armed for them, once: a
// start with nothing armed has the configured filter again; job 38 leaves an
// armed filter to the next picker.
TEST_F(MediaPickerJobTest, EachVariantStartsInItsStateWithTheArmedFilter)
{
    struct Case {
        int type;
        std::uint32_t location;
        std::int32_t armed;
        std::uint32_t state;
        std::uint32_t filter;
        const char* title;
    };
    const std::uint32_t both = kMediaFilterImages | kMediaFilterVideos;
    const Case cases[] = {
        {38, kOnline, -1, 0, both, "Online Albums"},
        {39, kOnline, -1, 3, both, "Online Media Picker"},
        {39, kOnline, kMediaFilterVideos, 3, kMediaFilterVideos, "Online Media Picker"},
        {39, kOnline, -1, 3, both, "Online Media Picker"},
        {39, kOnline, kMediaFilterImages, 3, kMediaFilterImages, "Online Media Picker"},
        {15, 0, -1, 4, both, "In Phone Media Picker"},
        {15, kCard, kMediaFilterImages, 5, kMediaFilterImages, "SD Card Media Picker"},
        {15, 0, -1, 4, both, "In Phone Media Picker"},
        {38, kOnline, kMediaFilterImages, 0, both, "Online Albums"},
    };
    client->settings().setConfigString(kCfgMemCardPresent, "1");
    CVXLScreenServices* services = client->getUiJobPool()->services();
    ASSERT_NE(services, nullptr);
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.type) + " armed " + std::to_string(c.armed));
        if (c.armed >= 0)
            services->setOneShotFilter(c.armed);
        CVXLMediaBrowseJob* job = acquire(c.type);
        ASSERT_NE(job, nullptr);
        album.setName("Trip", true);
        album.setLocation(c.location ? c.location : client->getMediaStoreManager().getStoreLocation(0));
        job->setProperty(CVXLMediaBrowseJob::kPropertyAlbum, CVXLVariant(static_cast<const void*>(&album)));
        job->startUnder(&parent);
        runChecked(*job);
        EXPECT_EQ(job->layout().state(), c.state);
        EXPECT_EQ(job->layout().filter(), c.filter);
        EXPECT_FALSE(job->layout().filterChanged());
        EXPECT_EQ(std::string(job->layout().getTitle().c_str()), c.title);
        end(job);
    }
    // Job 38 did not take the filter armed before it.
    EXPECT_EQ(services->takeOneShotFilter(), kMediaFilterImages);
}

// Exit from a picker (job 15) leaves the picked item selected in the Media
// Access Manager for the composer; the album browser (job 13) clears it.
TEST_F(MediaPickerJobTest, APickerKeepsItsSelectionOnExit)
{
    pictures(5);
    CMediaAccessManager& mam = client->getMediaAccessManager();
    for (int type : {15, 13}) {
        SCOPED_TRACE(type);
        mam.clearAllSelections();
        CVXLMediaBrowseJob* job = acquire(type);
        ASSERT_NE(job, nullptr);
        start(*job);
        ASSERT_TRUE(job->isBrowsing());
        ASSERT_NE(job->layout().currentElement(), nullptr);
        ASSERT_TRUE(submitByLabel(job->layout(), "Select"));
        runChecked(*job);
        ASSERT_EQ(mam.countSelected(), 1u);
        parent.signals.clear();
        ASSERT_TRUE(submitByLabel(job->layout(), "Exit"));
        runChecked(*job);
        EXPECT_EQ(parent.signals, std::vector<std::int32_t> {9});
        EXPECT_EQ(mam.countSelected(), type == 15 ? 1u : 0u);
        end(job);
    }
}

} // namespace
