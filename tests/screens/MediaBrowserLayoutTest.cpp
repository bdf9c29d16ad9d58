// The media browser screen as the user interface reads it: what it offers
// per state with and without a focused item (typed from the product's
// command tables), the window and cache limits the browse jobs set, and the
// cache range of loaded elements.
#include "engine/client/VXLClient.h"
#include "engine/core/settings/VXLConfigItem.h"
#include "engine/media/VXLMediaItem.h"
#include "engine/screens/VXLLayoutMediaBrowser.h"
#include "engine/screens/VXLScreenServices.h"
#include "engine/screens/VXLUiJob.h"
#include "tests/screens/ComposeFixture.h"
#include "tests/support/EngineDriver.h"
#include "tests/support/ScreenOwnerJob.h"
#include "tests/support/ScreenText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class Owner : public CVXLUiJob {
public:
    int typeId() const override { return 13; }
    void onLayoutAction(std::uint32_t eventId) override { actions.push_back(eventId); }
    std::vector<std::uint32_t> actions;
};

constexpr std::uint32_t event(std::uint32_t action)
{
    return layoutEventId(kLayoutMediaBrowser, action);
}

// The texts and configuration come from a real engine.
class MediaBrowserLayoutTest : public ::testing::Test {
public:
    void SetUp() override
    {
        ASSERT_TRUE(engine.create());
        owner.wireTo(engine.client());
    }
    void configure(std::int32_t item, const char* value)
    {
        engine.client()->settings().setConfigString(item, value);
    }

    EngineDriver engine;
    // Owns the layouts made outside a job.
    ScreenOwnerJob owner;
};

// Without a focused item every command on an item or the selection is
// refused, in every state that offers it, Assign included; the others stay.
TEST_F(MediaBrowserLayoutTest, CommandsOnTheSelectionNeedAFocusedItem)
{
    struct Case {
        std::uint32_t state;
        const char* text;
    };
    const Case cases[] = {
        {0,
            "Online Albums | -menu Send to Contacts, -menu Post to Service, menu Voice Send To Contacts, "
            "-menu Delete, "
            "-menu Copy, -menu Move, -hard Select, -menu Select All, -menu Deselect All, hard Update, hard "
            "Album List, "
            "hard Back, -menu Print, hard Exit"},
        {2,
            "In Phone | -menu Send to Contacts, -menu Post to Service, unplaced Voice Send To Contacts, "
            "-menu Upload, "
            "-menu Delete, -hard Select, -menu Select All, -menu Deselect All, hard Update, hard Album List, "
            "hard Back, "
            "-menu Print, hard Exit"},
        {4, "In Phone Media Picker | -hard Select, hard Update, hard Continue, hard Back, hard Exit"},
        {7,
            "Delete SD Card Media | -hard Select, -unplaced Select All, -unplaced Deselect All, hard Update, "
            "hard Continue, -menu Delete, hard Back, hard Exit"},
        {12, " | hard Update, -hard Assign, hard Back, hard Exit"},
        {13, " | hard Update, -hard Assign, hard Back, hard Exit"},
        {15,
            " | -menu Send to Contacts, unplaced Voice Send To Contacts, -menu Post to Service, -menu "
            "Upload, "
            "-menu Delete, -hard Select, hard Update, hard Album List, hard Back, -menu Print, hard Exit"},
        // The phone's single item keeps the album's order: Post before Voice Send.
        {14,
            " | -menu Send to Contacts, -menu Post to Service, unplaced Voice Send To Contacts, -menu "
            "Upload, -menu Delete, -hard Select, hard Update, hard Album List, hard Back, -menu Print, hard "
            "Exit"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.state);
        CVXLLayoutMediaBrowser layout;
        owner.own(layout);
        layout.setState(c.state);
        EXPECT_EQ(screenText(layout), c.text);
    }

    // Delete is refused in every state with no focus, accepted with one;
    // Update, Back and Exit are accepted in every state.
    CVXLMediaItem item;
    for (std::uint32_t state = 0; state <= 15; ++state) {
        SCOPED_TRACE(state);
        CVXLLayoutMediaBrowser layout;
        owner.own(layout);
        layout.setState(state);
        EXPECT_FALSE(layout.canSubmitAction(event(CVXLLayoutMediaBrowser::kDelete)));
        EXPECT_FALSE(layout.canSubmitAction(event(CVXLLayoutMediaBrowser::kAssign)));
        for (std::uint32_t action : {kLayoutActionUpdate, kLayoutActionBack, kLayoutActionExit})
            EXPECT_TRUE(layout.canSubmitAction(event(action))) << action;
        ASSERT_TRUE(layout.addElement(&item, 0));
        layout.setCurrentElement(&item);
        EXPECT_EQ(layout.canSubmitAction(event(CVXLLayoutMediaBrowser::kDelete)),
            layout.hasAction(event(CVXLLayoutMediaBrowser::kDelete)));
        EXPECT_EQ(layout.canSubmitAction(event(CVXLLayoutMediaBrowser::kAssign)), state == 12 || state == 13);
    }
}

// A refused command never reaches the owning job; with the focus it does.
TEST_F(MediaBrowserLayoutTest, OnlyAcceptedCommandsReachTheJob)
{
    Owner job;
    job.setPool(engine.client()->getUiJobPool());
    CVXLMediaItem item;
    CVXLLayoutMediaBrowser layout;
    layout.setOwner(&job);
    layout.setState(12);
    EXPECT_FALSE(submitByLabel(layout, "Assign"));
    EXPECT_TRUE(submitByLabel(layout, "Update"));
    ASSERT_TRUE(layout.addElement(&item, 3));
    layout.setCurrentElement(&item);
    EXPECT_TRUE(submitByLabel(layout, "Assign"));
    layout.setState(2);
    EXPECT_FALSE(submitByLabel(layout, "Continue")) << "not offered in the album states";
    EXPECT_TRUE(submitByLabel(layout, "Delete"));
    EXPECT_EQ(job.actions,
        (std::vector<std::uint32_t> {event(kLayoutActionUpdate), event(CVXLLayoutMediaBrowser::kAssign),
            event(CVXLLayoutMediaBrowser::kDelete)}));
}

// First past the filtered total stops on the last item, at 0 for none; the
// filter decides which of the album's counts make the total.
TEST_F(MediaBrowserLayoutTest, FirstStaysInsideTheFilteredTotal)
{
    struct Case {
        std::uint32_t filter;
        std::uint32_t images;
        std::uint32_t videos;
        std::uint32_t index;
        std::uint32_t first;
    };
    const Case cases[] = {
        {3, 10, 5, 3, 3},
        {3, 10, 5, 14, 14},
        {3, 10, 5, 15, 14},
        {3, 10, 5, 0xFFFFFFFFu, 14},
        {1, 10, 5, 12, 9},
        {2, 10, 5, 7, 4},
        {2, 10, 0, 7, 0},
        {0, 10, 5, 5, 0},
        {3, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.filter) + " " + std::to_string(c.index));
        CVXLLayoutMediaBrowser layout;
        owner.own(layout);
        layout.reset();
        EXPECT_FALSE(layout.movedWindow());
        layout.addFilter(c.filter);
        layout.setCounts(c.videos, c.images);
        layout.setFirst(c.index);
        EXPECT_EQ(layout.first(), c.first);
        EXPECT_TRUE(layout.movedWindow());
        EXPECT_EQ(layout.window().first(), static_cast<std::int32_t>(c.first));
    }
}

// The window comes from the configuration (1 in the single-item states) and
// bounds the limit from below once set; the cache holds whole windows.
TEST_F(MediaBrowserLayoutTest, LimitNeverBelowTheWindow)
{
    struct Case {
        const char* configured;
        std::uint32_t state;
        bool limitFirst;
        std::uint32_t limit;
        std::uint32_t window;
        std::uint32_t keptLimit;
        std::uint32_t cacheMax;
    };
    const Case cases[] = {
        {nullptr, 0, false, 48, 16, 48, 48},
        {nullptr, 0, false, 50, 16, 50, 48},
        {nullptr, 0, false, 8, 16, 16, 16},
        {nullptr, 0, false, 0, 16, 16, 16},
        {nullptr, 0, true, 8, 8, 8, 8},
        {"10", 2, false, 48, 10, 48, 40},
        {"10", 14, false, 0, 1, 1, 1},
        {"10", 15, false, 3, 1, 3, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.limit) + " in " + std::to_string(c.state));
        configure(kCfgMediaBrowserWindowSize, c.configured ? c.configured : "");
        CVXLLayoutMediaBrowser layout;
        owner.own(layout);
        layout.setState(c.state);
        if (c.limitFirst)
            layout.setLimit(c.limit);
        layout.reset();
        if (!c.limitFirst)
            layout.setLimit(c.limit);
        EXPECT_EQ(layout.windowSize(), c.window);
        EXPECT_EQ(layout.window().length(), static_cast<std::int32_t>(c.window));
        EXPECT_EQ(layout.rowLength(), 4u);
        EXPECT_TRUE(layout.isLimited());
        EXPECT_EQ(layout.limit(), c.keptLimit);
        EXPECT_EQ(layout.cacheMax(), c.cacheMax);
    }
}

// Configured window sizes and row lengths that could not work fall back:
// a window of none or fewer items is the default 16, one above 1,000 is
// 1,000; a row length of 0 or less is the default 4.
TEST_F(MediaBrowserLayoutTest, UnusableWindowAndRowSettingsFallBack)
{
    struct Case {
        const char* window;
        const char* row;
        std::uint32_t windowSize;
        std::uint32_t rowLength;
    };
    const Case cases[] = {
        {"0", "0", 16, 4},
        {"-5", "-3", 16, 4},
        {"1000", "1", 1000, 1},
        {"1001", "5", 1000, 5},
        {"250000", "", 1000, 4},
        {"", "6", 16, 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.window) + " / " + c.row);
        configure(kCfgMediaBrowserWindowSize, c.window);
        configure(kCfgItem52, c.row);
        CVXLLayoutMediaBrowser layout;
        owner.own(layout);
        layout.reset();
        EXPECT_EQ(layout.windowSize(), c.windowSize);
        EXPECT_EQ(layout.window().length(), static_cast<std::int32_t>(c.windowSize));
        EXPECT_EQ(layout.rowLength(), c.rowLength);
    }
}

// The filter armed for the next browse replaces the layout's and is
// committed; it is taken once, and nothing armed changes nothing.
TEST_F(MediaBrowserLayoutTest, TheOneShotFilterIsTakenOnce)
{
    CVXLScreenServices* services = engine.client()->getUiJobPool()->services();
    ASSERT_NE(services, nullptr);
    CVXLLayoutMediaBrowser layout;
    owner.own(layout);
    layout.addFilter(kMediaFilterImagesAndVideos);
    layout.commitFilter();
    layout.applyOneShotFilter();
    EXPECT_EQ(layout.filter(), 3u) << "nothing armed";
    services->setOneShotFilter(kMediaFilterVideos);
    layout.applyOneShotFilter();
    EXPECT_EQ(layout.filter(), 2u);
    EXPECT_FALSE(layout.filterChanged()) << "committed";
    CVXLLayoutMediaBrowser next;
    owner.own(next);
    next.addFilter(kMediaFilterImages);
    next.applyOneShotFilter();
    EXPECT_EQ(next.filter(), 1u) << "taken by the first";
}

// The loaded elements form one range: it grows at either end and keeps its
// slots; a focused element that leaves it is no longer focused.
TEST_F(MediaBrowserLayoutTest, CacheStaysOneRange)
{
    CVXLMediaItem items[6];
    CVXLLayoutMediaBrowser layout;
    owner.own(layout);
    ASSERT_TRUE(layout.addElement(&items[0], 10));
    EXPECT_EQ(items[0].elementOwner(), &layout);
    EXPECT_TRUE(layout.addElement(&items[1], 11));
    EXPECT_TRUE(layout.addElement(&items[2], 9));
    EXPECT_FALSE(layout.addElement(&items[3], 13)) << "a gap";
    EXPECT_FALSE(layout.addElement(&items[3], 7)) << "a gap";
    EXPECT_FALSE(layout.addElement(nullptr, 12));
    EXPECT_EQ(layout.cacheFirst(), 9);
    EXPECT_EQ(layout.cacheCount(), 3u);
    EXPECT_EQ(layout.elementAt(10), &items[0]);
    EXPECT_FALSE(layout.hasElement(8));
    EXPECT_FALSE(layout.hasElement(12));

    layout.setCurrentElement(&items[0]);
    EXPECT_TRUE(layout.removeAt(10)) << "inside: the slot empties";
    EXPECT_EQ(layout.currentElement(), nullptr);
    EXPECT_EQ(layout.cacheCount(), 3u);
    EXPECT_FALSE(layout.hasElement(10));
    EXPECT_TRUE(layout.addElement(&items[0], 10));

    layout.setCurrentElement(&items[1]);
    EXPECT_FALSE(layout.dropBack(4));
    EXPECT_EQ(layout.cacheCount(), 3u);
    EXPECT_TRUE(layout.dropBack(1));
    EXPECT_EQ(layout.currentElement(), nullptr);
    layout.setCurrentElement(&items[0]);
    EXPECT_TRUE(layout.dropFront(1));
    EXPECT_EQ(layout.currentElement(), &items[0]);
    EXPECT_EQ(layout.cacheFirst(), 10);
    EXPECT_EQ(layout.cacheCount(), 1u);

    EXPECT_TRUE(layout.growFront(2));
    EXPECT_EQ(layout.cacheFirst(), 8);
    EXPECT_EQ(layout.elementAt(10), &items[0]);
    EXPECT_FALSE(layout.growFront(9)) << "before index 0";
    EXPECT_EQ(layout.cacheFirst(), 8);
    EXPECT_TRUE(layout.addElement(&items[4], 8));
    EXPECT_TRUE(layout.addElement(&items[5], 11));

    ASSERT_TRUE(layout.setRange(32, 16));
    EXPECT_EQ(layout.currentElement(), nullptr);
    EXPECT_EQ(layout.cacheCount(), 16u);
    EXPECT_FALSE(layout.hasElement(32));
    EXPECT_TRUE(layout.addElement(&items[1], 47));
    EXPECT_FALSE(layout.setRange(-1, 2));
    layout.clearElements();
    EXPECT_EQ(layout.cacheCount(), 0u);
    EXPECT_EQ(items[1].elementOwner(), nullptr) << "no longer the layout's";
    EXPECT_FALSE(layout.dropFront(1));
}

// The phone store open in the Client's Media Access Manager: the selection
// the screen's commands change is the manager's.
class MediaBrowserSelectionTest : public ComposeFixture { };

TEST_F(MediaBrowserSelectionTest, SelectionIsTheManagersAndSelectAllTwiceClearsIt)
{
    CVXLLayoutMediaBrowser layout;
    ScreenOwnerJob owner;
    owner.wireTo(client);
    owner.own(layout);
    layout.reset();
    ASSERT_EQ(layout.mediaAccess(), &media());
    CVXLMediaItem* item = media().currentCollection()->at(0)->item;
    ASSERT_NE(item, nullptr);
    EXPECT_FALSE(layout.toggleFocused()) << "nothing focused";
    ASSERT_TRUE(layout.addElement(item, 0));
    layout.setCurrentElement(item);
    EXPECT_TRUE(layout.toggleFocused());
    EXPECT_TRUE(media().isSelected(*item));
    EXPECT_EQ(media().countSelected(), 1u);
    EXPECT_TRUE(layout.toggleFocused());
    EXPECT_EQ(media().countSelected(), 0u);

    EXPECT_TRUE(layout.toggleFocused());
    EXPECT_FALSE(layout.wholeAlbum());
    layout.toggleAll();
    EXPECT_TRUE(layout.wholeAlbum());
    layout.toggleAll();
    EXPECT_FALSE(layout.wholeAlbum());
    EXPECT_EQ(media().countSelected(), 0u);

    EXPECT_TRUE(layout.removeAt(0));
    EXPECT_EQ(layout.currentElement(), nullptr);
    EXPECT_EQ(item->elementOwner(), nullptr);
}

} // namespace
