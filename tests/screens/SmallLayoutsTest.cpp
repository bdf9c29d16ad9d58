#include "engine/client/VXLClient.h"
#include "engine/screens/VXLFolderEntry.h"
#include "engine/screens/VXLLayoutAudio.h"
#include "engine/screens/VXLLayoutCaptureChoice.h"
#include "engine/screens/VXLLayoutDestinationMenu.h"
#include "engine/screens/VXLLayoutFolderList.h"
#include "engine/screens/VXLMenuItemElement.h"
#include "engine/screens/VXLUiJob.h"
#include "tests/support/EngineDriver.h"
#include "tests/support/ScreenOwnerJob.h"
#include "tests/support/ScreenText.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// Takes the actions its layout submits.
class ActionJob : public CVXLUiJob {
public:
    int typeId() const override { return 9; }
    void onLayoutAction(std::uint32_t eventId) override { actions.push_back(eventId); }
    std::vector<std::uint32_t> actions;
};

// The texts and configuration come from a real engine.
class SmallLayoutsTest : public ::testing::Test {
public:
    void SetUp() override
    {
        ASSERT_TRUE(engine.create());
        owner.wireTo(engine.client());
    }

    EngineDriver engine;
    // Owns the layouts made outside a job.
    ScreenOwnerJob owner;
};

// Which keys each layout takes in a state, pressed as the user would; ids of
// another layout type, or of another state, never reach the owner.
TEST_F(SmallLayoutsTest, EachLayoutTakesOnlyItsOwnKeysOfTheState)
{
    struct Case {
        const char* name;
        std::uint32_t state;
        std::vector<std::uint32_t> taken;
        std::vector<std::uint32_t> refused;
    };
    auto make = [](const std::string& name) -> std::unique_ptr<CVXLLayout> {
        if (name == "capture")
            return std::make_unique<CVXLLayoutCaptureChoice>();
        if (name == "audio")
            return std::make_unique<CVXLLayoutAudio>();
        return std::make_unique<CVXLLayoutFolderList>();
    };
    const Case cases[] = {
        {"capture", 0, {0x80069, 0x8006A, 0x80065, 0x80066}, {0x80067, 0xA0065}},
        {"capture", 2, {0x80069, 0x8006A, 0x80065, 0x80066}, {0x80080}},
        {"capture", 3, {}, {0x80069, 0x8006A, 0x80065, 0x80066}},
        // Audio ids carry 0x87, not the layout type 1.
        {"audio", 0, {0x870067, 0x870065, 0x870066}, {0x10067, 0x10065, 0x10066}},
        {"audio", 1, {}, {0x870067}},
        // Compose in both states; View only with a row current (none here).
        {"folders", 0, {0x5006D, 0x50069, 0x50065, 0x50066}, {0x50084, 0x50067}},
        {"folders", 1, {0x5006D, 0x50069, 0x50065, 0x50066}, {0x50084}},
        {"folders", 2, {}, {0x5006D, 0x50065}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " " + std::to_string(c.state));
        std::unique_ptr<CVXLLayout> layout = make(c.name);
        ActionJob taker;
        taker.setPool(engine.client()->getUiJobPool());
        layout->setOwner(&taker);
        layout->prepare();
        layout->setState(c.state);
        for (std::uint32_t id : c.taken)
            EXPECT_EQ(layout->submitAction(id), 1) << std::hex << id;
        for (std::uint32_t id : c.refused)
            EXPECT_EQ(layout->submitAction(id), 0) << std::hex << id;
        EXPECT_EQ(taker.actions, c.taken);
    }
}

TEST_F(SmallLayoutsTest, FolderListWindowComesFromItem14AndViewNeedsACurrentRow)
{
    CVXLLayoutFolderList folders;
    owner.own(folders);
    EXPECT_EQ(screenText(folders),
        "Tessel | -unplaced View, hard Update, left Compose, unplaced Back, unplaced Exit");

    // Item 14 keeps its default of 3; a changed item is read at the next start.
    ASSERT_TRUE(folders.prepare());
    EXPECT_EQ(folders.list().length(), 3);
    EXPECT_EQ(folders.list().first(), 0);
    EXPECT_TRUE(folders.list().isChanged());
    engine.client()->settings().setConfigString(kCfgFolderListWindowSize, "5");
    ASSERT_TRUE(folders.prepare());
    EXPECT_EQ(folders.list().length(), 5);

    CVXLFolderEntry inbox, sent, outside;
    inbox.set(CVXLFolderEntry::kInbox, "Inbox");
    sent.set(CVXLFolderEntry::kSent, "Sent Mail");
    ASSERT_TRUE(folders.addEntry(&sent, 1));
    ASSERT_TRUE(folders.addEntry(&inbox, 0));
    EXPECT_FALSE(folders.addEntry(&outside, 5));
    EXPECT_EQ(folders.currentEntry(), &sent) << "the first row added";
    EXPECT_EQ(folders.entryAt(0), &inbox);
    EXPECT_EQ(inbox.elementOwner(), &folders);
    EXPECT_TRUE(folders.canSubmitAction(CVXLLayoutFolderList::kEventView));

    // Leaving the window forgets the rows; the flag alone allows View too.
    folders.detachView();
    EXPECT_EQ(folders.currentEntry(), nullptr);
    EXPECT_EQ(folders.entryAt(0), nullptr);
    EXPECT_FALSE(folders.canSubmitAction(CVXLLayoutFolderList::kEventView));
    folders.setViewAllowed(true);
    EXPECT_TRUE(folders.canSubmitAction(CVXLLayoutFolderList::kEventView));
}

TEST_F(SmallLayoutsTest, FolderListWithoutItem14HasAnEmptyWindow)
{
    engine.client()->settings().setConfigString(kCfgFolderListWindowSize, "");
    CVXLLayoutFolderList folders;
    owner.own(folders);
    ASSERT_TRUE(folders.prepare());
    EXPECT_EQ(folders.list().length(), 0);
    CVXLFolderEntry inbox;
    EXPECT_FALSE(folders.addEntry(&inbox, 0));
}

TEST_F(SmallLayoutsTest, DestinationMenuRefusesSelectOnAMarkedEntryAndShowsItsOwnTitle)
{
    CVXLLayoutDestinationMenu menu;
    ActionJob taker;
    taker.setPool(engine.client()->getUiJobPool());
    menu.setOwner(&taker);
    EXPECT_EQ(menu.state(), 1u);
    menu.setTitle("Tap to Add or Remove");
    menu.setTitleText("ignored");
    EXPECT_EQ(
        screenText(menu), "Tap to Add or Remove | hard Select, hard Back, hard Exit, left Refresh List");

    auto* category = new CVXLMenuItemElement;
    auto* site = new CVXLMenuItemElement;
    category->setValue(1);
    ASSERT_TRUE(menu.addItem(category));
    ASSERT_TRUE(menu.addItem(site));
    EXPECT_EQ(menu.submitAction(0xA0080), 0) << "the marked entry is current";
    EXPECT_EQ(menu.submitAction(0xA0065), 1);
    menu.setCurrentElement(site);
    EXPECT_EQ(menu.submitAction(0xA0080), 1);
    menu.setState(2);
    EXPECT_EQ(menu.submitAction(0xA0067), 1);
    EXPECT_EQ(taker.actions, (std::vector<std::uint32_t> {0xA0065, 0xA0080, 0xA0067}));
    menu.clear();
}

} // namespace
