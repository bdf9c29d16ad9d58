#include "engine/screens/VXLDestinationChooserJob.h"

#include "engine/core/settings/VXLPersKeys.h"
#include "engine/screens/VXLMenuItemElement.h"
#include "tests/screens/ScreenJobFixture.h"
#include "tests/support/ExternalTool.h"
#include "tests/support/ScreenText.h"
#include "tests/support/TestProcess.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr const char* kTree = TESSEL_SOURCE_DIR "/tests/screens/data/destinations/vxlcfg.xml";

// The destination chooser on the three-level tree of
// tests/screens/data/destinations/vxlcfg.xml: Photo Sites (Gallery, Blogs:
// Blog A and Blog B), Print Shops (Kiosk) and Send to contacts.
class DestinationChooserJobTest : public ScreenJobFixture {
public:
    void SetUp() override
    {
        TESSEL_REQUIRE_TOOL(testToolXmllint());
        const TestCommandResult lint
            = testRunCommand("'" + testCheckTool(testToolXmllint()).path + "' --noout '" + kTree + "' 2>&1");
        ASSERT_EQ(lint.status, 0) << lint.output;
        std::ifstream in(kTree, std::ios::binary);
        std::ostringstream tree;
        tree << in.rdbuf();
        ASSERT_TRUE(engine.root().writeFile("Application Data/Tessel/vxlcfg.xml", tree.str()));
        ScreenJobFixture::SetUp();
    }
    void TearDown() override
    {
        end();
        ScreenJobFixture::TearDown();
    }

    CVXLDestinationChooserJob* start(bool coolSites)
    {
        job = static_cast<CVXLDestinationChooserJob*>(pool->acquire(CVXLDestinationChooserJob::kTypeId));
        if (!job)
            return nullptr;
        if (coolSites)
            job->setProperty(CVXLDestinationChooserJob::kPropertyCoolSites, 1);
        parent.signals.clear();
        job->startUnder(&parent);
        settle();
        return job;
    }
    void end()
    {
        if (!job)
            return;
        job->stop();
        settle();
        pool->release(job);
        job = nullptr;
    }
    // Runs, letting go of every layout the engine releases as the user
    // interface does, until nothing more is released.
    void settle()
    {
        run();
        while (released_ < requests.size()) {
            const Request r = requests[released_++];
            if (r.kind == kUIRequestReleaseLayout && job)
                letGo(r.layout, *job);
            run();
        }
    }
    // "Title: A, *B, +C": the focused entry starred, ticked ones marked.
    std::string screen()
    {
        CVXLLayoutDestinationMenu& menu = job->layout();
        std::string out = std::string(menu.getTitle().c_str()) + ":";
        for (std::uint32_t i = 0; i < menu.getItemCount(); ++i) {
            auto* entry = static_cast<CVXLMenuItemElement*>(menu.itemAt(i));
            out += i ? ", " : " ";
            if (entry == menu.currentElement())
                out += "*";
            if (entry->isChecked())
                out += "+";
            out += entry->text().c_str();
        }
        return out;
    }
    // Focuses the entry (none: the focus stays) and presses the key.
    bool press(const char* entry, const char* key)
    {
        CVXLLayoutDestinationMenu& menu = job->layout();
        if (entry) {
            bool found = false;
            for (std::uint32_t i = 0; i < menu.getItemCount() && !found; ++i) {
                auto* item = static_cast<CVXLMenuItemElement*>(menu.itemAt(i));
                if (item->text() == entry) {
                    menu.setCurrentElement(item);
                    found = true;
                }
            }
            if (!found)
                return false;
        }
        const bool taken = submitByLabel(menu, key);
        settle();
        return taken;
    }
    std::string settingsFile()
    {
        settle();
        return testRunCommand(testPython() + " '" TESSEL_SOURCE_DIR "/tests/peers/vxl_reg_reader.py' '"
            + engine.storeFile("_vxl.reg") + "'")
            .output;
    }

    CVXLDestinationChooserJob* job = nullptr;

private:
    std::size_t released_ = 0;
};

// Each level as the screen shows it; Back shows the level above with the
// category that was left focused, and at the top ends the job with 8.
TEST_F(DestinationChooserJobTest, EachLevelShowsItsEntriesAndBackFocusesTheCategoryLeft)
{
    CVXLString version;
    ASSERT_TRUE(client->settings().getPersistentString(kPersVraxVerId, &version));
    ASSERT_NE(start(false), nullptr);
    EXPECT_EQ(screenText(job->layout()),
        "Tap to Add or Remove | hard Select, hard Back, hard Exit, left Refresh List");
    EXPECT_EQ(screen(), "Tap to Add or Remove: *Photo Sites, Print Shops, Send to contacts");

    struct Step {
        const char* entry;
        const char* key;
        const char* screen;
        std::uint32_t depth;
    };
    const Step steps[] = {
        {"Photo Sites", "Select", "Photo Sites: *Gallery, Blogs", 1},
        {"Blogs", "Select", "Blogs: *Blog A, Blog B", 2},
        {nullptr, "Back", "Photo Sites: Gallery, *Blogs", 1},
        {nullptr, "Back", "Tap to Add or Remove: *Photo Sites, Print Shops, Send to contacts", 0},
        {"Print Shops", "Select", "Print Shops: *Kiosk", 1},
        {nullptr, "Back", "Tap to Add or Remove: Photo Sites, *Print Shops, Send to contacts", 0},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(std::string(s.key) + " " + (s.entry ? s.entry : ""));
        ASSERT_TRUE(press(s.entry, s.key));
        EXPECT_EQ(screen(), s.screen);
        EXPECT_EQ(job->depth(), s.depth);
        EXPECT_TRUE(job->isLayoutShown());
        EXPECT_EQ(job->currentChild(), nullptr) << "the spinner is down";
    }
    EXPECT_TRUE(parent.signals.empty());
    ASSERT_TRUE(press(nullptr, "Back"));
    EXPECT_EQ(parent.signals, std::vector<std::int32_t> {8});
    EXPECT_FALSE(job->isLayoutShown());
}

TEST_F(DestinationChooserJobTest, PickingADestinationHandsItsIdToTheProgram)
{
    struct Case {
        std::vector<const char*> path;
        const char* selected;
    };
    const Case cases[] = {
        {{"Send to contacts"}, "mail"},
        {{"Photo Sites", "Gallery"}, "gallery"},
        {{"Photo Sites", "Blogs", "Blog B"}, "blog-b"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.selected);
        ASSERT_NE(start(false), nullptr);
        for (const char* entry : c.path)
            ASSERT_TRUE(press(entry, "Select"));
        EXPECT_EQ(parent.signals, std::vector<std::int32_t> {10});
        EXPECT_EQ(std::string(job->property("selected_scenario").toString().c_str()), c.selected);
        EXPECT_FALSE(job->isLayoutShown());
        end();
    }
}

// Ticks made in two categories in two runs are both kept; unticking one
// later removes only it. At the end the cool sites are read back from
// "_vxl.reg".
TEST_F(DestinationChooserJobTest, CoolSitesOfEachCategoryAreKeptAcrossRuns)
{
    struct Run {
        std::vector<const char*> open;
        const char* tick;
        const char* before;
        const char* after;
        std::vector<std::string> stored;
    };
    const Run runs[] = {
        {{"Photo Sites"}, "Gallery", "Photo Sites: *Gallery, Blogs", "Photo Sites: *+Gallery, Blogs",
            {"gallery"}},
        {{"Photo Sites", "Blogs"}, "Blog A", "Blogs: *Blog A, Blog B", "Blogs: *+Blog A, Blog B",
            {"gallery", "blog-a"}},
        {{"Photo Sites"}, "Gallery", "Photo Sites: *+Gallery, Blogs", "Photo Sites: *Gallery, Blogs",
            {"blog-a"}},
    };
    for (const Run& r : runs) {
        SCOPED_TRACE(r.tick);
        ASSERT_NE(start(true), nullptr);
        EXPECT_EQ(screenText(job->layout()),
            "Tap to Add or Remove | hard Select, hard Back, hard Exit, unplaced Refresh List, left Continue");
        for (const char* category : r.open)
            ASSERT_TRUE(press(category, "Continue"));
        EXPECT_EQ(screen(), r.before);
        ASSERT_TRUE(press(r.tick, "Select"));
        EXPECT_EQ(screen(), r.after);
        EXPECT_TRUE(parent.signals.empty());
        ASSERT_TRUE(press(r.tick, "Continue"));
        EXPECT_EQ(parent.signals, std::vector<std::int32_t> {10});

        std::vector<std::string> stored;
        for (std::int32_t n = 0; n < client->settings().getCoolSiteCount(); ++n) {
            CVXLString id;
            client->settings().getCoolSiteId(n, &id);
            stored.push_back(id.c_str());
        }
        EXPECT_EQ(stored, r.stored);
        end();
    }
    // The file as saved, read on its own.
    const std::string reg = settingsFile();
    EXPECT_NE(reg.find("pers.cool_sites.ids.0=blog-a\n"), std::string::npos) << reg;
    EXPECT_EQ(reg.find("pers.cool_sites.ids.1="), std::string::npos) << reg;
    EXPECT_NE(reg.find("pers.cool_sites.captions.0=Blog A\n"), std::string::npos) << reg;
    EXPECT_NE(reg.find("pers.cool_sites.icon.0=http://cool.example/a.png\n"), std::string::npos) << reg;
    EXPECT_NE(reg.find("pers.cool_sites.icontype.0=image/png\n"), std::string::npos) << reg;
}

} // namespace
