// The media browser headless on the whole engine: the shipped program's
// "Review/Send Media" (activity 75) opens the phone's album of 20 pictures
// in the album summary job (13); the selection commands work on the Media
// Access Manager's selection, and a delete of three with its progress
// removes the files and every favourite that named them, read back from
// "_vxl.reg" by tests/peers/vxl_reg_reader.py; Back ends the flow.
#include "engine/access/MediaAccessManager.h"
#include "engine/access/MediaSelection.h"
#include "engine/core/settings/VXLPersKeys.h"
#include "engine/media/VXLMediaItem.h"
#include "engine/screens/VXLAlbumSummaryJob.h"
#include "tests/client/MessageListRoadRig.h"
#include "tests/support/JpegFixture.h"
#include "tests/support/TestProcess.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr std::int32_t kActivityReviewMedia = 75;

std::string pictureName(int n)
{
    char name[64];
    std::snprintf(name, sizeof name, "My Documents/My Pictures/p%04d.jpg", n);
    return name;
}

CVXLMediaItem* focus(CVXLAlbumSummaryJob& job, std::int32_t index)
{
    CVXLElement* element = job.layout().elementAt(index);
    job.layout().setCurrentElement(element);
    return element ? element->asMediaItem() : nullptr;
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
    ASSERT_TRUE(rig.press("Delete"));

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

} // namespace
